// water_states.cpp -- water states the benchmarks run on, made by the program's own operations
#include "bench/water_states.h"

#include "app/camera.h"
#include "app/viewer_state.h"
#include "water/drops.h"
#include "water/water.h"
#include "water/wave.h"

#include <cstring>

void makeFlatWater()
{
    startState();
}

// Made once (in a window its frames are drawn, which takes seconds), then copied.
void makeBusyWater()
{
    static bool made = false;
    static float busyHeights[gridSize][gridSize], busyPartner[gridSize][gridSize];
    if (!made) {
        makeFlatWater();
        playWave();
        burstMode = 1;
        for (int tick = 0; tick < 400; ++tick)
            idle();
        burstMode = 0;
        std::memcpy(busyHeights, heightField, sizeof heightField);
        std::memcpy(busyPartner, partnerField, sizeof partnerField);
        made = true;
    }
    std::memcpy(heightField, busyHeights, sizeof heightField);
    std::memcpy(partnerField, busyPartner, sizeof partnerField);
}
