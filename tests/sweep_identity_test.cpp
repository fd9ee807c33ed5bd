// The program's fused, vectorised frame optics against the plain transcription
// kept with the benchmarks: every face field and every floor triangle must be
// bit for bit the same, whatever the heights (NaN being NaN in both).
#include "bench/baseline_frame.h"
#include "optics/face_sweep.h"
#include "optics/mesh.h"
#include "optics/shading.h"
#include "support/scene_reset.h"
#include "water/drops.h"
#include "water/water.h"
#include "water/wave.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

struct FrameResult {
    std::vector<WaterFace> faces;
    std::vector<FloorTriangle> floor;
};

FrameResult baselineFrame()
{
    baselineFrameOptics();
    FrameResult result{std::vector<WaterFace>(faces, faces + faceCount), {}};
    for (int n = 0; n < faceCount; ++n) {
        Colour colour;
        if (baselineFloorColour(faces[n], colour))
            result.floor.push_back({colour, n});
    }
    return result;
}

FrameResult programFrame()
{
    computeFrameOptics();
    return {std::vector<WaterFace>(faces, faces + faceCount),
            std::vector<FloorTriangle>(floorTriangles, floorTriangles + floorTriangleCount)};
}

// Field by field: the same bits, or NaN in both. The sign of a NaN is left to
// the operand order of commutative operations, which the compiler picks in
// either implementation; it means nothing and nothing drawn depends on it.
bool sameField(std::uint32_t a, std::uint32_t b)
{
    const auto isNaN = [](std::uint32_t bits) { return (bits & 0x7F800000u) == 0x7F800000u && (bits & 0x007FFFFFu); };
    return a == b || (isNaN(a) && isNaN(b));
}

bool sameFace(const WaterFace& expected, const WaterFace& actual, const char* scene, int n, bool report)
{
    std::uint32_t e[19], a[19];
    std::memcpy(e, &expected, sizeof e);
    std::memcpy(a, &actual, sizeof a);
    bool same = true;
    for (int field = 0; field < 19; ++field) {
        const bool fieldSame = field < 6 ? e[field] == a[field] : sameField(e[field], a[field]);
        if (!fieldSame && report)
            ADD_FAILURE() << scene << ": face " << n << ", field " << field + 1 << ": " << std::hex << e[field]
                          << " != " << a[field];
        same = same && fieldSame;
    }
    return same;
}

// Fills every computed field of every face (all but the vertex indices).
void scrambleFaces(int pattern)
{
    const std::size_t first = offsetof(WaterFace, floorArea);
    for (int n = 0; n < faceCount; ++n)
        std::memset(reinterpret_cast<char*>(&faces[n]) + first, pattern, sizeof(WaterFace) - first);
}

// Runs both on the current heights, each from faces scrambled beforehand so
// that nothing left over from the other can pass for a result.
void expectIdenticalFramesWith(const std::string& scene)
{
    scrambleFaces(0x5A);
    const FrameResult expected = baselineFrame();
    scrambleFaces(0xA5);
    const FrameResult actual = programFrame();

    int differentFaces = 0;
    for (int n = 0; n < faceCount; ++n)
        differentFaces += !sameFace(expected.faces[n], actual.faces[n], scene.c_str(), n, differentFaces < 3);
    EXPECT_EQ(differentFaces, 0) << scene;
    // Drawn floor triangles have finite brightness: their colours match exactly.
    ASSERT_EQ(expected.floor.size(), actual.floor.size()) << scene;
    EXPECT_EQ(std::memcmp(expected.floor.data(), actual.floor.data(), sizeof(FloorTriangle) * actual.floor.size()), 0)
        << scene;
}

// Every build of the sweep the processor can run: the x86-64 baseline one,
// and the AVX2 and AVX-512 ones where it has them.
void expectIdenticalFrames(const char* scene)
{
    const std::pair<SweepVectors, const char*> builds[] = {
        {SweepVectors::sse2, " (SSE2)"}, {SweepVectors::avx2, " (AVX2)"}, {SweepVectors::avx512, " (AVX-512)"}};
    for (const auto& [vectors, name] : builds) {
        limitSweepVectors(vectors);
        if (sweepVectors() == vectors)
            expectIdenticalFramesWith(scene + std::string(name));
    }
    limitSweepVectors(SweepVectors::avx512);
}

using SweepIdentityTest = CoreTest;

TEST_F(SweepIdentityTest, FlatWater)
{
    expectIdenticalFrames("flat");
}

TEST_F(SweepIdentityTest, BusyWaterAfterAWaveAndBurstDrops)
{
    playWave();
    burstMode = 1;
    for (int tick = 0; tick < 300; ++tick)
        idle();
    expectIdenticalFrames("busy");
}

TEST_F(SweepIdentityTest, SpikyAndRandomWater)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<float> height(-30.0f, 30.0f);
    for (auto& row : heightField)
        for (float& h : row)
            h = height(random);
    expectIdenticalFrames("random");
    for (auto& row : heightField)
        for (float& h : row)
            h = (random() % 7 == 0) ? height(random) * 100 : 0.0f;
    expectIdenticalFrames("spiky");
}

TEST_F(SweepIdentityTest, HostileHeights)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float values[] = {std::numeric_limits<float>::quiet_NaN(), inf, -inf, 3e38f, -3e38f, 1e-40f, -1e-44f,
                            10.0f /* on the light */, 1e19f, -0.0f};
    std::mt19937 random(5);
    for (float value : values) {
        std::memset(heightField, 0, sizeof heightField);
        for (int k = 0; k < 40; ++k)
            heightField[random() % gridSize][random() % gridSize] = value;
        heightField[32][32] = value;
        expectIdenticalFrames("hostile");
    }
}

} // namespace
