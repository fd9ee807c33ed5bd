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

// True: the test shell keeps the view OpenGL would hold (app/view.h), as the
// page does, so that picks find vertices, and the tests' display() only
// places the camera (scenes played whole); false (the start): picks see no
// vertex, and display() runs the frame's optics and keeps its heights.
extern bool shellKeepsView;

// The tests' display(): the frame's optics as the real one runs them, and a
// copy of the heights each frame was drawn from, in order.
struct FrameRecord {
    float heights[gridSize][gridSize];
};
extern std::vector<FrameRecord> framesSeen;

// Catches what the code under test prints on standard output, from
// construction until text(). Captures do not nest.
class StdoutCapture {
public:
    StdoutCapture() { ::testing::internal::CaptureStdout(); }
    ~StdoutCapture() { text(); }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;
    std::string text()
    {
        if (!done_)
            text_ = ::testing::internal::GetCapturedStdout();
        done_ = true;
        return text_;
    }

private:
    bool done_ = false;
    std::string text_;
};

void expectPoint(const Point& p, float x, float y, float z, float tolerance = 2e-6f);

// rotate(+1, cos 15, sin 15, 'z') from the start frame (the '/' key).
std::string rotateZFromStartTrace();
// localRotate(+1, 'z') from the start frame (the ',' key).
std::string localRotateZFromStartTrace();
