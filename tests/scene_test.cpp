// Load-time state and the scene reset.
#include "app/scene.h"
#include "frame/frame.h"
#include "frame/local_rotate.h"
#include "optics/mesh.h"
#include "support/probe_display.h"
#include "support/scene_reset.h"
#include "support/stdout_capture.h"
#include "water/drops.h"
#include "water/water.h"
#include "water/wave.h"

#include <cstdlib>

namespace {

using SceneTest = CoreTest;

void expectResetCamera()
{
    EXPECT_EQ(eyePos.x, 0.0f);
    EXPECT_EQ(eyePos.y, 0.0f);
    EXPECT_EQ(eyePos.z, 10.0f);
    EXPECT_EQ(camAzimuth, 0.0f);
    EXPECT_EQ(camElevation, 1.57f);
    EXPECT_EQ(camDistance, 10.0f);
    EXPECT_EQ(lookAtOrigin, 1.0f);
}

TEST_F(SceneTest, ResetPutsCameraAndFrameBackButKeepsTheWater)
{
    StdoutCapture out;
    localRotate(1.0f, 'y');
    translate(4.0f, 'z');
    vertices = static_cast<Vertex*>(std::malloc(3 * sizeof(Vertex)));
    vertexCount = 3;
    eyePos = {1, 2, 3};
    camAzimuth = 2.0f;
    camElevation = 0.3f;
    camDistance = 4.0f;
    lookAtOrigin = 0.0f;
    perspectiveMode = 0;
    burstMode = 1;
    wavePhase = 7.0f;
    tickCount = 99;
    heightField[3][3] = 5.0f;
    out.text();

    StdoutCapture resetOutput;
    resetScene();
    EXPECT_EQ(resetOutput.text(), "");
    expectResetCamera();
    EXPECT_EQ(vertices, nullptr);
    EXPECT_EQ(vertexCount, 0);
    EXPECT_EQ(localOrigin.z, 0.0f);
    EXPECT_EQ(localAxisX.x, 1.0f);
    EXPECT_EQ(localAxisX.z, 0.0f);
    EXPECT_EQ(localAxisY.y, 1.0f);
    EXPECT_EQ(localAxisZ.z, 1.0f);
    // Untouched by the reset.
    EXPECT_EQ(faceCount, 7938);
    EXPECT_NE(faces, nullptr);
    EXPECT_EQ(perspectiveMode, 0);
    EXPECT_EQ(burstMode, 1);
    EXPECT_EQ(wavePhase, 7.0f);
    EXPECT_EQ(tickCount, 99);
    EXPECT_EQ(heightField[3][3], 5.0f);
}

TEST_F(SceneTest, SecondResetIsHarmlessAndTheWaterStillRunsAndIsStillLit)
{
    resetScene();
    resetScene();
    expectResetCamera();
    EXPECT_EQ(faceCount, 7938);

    burstMode = 1;
    tickCount = 17;
    idle();
    ASSERT_EQ(framesSeen.size(), 1u);
    EXPECT_EQ(framesSeen[0].heights[32][32], -13.5f); // the worked tick's drops still land
    // The optics of the frame ran over the whole mesh after the reset.
    EXPECT_LT(faces[63 * 32 + 32].ny, 1.0f);
}

} // namespace
