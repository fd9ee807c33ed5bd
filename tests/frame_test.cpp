// The object vertex list and the local frame: global-axis transforms and the
// rotation about a local axis, with their traces.
#include "frame/frame.h"
#include "frame/local_rotate.h"
#include "support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

using FrameTest = CoreTest;

// Gives the object two vertices; the start state releases them again.
void giveTwoVertices()
{
    vertices = static_cast<Vertex*>(std::malloc(2 * sizeof(Vertex)));
    vertices[0] = {1.0f, 2.0f, 3.0f};
    vertices[1] = {-4.0f, 0.5f, 8.0f};
    vertexCount = 2;
}

TEST_F(FrameTest, TranslationMovesFrameAndVerticesAndReportsTheOrigin)
{
    giveTwoVertices();
    StdoutCapture out;
    translate(2.5f, 'y');
    translate(3.0f, 'Y'); // not an axis: moves nothing, still prints
    EXPECT_EQ(out.text(), "Translation:0.000000, 2.500000, 0.000000\nTranslation:0.000000, 2.500000, 0.000000\n");
    expectPoint(localOrigin, 0, 2.5f, 0, 0);
    expectPoint(localAxisX, 1, 2.5f, 0, 0);
    expectPoint(localAxisY, 0, 3.5f, 0, 0);
    expectPoint(localAxisZ, 0, 2.5f, 1, 0);
    expectPoint(vertices[1], -4, 3.0f, 8, 0);
}

TEST_F(FrameTest, RotationTracesTheAxesBeforeAndAfter)
{
    StdoutCapture out;
    rotate(1.0f, stepCosine(), stepSine(), 'z');
    EXPECT_EQ(out.text(), rotateZFromStartTrace());
    StdoutCapture back;
    rotate(-1.0f, stepCosine(), stepSine(), 'z'); // the sine is printed as passed, positive
    EXPECT_EQ(back.text().rfind("Rotate arguments: cosine and sine: 0.965926, 0.258819\n", 0), 0u);
}

// Quarter turns (cosine 0, sine 1) follow the right-hand rule about the world
// origin; vertices turn with the frame, and a rotation about no axis moves nothing.
TEST_F(FrameTest, RotationsTurnEverythingAboutTheWorldOrigin)
{
    const struct {
        char axis;
        float direction;
        Point x, y, z;
    } cases[] = {{'x', 1, {1, 0, 0}, {0, 0, 1}, {0, -1, 0}},
                 {'y', 1, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
                 {'z', 1, {0, 1, 0}, {-1, 0, 0}, {0, 0, 1}},
                 {'z', -1, {0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
                 {'Z', 1, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    StdoutCapture quiet;
    for (const auto& c : cases) {
        resetLocalFrame();
        rotate(c.direction, 0.0f, 1.0f, c.axis);
        expectPoint(localAxisX, c.x.x, c.x.y, c.x.z, 0);
        expectPoint(localAxisY, c.y.x, c.y.y, c.y.z, 0);
        expectPoint(localAxisZ, c.z.x, c.z.y, c.z.z, 0);
    }
    resetLocalFrame();
    giveTwoVertices();
    translate(5.0f, 'x');
    rotate(1.0f, 0.0f, 1.0f, 'z');
    expectPoint(localOrigin, 0, 5, 0, 0);
    expectPoint(localAxisX, 0, 6, 0, 0);
    expectPoint(vertices[0], -2, 6, 3, 0);
}

TEST_F(FrameTest, ScalingMovesOnlyVerticesSilentlyAndDoesNotUndo)
{
    giveTwoVertices();
    StdoutCapture out;
    scale(+1);
    scale(-1);
    EXPECT_EQ(out.text(), "");
    expectPoint(vertices[0], 0.9375f, 1.875f, 2.8125f, 0);
    expectPoint(localAxisX, 1, 0, 0, 0);
    scale(-4);
    expectPoint(vertices[1], 0, 0, 0, 0);
}

TEST_F(FrameTest, LocalRotationAboutZTracesEveryStage)
{
    StdoutCapture out;
    localRotate(1.0f, 'z');
    EXPECT_EQ(out.text(), localRotateZFromStartTrace());
}

// A step about one of the frame's own axes: the axis stays, the others turn
// about the line through the frame's origin, which is restored exactly.
TEST_F(FrameTest, LocalRotationsTurnAboutTheFramesOwnAxes)
{
    const struct {
        const char* name;
        std::function<void()> before;
        float direction;
        char axis;
        Point x, y, z, origin;
    } cases[] = {
        {"x from the start: the shortcut",
         [] {},
         1,
         'x',
         {1, 0, 0},
         {0, 0.965926f, 0.258819f},
         {0, -0.258819f, 0.965926f},
         {0, 0, 0}},
        {"y from the start",
         [] {},
         1,
         'y',
         {0.965926f, 0, -0.258819f},
         {0, 1, 0},
         {0.258819f, 0, 0.965926f},
         {0, 0, 0}},
        {"z about a displaced origin",
         [] { translate(5, 'x'); },
         1,
         'z',
         {5.965926f, 0.258819f, 0},
         {4.741181f, 0.965926f, 0},
         {5, 0, 1},
         {5, 0, 0}},
        {"x after a step about y: a general case",
         [] { localRotate(1, 'y'); },
         1,
         'x',
         {0.965926f, 0, -0.258819f},
         {0.066987f, 0.965926f, 0.25f},
         {0.25f, -0.258819f, 0.933013f},
         {0, 0, 0}},
        {"back and forth",
         [] {
             translate(-2, 'z');
             localRotate(1, 'y');
             localRotate(1, 'x');
         },
         -1,
         'x',
         {0.965926f, 0, -2.258819f},
         {0, 1, -2},
         {0.258819f, 0, -1.034074f},
         {0, 0, -2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        resetLocalFrame();
        StdoutCapture quiet;
        c.before();
        localRotate(c.direction, c.axis);
        expectPoint(localAxisX, c.x.x, c.x.y, c.x.z);
        expectPoint(localAxisY, c.y.x, c.y.y, c.y.z);
        expectPoint(localAxisZ, c.z.x, c.z.y, c.z.z);
        expectPoint(localOrigin, c.origin.x, c.origin.y, c.origin.z, 0);
    }
    // The shortcut is exactly the global step about x.
    resetLocalFrame();
    StdoutCapture quiet;
    localRotate(1.0f, 'x');
    const Point shortcutY = localAxisY;
    resetLocalFrame();
    rotate(1.0f, stepCosine(), stepSine(), 'x');
    expectPoint(shortcutY, localAxisY.x, localAxisY.y, localAxisY.z, 0);
}

// v turned by 15 degrees about the unit axis u (right-handed, Rodrigues).
Point turnedAbout(const double (&u)[3], const Point& v, double direction)
{
    const double c = std::cos(15 * M_PI / 180), s = direction * std::sin(15 * M_PI / 180);
    const double dot = u[0] * v.x + u[1] * v.y + u[2] * v.z;
    const double cross[3] = {u[1] * v.z - u[2] * v.y, u[2] * v.x - u[0] * v.z, u[0] * v.y - u[1] * v.x};
    const double w[3] = {v.x, v.y, v.z};
    float out[3] = {};
    for (int k = 0; k < 3; ++k)
        out[k] = static_cast<float>(w[k] * c + cross[k] * s + u[k] * dot * (1 - c));
    return {out[0], out[1], out[2]};
}

// After turns about global y and x the frame's x axis has three non-zero
// components; stretched to twice its length, it still gives only a direction.
// The step aligns that direction with z through both rotations, as the trace
// shows, and turns the other axes about it.
TEST_F(FrameTest, LocalRotationAboutAnObliqueAxisTurnsAboutThatAxis)
{
    StdoutCapture quiet;
    rotate(1.0f, stepCosine(), stepSine(), 'y');
    rotate(1.0f, stepCosine(), stepSine(), 'x');
    quiet.text();
    localAxisX = {2 * localAxisX.x, 2 * localAxisX.y, 2 * localAxisX.z};
    const Point axis = localAxisX, y = localAxisY, z = localAxisZ;
    const double length = std::sqrt(double(axis.x) * axis.x + double(axis.y) * axis.y + double(axis.z) * axis.z);
    const double u[3] = {axis.x / length, axis.y / length, axis.z / length};
    ASSERT_TRUE(std::fabs(u[0]) > 0.05 && std::fabs(u[1]) > 0.05 && std::fabs(u[2]) > 0.05);

    StdoutCapture out;
    localRotate(-1.0f, 'x');
    const std::string trace = out.text();
    char expectedLine[128];
    std::snprintf(expectedLine, sizeof expectedLine,
                  "\nLocalRotate z axis: length, a, b, c, d are: %f, %f, %f, %f. %f \n", length, u[0], u[1], u[2],
                  std::sqrt(u[1] * u[1] + u[2] * u[2]));
    EXPECT_NE(trace.find(expectedLine), std::string::npos) << trace;
    const std::size_t aligned = trace.find("after y rotation: xcoordinates (z): ");
    ASSERT_NE(aligned, std::string::npos) << trace;
    float ax = 1, ay = 1, az = 0;
    ASSERT_EQ(std::sscanf(trace.c_str() + aligned, "after y rotation: xcoordinates (z): %f, %f, %f", &ax, &ay, &az), 3);
    expectPoint({ax, ay, az}, 0, 0, 2, 2e-6f); // the axis on +z

    expectPoint(localAxisX, axis.x, axis.y, axis.z, 2e-6f);
    const Point turnedY = turnedAbout(u, y, -1), turnedZ = turnedAbout(u, z, -1);
    expectPoint(localAxisY, turnedY.x, turnedY.y, turnedY.z, 1e-6f);
    expectPoint(localAxisZ, turnedZ.x, turnedZ.y, turnedZ.z, 1e-6f);
}

TEST_F(FrameTest, UnknownOrDegenerateAxisChangesNothingAndPrintsNothing)
{
    localAxisY = {2.0f, 3.0f, 4.0f};
    localOrigin = {2.0f, 3.0f, 4.0f};
    StdoutCapture out;
    localRotate(1.0f, 'y'); // an axis of zero length
    localRotate(1.0f, 'X');
    EXPECT_EQ(out.text(), "");
    expectPoint(localOrigin, 2, 3, 4, 0);
}

} // namespace
