// drops.cpp -- the drop scheduler of the idle tick
//
// Four drop groups, each with four candidate cells on a lattice whose spacing
// (the grid divisor) depends on the tick number. In a firing tick every
// candidate gets one random draw and receives the mode's drop height when
// draw / randomDivisor == 1.
#include "water/drops.h"

#include "water/water.h"

#include <cmath>

// Start values: restoreLoadState.
int burstMode;
int sprinkleMode;
std::int64_t tickCount;
std::int64_t dropDue[4];
std::uint32_t randomState;

namespace {

struct DropMode {
    int randomDivisor; // a candidate is placed when draw / randomDivisor == 1
    float dropHeight;  // assigned, not added
    int cooldown;      // dropDue = tick + cooldown after a group fires
    int period;        // a group fires only at multiples of this
};

const DropMode burst = {16000, 15.0f, 20, 17};
const DropMode sprinkle = {32000, 10.0f, 0, 1};

// Grid divisor per group when the tick is a multiple of 13, else of 17, else
// of 19, else otherwise.
const int gridDivisor[4][4] = {
    {6, 4, 5, 7},
    {8, 11, 10, 9},
    {10, 9, 11, 8},
    {11, 10, 9, 8},
};

// Candidate k of group g is the cell [p / d][q / d] for the numerators (p, q).
struct Numerators {
    int p, q;
};
const Numerators candidates[4][4] = {
    {{64, 64}, {64, 192}, {192, 64}, {192, 192}},
    {{64, 320}, {64, 448}, {192, 320}, {192, 448}},
    {{320, 64}, {320, 192}, {448, 64}, {448, 192}},
    {{320, 320}, {320, 448}, {448, 320}, {448, 448}},
};

} // namespace

void toggleBurstMode()
{
    sprinkleMode = 0;
    burstMode = burstMode == 0 ? 1 : 0;
}

void toggleSprinkleMode()
{
    burstMode = 0;
    sprinkleMode = sprinkleMode == 0 ? 1 : 0;
}

int nextRandom()
{
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFF);
}

static int divisorColumn(std::int64_t tick)
{
    if (tick % 13 == 0)
        return 0;
    if (tick % 17 == 0)
        return 1;
    if (tick % 19 == 0)
        return 2;
    return 3;
}

static bool groupFires(int group, const DropMode& mode)
{
    if (tickCount < dropDue[group])
        return false;
    if (std::fmod(static_cast<double>(tickCount), static_cast<double>(mode.period)) != 0.0)
        return false;
    return tickCount > dropDue[group];
}

static void fireGroup(int group, const DropMode& mode)
{
    const int d = gridDivisor[group][divisorColumn(tickCount)];
    for (const Numerators& cell : candidates[group]) {
        if (nextRandom() / mode.randomDivisor == 1)
            heightField[cell.p / d][cell.q / d] = mode.dropHeight;
    }
    dropDue[group] = tickCount + mode.cooldown;
}

static void placeDrops()
{
    const DropMode& mode = burstMode ? burst : sprinkle;
    for (int group = 0; group < 4; ++group) {
        if (groupFires(group, mode))
            fireGroup(group, mode);
    }
}

void idle()
{
    if (burstMode == 1 || sprinkleMode == 1)
        placeDrops();
    rippleStep();
    ++tickCount;
}
