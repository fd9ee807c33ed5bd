// pacing.cpp -- how many idle ticks each shown frame runs
#include "web/pacing.h"

#include <cmath>

void setTickRate(TickPace& pace, double ticksPerSecond)
{
    if (ticksPerSecond > 0) // false for NaN too
        pace.ticksPerSecond = std::fmin(ticksPerSecond, fastestTickRate);
}

int ticksDue(TickPace& pace, double nowMilliseconds)
{
    if (!pace.counting) {
        pace = {pace.ticksPerSecond, nowMilliseconds, 0, true};
        return 0;
    }
    const double seconds = std::fmax(0.0, (nowMilliseconds - pace.lastMilliseconds) / 1000);
    pace.lastMilliseconds = nowMilliseconds;
    const double most = std::ceil(pace.ticksPerSecond * catchUpSeconds);
    const double owed = pace.owed + seconds * pace.ticksPerSecond;
    const double due = std::floor(owed);
    if (due > most) {
        pace.owed = 0; // what a stall owes beyond the bound is let go
        return static_cast<int>(most);
    }
    pace.owed = owed - due;
    return static_cast<int>(due);
}

void pauseTicks(TickPace& pace)
{
    pace.counting = false;
}
