// support.h -- what the unit tests share: the start state, a display() that
// records each frame, standard output caught, and the transforms' traces
#pragma once

#include "frame/point.h"
#include "water/water.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Every test starts from the program's start state (the mesh built, its lines
// swallowed) with no frame recorded.
class CoreTest : public ::testing::Test {
protected:
    void SetUp() override;
};

// The tests' display(): the frame's optics as the real one runs them, and a
// copy of the heights each frame was drawn from, in order.
struct FrameRecord {
    float heights[gridSize][gridSize];
};
extern std::vector<FrameRecord> framesSeen;

// Redirects file descriptor 1 from construction until text(), so that what the
// code under test prints is caught.
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;
    std::string text(); // stops capturing; everything printed since construction

private:
    int savedFd_ = -1;
    int fileFd_ = -1;
    std::string text_;
};

void expectPoint(const Point& p, float x, float y, float z, float tolerance = 2e-6f);

// rotate(+1, cos 15, sin 15, 'z') from the start frame (the '/' key).
std::string rotateZFromStartTrace();
// localRotate(+1, 'z') from the start frame (the ',' key).
std::string localRotateZFromStartTrace();
