// frame_bench.cpp -- the CPU work of a frame and of a tick, without drawing
#include "bench/baseline_frame.h"
#include "bench/scenes.h"

#include "optics/caustics.h"
#include "optics/display.h"
#include "optics/mesh.h"
#include "optics/shading.h"
#include "water/drops.h"
#include "water/water.h"
#include "water/wave.h"

#include <benchmark/benchmark.h>

namespace {

// The whole of a frame's arithmetic, everything display computes but does not
// send: the plain transcription, face by face and pass by pass...
void BM_FrameBaseline(benchmark::State& state, void (*makeScene)())
{
    makeScene();
    for (auto _ : state) {
        baselineFrameOptics();
        int drawn = 0;
        Colour colour;
        for (int n = 0; n < faceCount; ++n)
            drawn += baselineFloorColour(faces[n], colour);
        benchmark::DoNotOptimize(drawn);
        benchmark::ClobberMemory();
    }
}

// ...and the program's own, which also lists the floor triangles to draw.
void BM_Frame(benchmark::State& state, void (*makeScene)())
{
    makeScene();
    for (auto _ : state) {
        computeFrameOptics();
        benchmark::DoNotOptimize(floorTriangleCount);
        benchmark::ClobberMemory();
    }
}

BENCHMARK_CAPTURE(BM_FrameBaseline, busy, makeBusyScene)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, busy, makeBusyScene)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameBaseline, flat, makeFlatScene)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, flat, makeFlatScene)->Unit(benchmark::kMicrosecond);

void BM_RippleStep(benchmark::State& state)
{
    makeBusyScene();
    for (auto _ : state)
        rippleStep();
}
BENCHMARK(BM_RippleStep)->Unit(benchmark::kMicrosecond);

void BM_WaveStep(benchmark::State& state)
{
    makeFlatScene();
    for (auto _ : state) {
        waveStep();
        if (wavePhase > 40.0f)
            wavePhase = 5.0f;
    }
}
BENCHMARK(BM_WaveStep)->Unit(benchmark::kMicrosecond);

void BM_IdleTick(benchmark::State& state)
{
    makeBusyScene();
    burstMode = 1;
    for (auto _ : state)
        idle();
}
BENCHMARK(BM_IdleTick)->Unit(benchmark::kMicrosecond);

} // namespace

// Drawing is measured elsewhere: here a frame is nothing.
void display() {}
