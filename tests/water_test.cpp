// The water: the ripple step, the drop scheduler with its generator, the wave.
#include "app/viewer_state.h"
#include "support.h"
#include "water/drops.h"
#include "water/water.h"
#include "water/wave.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <set>

namespace {

using WaterTest = CoreTest;
using Cell = std::pair<int, int>;

// Bit for bit, on random heights: the neighbour sum in double, halved, minus
// the cell, rounded to float; times 0.9, rounded to float, interior cells only
// (swept here in the opposite order to the step's own). The frame sees the new
// state; then the grids are exchanged whole, borders included, so that the
// borders alternate undamped. (This is the test an optimiser that drops the
// intermediate rounding fails.)
TEST_F(WaterTest, RippleStepIsBitExactOnRandomWater)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> height(-5.0f, 5.0f);
    for (int i = 0; i < gridSize; ++i)
        for (int j = 0; j < gridSize; ++j) {
            heightField[i][j] = height(random);
            partnerField[i][j] = height(random);
        }
    float expected[gridSize][gridSize], newer[gridSize][gridSize];
    std::memcpy(expected, heightField, sizeof expected);
    std::memcpy(newer, partnerField, sizeof newer);
    for (int j = gridSize - 2; j >= 1; --j)
        for (int i = gridSize - 2; i >= 1; --i) {
            const double s = static_cast<double>(newer[i - 1][j]) + newer[i + 1][j] + newer[i][j - 1] + newer[i][j + 1];
            const float h = static_cast<float>(s / 2 - expected[i][j]);
            expected[i][j] = static_cast<float>(h * 0.9);
        }
    rippleStep();
    // Bit for bit: the same rounding everywhere, signed zeros and NaNs alike.
    // NOLINTBEGIN(bugprone-suspicious-memory-comparison)
    EXPECT_EQ(std::memcmp(framesSeen.at(0).heights, expected, sizeof expected), 0);
    EXPECT_EQ(std::memcmp(heightField, newer, sizeof newer), 0);
    // NOLINTEND(bugprone-suspicious-memory-comparison)
}

// The cells of the tick's frame that show a fresh drop of the given height:
// its first dip, -0.9 h, on water that was still.
std::set<Cell> dippedCells(const FrameRecord& frame, float height)
{
    std::set<Cell> cells;
    for (int i = 0; i < gridSize; ++i)
        for (int j = 0; j < gridSize; ++j)
            if (frame.heights[i][j] == static_cast<float>(-height * 0.9))
                cells.insert({i, j});
    return cells;
}

// Runs one idle tick and returns the number of random draws it made, counted
// with the program's own generator.
int drawsOfOneTick()
{
    const std::uint32_t before = randomState;
    idle();
    const std::uint32_t after = randomState;
    randomState = before;
    int draws = 0;
    while (randomState != after && draws <= 16) {
        nextRandom();
        ++draws;
    }
    return draws;
}

TEST_F(WaterTest, WorkedBurstTickDrawsTheSequenceAndPlacesTheNineDrops)
{
    const int draws[] = {41,    18467, 6334, 26500, 19169, 15724, 11478, 29358,
                         26962, 24464, 5705, 28145, 23281, 16827, 9961,  491};
    for (int value : draws)
        EXPECT_EQ(nextRandom(), value);
    randomState = 1;
    burstMode = 1;
    tickCount = 17;
    idle();
    const std::set<Cell> drops = {{16, 48}, {48, 48}, {5, 29},  {17, 40}, {35, 7},
                                  {35, 21}, {49, 21}, {32, 32}, {32, 44}};
    EXPECT_EQ(dippedCells(framesSeen.at(0), 15.0f), drops);
    for (std::int64_t due : dropDue)
        EXPECT_EQ(due, 37);
}

// The state whose next draw is the value asked for: the generator run back
// one step (its multiplier is odd, so it has an inverse modulo 2^32).
std::uint32_t stateBeforeDraw(int value)
{
    const std::uint32_t multiplier = 214013u, after = static_cast<std::uint32_t>(value) << 16;
    std::uint32_t inverse = multiplier;
    for (int k = 0; k < 5; ++k)
        inverse *= 2u - multiplier * inverse;
    return (after - 2531011u) * inverse;
}

// A burst candidate takes a drop when its draw divided by 16000 is exactly 1:
// a draw of 16000 places it, one of 15999 does not (the first draw of tick 17
// is group 0's first candidate, cell (16, 16)).
TEST_F(WaterTest, ABurstDrawOfExactlyTheDivisorPlacesADrop)
{
    for (const int draw : {16000, 15999, 31999, 32000}) {
        {
            StdoutCapture quiet;
            restoreLoadState();
        }
        framesSeen.clear();
        randomState = stateBeforeDraw(draw);
        burstMode = 1;
        tickCount = 17;
        idle();
        EXPECT_EQ(dippedCells(framesSeen.at(0), 15.0f).count({16, 16}), draw / 16000 == 1 ? 1u : 0u) << draw;
    }
    randomState = stateBeforeDraw(16000);
    EXPECT_EQ(nextRandom(), 16000);
}

// Which ticks draw (sixteen draws: all four groups fire) in each mode, from
// the start state or after a burst at tick 17 (groups due again above 37),
// also past the 32-bit tick limit.
TEST_F(WaterTest, GroupsFireOnTheirSchedule)
{
    struct Case {
        const char* name;
        int burst, sprinkle;
        std::int64_t firstTick, dueBefore, lastTick;
        std::set<std::int64_t> firing;
    };
    const std::int64_t late = (INT32_MAX / 34) * 34 - 17; // a firing tick just below 2^31
    const Case cases[] = {
        {"burst from the start", 1, 0, 0, 0, 120, {17, 51, 85, 119}},
        {"sprinkle from the start", 0, 1, 0, 0, 4, {1, 2, 3}},
        {"sprinkle after a burst", 0, 1, 18, 37, 41, {38, 39, 40}},
        {"burst past 2^31", 1, 0, late, late - 1, late + 70, {late, late + 34, late + 68}},
        {"off", 0, 0, 0, 0, 40, {}},
    };
    for (const Case& c : cases) {
        burstMode = c.burst;
        sprinkleMode = c.sprinkle;
        tickCount = c.firstTick;
        std::fill(std::begin(dropDue), std::end(dropDue), c.dueBefore);
        for (std::int64_t tick = c.firstTick; tick < c.lastTick; ++tick)
            ASSERT_EQ(drawsOfOneTick(), c.firing.count(tick) ? 16 : 0) << c.name << ", tick " << tick;
        EXPECT_EQ(tickCount, c.lastTick) << c.name;
    }
}

// The lattice of each group follows the tick: the grid divisor of group g is
// row g of the divisor table, column by the first of 13, 17, 19 that divides
// the tick. Each tick is played many times on still water, and the union of
// its drops must be exactly the candidate cells [p/d][q/d] of its divisors.
TEST_F(WaterTest, DropsLandOnTheLatticeOfTheTicksDivisors)
{
    const int rows[4][2] = {{64, 192}, {64, 192}, {320, 448}, {320, 448}}; // numerators p per group
    const int columns[4][2] = {{64, 192}, {320, 448}, {64, 192}, {320, 448}};
    const struct {
        std::int64_t tick;
        int divisor[4];
    } cases[] = {{26, {6, 8, 10, 11}},  {221, {6, 8, 10, 11}}, {34, {4, 11, 9, 10}},
                 {323, {4, 11, 9, 10}}, {38, {5, 10, 11, 9}},  {23, {7, 9, 8, 8}}};
    sprinkleMode = 1;
    for (const auto& c : cases) {
        std::set<Cell> expected, landed;
        for (int g = 0; g < 4; ++g)
            for (int p : rows[g])
                for (int q : columns[g])
                    expected.insert({p / c.divisor[g], q / c.divisor[g]});
        for (int attempt = 0; attempt < 600; ++attempt) {
            std::memset(heightField, 0, sizeof heightField);
            std::memset(partnerField, 0, sizeof partnerField);
            tickCount = c.tick;
            std::fill(std::begin(dropDue), std::end(dropDue), c.tick - 1);
            framesSeen.clear();
            idle();
            const std::set<Cell> dipped = dippedCells(framesSeen.at(0), 10.0f);
            landed.insert(dipped.begin(), dipped.end());
        }
        EXPECT_EQ(landed, expected) << "tick " << c.tick;
    }
}

TEST_F(WaterTest, EveryWavePressDrawsTheSame351ProfilesAndRewinds)
{
    waveStep();
    EXPECT_EQ(wavePhase, 5.1f);
    ASSERT_EQ(framesSeen.size(), 1u);
    EXPECT_NEAR(heightField[0][0], -1.8153f, 1e-4f);
    // Column 63 sits 12.370014 radians (accumulated in float) behind column 0.
    EXPECT_NEAR(heightField[10][63], 10 / 5.1 * std::sin(5.1 - 12.370014), 1e-5);
    for (int i = 0; i < gridSize; ++i)
        for (int j = 0; j < gridSize; ++j)
            ASSERT_EQ(heightField[i][j], heightField[0][j]) << i << "," << j;

    // A press: wave steps from phase 5 to 40, then the phase rewinds.
    wavePhase = 5.0f;
    framesSeen.clear();
    partnerField[5][5] = 3.0f;
    playWave();
    EXPECT_EQ(wavePhase, 5.0f);
    ASSERT_EQ(framesSeen.size(), 351u);
    // The last profile (phase about 40.1) stays, border rows and columns included.
    EXPECT_NEAR(heightField[63][0], 10 / 40.09996 * std::sin(40.09996), 1e-5);
    EXPECT_EQ(heightField[0][17], heightField[63][17]);
    EXPECT_EQ(partnerField[5][5], 3.0f); // the wave leaves the partner grid alone
    const std::vector<FrameRecord> first = framesSeen;
    framesSeen.clear();
    heightField[30][30] = 12.0f;
    playWave();
    ASSERT_EQ(framesSeen.size(), first.size());
    for (std::size_t k = 0; k < first.size(); ++k)
        // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison): bit for bit is the point
        ASSERT_EQ(std::memcmp(first[k].heights, framesSeen[k].heights, sizeof first[k].heights), 0) << k;
}

} // namespace
