// support.cpp -- the unit tests' fixture, display(), stdout capture and traces
#include "support.h"

#include "app/scene.h"
#include "optics/display.h"
#include "optics/shading.h"

#include <cstring>

std::vector<FrameRecord> framesSeen;

void display()
{
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

std::string rotateZFromStartTrace()
{
    return "Rotate arguments: cosine and sine: 0.965926, 0.258819\n"
           "Before Rotate: xcoordinates : 1.000000, 0.000000, 0.000000\n"
           "Rotate: ycoordinates : 0.000000, 1.000000, 0.000000\n"
           "Rotate: zcoordinates : 0.000000, 0.000000, 1.000000\n"
           "\n"
           "After Rotate: xcoordinates : 0.965926, 0.258819, 0.000000\n"
           "Rotate: ycoordinates : -0.258819, 0.965926, 0.000000\n"
           "Rotate: zcoordinates : 0.000000, 0.000000, 1.000000\n";
}

// The entry frame, the shift to the origin, the general case with aligning
// rotations that change nothing here (the sines -a and -b/d print as -0), the
// step, the shift back.
std::string localRotateZFromStartTrace()
{
    const std::string start = "Rotate: ycoordinates : 0.000000, 1.000000, 0.000000\n"
                              "Rotate: zcoordinates : 0.000000, 0.000000, 1.000000\n";
    const std::string turned = "Rotate: ycoordinates : -0.258819, 0.965926, 0.000000\n"
                               "Rotate: zcoordinates : 0.000000, 0.000000, 1.000000\n";
    const std::string unchangedStart = "\nBefore Rotate: xcoordinates : 1.000000, 0.000000, 0.000000\n" + start +
                                       "\nAfter Rotate: xcoordinates : 1.000000, 0.000000, 0.000000\n" + start;
    const std::string unchangedTurned = "\nBefore Rotate: xcoordinates : 0.965926, 0.258819, 0.000000\n" + turned +
                                        "\nAfter Rotate: xcoordinates : 0.965926, 0.258819, 0.000000\n" + turned;
    const std::string atOrigin = "Translation:0.000000, 0.000000, 0.000000\n";
    return "\nBEGINNING OF local origin coords: 0.000000,0.000000,0.000000\n"
           "\nlocalRotate: xcoordinates : 1.000000, 0.000000, 0.000000\n"
           "\nlocalRotate: ycoordinates : 0.000000, 1.000000, 0.000000\n"
           "\nlocalRotate: zcoordinates : 0.000000, 0.000000, 1.000000\n" +
           atOrigin + atOrigin + atOrigin +
           "After translationlocal origin coords: 0.000000,0.000000,0.000000\n"
           "\nLocalRotate z axis: length, a, b, c, d are: 1.000000, 0.000000, 0.000000, 1.000000. 1.000000 \n"
           "Rotate arguments: cosine and sine: 1.000000, 0.000000" +
           unchangedStart +
           "\nlocalRotate after x rotation: xcoordinates (xz): 1.000000, 0.000000, 0.000000\n"
           "\nlocalRotate: ycoordinates (xz): 0.000000, 1.000000, 0.000000\n"
           "\nlocalRotate: zcoordinates (xz): 0.000000, 0.000000, 1.000000\n"
           "Rotate arguments: cosine and sine: 1.000000, -0.000000" +
           unchangedStart +
           "\nlocalRotate after y rotation: xcoordinates (z): 1.000000, 0.000000, 0.000000\n"
           "\nlocalRotate: ycoordinates (z): 0.000000, 1.000000, 0.000000\n"
           "\nlocalRotate: zcoordinates (z): 0.000000, 0.000000, 1.000000\n" +
           rotateZFromStartTrace() + "Rotate arguments: cosine and sine: 1.000000, 0.000000" + unchangedTurned +
           "Rotate arguments: cosine and sine: 1.000000, -0.000000" + unchangedTurned + atOrigin + atOrigin + atOrigin;
}
