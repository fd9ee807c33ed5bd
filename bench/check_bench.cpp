// check_bench.cpp -- what a scene's checks cost: one hash of the program's
// state, and the ten-minute golden scene played without a window (as
// `tarnwick --check` plays it), with its checks compared and with its check
// lines left out, side by side in one run.
#include "bench/report.h"
#include "bench/water_states.h"

#include "app/recording.h"
#include "app/scene_file.h"
#include "app/start.h"
#include "app/state_hash.h"
#include "desktop/check.h"
#include "water/drops.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

void BM_StateHash(benchmark::State& state)
{
    makeBusyWater();
    for ([[maybe_unused]] auto _ : state)
        benchmark::DoNotOptimize(stateHash());
}
BENCHMARK(BM_StateHash)->Unit(benchmark::kMicrosecond);

// The golden scene without its last input (q would end the program), with or
// without its checks, to the same tick.
RecordedScene tenMinutes(bool withChecks)
{
    std::ifstream file(std::string(TARNWICK_GOLDEN_DIR) + "/ten-minutes.scene");
    std::ostringstream text;
    text << file.rdbuf();
    RecordedScene scene;
    std::string why;
    if (!readScene(text.str(), scene, why)) {
        std::fprintf(stderr, "check_bench: %s\n", why.c_str());
        std::exit(2);
    }
    const auto ends = std::find_if(scene.inputs.begin(), scene.inputs.end(), [](const InputEvent& input) {
        return input.kind == InputEvent::key && input.a == 'q';
    });
    scene.inputs.erase(ends, scene.inputs.end());
    if (!withChecks) {
        // As long without them: a redraw (the camera placed) at the last check's tick.
        const std::int64_t end = scene.inputs.back().tick;
        scene.inputs.erase(std::remove_if(scene.inputs.begin(), scene.inputs.end(),
                                          [](const InputEvent& input) { return input.kind == InputEvent::check; }),
                           scene.inputs.end());
        scene.inputs.push_back({end, InputEvent::redraw});
    }
    scene.lines.clear();
    return scene;
}

void BM_PlayTenMinutes(benchmark::State& state, bool withChecks)
{
    const RecordedScene scene = tenMinutes(withChecks);
    std::int64_t ticks = 0;
    silenceProgramOutput(); // the benchmark's own lines are on standard output
    for ([[maybe_unused]] auto _ : state) {
        startViewer();
        startPlaying(scene);
        while (playScene(1 << 16)) {
        }
        ticks += tickCount;
    }
    restoreProgramOutput();
    if (withChecks && playedChecks().parted > 0)
        state.SkipWithError("the scene parted from its recording");
    state.counters["ticks/s"] = benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BM_PlayTenMinutes, without_checks, false)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_PlayTenMinutes, with_checks, true)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    windowless = true; // the desktop's shell without a window, as --check runs it
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double without = reporter.microseconds("BM_PlayTenMinutes/without_checks/iterations:3");
    const double with = reporter.microseconds("BM_PlayTenMinutes/with_checks/iterations:3");
    if (without > 0 && with > 0)
        std::printf("\nThe ten-minute scene without a window, measured in this run: %.0f ms without its checks, "
                    "%.0f ms comparing its 601 (%.1f %% more)\n",
                    without / 1000, with / 1000, 100 * (with / without - 1));
    benchmark::Shutdown();
    return 0;
}
