// pacing.h -- the page's idle ticks at a fixed pace: so many a second of wall
// time, whatever the machine and the display, caught up after a slow frame
// but by at most a tenth of a second of water, so that a tab back from the
// background does not run minutes of ticks at once.
#pragma once

// The page's pace unless told another: the desktop viewer's idle ticks a
// second at its start size (300 x 300) on the build machine when the pace was
// set. The desktop's rate varies with the machine and its load; the page's
// water keeps this one (docs/performance.md has the desktop's figures).
const double desktopTickRate = 330.0;
// The most water time one frame catches up; the rest of a longer gap is skipped.
const double catchUpSeconds = 0.1;
// The fastest pace a page may ask for: a frame's catching up stays a few milliseconds.
const double fastestTickRate = 2000.0;

struct TickPace {
    double ticksPerSecond = desktopTickRate;
    double lastMilliseconds = 0; // the time of the last count
    double owed = 0;             // ticks due but not yet run, below one
    bool counting = false;       // false until the first count, and after a pause
};

// Sets the pace, at most fastestTickRate; a rate that is not a positive
// number leaves it.
void setTickRate(TickPace& pace, double ticksPerSecond);
// The ticks to run now, at nowMilliseconds, for the time since the last count.
int ticksDue(TickPace& pace, double nowMilliseconds);
// Stops counting (while a wave or a test holds the ticks): the next count
// starts afresh and owes nothing for the pause.
void pauseTicks(TickPace& pace);
