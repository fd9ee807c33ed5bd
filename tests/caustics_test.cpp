// Refraction of the light through the faces onto the floor.
#include "optics/caustics.h"
#include "optics/mesh.h"
#include "support/scene_reset.h"
#include "water/water.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

using CausticsTest = CoreTest;

int familyA(int i, int j)
{
    return 63 * i + j;
}

TEST_F(CausticsTest, TriangleAreaIsHalfTheCrossProduct)
{
    EXPECT_EQ(triangleArea({0, 0, 0}, {1, 0, 0}, {0, 0, 1}), 0.5f);
    EXPECT_EQ(triangleArea({0, 0, 0}, {1, 1, 1}, {3, 3, 3}), 0.0f);
    const Point a{1.5f, -2, 0.25f}, b{4, 7, -1}, c{-3, 0.5f, 2};
    const float area = triangleArea(a, b, c);
    EXPECT_GT(area, 0.0f);
    EXPECT_FLOAT_EQ(triangleArea(b, c, a), area);
    EXPECT_FLOAT_EQ(triangleArea(c, b, a), area);
    EXPECT_FLOAT_EQ(triangleArea(a, c, b), area);
}

TEST_F(CausticsTest, FlatWaterMirrorsVerticesThroughTheCentreSlightlyMagnified)
{
    computeCaustics();
    for (int n = 0; n < faceCount; ++n)
        ASSERT_EQ(faces[n].lightDot, 10.0f) << n;

    const WaterFace& centre = faces[familyA(32, 32)]; // world (0,0,0), (1,0,0), (0,0,1)
    EXPECT_EQ(centre.hitX0, 0.0f);
    EXPECT_EQ(centre.hitZ0, 0.0f);
    EXPECT_NEAR(centre.hitX1, -1.00028f, 1e-5f);
    EXPECT_NEAR(centre.hitZ1, 0.0f, 1e-7f);
    EXPECT_NEAR(centre.hitX2, 0.0f, 1e-7f);
    EXPECT_NEAR(centre.hitZ2, -1.00028f, 1e-5f);
    EXPECT_NEAR(centre.floorArea, 0.50028f, 1e-5f);

    const WaterFace& corner = faces[0]; // world (-32,0,-32), (-31,0,-32), (-32,0,-31)
    EXPECT_NEAR(corner.hitX0, 32.192f, 1e-3f);
    EXPECT_NEAR(corner.hitZ0, 32.192f, 1e-3f);
    EXPECT_NEAR(corner.hitX1, 31.181f, 1e-3f);
    EXPECT_NEAR(corner.hitZ1, 32.186f, 1e-3f);
    EXPECT_NEAR(corner.hitX2, 32.186f, 1e-3f);
    EXPECT_NEAR(corner.hitZ2, 31.181f, 1e-3f);
    EXPECT_NEAR(corner.floorArea, 0.5116f, 1e-4f);
}

TEST_F(CausticsTest, TiltedFaceSendsItsRayThroughTheOrigin)
{
    heightField[32][32] = 1.0f; // face 2048 gets the normal (1,1,1)/sqrt 3
    computeCaustics();
    const WaterFace& f = faces[familyA(32, 32)];
    EXPECT_NEAR(f.lightDot, 10 / std::sqrt(3.0), 1e-5);
    // R is about (-0.6666, 0.3337, -0.6666): positive y, so scaling it to the
    // floor flips its horizontal direction.
    EXPECT_NEAR(f.hitX0, 19.975f, 2e-3f);
    EXPECT_NEAR(f.hitZ0, 19.975f, 2e-3f);
}

TEST_F(CausticsTest, VertexBelowTheLightOnALevelFaceLandsAtTheOrigin)
{
    for (int i = 30; i <= 34; ++i)
        for (int j = 30; j <= 34; ++j)
            heightField[i][j] = -3.5f;
    computeCaustics();
    const WaterFace& f = faces[familyA(32, 32)];
    EXPECT_EQ(f.ny, 1.0f);
    EXPECT_EQ(f.hitX0, 0.0f);
    EXPECT_EQ(f.hitZ0, 0.0f);
}

TEST_F(CausticsTest, GrazingLightIsBentIntoTheFacePlaneNotLost)
{
    heightField[33][32] = 50.0f; // face 2048 stands almost upright: |t| is about 0.02
    computeCaustics();
    const WaterFace& f = faces[familyA(32, 32)];
    ASSERT_LT(std::fabs(f.ny), 0.0235f);
    ASSERT_TRUE(std::isfinite(f.hitX0) && std::isfinite(f.hitZ0));
    // The floor point lies along R from the origin, and R lies in the face's plane.
    const double along = f.hitX0 * double(f.nx) + floorY * double(f.ny) + f.hitZ0 * double(f.nz);
    const double length = std::sqrt(double(f.hitX0) * f.hitX0 + double(floorY) * floorY + double(f.hitZ0) * f.hitZ0);
    EXPECT_NEAR(along / length, 0.0, 1e-4);
}

TEST_F(CausticsTest, VertexOnTheLightOrNonFiniteHeightsGiveNonFiniteFloorTriangles)
{
    heightField[32][32] = 10.0f; // the vertex (0, 10, 0) is the light itself
    heightField[10][10] = NAN;
    heightField[50][20] = INFINITY;
    computeCaustics();
    EXPECT_TRUE(std::isnan(faces[familyA(32, 32)].hitX0));
    EXPECT_FALSE(std::isfinite(faces[familyA(32, 32)].floorArea));
    EXPECT_TRUE(std::isnan(faces[familyA(10, 10)].floorArea));
    EXPECT_FALSE(std::isfinite(faces[familyA(50, 20)].floorArea));
    EXPECT_TRUE(std::isfinite(faces[familyA(20, 50)].floorArea));
}

TEST_F(CausticsTest, RepeatedComputationIsBitIdentical)
{
    heightField[12][40] = 15.0f;
    heightField[40][12] = -7.25f;
    computeCaustics();
    std::vector<WaterFace> first(faces, faces + faceCount);
    computeCaustics();
    EXPECT_EQ(std::memcmp(first.data(), faces, sizeof(WaterFace) * faceCount), 0);
}

} // namespace
