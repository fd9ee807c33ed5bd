// The orbit camera, the zoom, the pick search and the switches of the keys,
// without a window.
#include "app/camera.h"
#include "app/scene.h"
#include "support/scene_reset.h"
#include "support/stdout_capture.h"
#include "water/drops.h"
#include "water/water.h"

#include <cmath>
#include <vector>

namespace {

using CameraTest = CoreTest;

TEST_F(CameraTest, StartEyeComesFromTheOrbitAngles)
{
    placeEyeOnOrbit();
    EXPECT_EQ(eyePos.x, 0.0f);
    EXPECT_FLOAT_EQ(eyePos.y, 7.0710678f);
    EXPECT_FLOAT_EQ(eyePos.z, 7.0710678f);
}

TEST_F(CameraTest, ElevationLimitsApplyTheFirstRuleThatHolds)
{
    const std::pair<float, float> cases[] = {
        {1.6f, 1.5607964f}, {3.2f, 3.13f}, {3.14f, 3.13f}, {-0.2f, 0.01f}, {0.0f, 0.01f}, {1.0f, 1.0f}};
    for (const auto& [before, after] : cases) {
        camElevation = before;
        clampElevation();
        EXPECT_EQ(camElevation, after) << before;
    }
}

TEST_F(CameraTest, OrbitTurnsOneDegreePerPixelAndMovesTheEye)
{
    orbitCamera(-90, 0); // dragged 90 pixels right of the last position: azimuth -90 degrees
    EXPECT_FLOAT_EQ(camAzimuth, static_cast<float>(-90 * 0.017453292));
    EXPECT_NEAR(eyePos.x, -7.0710678f, 1e-5f);
    EXPECT_NEAR(eyePos.z, 0.0f, 1e-5f);
    orbitCamera(0, 200); // 200 pixels up in one event passes 3.14: held below the floor
    EXPECT_EQ(camElevation, 3.13f);
    EXPECT_LT(eyePos.y, -9.9f);
    orbitCamera(0, 1); // still at or above 3.14 after one more degree: 3.13 again
    EXPECT_EQ(camElevation, 3.13f);
    orbitCamera(0, -1); // a degree back down: past the level, so just above the water
    EXPECT_EQ(camElevation, 1.5607964f);
}

TEST_F(CameraTest, ZoomScalesTheEyeAndStopsAtOneTenth)
{
    placeEyeOnOrbit();
    const Point start = eyePos;
    zoomCamera(100);
    EXPECT_FLOAT_EQ(camDistance, 25.0f);
    EXPECT_FLOAT_EQ(eyePos.y, start.y * 2.5f);
    EXPECT_FLOAT_EQ(eyePos.z, start.z * 2.5f);

    camDistance = 10.0f;
    placeEyeOnOrbit();
    for (int step = 0; step < 10; ++step)
        zoomCamera(10);
    EXPECT_FLOAT_EQ(camDistance, 25.0f);

    zoomCamera(-1000);
    EXPECT_EQ(camDistance, 0.1f);
}

TEST_F(CameraTest, AfterAResetAZoomMovesTheEyeAlongZ)
{
    resetScene();
    zoomCamera(-20); // nearer by 3
    EXPECT_EQ(eyePos.x, 0.0f);
    EXPECT_EQ(eyePos.y, 0.0f);
    EXPECT_FLOAT_EQ(eyePos.z, 7.0f);
}

TEST_F(CameraTest, AspectOfAWindowWithNoHeightIsItsWidth)
{
    windowWidth = 640;
    windowHeight = 0;
    EXPECT_EQ(perspectiveAspect(), 640.0);
    windowHeight = 480;
    EXPECT_FLOAT_EQ(static_cast<float>(perspectiveAspect()), 640.0f / 480.0f);
}

TEST_F(CameraTest, PickFindsTheFirstInteriorVertexStrictlyWithinFivePixels)
{
    // A projector that puts vertex (i, j) at window (10 i, 10 j), and fails
    // for the vertices of row 7 (behind the eye, say).
    std::vector<std::pair<int, int>> asked;
    const WindowProjector project = [&](Point p, double& winX, double& winY) {
        const int i = static_cast<int>(p.x) + gridCentre, j = static_cast<int>(p.z) + gridCentre;
        asked.push_back({i, j});
        winX = 10.0 * i;
        winY = 10.0 * j;
        return i != 7;
    };
    int i = -1, j = -1;
    ASSERT_TRUE(findPickedVertex(201, 304, project, i, j));
    EXPECT_EQ(i, 20);
    EXPECT_EQ(j, 30);
    EXPECT_EQ(asked.front(), (std::pair<int, int>{1, 1})); // interior only, row by row
    EXPECT_FALSE(findPickedVertex(205, 300, project, i, j)) << "5 pixels away is not within";
    EXPECT_FALSE(findPickedVertex(70, 70, project, i, j)) << "a failed projection is never a hit";
    EXPECT_FALSE(findPickedVertex(0, 0, project, i, j)) << "border vertices are not searched";
    EXPECT_TRUE(findPickedVertex(620, 620, project, i, j));
    EXPECT_EQ(i, 62);
}

TEST_F(CameraTest, PointerRowsCountUpFromTheViewportsBottom)
{
    EXPECT_EQ(pointerYUp(0, 0, 300), 299.0);
    EXPECT_EQ(pointerYUp(299, 0, 300), 0.0);
    EXPECT_EQ(pointerYUp(150, 0, 300), 149.0);
}

TEST_F(CameraTest, DropModesFormOneThreeStateSwitch)
{
    toggleBurstMode();
    EXPECT_EQ(burstMode, 1);
    toggleSprinkleMode();
    EXPECT_EQ(burstMode, 0);
    EXPECT_EQ(sprinkleMode, 1);
    toggleBurstMode();
    EXPECT_EQ(burstMode, 1);
    EXPECT_EQ(sprinkleMode, 0);
    toggleBurstMode();
    EXPECT_EQ(burstMode + sprinkleMode, 0);
    toggleSprinkleMode();
    toggleSprinkleMode();
    EXPECT_EQ(burstMode + sprinkleMode, 0);
}

TEST_F(CameraTest, LookAtToggleAndSplash)
{
    StdoutCapture out;
    toggleLookAt();
    toggleLookAt();
    EXPECT_EQ(out.text(), "ORIGIN is 0\nORIGIN is 1\n");
    EXPECT_EQ(lookAtOrigin, 1.0f);
    splashCentre();
    splashCentre(); // sets, does not add
    EXPECT_EQ(heightField[32][32], 20.0f);
}

} // namespace
