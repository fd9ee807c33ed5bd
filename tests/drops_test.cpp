// The drop scheduler of the idle tick and its random generator.
#include "support/probe_display.h"
#include "support/scene_reset.h"
#include "water/drops.h"
#include "water/water.h"

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

namespace {

using DropsTest = CoreTest;
using Cell = std::pair<int, int>;

// A dropped cell of height h shows in the tick's frame as its first dip,
// (0 - h) * 0.9, while its neighbours are still 0 on still water.
std::set<Cell> dippedCells(const FrameRecord& frame, float height)
{
    std::set<Cell> cells;
    for (int i = 0; i < gridSize; ++i)
        for (int j = 0; j < gridSize; ++j)
            if (frame.heights[i][j] == static_cast<float>(-height * 0.9))
                cells.insert({i, j});
    return cells;
}

// Runs idle ticks up to (not including) lastTick and returns, for each tick,
// how many random draws it made.
std::vector<int> drawsPerTick(std::int64_t lastTick)
{
    std::vector<int> draws;
    while (tickCount < lastTick) {
        std::uint32_t state = randomState;
        int n = 0;
        idle();
        while (state != randomState && n <= 16) {
            state = state * 214013u + 2531011u;
            ++n;
        }
        draws.push_back(n);
    }
    return draws;
}

TEST_F(DropsTest, GeneratorDrawsTheFixedSequence)
{
    const int expected[] = {41,    18467, 6334,  26500, 19169, 15724, 11478, 29358,
                            26962, 24464, 5705,  28145, 23281, 16827, 9961,  491};
    for (int value : expected)
        EXPECT_EQ(nextRandom(), value);
}

TEST_F(DropsTest, WorkedBurstTickPlacesTheNineDrops)
{
    burstMode = 1;
    tickCount = 17;
    idle();
    const std::set<Cell> expected = {{16, 48}, {48, 48}, {5, 29}, {17, 40}, {35, 7},
                                     {35, 21}, {49, 21}, {32, 32}, {32, 44}};
    EXPECT_EQ(dippedCells(framesSeen.at(0), 15.0f), expected);
    for (std::int64_t due : dropDue)
        EXPECT_EQ(due, 37);
    EXPECT_EQ(tickCount, 18);
}

TEST_F(DropsTest, FirstTickNeverDropsInEitherMode)
{
    sprinkleMode = 1;
    idle();
    burstMode = 1;
    sprinkleMode = 0;
    tickCount = 0;
    idle();
    EXPECT_EQ(randomState, 1u);
}

TEST_F(DropsTest, BurstGroupsFireEveryThirtyFourTicksFromSeventeen)
{
    burstMode = 1;
    const std::vector<int> draws = drawsPerTick(120);
    for (std::size_t tick = 0; tick < draws.size(); ++tick) {
        const bool firing = tick == 17 || tick == 51 || tick == 85 || tick == 119;
        EXPECT_EQ(draws[tick], firing ? 16 : 0) << "tick " << tick;
    }
}

TEST_F(DropsTest, SprinklePlacesExactlyTheCandidatesWhoseDrawsAreHigh)
{
    // Start the generator just before a run of draws that has high values in
    // it, so that some candidates pass the rare sprinkle test (32000..32767).
    std::uint32_t state = 1;
    for (;;) {
        std::uint32_t probe = state;
        int high = 0;
        for (int k = 0; k < 16; ++k) {
            probe = probe * 214013u + 2531011u;
            high += ((probe >> 16) & 0x7FFF) >= 32000;
        }
        if (high >= 2)
            break;
        state = state * 214013u + 2531011u;
    }
    sprinkleMode = 1;
    tickCount = 26; // a multiple of 13: divisors 6, 8, 10, 11
    for (std::int64_t& due : dropDue)
        due = 25;
    randomState = state;

    const Cell lattice[4][4] = {{{10, 10}, {10, 32}, {32, 10}, {32, 32}},
                                {{8, 40}, {8, 56}, {24, 40}, {24, 56}},
                                {{32, 6}, {32, 19}, {44, 6}, {44, 19}},
                                {{29, 29}, {29, 40}, {40, 29}, {40, 40}}};
    std::set<Cell> expected;
    std::uint32_t replay = state;
    for (const auto& group : lattice)
        for (const Cell& cell : group) {
            replay = replay * 214013u + 2531011u;
            if (((replay >> 16) & 0x7FFF) >= 32000)
                expected.insert(cell);
        }
    ASSERT_GE(expected.size(), 2u);

    idle();
    EXPECT_EQ(dippedCells(framesSeen.at(0), 10.0f), expected);
    for (std::int64_t due : dropDue)
        EXPECT_EQ(due, 26);
}

TEST_F(DropsTest, SprinkleFiresEveryTickOnceAboveTheCooldown)
{
    burstMode = 1;
    drawsPerTick(18); // groups fire at 17, dropDue becomes 37
    burstMode = 0;
    sprinkleMode = 1;
    const std::vector<int> draws = drawsPerTick(41);
    for (std::size_t k = 0; k < draws.size(); ++k) {
        const std::int64_t tick = 18 + static_cast<std::int64_t>(k);
        EXPECT_EQ(draws[k], tick >= 38 ? 16 : 0) << "tick " << tick;
    }
}

TEST_F(DropsTest, TurningTheModeOffStopsDropsButNotTheTicks)
{
    sprinkleMode = 1;
    drawsPerTick(3);
    sprinkleMode = 0;
    const std::uint32_t before = randomState;
    drawsPerTick(10);
    EXPECT_EQ(randomState, before);
    EXPECT_EQ(tickCount, 10);
    EXPECT_EQ(framesSeen.size(), 10u);
}

TEST_F(DropsTest, NoDropEverTouchesTheBorder)
{
    sprinkleMode = 1;
    drawsPerTick(300);
    burstMode = 1;
    sprinkleMode = 0;
    drawsPerTick(1000);
    // Still borders stay still: only drops could have written there.
    for (const FrameRecord& frame : framesSeen)
        for (int k = 0; k < gridSize; ++k) {
            ASSERT_EQ(frame.heights[0][k], 0.0f);
            ASSERT_EQ(frame.heights[63][k], 0.0f);
            ASSERT_EQ(frame.heights[k][0], 0.0f);
            ASSERT_EQ(frame.heights[k][63], 0.0f);
        }
}

TEST_F(DropsTest, TickCounterRunsPastTheOld32BitLimitOnSchedule)
{
    burstMode = 1;
    // 2^31 - 1 rounded down to a multiple of 34, minus 17: a firing tick.
    const std::int64_t start = (INT32_MAX / 34) * 34 - 17;
    tickCount = start;
    for (std::int64_t& due : dropDue)
        due = start - 1;
    const std::vector<int> draws = drawsPerTick(start + 120);
    for (std::size_t k = 0; k < draws.size(); ++k) {
        const std::int64_t tick = start + static_cast<std::int64_t>(k);
        EXPECT_EQ(draws[k], (tick - start) % 34 == 0 ? 16 : 0) << "tick " << tick;
    }
    EXPECT_GT(tickCount, static_cast<std::int64_t>(INT32_MAX));
}

} // namespace
