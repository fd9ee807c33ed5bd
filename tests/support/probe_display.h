// probe_display.h -- the tests' display(): records each frame instead of drawing it
#pragma once

#include "water/water.h"

#include <vector>

struct FrameRecord {
    float heights[gridSize][gridSize]; // heightField as the frame saw it
};

// Every display() call since the last clearFrames(), in order.
extern std::vector<FrameRecord> framesSeen;
void clearFrames();
