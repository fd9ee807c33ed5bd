// Global-axis transforms of the local frame and the vertex list, with their traces.
#include "frame/frame.h"
#include "frame/local_rotate.h"
#include "support/expected_traces.h"
#include "support/scene_reset.h"
#include "support/stdout_capture.h"

#include <cstdlib>
#include <string>

namespace {

void expectPoint(const Point& p, float x, float y, float z, float tolerance = 1e-6f)
{
    EXPECT_NEAR(p.x, x, tolerance);
    EXPECT_NEAR(p.y, y, tolerance);
    EXPECT_NEAR(p.z, z, tolerance);
}

// Gives the object two vertices; resetLocalFrame releases them.
void giveTwoVertices()
{
    vertices = static_cast<Vertex*>(std::malloc(2 * sizeof(Vertex)));
    vertices[0] = {1.0f, 2.0f, 3.0f};
    vertices[1] = {-4.0f, 0.5f, 8.0f};
    vertexCount = 2;
}

using FrameTest = CoreTest;

TEST_F(FrameTest, TranslationMovesFrameAndVerticesAndReportsTheOrigin)
{
    giveTwoVertices();
    StdoutCapture out;
    translate(2.5f, 'y');
    EXPECT_EQ(out.text(), "Translation:0.000000, 2.500000, 0.000000\n");
    expectPoint(localOrigin, 0, 2.5f, 0, 0);
    expectPoint(localAxisX, 1, 2.5f, 0, 0);
    expectPoint(localAxisY, 0, 3.5f, 0, 0);
    expectPoint(localAxisZ, 0, 2.5f, 1, 0);
    expectPoint(vertices[0], 1, 4.5f, 3, 0);
    expectPoint(vertices[1], -4, 3.0f, 8, 0);
}

TEST_F(FrameTest, RotationAboutZTracesTheAxesBeforeAndAfter)
{
    StdoutCapture out;
    rotate(1.0f, stepCosine(), stepSine(), 'z');
    EXPECT_EQ(out.text(), rotateZFromStartTrace());
    expectPoint(localAxisZ, 0, 0, 1, 0);
    expectPoint(localOrigin, 0, 0, 0, 0);
}

TEST_F(FrameTest, NegativeDirectionTurnsBackButPrintsThePositiveSine)
{
    StdoutCapture out;
    rotate(-1.0f, stepCosine(), stepSine(), 'z');
    const std::string trace = out.text();
    EXPECT_EQ(trace.rfind("Rotate arguments: cosine and sine: 0.965926, 0.258819\n", 0), 0u);
    EXPECT_NE(trace.find("After Rotate: xcoordinates : 0.965926, -0.258819, 0.000000\n"), std::string::npos);
    expectPoint(localAxisX, 0.965926f, -0.258819f, 0);
}

TEST_F(FrameTest, QuarterTurnsFollowTheRightHandRule)
{
    StdoutCapture quiet;
    rotate(1.0f, 0.0f, 1.0f, 'x');
    expectPoint(localAxisY, 0, 0, 1, 0);
    expectPoint(localAxisZ, 0, -1, 0, 0);
    resetLocalFrame();
    rotate(1.0f, 0.0f, 1.0f, 'y');
    expectPoint(localAxisX, 0, 0, -1, 0);
    expectPoint(localAxisZ, 1, 0, 0, 0);
    resetLocalFrame();
    rotate(1.0f, 0.0f, 1.0f, 'z');
    expectPoint(localAxisX, 0, 1, 0, 0);
    expectPoint(localAxisY, -1, 0, 0, 0);
}

TEST_F(FrameTest, RotationTurnsADisplacedFrameAboutTheWorldOrigin)
{
    StdoutCapture quiet;
    translate(5.0f, 'x');
    rotate(1.0f, 0.0f, 1.0f, 'z');
    expectPoint(localOrigin, 0, 5, 0, 0);
    expectPoint(localAxisX, 0, 6, 0, 0);
}

TEST_F(FrameTest, UnnormalisedPairAlsoScalesAndVerticesTurnToo)
{
    giveTwoVertices();
    StdoutCapture quiet;
    rotate(1.0f, 2.0f, 0.0f, 'z');
    expectPoint(localAxisX, 2, 0, 0, 0);
    expectPoint(localAxisY, 0, 2, 0, 0);
    expectPoint(localAxisZ, 0, 0, 1, 0);
    expectPoint(vertices[0], 2, 4, 3, 0);
    expectPoint(vertices[1], -8, 1, 8, 0);
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
    expectPoint(vertices[0], 0, 0, 0, 0);
}

TEST_F(FrameTest, NonAxisCharacterMovesNothingButStillPrints)
{
    giveTwoVertices();
    StdoutCapture out;
    translate(3.0f, 'Y');
    rotate(1.0f, 0.0f, 1.0f, 'Z');
    EXPECT_EQ(out.text(), "Translation:0.000000, 0.000000, 0.000000\n"
                          "Rotate arguments: cosine and sine: 0.000000, 1.000000\n"
                          "Before Rotate: xcoordinates : 1.000000, 0.000000, 0.000000\n"
                          "Rotate: ycoordinates : 0.000000, 1.000000, 0.000000\n"
                          "Rotate: zcoordinates : 0.000000, 0.000000, 1.000000\n"
                          "\n"
                          "After Rotate: xcoordinates : 1.000000, 0.000000, 0.000000\n"
                          "Rotate: ycoordinates : 0.000000, 1.000000, 0.000000\n"
                          "Rotate: zcoordinates : 0.000000, 0.000000, 1.000000\n");
    expectPoint(vertices[0], 1, 2, 3, 0);
    expectPoint(localAxisX, 1, 0, 0, 0);
}

TEST_F(FrameTest, StepAngleIsFifteenDegreesInSinglePrecision)
{
    EXPECT_EQ(stepCosine(), 0.9659258f);
    EXPECT_EQ(stepSine(), 0.25881904f);
}

} // namespace
