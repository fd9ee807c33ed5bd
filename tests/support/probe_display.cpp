// probe_display.cpp -- display() for programs without a window: it runs the
// frame's optics like the real one and records the heights it was drawn from
#include "support/probe_display.h"

#include "optics/display.h"
#include "optics/shading.h"

#include <cstring>

std::vector<FrameRecord> framesSeen;

void clearFrames()
{
    framesSeen.clear();
}

void display()
{
    computeFrameOptics();
    framesSeen.emplace_back();
    std::memcpy(framesSeen.back().heights, heightField, sizeof heightField);
}
