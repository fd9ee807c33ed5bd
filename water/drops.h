// drops.h -- the idle tick: scheduled drops in burst or sprinkle mode, then the ripple step
#pragma once

#include <cstdint>

// ---- Modes
// Switched by the keys 'b' and 'v', which keep them exclusive (0 or 1 each).
// A reset leaves them alone.
extern int burstMode;
extern int sprinkleMode;

// The keys' three-state switch: off -> burst -> off, sprinkle -> burst, and
// likewise for sprinkle. The two modes are never on together.
void toggleBurstMode();
void toggleSprinkleMode();

// ---- Schedule
// Completed idle ticks; +1 at the end of every tick, never reset. 64-bit so
// that a viewer left running for months never overflows.
extern std::int64_t tickCount;
// Per drop group 0..3: the group places drops only at a tick strictly above
// this value. Never reset.
extern std::int64_t dropDue[4];

// ---- Generator
// The scheduler's own 32-bit linear congruential generator: state starts at 1
// and is never reseeded, so every run draws the same sequence.
extern std::uint32_t randomState;
// Advances the state and returns a value in 0..32767.
int nextRandom();

// ---- Tick
// The idle callback: places this tick's drops into heightField when a mode is
// on, runs rippleStep (which draws the frame), then counts the tick.
void idle();
