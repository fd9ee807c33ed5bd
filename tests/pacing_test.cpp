// The page's tick pace: so many ticks a second of wall time, whatever the
// frame rate, with a bounded catch-up after a stall.
#include "web/pacing.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

// The ticks run over frames of frameMs for seconds of wall time.
int ticksOver(TickPace& pace, double frameMs, double seconds)
{
    int ticks = ticksDue(pace, 0);
    const long frames = std::lround(seconds * 1000 / frameMs);
    for (long frame = 1; frame <= frames; ++frame)
        ticks += ticksDue(pace, static_cast<double>(frame) * frameMs);
    return ticks;
}

} // namespace

TEST(TickPace, RunsTheRateWhateverTheFrameRate)
{
    for (const double frameMs : {1000.0 / 144, 1000.0 / 60, 1000.0 / 30, 90.0}) {
        TickPace pace;
        EXPECT_NEAR(ticksOver(pace, frameMs, 9), 9 * desktopTickRate, 1) << frameMs << " ms frames";
    }
    TickPace slow;
    setTickRate(slow, 0.5); // one tick every other second
    EXPECT_EQ(ticksOver(slow, 1000.0 / 60, 10), 5);
}

TEST(TickPace, CatchesUpATenthOfASecondAtMost)
{
    TickPace pace;
    EXPECT_EQ(ticksDue(pace, 5000), 0); // the first frame only starts the clock
    EXPECT_EQ(ticksDue(pace, 5000 + 60'000), 33);
    EXPECT_EQ(ticksDue(pace, 5000 + 60'010), 3); // the stall left nothing owed
    EXPECT_EQ(ticksDue(pace, 5000 + 59'000), 0); // a clock that goes back owes nothing
}

TEST(TickPace, APauseOwesNothing)
{
    TickPace pace;
    ticksDue(pace, 0);
    ticksDue(pace, 10);
    pauseTicks(pace);
    EXPECT_EQ(ticksDue(pace, 50), 0);
    EXPECT_EQ(ticksDue(pace, 60), 3);
}

TEST(TickPace, TakesOnlyAPositiveRateAndBoundsIt)
{
    TickPace pace;
    for (const double wrong : {0.0, -5.0, std::nan("")}) {
        setTickRate(pace, wrong);
        EXPECT_EQ(pace.ticksPerSecond, desktopTickRate);
    }
    setTickRate(pace, 1e12);
    EXPECT_EQ(pace.ticksPerSecond, fastestTickRate);
    EXPECT_EQ(ticksOver(pace, 1000, 1), fastestTickRate * catchUpSeconds);
}
