// tick_bench.cpp -- whole ticks in a real window (Mesa's llvmpipe under Xvfb
// when there is no GPU), beside the same frames' OpenGL work alone and their
// optics alone, so that the CPU share of a tick can be read off.
//
// Usage: tick_bench [--size=WxH] [benchmark flags]; on a private Xvfb when
// DISPLAY is unset.
#include "app/callbacks.h"
#include "app/camera.h"
#include "app/recording.h"
#include "app/viewer_state.h"
#include "bench/report.h"
#include "bench/water_states.h"
#include "desktop/render.h"
#include "optics/display.h"
#include "optics/shading.h"
#include "tools/xdriver.h"
#include "water/drops.h"

#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// One idle tick as the event loop runs it: drops, ripple step, full frame.
void BM_TickInWindow(benchmark::State& state)
{
    makeBusyWater();
    burstMode = 1;
    for ([[maybe_unused]] auto _ : state)
        idle();
    glFinish();
    burstMode = 0;
    state.counters["ticks/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

// The same frame's OpenGL work alone: clear, the same triangles sent the same
// way, swap; the optics were computed once beforehand.
void BM_DrawOnlyInWindow(benchmark::State& state)
{
    makeBusyWater();
    computeFrameOptics();
    for ([[maybe_unused]] auto _ : state) {
        clearAndPlaceCamera();
        sendFrame();
    }
    glFinish();
}

// The same frame's optics alone.
void BM_OpticsOnly(benchmark::State& state)
{
    makeBusyWater();
    for ([[maybe_unused]] auto _ : state) {
        computeFrameOptics();
        benchmark::ClobberMemory();
    }
}

// Wall-clock time: the X server and llvmpipe's threads work outside this thread.
// A ten-minute scene as --play plays it: 198,000 ticks (the page's pace of
// 330 a second) not drawn, burst drops in its first half, a few keys
// delivered at their ticks; the counter is scene time played per second, to
// be read beside the live ticks a second above.
void BM_PlayTenMinuteScene(benchmark::State& state)
{
    const std::int64_t ticks = 198000;
    RecordedScene scene;
    scene.width = scene.height = 300;
    scene.inputs = {{0, InputEvent::key, 'b', 0, 0},
                    {ticks / 2, InputEvent::key, 'b', 0, 0},
                    {ticks / 2, InputEvent::key, '5', 0, 0},
                    {ticks, InputEvent::key, 'f', 0, 0}};
    for ([[maybe_unused]] auto _ : state) {
        state.PauseTiming();
        makeFlatWater();
        startPlaying(scene);
        state.ResumeTiming();
        while (playScene(4096)) {
        }
    }
    state.counters["scene s/s"] = benchmark::Counter(600.0 * static_cast<double>(state.iterations()),
                                                     benchmark::Counter::kIsRate);
    state.counters["ticks/s"] = benchmark::Counter(static_cast<double>(ticks * state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

BENCHMARK(BM_TickInWindow)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_PlayTenMinuteScene)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_DrawOnlyInWindow)->Unit(benchmark::kMicrosecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_OpticsOnly)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->UseRealTime();

// Takes --size=WxH out of the arguments; 0x0 keeps the toolkit's default.
void takeSize(int& argc, char** argv, int& width, int& height)
{
    for (int k = 1; k < argc; ++k) {
        if (std::sscanf(argv[k], "--size=%dx%d", &width, &height) == 2) {
            for (int m = k; m < argc - 1; ++m)
                argv[m] = argv[m + 1];
            --argc;
            return;
        }
    }
}

void openWindow(int& argc, char** argv, int width, int height)
{
    makeFlatWater();
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH);
    if (width > 0)
        glutInitWindowSize(width, height);
    glutCreateWindow("Tarnwick (benchmark)");
    glEnable(GL_DEPTH_TEST);
    // Map the window and let the first reshape set viewport and projection.
    glutReshapeFunc(reshape);
    glutDisplayFunc(display);
    for (int k = 0; k < 20; ++k)
        glutMainLoopEvent();
}

} // namespace

int main(int argc, char** argv)
{
    std::unique_ptr<XvfbServer> xvfb;
    if (!std::getenv("DISPLAY")) {
        xvfb = std::make_unique<XvfbServer>("1280x1024x24");
        setenv("DISPLAY", xvfb->display().c_str(), 1);
    }
    int width = 0, height = 0;
    takeSize(argc, argv, width, height);
    openWindow(argc, argv, width, height);
    // The scenes start from the load state, which forgets the window's size.
    width = windowWidth;
    height = windowHeight;
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): OpenGL's strings are unsigned bytes
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::printf("window %dx%d, renderer %s\n", width, height, renderer);

    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double tick = reporter.microseconds("BM_TickInWindow/min_time:2.000/real_time");
    const double draw = reporter.microseconds("BM_DrawOnlyInWindow/min_time:2.000/real_time");
    const double optics = reporter.microseconds("BM_OpticsOnly/min_time:1.000/real_time");
    if (tick > 0 && draw > 0 && optics > 0) {
        std::printf("\n%dx%d: %.0f ticks/s; a tick %.0f us = drawing %.0f us + optics %.0f us + the rest\n", width,
                    height, 1e6 / tick, tick, draw, optics);
        std::printf("%dx%d: CPU share of a tick (optics / tick): %.1f%%\n", width, height, 100 * optics / tick);
    }
    benchmark::Shutdown();
    return 0;
}
