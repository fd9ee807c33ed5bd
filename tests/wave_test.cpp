// The travelling wave of the 'w' key.
#include "support/probe_display.h"
#include "support/scene_reset.h"
#include "water/water.h"
#include "water/wave.h"

#include <cmath>
#include <cstring>

namespace {

using WaveTest = CoreTest;

TEST_F(WaveTest, FirstStepWritesTheSameProfileIntoEveryRow)
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
}

TEST_F(WaveTest, APressDrawsThreeHundredFiftyOneFramesAndRewinds)
{
    heightField[5][5] = 7.0f;
    partnerField[5][5] = 3.0f;
    playWave();
    EXPECT_EQ(framesSeen.size(), 351u);
    EXPECT_EQ(wavePhase, 5.0f);
    // The last profile (phase about 40.1) stays, border rows and columns included.
    EXPECT_NEAR(heightField[63][0], 10 / 40.09996 * std::sin(40.09996), 1e-5);
    EXPECT_EQ(heightField[0][17], heightField[63][17]);
    EXPECT_EQ(std::memcmp(framesSeen.back().heights, heightField, sizeof heightField), 0);
    EXPECT_EQ(partnerField[5][5], 3.0f); // the wave leaves the partner grid alone
}

TEST_F(WaveTest, EveryPressReplaysTheSameFrames)
{
    playWave();
    const std::vector<FrameRecord> first = framesSeen;
    clearFrames();
    heightField[30][30] = 12.0f;
    playWave();
    ASSERT_EQ(framesSeen.size(), first.size());
    for (std::size_t k = 0; k < first.size(); ++k)
        ASSERT_EQ(std::memcmp(first[k].heights, framesSeen[k].heights, sizeof first[k].heights), 0) << k;
}

TEST_F(WaveTest, CrestsTravelTowardsHigherColumns)
{
    waveStep();
    int crest = 0;
    for (int j = 1; j < 32; ++j)
        if (heightField[0][j] > heightField[0][crest])
            crest = j;
    for (int step = 0; step < 10; ++step)
        waveStep();
    int later = 0;
    for (int j = 1; j < 40; ++j)
        if (heightField[0][j] > heightField[0][later])
            later = j;
    EXPECT_NEAR(later - crest, 5.1, 1.0);
}

} // namespace
