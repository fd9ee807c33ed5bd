// support.cpp -- the unit tests' fixture, display(), stdout capture and traces
#include "support.h"

#include "app/view.h"
#include "app/viewer_state.h"
#include "optics/display.h"
#include "optics/shading.h"

#include <cstring>

std::vector<FrameRecord> framesSeen;
bool shellKeepsView = false;

void display()
{
    if (shellKeepsView)
        return viewPlaceCamera();
    computeFrameOptics();
    framesSeen.emplace_back();
    std::memcpy(framesSeen.back().heights, heightField, sizeof heightField);
}

void CoreTest::SetUp()
{
    StdoutCapture quiet;
    restoreLoadState();
    framesSeen.clear();
}

void expectPoint(const Point& p, float x, float y, float z, float tolerance)
{
    EXPECT_NEAR(p.x, x, tolerance);
    EXPECT_NEAR(p.y, y, tolerance);
    EXPECT_NEAR(p.z, z, tolerance);
}

// rotate's trace: its arguments, then the three axis end points before and
// after, each given as three comma-separated triples.
static std::string rotateTrace(const std::string& arguments, const std::string (&before)[3],
                               const std::string (&after)[3])
{
    std::string trace = "Rotate arguments: cosine and sine: " + arguments;
    for (int stage = 0; stage < 2; ++stage) {
        const std::string(&axes)[3] = stage == 0 ? before : after;
        trace += std::string(stage == 0 ? "\nBefore" : "\nAfter") + " Rotate: xcoordinates : " + axes[0] + "\n";
        trace += "Rotate: ycoordinates : " + axes[1] + "\nRotate: zcoordinates : " + axes[2] + "\n";
    }
    return trace;
}

static const std::string startAxes[3] = {"1.000000, 0.000000, 0.000000", "0.000000, 1.000000, 0.000000",
                                         "0.000000, 0.000000, 1.000000"};
static const std::string turnedAxes[3] = {"0.965926, 0.258819, 0.000000", "-0.258819, 0.965926, 0.000000",
                                          "0.000000, 0.000000, 1.000000"};

std::string rotateZFromStartTrace()
{
    return rotateTrace("0.965926, 0.258819", startAxes, turnedAxes);
}

// The entry frame, the shift to the origin, the general case with aligning
// rotations that change nothing here (the sines -a and -b/d print as -0), the
// step, the shift back.
std::string localRotateZFromStartTrace()
{
    const std::string atOrigin = "Translation:0.000000, 0.000000, 0.000000\n";
    std::string trace = "\nBEGINNING OF local origin coords: 0.000000,0.000000,0.000000\n";
    for (const char* axis : {"x", "y", "z"})
        trace += std::string("\nlocalRotate: ") + axis + "coordinates : " + startAxes[*axis - 'x'] + "\n";
    trace += atOrigin + atOrigin + atOrigin + "After translationlocal origin coords: 0.000000,0.000000,0.000000\n" +
             "\nLocalRotate z axis: length, a, b, c, d are: 1.000000, 0.000000, 0.000000, 1.000000. 1.000000 \n";
    for (const char* stage : {"after x rotation: xcoordinates (xz)", "after y rotation: xcoordinates (z)"}) {
        trace += rotateTrace(stage[6] == 'x' ? "1.000000, 0.000000" : "1.000000, -0.000000", startAxes, startAxes);
        const std::string suffix = stage[6] == 'x' ? " (xz): " : " (z): ";
        trace += std::string("\nlocalRotate ") + stage + ": " + startAxes[0] + "\n";
        trace += "\nlocalRotate: ycoordinates" + suffix + startAxes[1] + "\n";
        trace += "\nlocalRotate: zcoordinates" + suffix + startAxes[2] + "\n";
    }
    return trace + rotateZFromStartTrace() + rotateTrace("1.000000, 0.000000", turnedAxes, turnedAxes) +
           rotateTrace("1.000000, -0.000000", turnedAxes, turnedAxes) + atOrigin + atOrigin + atOrigin;
}
