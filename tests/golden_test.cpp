// golden_test.cpp -- the golden scenes (tests/golden/) played whole by the
// core of this build: every check must match. The same test runs in every
// native build of the unit tests and in both WebAssembly modules under
// Node.js, so a change to the arithmetic anywhere fails here, naming the tick
// where the water parted.
#include "app/recording.h"
#include "app/scene_file.h"
#include "app/start.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The scenes the folder's manifest lists ("SHA-256  NAME" a line).
std::vector<std::string> goldenScenes()
{
    std::istringstream manifest(readFile(std::string(TARNWICK_GOLDEN_DIR) + "/SHA256SUMS"));
    std::vector<std::string> names;
    for (std::string digest, name; manifest >> digest >> name;)
        names.push_back(name);
    return names;
}

// The key that ends a scene by ending the program (Esc, q) changes nothing
// else: played without it, the check its recording wrote after it is
// compared all the same, and the tests' program goes on.
void leaveOutTheEnd(RecordedScene& scene)
{
    auto last = scene.inputs.end();
    while (last != scene.inputs.begin() && (last - 1)->kind == InputEvent::check)
        --last;
    if (last == scene.inputs.begin())
        return;
    const InputEvent& end = *(last - 1);
    if (end.kind == InputEvent::key && (end.a == 27 || end.a == 'q' || end.a == 'Q')) {
        scene.lines.erase(scene.lines.begin() + (last - 1 - scene.inputs.begin()));
        scene.inputs.erase(last - 1);
    }
}

// The scene from the program's start, as --check plays it: no window, the
// view OpenGL would hold standing for one.
PlayedChecks playWhole(RecordedScene scene)
{
    leaveOutTheEnd(scene);
    StdoutCapture quiet;
    shellKeepsView = true;
    startViewer();
    startPlaying(scene);
    while (playScene(1 << 16)) {
    }
    shellKeepsView = false;
    return playedChecks();
}

} // namespace

TEST(GoldenTest, EveryGoldenScenePlaysToEveryCheck)
{
    const std::vector<std::string> names = goldenScenes();
    ASSERT_GE(names.size(), 5u) << "the manifest " TARNWICK_GOLDEN_DIR "/SHA256SUMS lists the golden scenes";
    for (const std::string& name : names) {
        RecordedScene scene;
        std::string why;
        ASSERT_TRUE(readScene(readFile(std::string(TARNWICK_GOLDEN_DIR) + "/" + name), scene, why))
            << name << ": " << why;
        const PlayedChecks checks = playWhole(scene);
        EXPECT_EQ(checks.parted, 0) << name << " parted from its recording " << checks.partedWhere;
        EXPECT_EQ(checks.matched,
                  std::count_if(scene.inputs.begin(), scene.inputs.end(),
                                [](const InputEvent& input) { return input.kind == InputEvent::check; }))
            << name << ": every check compared";
        EXPECT_GT(checks.matched, 0) << name << " has no check";
    }
}
