// frame_bench.cpp -- the CPU work of a frame and of a tick, without drawing
#include "bench/report.h"
#include "bench/water_states.h"
#include "tests/baseline_frame.h"

#include "optics/caustics.h"
#include "optics/display.h"
#include "optics/face_sweep.h"
#include "optics/mesh.h"
#include "optics/shading.h"
#include "water/drops.h"
#include "water/water.h"
#include "water/wave.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

// The whole of a frame's arithmetic, everything display computes but does not
// send: the plain transcription, face by face and pass by pass...
void BM_FrameBaseline(benchmark::State& state, void (*makeScene)())
{
    makeScene();
    for ([[maybe_unused]] auto _ : state) {
        baselineFrameOptics();
        int drawn = 0;
        Colour colour{};
        for (int n = 0; n < faceCount; ++n)
            drawn += baselineFloorColour(faces[n], colour);
        benchmark::DoNotOptimize(drawn);
        benchmark::ClobberMemory();
    }
}

// ...and the program's own, which also lists the floor triangles to draw, with
// the widest vectors the processor has or limited to narrower ones.
void frameWith(benchmark::State& state, void (*makeScene)(), SweepVectors vectors)
{
    limitSweepVectors(vectors);
    if (sweepVectors() != vectors) {
        state.SkipWithError("the processor lacks these vector instructions");
        limitSweepVectors(SweepVectors::avx512);
        return;
    }
    makeScene();
    for ([[maybe_unused]] auto _ : state) {
        computeFrameOptics();
        benchmark::DoNotOptimize(floorTriangleCount);
        benchmark::ClobberMemory();
    }
    limitSweepVectors(SweepVectors::avx512);
}

void BM_Frame(benchmark::State& state, void (*makeScene)())
{
    frameWith(state, makeScene, sweepVectors());
}

void BM_FrameSse2(benchmark::State& state, void (*makeScene)())
{
    frameWith(state, makeScene, SweepVectors::sse2);
}

void BM_FrameAvx2(benchmark::State& state, void (*makeScene)())
{
    frameWith(state, makeScene, SweepVectors::avx2);
}

BENCHMARK_CAPTURE(BM_FrameBaseline, busy, makeBusyWater)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, busy, makeBusyWater)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameBaseline, flat, makeFlatWater)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, flat, makeFlatWater)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameSse2, busy, makeBusyWater)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameAvx2, busy, makeBusyWater)->Unit(benchmark::kMicrosecond);

void BM_RippleStep(benchmark::State& state)
{
    makeBusyWater();
    for ([[maybe_unused]] auto _ : state)
        rippleStep();
}
BENCHMARK(BM_RippleStep)->Unit(benchmark::kMicrosecond);

void BM_WaveStep(benchmark::State& state)
{
    makeFlatWater();
    for ([[maybe_unused]] auto _ : state) {
        waveStep();
        if (wavePhase > 40.0f)
            wavePhase = 5.0f;
    }
}
BENCHMARK(BM_WaveStep)->Unit(benchmark::kMicrosecond);

void BM_IdleTick(benchmark::State& state)
{
    makeBusyWater();
    burstMode = 1;
    for ([[maybe_unused]] auto _ : state)
        idle();
}
BENCHMARK(BM_IdleTick)->Unit(benchmark::kMicrosecond);

const char* vectorName(SweepVectors vectors)
{
    switch (vectors) {
    case SweepVectors::avx512: return "AVX-512";
    case SweepVectors::avx2: return "AVX2";
    default: return "SSE2";
    }
}

} // namespace

// Drawing is measured elsewhere: here a frame is nothing.
void display() {}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nFrame CPU work, plain transcription / this program (%s), measured in this run:\n",
                vectorName(sweepVectors()));
    for (const char* scene : {"busy", "flat"}) {
        const double plain = reporter.microseconds(std::string("BM_FrameBaseline/") + scene);
        const double ours = reporter.microseconds(std::string("BM_Frame/") + scene);
        if (plain > 0 && ours > 0)
            std::printf("  %s water: %.0f us / %.0f us = %.2fx\n", scene, plain, ours, plain / ours);
    }
    benchmark::Shutdown();
    return 0;
}
