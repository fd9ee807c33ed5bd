// The damped two-buffer ripple step.
#include "support/probe_display.h"
#include "support/scene_reset.h"
#include "water/water.h"

#include <cmath>
#include <cstring>
#include <random>

namespace {

using RippleTest = CoreTest;

int countNonZero(const float (&grid)[gridSize][gridSize])
{
    int n = 0;
    for (const auto& row : grid)
        for (float h : row)
            n += h != 0.0f;
    return n;
}

TEST_F(RippleTest, StillWaterStaysStill)
{
    for (int step = 0; step < 5; ++step)
        rippleStep();
    EXPECT_EQ(countNonZero(heightField), 0);
    EXPECT_EQ(countNonZero(partnerField), 0);
}

TEST_F(RippleTest, ASpikeFirstDipsThenReachesItsFourNeighbours)
{
    const float v = 20.0f;
    heightField[20][41] = v;
    rippleStep();
    ASSERT_EQ(framesSeen.size(), 1u);
    EXPECT_FLOAT_EQ(framesSeen[0].heights[20][41], -0.9f * v);
    EXPECT_EQ(countNonZero(framesSeen[0].heights), 1);
    // Exchanged after the frame: the new state is the partner now.
    EXPECT_EQ(std::memcmp(partnerField, framesSeen[0].heights, sizeof partnerField), 0);
    EXPECT_EQ(countNonZero(heightField), 0);

    rippleStep();
    const auto& second = framesSeen[1].heights;
    for (auto [i, j] : {std::pair{19, 41}, {21, 41}, {20, 40}, {20, 42}})
        EXPECT_FLOAT_EQ(second[i][j], -0.405f * v) << i << "," << j;
    EXPECT_EQ(second[20][41], 0.0f);
    EXPECT_EQ(second[19][40], 0.0f);
    EXPECT_EQ(second[21][42], 0.0f);
    EXPECT_EQ(countNonZero(second), 4);
}

TEST_F(RippleTest, BorderCellsAlternateUndampedAndFeedTheirInteriorNeighbour)
{
    const float v = 3.0f;
    heightField[0][10] = v;
    for (int step = 0; step < 6; ++step)
        rippleStep();
    for (int step = 0; step < 6; ++step)
        EXPECT_EQ(framesSeen[step].heights[0][10], step % 2 == 0 ? v : 0.0f) << step;
    // The border value sits in partnerField on odd steps, so the interior cell
    // below it is first fed on step 2.
    EXPECT_EQ(framesSeen[0].heights[1][10], 0.0f);
    EXPECT_FLOAT_EQ(framesSeen[1].heights[1][10], 0.9f * v / 2);
}

TEST_F(RippleTest, ResultDoesNotDependOnTheSweepOrder)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> height(-5.0f, 5.0f);
    for (int i = 0; i < gridSize; ++i)
        for (int j = 0; j < gridSize; ++j) {
            heightField[i][j] = height(random);
            partnerField[i][j] = height(random);
        }
    float older[gridSize][gridSize], newer[gridSize][gridSize];
    std::memcpy(older, heightField, sizeof older);
    std::memcpy(newer, partnerField, sizeof newer);

    // Columns outer and both descending: the opposite of the step's own order.
    float expected[gridSize][gridSize];
    std::memcpy(expected, older, sizeof expected);
    for (int j = gridSize - 2; j >= 1; --j)
        for (int i = gridSize - 2; i >= 1; --i) {
            const double s = static_cast<double>(newer[i - 1][j]) + newer[i + 1][j] + newer[i][j - 1] + newer[i][j + 1];
            const float h = static_cast<float>(s / 2 - expected[i][j]);
            expected[i][j] = static_cast<float>(h * 0.9);
        }

    rippleStep();
    EXPECT_EQ(std::memcmp(framesSeen[0].heights, expected, sizeof expected), 0);
    EXPECT_EQ(std::memcmp(heightField, newer, sizeof newer), 0);
}

TEST_F(RippleTest, WithStillBordersEveryDisturbanceDiesAway)
{
    heightField[32][32] = 20.0f;
    heightField[10][50] = -15.0f;
    for (int step = 0; step < 400; ++step)
        rippleStep();
    float largest = 0.0f;
    for (const auto& row : heightField)
        for (float h : row)
            largest = std::fmax(largest, std::fabs(h));
    EXPECT_LT(largest, 20.0f * std::pow(0.9487f, 200.0f) * 10);
}

} // namespace
