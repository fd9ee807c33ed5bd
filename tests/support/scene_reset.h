// scene_reset.h -- every test starts from the state the program has at load time
#pragma once

#include <gtest/gtest.h>

// Puts every process-wide variable back to its load value and builds the mesh
// (its two face-count lines are swallowed), as main does before the event loop.
void restoreLoadState();

// Fixture for tests of the core: load state and no recorded frames.
class CoreTest : public ::testing::Test {
protected:
    void SetUp() override;
};
