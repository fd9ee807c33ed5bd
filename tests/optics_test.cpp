// The optics: the mesh and its normals, the caustics, the frame's colours, and
// the vectorised frame against the plain transcription kept with the benchmarks.
#include "optics/caustics.h"
#include "optics/face_sweep.h"
#include "optics/mesh.h"
#include "optics/shading.h"
#include "support.h"
#include "tests/baseline_frame.h"
#include "water/drops.h"
#include "water/wave.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <sys/resource.h>

namespace {

using OpticsTest = CoreTest;
const int centreFace = 63 * 32 + 32; // family A, world (0,0,0), (1,0,0), (0,0,1)

TEST_F(OpticsTest, BuildZeroesTheGridsAndLaysOutBothFamilies)
{
    heightField[3][4] = 9.0f;
    partnerField[63][63] = -2.0f;
    StdoutCapture out;
    buildWaterMesh();
    EXPECT_EQ(out.text(), "there are the number of faces: 7938\nthere are the number of faces: 3969\n");
    ASSERT_EQ(faceCount, 7938);
    EXPECT_EQ(heightField[3][4], 0.0f);
    EXPECT_EQ(partnerField[63][63], 0.0f);
    const int layout[][7] = {// face, then (i, j) of vertices 0, 1, 2
                             {0, 0, 0, 1, 0, 0, 1},
                             {3968, 62, 62, 63, 62, 62, 63},
                             {3969, 0, 1, 1, 0, 1, 1},
                             {7937, 62, 63, 63, 62, 63, 63}};
    for (const auto& row : layout) {
        const WaterFace& f = faces[row[0]];
        EXPECT_EQ((std::vector<int>{f.i0, f.j0, f.i1, f.j1, f.i2, f.j2}), std::vector<int>(row + 1, row + 7)) << row[0];
    }
    // Each grid cell holds exactly two faces, split along the diagonal from
    // (i+1, j) to (i, j+1): one lacks the corner (i, j), the other (i+1, j+1).
    int halves[63][63][2] = {};
    for (int n = 0; n < faceCount; ++n) {
        const WaterFace& f = faces[n];
        const int i = std::min({f.i0, f.i1, f.i2}), j = std::min({f.j0, f.j1, f.j2});
        unsigned corners = 0; // bit di + 2 dj for each vertex (i + di, j + dj)
        for (auto [vi, vj] : {std::pair{f.i0, f.j0}, {f.i1, f.j1}, {f.i2, f.j2}})
            corners |= vi - i <= 1 && vj - j <= 1 ? 1u << (vi - i + 2 * (vj - j)) : 16u;
        ASSERT_TRUE(corners == 14u || corners == 7u) << n;
        ++halves[i][j][corners == 7u];
    }
    for (const auto& row : halves)
        for (const auto& cell : row)
            ASSERT_TRUE(cell[0] == 1 && cell[1] == 1);
}

TEST_F(OpticsTest, ARaisedVertexTiltsTheFaceNormal)
{
    heightField[32][32] = 1.0f; // face 2048 becomes (0,1,0), (1,0,0), (0,0,1)
    computeFaceNormals();
    expectPoint({faces[centreFace].nx, faces[centreFace].ny, faces[centreFace].nz}, 0.57735027f, 0.57735027f,
                0.57735027f, 1e-7f);
}

// The floor points (x, z) of the three vertices, then the floor area.
void expectFloor(const WaterFace& f, std::array<float, 7> expected, float tolerance)
{
    const float actual[] = {f.hitX0, f.hitZ0, f.hitX1, f.hitZ1, f.hitX2, f.hitZ2, f.floorArea};
    for (int k = 0; k < 7; ++k)
        EXPECT_NEAR(actual[k], expected[k], tolerance) << k;
}

TEST_F(OpticsTest, FlatWaterMirrorsVerticesThroughTheCentreSlightlyMagnified)
{
    computeCaustics();
    for (int n = 0; n < faceCount; ++n)
        ASSERT_EQ(faces[n].lightDot, 10.0f) << n;
    expectFloor(faces[centreFace], {0, 0, -1.00028f, 0, 0, -1.00028f, 0.50028f}, 1e-5f);
    EXPECT_EQ(faces[centreFace].hitX0, 0.0f); // straight below the light: exactly the origin
    // triangleArea itself, on points with all three coordinates apart:
    // |(2.5, 9, -1.25) x (-4.5, 2.5, 1.75)| / 2.
    EXPECT_NEAR(triangleArea({1.5f, -2, 0.25f}, {4, 7, -1}, {-3, 0.5f, 2}), 25.21602f, 1e-4f);
    // Face 0, world (-32,0,-32), (-31,0,-32), (-32,0,-31).
    expectFloor(faces[0], {32.192f, 32.192f, 31.181f, 32.186f, 32.186f, 31.181f, 0.5116f}, 1e-3f);
}

TEST_F(OpticsTest, TiltedFacesBendTheLight)
{
    heightField[32][32] = 1.0f; // face 2048 gets the normal (1,1,1)/sqrt 3
    computeCaustics();
    const WaterFace& tilted = faces[centreFace];
    EXPECT_NEAR(tilted.lightDot, 10 / std::sqrt(3.0), 1e-5);
    // R is about (-0.6666, 0.3337, -0.6666): positive y, so scaling it to the
    // floor flips its horizontal direction.
    EXPECT_NEAR(tilted.hitX0, 19.975f, 2e-3f);
    EXPECT_NEAR(tilted.hitZ0, 19.975f, 2e-3f);
    // Grazing light (|t| below 0.0235) is bent into the face's plane, not lost:
    // face 2048 stood almost upright, its vertex 0 straight below the light.
    heightField[32][32] = 0.0f;
    heightField[33][32] = 50.0f;
    computeCaustics();
    const WaterFace& upright = faces[centreFace];
    ASSERT_LT(std::fabs(upright.ny), 0.0235f);
    const double along = upright.hitX0 * double(upright.nx) + floorY * double(upright.ny) +
                         upright.hitZ0 * double(upright.nz);
    EXPECT_NEAR(along / std::hypot(upright.hitX0, floorY, upright.hitZ0), 0.0, 1e-4);
}

TEST_F(OpticsTest, FlatWaterIsUniformlyBlueAndLightsTheWholeFloor)
{
    computeFrameOptics();
    for (int n = 0; n < faceCount; ++n)
        ASSERT_EQ(faces[n].shade, 0.85f) << n;
    ASSERT_EQ(floorTriangleCount, faceCount);
    for (int n = 0; n < floorTriangleCount; ++n)
        ASSERT_EQ(floorTriangles[n].face, n); // in face order
    EXPECT_NEAR(faces[centreFace].intensity, 0.99944f, 1e-5f);
    EXPECT_NEAR(faces[0].intensity, 0.97741f, 1e-5f);
    const Colour centre = floorTriangles[centreFace].colour, corner = floorTriangles[0].colour;
    expectPoint({centre.red, centre.green, centre.blue}, 0.27485f, 0.32482f, 0.42476f, 1e-5f);
    expectPoint({corner.red, corner.green, corner.blue}, 0.26879f, 0.31766f, 0.41540f, 1e-5f);
}

// Death tests need a process to fork: not under WebAssembly.
#if GTEST_HAS_DEATH_TEST
TEST(OpticsDeathTest, AnUnallocatableMeshEndsTheProgramWithAMessage)
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
#endif

// ---- The vectorised frame against the plain transcription: every face field
// and every floor triangle bit for bit, for every vector build the processor
// has (a NaN's sign aside: commutative operations may pass on either operand's
// NaN, which means nothing and changes nothing drawn).

bool sameBits(std::uint32_t a, std::uint32_t b)
{
    const auto isNaN = [](std::uint32_t bits) { return (bits & 0x7F800000u) == 0x7F800000u && (bits & 0x007FFFFFu); };
    return a == b || (isNaN(a) && isNaN(b));
}

// Fills every computed field of every face, so that nothing left over from the
// other computation can pass for a result.
void scrambleFaces(int pattern)
{
    const std::size_t first = offsetof(WaterFace, floorArea);
    for (int n = 0; n < faceCount; ++n)
        // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): the record's bytes
        std::memset(reinterpret_cast<char*>(&faces[n]) + first, pattern, sizeof(WaterFace) - first);
}

void expectIdenticalFrames(const std::string& scene)
{
    for (SweepVectors vectors : {SweepVectors::sse2, SweepVectors::avx2, SweepVectors::avx512}) {
        limitSweepVectors(vectors);
        if (sweepVectors() != vectors)
            continue;
        scrambleFaces(0x5A);
        baselineFrameOptics();
        const std::vector<WaterFace> expected(faces, faces + faceCount);
        std::vector<FloorTriangle> expectedFloor;
        for (int n = 0; n < faceCount; ++n) {
            Colour colour{};
            if (baselineFloorColour(faces[n], colour))
                expectedFloor.push_back({colour, n});
        }
        scrambleFaces(0xA5);
        computeFrameOptics();
        int different = 0;
        for (int n = 0; n < faceCount; ++n) {
            std::uint32_t e[19], a[19];
            std::memcpy(e, &expected[n], sizeof e);
            std::memcpy(a, &faces[n], sizeof a);
            for (int field = 0; field < 19; ++field)
                if (!sameBits(e[field], a[field]) && different++ < 3)
                    ADD_FAILURE() << scene << ", vectors " << int(vectors) << ": face " << n << ", field " << field + 1;
        }
        EXPECT_EQ(different, 0) << scene;
        ASSERT_EQ(expectedFloor.size(), std::size_t(floorTriangleCount)) << scene;
        EXPECT_EQ(std::memcmp(expectedFloor.data(), floorTriangles, sizeof(FloorTriangle) * floorTriangleCount), 0)
            << scene;
    }
    limitSweepVectors(SweepVectors::avx512);
}

TEST_F(OpticsTest, VectorisedFrameEqualsThePlainTranscription)
{
    expectIdenticalFrames("flat");
    playWave();
    burstMode = 1;
    for (int tick = 0; tick < 300; ++tick)
        idle();
    expectIdenticalFrames("busy");
    std::mt19937 random(3);
    for (auto& row : heightField)
        for (float& h : row)
            h = std::uniform_real_distribution<float>(-30.0f, 30.0f)(random);
    expectIdenticalFrames("random");
    lightPos = {-2.7f, 10.9f, 0.4f}; // the floor's light weights truncate these
    expectIdenticalFrames("random, light off the axis");
    lightPos = {0.0f, 10.0f, 0.0f};
    const float inf = std::numeric_limits<float>::infinity();
    for (float value : {std::numeric_limits<float>::quiet_NaN(), inf, -inf, 3e38f, -1e-44f, 10.0f /* on the light */}) {
        std::memset(heightField, 0, sizeof heightField);
        for (int k = 0; k < 40; ++k)
            heightField[random() % gridSize][random() % gridSize] = value;
        heightField[32][32] = value;
        expectIdenticalFrames("hostile " + std::to_string(value));
    }
}

} // namespace
