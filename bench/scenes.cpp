// scenes.cpp -- water states the benchmarks run on, made by the program's own operations
#include "bench/scenes.h"

#include "optics/mesh.h"
#include "water/drops.h"
#include "water/water.h"
#include "water/wave.h"

#include <cstring>

void makeFlatScene()
{
    if (faces == nullptr)
        buildWaterMesh();
    std::memset(heightField, 0, sizeof heightField);
    std::memset(partnerField, 0, sizeof partnerField);
}

void makeBusyScene()
{
    makeFlatScene();
    playWave();
    burstMode = 1;
    for (int tick = 0; tick < 400; ++tick)
        idle();
    burstMode = 0;
}
