// The per-face arithmetic of a frame: intensity, surface shade, floor brightness and colour.
#include "optics/caustics.h"
#include "optics/mesh.h"
#include "optics/shading.h"
#include "support/probe_display.h"
#include "support/scene_reset.h"
#include "water/water.h"

#include <cmath>

namespace {

using ShadingTest = CoreTest;

const int centreFace = 63 * 32 + 32;

TEST_F(ShadingTest, FlatWaterIsUniformlyBlueAndLightsTheWholeFloor)
{
    computeFrameOptics();
    Colour colour{};
    for (int n = 0; n < faceCount; ++n) {
        ASSERT_EQ(faces[n].shade, 0.85f) << n;
        ASSERT_TRUE(floorColour(faces[n], colour)) << n;
    }
    EXPECT_NEAR(faces[centreFace].intensity, 0.9994f, 1e-4f);
    EXPECT_NEAR(faces[0].intensity, 0.977f, 1e-3f);

    floorColour(faces[centreFace], colour);
    EXPECT_NEAR(colour.red, 0.275f, 1e-3f);
    EXPECT_NEAR(colour.green, 0.325f, 1e-3f);
    EXPECT_NEAR(colour.blue, 0.425f, 1e-3f);
    floorColour(faces[0], colour);
    EXPECT_NEAR(colour.red, 0.269f, 1e-3f);
    EXPECT_NEAR(colour.green, 0.318f, 1e-3f);
    EXPECT_NEAR(colour.blue, 0.415f, 1e-3f);
}

TEST_F(ShadingTest, FloorTriangleIsDrawnWhenNormalTimesIntensityReachesOneFifth)
{
    WaterFace f{};
    f.ny = 1.0f;
    f.shade = 0.85f;
    Colour colour{};
    f.intensity = 0.5f;
    EXPECT_FLOAT_EQ(floorBrightness(f), 0.25f);
    EXPECT_TRUE(floorColour(f, colour));
    EXPECT_FLOAT_EQ(colour.blue, 0.25f * 0.85f);
    f.intensity = 0.2f;
    EXPECT_TRUE(floorColour(f, colour));
    f.intensity = 0.19f;
    EXPECT_FALSE(floorColour(f, colour));
    f.ny = 0.5f;
    f.intensity = 0.39f;
    EXPECT_FALSE(floorColour(f, colour));
}

TEST_F(ShadingTest, InfiniteAndNaNBrightnessFallOutOfTheTest)
{
    WaterFace f{};
    f.ny = 1.0f;
    Colour colour{};
    f.intensity = INFINITY; // a floor triangle of no area: drawn, OpenGL clamps the colour
    EXPECT_TRUE(floorColour(f, colour));
    f.intensity = NAN;
    EXPECT_FALSE(floorColour(f, colour));
    f.intensity = 0.0f;
    EXPECT_FALSE(floorColour(f, colour));
}

TEST_F(ShadingTest, FacesWithNonFiniteFloorsAreNeverDrawn)
{
    heightField[32][32] = 10.0f; // on the light
    heightField[8][8] = NAN;
    heightField[50][50] = -INFINITY;
    computeFrameOptics();
    Colour colour{};
    for (int n : {centreFace, 63 * 8 + 8, 63 * 50 + 50, 63 * 49 + 50})
        EXPECT_FALSE(floorColour(faces[n], colour)) << n;
    EXPECT_TRUE(floorColour(faces[63 * 20 + 20], colour));
}

TEST_F(ShadingTest, LightFactorUsesTruncatedMagnitudesOfTheLight)
{
    WaterFace f{};
    f.nx = 0.6f;
    f.ny = 0.8f;
    f.intensity = 1.0f;
    lightPos = {-2.7f, 10.9f, 0.0f};
    // B = |trunc(-2.7)| * 0.6 + |trunc(10.9)| * 0.8 = 1.2 + 8 = 9.2, b = 9.2 / 20
    EXPECT_FLOAT_EQ(floorBrightness(f), 0.46f);
}

TEST_F(ShadingTest, ARippleFocusesSomeLightAndSpreadsSomeTooThinToDraw)
{
    heightField[32][32] = 2.0f;
    for (int step = 0; step < 6; ++step)
        rippleStep();
    float lowest = INFINITY, highest = 0;
    int drawn = 0;
    Colour colour{};
    for (int n = 0; n < faceCount; ++n) {
        lowest = std::fmin(lowest, faces[n].intensity);
        highest = std::fmax(highest, faces[n].intensity);
        drawn += floorColour(faces[n], colour);
    }
    EXPECT_GT(highest, 1.1f); // focused: brighter than anywhere on flat water
    EXPECT_LT(lowest, 0.2f);
    EXPECT_LT(drawn, faceCount);
    EXPECT_GT(drawn, faceCount - 100);
}

TEST_F(ShadingTest, SurfaceCornersFollowTheGridToWorldMapping)
{
    heightField[40][7] = 2.5f;
    const WaterFace& f = faces[63 * 40 + 7];
    const Point p0 = surfaceCorner(f, 0), p1 = surfaceCorner(f, 1), p2 = surfaceCorner(f, 2);
    EXPECT_EQ(p0.x, 8.0f);
    EXPECT_EQ(p0.y, 2.5f);
    EXPECT_EQ(p0.z, -25.0f);
    EXPECT_EQ(p1.x, 9.0f);
    EXPECT_EQ(p2.z, -24.0f);
    computeCaustics();
    const Point q1 = floorCorner(f, 1);
    EXPECT_EQ(q1.x, f.hitX1);
    EXPECT_EQ(q1.y, -10.0f);
    EXPECT_EQ(q1.z, f.hitZ1);
}

} // namespace
