// Extreme water: huge, infinite, NaN and denormal heights, a vertex on the
// light, floor triangles of no area. The optics must run through every face
// without a crash or undefined behaviour (the sanitized run checks that), and
// faces whose values are not finite never reach the floor.
#include "optics/caustics.h"
#include "optics/mesh.h"
#include "optics/shading.h"
#include "support/scene_reset.h"
#include "water/drops.h"
#include "water/water.h"

#include <cmath>
#include <limits>
#include <random>
#include <set>

namespace {

using HostileHeightsTest = CoreTest;

const float hostileValues[] = {std::numeric_limits<float>::quiet_NaN(),
                               std::numeric_limits<float>::infinity(),
                               -std::numeric_limits<float>::infinity(),
                               std::numeric_limits<float>::max(),
                               -std::numeric_limits<float>::max(),
                               1e30f,
                               -1e19f,
                               std::numeric_limits<float>::denorm_min(),
                               -1e-40f,
                               10.0f, // a vertex at (0, 10, 0) sits on the light
                               0.0f};

bool finiteFace(const WaterFace& f)
{
    for (float v : {f.nx, f.ny, f.nz, f.hitX0, f.hitX1, f.hitX2, f.hitZ0, f.hitZ1, f.hitZ2, f.floorArea, f.intensity})
        if (!std::isfinite(v))
            return false;
    return true;
}

// Checks one frame: every drawn floor triangle comes from a face with finite
// corners and a finite, positive brightness; the face list is in order.
void expectSaneFrame(unsigned seed)
{
    computeFrameOptics();
    int previous = -1;
    for (int n = 0; n < floorTriangleCount; ++n) {
        const int face = floorTriangles[n].face;
        ASSERT_GT(face, previous) << "seed " << seed;
        previous = face;
        const WaterFace& f = faces[face];
        ASSERT_TRUE(std::isfinite(f.hitX0) && std::isfinite(f.hitX1) && std::isfinite(f.hitX2)) << "seed " << seed;
        ASSERT_TRUE(std::isfinite(f.hitZ0) && std::isfinite(f.hitZ1) && std::isfinite(f.hitZ2)) << "seed " << seed;
        ASSERT_FALSE(std::isnan(f.intensity)) << "seed " << seed;
        const Colour c = floorTriangles[n].colour;
        ASSERT_FALSE(std::isnan(c.red) || std::isnan(c.green)) << "seed " << seed;
    }
}

TEST_F(HostileHeightsTest, RandomFieldsOfExtremeValuesNeverCrashOrDrawNonFiniteFloors)
{
    std::mt19937 random(2024);
    std::uniform_int_distribution<int> pick(0, std::size(hostileValues) - 1);
    std::uniform_real_distribution<float> ordinary(-25.0f, 25.0f);
    for (unsigned field = 0; field < 60; ++field) {
        const int hostileShare = 1 + static_cast<int>(field % 6) * 4; // 1 in 1 .. 1 in 21 cells
        for (auto& row : heightField)
            for (float& h : row)
                h = random() % hostileShare == 0 ? hostileValues[pick(random)] : ordinary(random);
        expectSaneFrame(field);
        // The ripple step carries such values on without trouble, too.
        rippleStep();
    }
}

TEST_F(HostileHeightsTest, NonFiniteFacesFailTheFloorTest)
{
    heightField[10][10] = std::numeric_limits<float>::quiet_NaN();
    heightField[40][40] = std::numeric_limits<float>::infinity();
    heightField[20][50] = -std::numeric_limits<float>::infinity();
    heightField[32][32] = 10.0f;
    computeFrameOptics();
    std::set<int> drawn;
    for (int n = 0; n < floorTriangleCount; ++n)
        drawn.insert(floorTriangles[n].face);
    int nonFinite = 0;
    for (int n = 0; n < faceCount; ++n) {
        if (finiteFace(faces[n]))
            continue;
        ++nonFinite;
        EXPECT_EQ(drawn.count(n), 0u) << n;
    }
    EXPECT_GE(nonFinite, 4 * 6 - 3); // each value spoils the faces around its vertex
}

TEST_F(HostileHeightsTest, FloorTrianglesOfNoAreaAreInfinitelyBrightAndStillDrawn)
{
    // With the floor at the height of the origin every refracted ray reaches it
    // at once: all floor points coincide and every floor triangle has no area.
    floorY = 0.0f;
    heightField[30][30] = 2.0f;
    computeFrameOptics();
    EXPECT_EQ(floorTriangleCount, faceCount);
    for (int n = 0; n < faceCount; ++n) {
        ASSERT_EQ(faces[n].floorArea, 0.0f) << n;
        ASSERT_TRUE(std::isinf(faces[n].intensity)) << n;
        ASSERT_TRUE(std::isinf(floorTriangles[n].colour.red)) << n; // OpenGL clamps it
    }
}

TEST_F(HostileHeightsTest, DenormalHeightsBehaveLikeTinyOnes)
{
    for (auto& row : heightField)
        for (float& h : row)
            h = std::numeric_limits<float>::denorm_min();
    heightField[5][5] = -std::numeric_limits<float>::denorm_min();
    computeFrameOptics();
    EXPECT_EQ(floorTriangleCount, faceCount);
    for (int n = 0; n < faceCount; ++n)
        ASSERT_TRUE(finiteFace(faces[n])) << n;
}

} // namespace
