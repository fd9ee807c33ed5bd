// scene_reset.h -- every test starts from the state the program has at load time
#pragma once

#include <gtest/gtest.h>

// Fixture for tests of the core: load state (the mesh built) and no recorded frames.
class CoreTest : public ::testing::Test {
protected:
    void SetUp() override;
};
