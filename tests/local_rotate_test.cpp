// Rotation about one of the local frame's own axes.
#include "frame/frame.h"
#include "frame/local_rotate.h"
#include "support/expected_traces.h"
#include "support/scene_reset.h"
#include "support/stdout_capture.h"

#include <string>

namespace {

void expectPoint(const Point& p, float x, float y, float z, float tolerance = 2e-6f)
{
    EXPECT_NEAR(p.x, x, tolerance);
    EXPECT_NEAR(p.y, y, tolerance);
    EXPECT_NEAR(p.z, z, tolerance);
}

void expectSamePoint(const Point& a, const Point& b)
{
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(a.z, b.z);
}

using LocalRotateTest = CoreTest;

TEST_F(LocalRotateTest, GeneralCaseTraceAboutZFromTheStart)
{
    StdoutCapture out;
    localRotate(1.0f, 'z');
    EXPECT_EQ(out.text(), localRotateZFromStartTrace());
    expectPoint(localAxisX, 0.965926f, 0.258819f, 0);
    expectPoint(localAxisY, -0.258819f, 0.965926f, 0);
}

TEST_F(LocalRotateTest, AxisAlongGlobalXTakesTheShortcut)
{
    StdoutCapture out;
    localRotate(1.0f, 'x');
    const std::string trace = out.text();
    EXPECT_EQ(trace.find("LocalRotate z axis"), std::string::npos);
    EXPECT_EQ(trace.find("localRotate after"), std::string::npos);

    const Point shortcutY = localAxisY, shortcutZ = localAxisZ;
    resetLocalFrame();
    StdoutCapture quiet;
    rotate(1.0f, stepCosine(), stepSine(), 'x');
    expectSamePoint(shortcutY, localAxisY);
    expectSamePoint(shortcutZ, localAxisZ);
    expectPoint(localAxisY, 0, 0.965926f, 0.258819f);
    expectPoint(localAxisZ, 0, -0.258819f, 0.965926f);
}

TEST_F(LocalRotateTest, StepAboutYMatchesAGlobalStepAndKeepsTheAxis)
{
    StdoutCapture out;
    localRotate(1.0f, 'y');
    EXPECT_NE(out.text().find("\nLocalRotate z axis: length, a, b, c, d are: 1.000000, 0.000000, 1.000000, "
                              "0.000000. 1.000000 \n"),
              std::string::npos);
    expectPoint(localAxisX, 0.965926f, 0, -0.258819f);
    expectPoint(localAxisY, 0, 1, 0);
    expectPoint(localAxisZ, 0.258819f, 0, 0.965926f);
}

TEST_F(LocalRotateTest, TurnsAboutTheFramesOwnOriginAndRestoresItExactly)
{
    StdoutCapture quiet;
    translate(5.0f, 'x');
    localRotate(1.0f, 'z');
    expectSamePoint(localOrigin, Point{5.0f, 0.0f, 0.0f});
    expectPoint(localAxisX, 5.965926f, 0.258819f, 0);
    expectPoint(localAxisY, 4.741181f, 0.965926f, 0);
    expectPoint(localAxisZ, 5, 0, 1);
}

TEST_F(LocalRotateTest, SixTranslationLinesWalkTheOriginAwayAndBack)
{
    StdoutCapture setUp;
    translate(1.0f, 'x');
    translate(2.0f, 'y');
    translate(3.0f, 'z');
    setUp.text();

    StdoutCapture out;
    localRotate(-1.0f, 'y');
    std::string lines;
    const std::string trace = out.text();
    for (std::size_t at = trace.find("Translation:"); at != std::string::npos; at = trace.find("Translation:", at + 1))
        lines += trace.substr(at, trace.find('\n', at) - at + 1);
    EXPECT_EQ(lines, "Translation:0.000000, 2.000000, 3.000000\n"
                     "Translation:0.000000, 0.000000, 3.000000\n"
                     "Translation:0.000000, 0.000000, 0.000000\n"
                     "Translation:0.000000, 0.000000, 3.000000\n"
                     "Translation:0.000000, 2.000000, 3.000000\n"
                     "Translation:1.000000, 2.000000, 3.000000\n");
}

TEST_F(LocalRotateTest, ChosenAxisStaysPutAcrossSuccessiveSteps)
{
    StdoutCapture quiet;
    localRotate(1.0f, 'y');
    localRotate(1.0f, 'x'); // now a general case: the x axis is tilted out of the xy plane
    expectPoint(localAxisX, 0.965926f, 0, -0.258819f);
    expectPoint(localAxisY, 0.066987f, 0.965926f, 0.25f);
    expectPoint(localAxisZ, 0.25f, -0.258819f, 0.933013f);
}

TEST_F(LocalRotateTest, OppositeStepsReturnTheFrame)
{
    StdoutCapture quiet;
    translate(-2.0f, 'z');
    localRotate(1.0f, 'y');
    localRotate(1.0f, 'z');
    const Point x = localAxisX, y = localAxisY, z = localAxisZ, o = localOrigin;
    localRotate(1.0f, 'x');
    localRotate(-1.0f, 'x');
    expectPoint(localAxisX, x.x, x.y, x.z);
    expectPoint(localAxisY, y.x, y.y, y.z);
    expectPoint(localAxisZ, z.x, z.y, z.z);
    expectSamePoint(localOrigin, o);
}

TEST_F(LocalRotateTest, UnknownAxisOrDegenerateAxisChangesNothingAndPrintsNothing)
{
    localAxisY = {2.0f, 3.0f, 4.0f};
    localOrigin = {2.0f, 3.0f, 4.0f};
    StdoutCapture out;
    localRotate(1.0f, 'y'); // axis of zero length
    localRotate(1.0f, 'X');
    localRotate(1.0f, '\0');
    EXPECT_EQ(out.text(), "");
    expectSamePoint(localAxisX, Point{1.0f, 0.0f, 0.0f});
    expectSamePoint(localAxisY, Point{2.0f, 3.0f, 4.0f});
    expectSamePoint(localAxisZ, Point{0.0f, 0.0f, 1.0f});
    expectSamePoint(localOrigin, Point{2.0f, 3.0f, 4.0f});
}

} // namespace
