// The water mesh layout and the face normals.
#include "optics/caustics.h"
#include "optics/mesh.h"
#include "support/scene_reset.h"
#include "support/stdout_capture.h"
#include "water/water.h"

#include <cmath>
#include <random>
#include <sys/resource.h>

namespace {

using MeshTest = CoreTest;

void expectVertices(const WaterFace& f, int i0, int j0, int i1, int j1, int i2, int j2)
{
    EXPECT_EQ(f.i0, i0);
    EXPECT_EQ(f.j0, j0);
    EXPECT_EQ(f.i1, i1);
    EXPECT_EQ(f.j1, j1);
    EXPECT_EQ(f.i2, i2);
    EXPECT_EQ(f.j2, j2);
}

TEST_F(MeshTest, RecordHasNineteenFourByteFieldsInOrder)
{
    EXPECT_EQ(sizeof(WaterFace), 19u * 4u);
    EXPECT_EQ(offsetof(WaterFace, j0), 12u);
    EXPECT_EQ(offsetof(WaterFace, floorArea), 24u);
    EXPECT_EQ(offsetof(WaterFace, nx), 32u);
    EXPECT_EQ(offsetof(WaterFace, shade), 48u);
    EXPECT_EQ(offsetof(WaterFace, hitZ0), 64u);
}

TEST_F(MeshTest, BuildZeroesTheGridsAndPrintsBothCounts)
{
    heightField[3][4] = 9.0f;
    partnerField[63][63] = -2.0f;
    StdoutCapture out;
    buildWaterMesh();
    EXPECT_EQ(out.text(), "there are the number of faces: 7938\nthere are the number of faces: 3969\n");
    EXPECT_EQ(faceCount, 7938);
    EXPECT_EQ(heightField[3][4], 0.0f);
    EXPECT_EQ(partnerField[63][63], 0.0f);
}

TEST_F(MeshTest, FamiliesAAndBHaveTheirVertexOrders)
{
    expectVertices(faces[0], 0, 0, 1, 0, 0, 1);
    expectVertices(faces[3968], 62, 62, 63, 62, 62, 63);
    expectVertices(faces[3969], 0, 1, 1, 0, 1, 1);
    expectVertices(faces[7937], 62, 63, 63, 62, 63, 63);
    expectVertices(faces[63 * 10 + 7], 10, 7, 11, 7, 10, 8);
    expectVertices(faces[3969 + 63 * 10 + 6], 10, 7, 11, 6, 11, 7);
}

TEST_F(MeshTest, TheTwoFamiliesCoverEveryCellExactlyOnce)
{
    int halves[63][63] = {};
    for (int n = 0; n < faceCount; ++n) {
        const WaterFace& f = faces[n];
        const int i = std::min({f.i0, f.i1, f.i2});
        const int j = std::min({f.j0, f.j1, f.j2});
        ASSERT_LE(std::max({f.i0, f.i1, f.i2}), i + 1);
        ASSERT_LE(std::max({f.j0, f.j1, f.j2}), j + 1);
        ++halves[i][j];
    }
    for (const auto& row : halves)
        for (int count : row)
            ASSERT_EQ(count, 2);
    double area = 0;
    for (int n = 0; n < faceCount; ++n) {
        const WaterFace& f = faces[n];
        area += triangleArea({float(f.i0), 0, float(f.j0)}, {float(f.i1), 0, float(f.j1)}, {float(f.i2), 0, float(f.j2)});
    }
    EXPECT_DOUBLE_EQ(area, 63.0 * 63.0);
}

TEST_F(MeshTest, HitFieldsStartAsTheGridIndices)
{
    const WaterFace& f = faces[0];
    EXPECT_EQ(f.hitX0, 0.0f);
    EXPECT_EQ(f.hitX1, 1.0f);
    EXPECT_EQ(f.hitX2, 0.0f);
    EXPECT_EQ(f.hitZ0, 0.0f);
    EXPECT_EQ(f.hitZ1, 0.0f);
    EXPECT_EQ(f.hitZ2, 1.0f);
    EXPECT_EQ(faces[7937].hitZ0, 63.0f);
}

TEST_F(MeshTest, FlatWaterHasUpwardNormalsEverywhere)
{
    for (int n = 0; n < faceCount; ++n) {
        ASSERT_EQ(faces[n].nx, 0.0f) << n;
        ASSERT_EQ(faces[n].ny, 1.0f) << n;
        ASSERT_EQ(faces[n].nz, 0.0f) << n;
    }
}

TEST_F(MeshTest, ARaisedVertexTiltsTheFaceNormal)
{
    heightField[32][32] = 1.0f;
    computeFaceNormals();
    const WaterFace& f = faces[63 * 32 + 32]; // world (0,1,0), (1,0,0), (0,0,1)
    const float third = static_cast<float>(1 / std::sqrt(3.0));
    EXPECT_FLOAT_EQ(f.nx, third);
    EXPECT_FLOAT_EQ(f.ny, third);
    EXPECT_FLOAT_EQ(f.nz, third);
    // The family-B face on the other side of the same vertex leans the other way.
    const WaterFace& b = faces[3969 + 63 * 31 + 31]; // (31,32), (32,31), (32,32)
    EXPECT_LT(b.nx, 0.0f);
    EXPECT_LT(b.nz, 0.0f);
}

TEST_F(MeshTest, NormalsPointUpWithUnitLengthForAnyHeights)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> height(-40.0f, 40.0f);
    for (auto& row : heightField)
        for (float& h : row)
            h = height(random);
    computeFaceNormals();
    for (int n = 0; n < faceCount; ++n) {
        const WaterFace& f = faces[n];
        ASSERT_GT(f.ny, 0.0f) << n;
        ASSERT_NEAR(std::sqrt(double(f.nx) * f.nx + double(f.ny) * f.ny + double(f.nz) * f.nz), 1.0, 1e-6) << n;
    }
}

TEST(MeshDeathTest, AnUnallocatableMeshEndsTheProgramWithAMessage)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            rlimit limit{};
            getrlimit(RLIMIT_AS, &limit);
            limit.rlim_cur = 1u << 20; // less than this process already maps
            setrlimit(RLIMIT_AS, &limit);
            buildWaterMesh();
        },
        ::testing::ExitedWithCode(1), "out of memory for the 7938 faces");
}

} // namespace
