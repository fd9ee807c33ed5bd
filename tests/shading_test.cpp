// The per-face arithmetic of a frame: intensity, surface shade, floor brightness and colour.
#include "optics/caustics.h"
#include "optics/mesh.h"
#include "optics/shading.h"
#include "support/probe_display.h"
#include "support/scene_reset.h"
#include "water/water.h"

#include <cmath>
#include <set>

namespace {

using ShadingTest = CoreTest;

const int centreFace = 63 * 32 + 32;

// The faces whose floor triangles the current frame draws.
std::set<int> drawnFaces()
{
    std::set<int> drawn;
    for (int n = 0; n < floorTriangleCount; ++n)
        drawn.insert(floorTriangles[n].face);
    return drawn;
}

TEST_F(ShadingTest, FlatWaterIsUniformlyBlueAndLightsTheWholeFloor)
{
    computeFrameOptics();
    for (int n = 0; n < faceCount; ++n)
        ASSERT_EQ(faces[n].shade, 0.85f) << n;
    ASSERT_EQ(floorTriangleCount, faceCount);
    for (int n = 0; n < floorTriangleCount; ++n)
        ASSERT_EQ(floorTriangles[n].face, n); // in face order
    EXPECT_NEAR(faces[centreFace].intensity, 0.9994f, 1e-4f);
    EXPECT_NEAR(faces[0].intensity, 0.977f, 1e-3f);

    const Colour centre = floorTriangles[centreFace].colour;
    EXPECT_NEAR(centre.red, 0.275f, 1e-3f);
    EXPECT_NEAR(centre.green, 0.325f, 1e-3f);
    EXPECT_NEAR(centre.blue, 0.425f, 1e-3f);
    const Colour corner = floorTriangles[0].colour;
    EXPECT_NEAR(corner.red, 0.269f, 1e-3f);
    EXPECT_NEAR(corner.green, 0.318f, 1e-3f);
    EXPECT_NEAR(corner.blue, 0.415f, 1e-3f);
}

TEST_F(ShadingTest, FloorTriangleIsDrawnWhenNormalTimesIntensityReachesOneFifth)
{
    const float level = lightFactor(0, 10, 0, 0.0f, 1.0f, 0.0f); // default light, level face
    EXPECT_EQ(level, 10.0f);
    EXPECT_FLOAT_EQ(floorBrightness(level, 0.5f), 0.25f);
    EXPECT_TRUE(floorTriangleDrawn(floorBrightness(level, 0.5f)));
    EXPECT_TRUE(floorTriangleDrawn(floorBrightness(level, 0.2f)));
    EXPECT_FALSE(floorTriangleDrawn(floorBrightness(level, 0.19f)));
    EXPECT_FALSE(floorTriangleDrawn(floorBrightness(lightFactor(0, 10, 0, 0.0f, 0.5f, 0.0f), 0.39f)));
    const Colour colour = floorColour(0.25f, 0.85f);
    EXPECT_FLOAT_EQ(colour.red, 0.1375f);
    EXPECT_FLOAT_EQ(colour.green, 0.1625f);
    EXPECT_FLOAT_EQ(colour.blue, 0.2125f);
    EXPECT_FLOAT_EQ(surfaceShade(10.0f), 0.85f);
    EXPECT_FLOAT_EQ(surfaceShade(5.0f), 0.425f);
}

TEST_F(ShadingTest, InfiniteAndNaNBrightnessFallOutOfTheTest)
{
    // A floor triangle of no area: infinitely bright, drawn (OpenGL clamps the colour).
    EXPECT_TRUE(floorTriangleDrawn(floorBrightness(10.0f, INFINITY)));
    EXPECT_FALSE(floorTriangleDrawn(floorBrightness(10.0f, NAN)));
    EXPECT_FALSE(floorTriangleDrawn(floorBrightness(10.0f, 0.0f)));
    EXPECT_FALSE(floorTriangleDrawn(floorBrightness(NAN, 1.0f)));
}

TEST_F(ShadingTest, FacesWithNonFiniteFloorsAreNeverDrawn)
{
    heightField[32][32] = 10.0f; // on the light
    heightField[8][8] = NAN;
    heightField[50][50] = -INFINITY;
    computeFrameOptics();
    const std::set<int> drawn = drawnFaces();
    for (int n : {centreFace, 63 * 8 + 8, 63 * 50 + 50, 63 * 49 + 50})
        EXPECT_EQ(drawn.count(n), 0u) << n;
    EXPECT_EQ(drawn.count(63 * 20 + 20), 1u);
}

TEST_F(ShadingTest, LightFactorUsesTruncatedMagnitudesOfTheLight)
{
    lightPos = {-2.7f, 10.9f, 0.4f};
    heightField[20][20] = 0.3f; // tilts the six faces around (20, 20) in x and z
    computeFrameOptics();
    int telling = 0; // faces whose colour would differ without the truncation
    for (int n = 0; n < floorTriangleCount; ++n) {
        const WaterFace& f = faces[floorTriangles[n].face];
        const float b = floorBrightness(lightFactor(2, 10, 0, f.nx, f.ny, f.nz), f.intensity);
        ASSERT_EQ(floorTriangles[n].colour.red, floorColour(b, f.shade).red) << floorTriangles[n].face;
        const float untruncated = floorBrightness(lightFactor(2.7, 10.9, 0.4, f.nx, f.ny, f.nz), f.intensity);
        telling += floorColour(untruncated, f.shade).red != floorColour(b, f.shade).red;
    }
    EXPECT_EQ(telling, floorTriangleCount);
}

TEST_F(ShadingTest, ARippleFocusesSomeLightAndSpreadsSomeTooThinToDraw)
{
    heightField[32][32] = 2.0f;
    for (int step = 0; step < 6; ++step)
        rippleStep();
    float lowest = INFINITY, highest = 0;
    for (int n = 0; n < faceCount; ++n) {
        lowest = std::fmin(lowest, faces[n].intensity);
        highest = std::fmax(highest, faces[n].intensity);
    }
    EXPECT_GT(highest, 1.1f); // focused: brighter than anywhere on flat water
    EXPECT_LT(lowest, 0.2f);
    EXPECT_LT(floorTriangleCount, faceCount);
    EXPECT_GT(floorTriangleCount, faceCount - 100);
}

TEST_F(ShadingTest, IntensityIsSurfaceAreaOverFloorArea)
{
    heightField[12][40] = 3.0f;
    heightField[13][41] = -2.0f;
    computeFrameOptics();
    for (int n : {63 * 12 + 40, 63 * 12 + 39, familyBStart + 63 * 12 + 40, familyBStart + 63 * 11 + 40}) {
        const WaterFace& f = faces[n];
        const float surface = triangleArea(surfaceCorner(f, 0), surfaceCorner(f, 1), surfaceCorner(f, 2));
        EXPECT_EQ(f.intensity, surface / f.floorArea) << n;
        EXPECT_EQ(f.floorArea, triangleArea(floorCorner(f, 0), floorCorner(f, 1), floorCorner(f, 2))) << n;
        EXPECT_EQ(f.shade, surfaceShade(f.lightDot)) << n;
    }
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
