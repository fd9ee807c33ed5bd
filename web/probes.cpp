// probes.cpp -- entry points that only the tests, the benchmarks and the
// headless tour call: the page itself never does. They read the program's
// state, or hold its ticks, and change nothing a visitor could.
#include "app/recording.h"
#include "app/viewer_state.h"
#include "water/drops.h"
#include "web/program.h"

#include <emscripten/emscripten.h>

extern "C" {

EMSCRIPTEN_KEEPALIVE double webTickRate()
{
    return pace.ticksPerSecond;
}

EMSCRIPTEN_KEEPALIVE double webTickCount()
{
    return static_cast<double>(tickCount);
}

EMSCRIPTEN_KEEPALIVE int webWaveRunning()
{
    return waveRunning;
}

// Holds the idle ticks (or lets them run again), and runs some at once.
EMSCRIPTEN_KEEPALIVE void webHoldTicks(int hold)
{
    ticksHeld = hold != 0;
}

EMSCRIPTEN_KEEPALIVE void webRunTicks(int count)
{
    for (int k = 0; k < count; ++k)
        runTick();
}

// The camera's eye, coordinate 0, 1 or 2 (x, y, z).
EMSCRIPTEN_KEEPALIVE double webEye(int axis)
{
    return static_cast<double>(axis == 0 ? eyePos.x : axis == 1 ? eyePos.y : eyePos.z);
}
}
