// golden_test.cpp -- the golden scenes (tests/golden/) played whole by the
// core of this build: every check must match. The same test runs in every
// native build of the unit tests and in both WebAssembly modules under
// Node.js, so a change to the arithmetic anywhere fails here, naming the tick
// where the water parted.
#include "app/recording.h"
#include "app/scene_file.h"
#include "app/start.h"
#include "support.h"
#include "test_shell.h"

#include <gtest/gtest.h>

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

struct Played {
    PlayedChecks checks;
    int endedWith = -1; // the status a scene ending the program gave
};

// The scene from the program's start, as --check plays it: no window, the
// view OpenGL would hold standing for one.
Played playWhole(const RecordedScene& scene)
{
    StdoutCapture quiet;
    shellKeepsView = true;
    Played played;
    startViewer();
    startPlaying(scene);
    try {
        while (playScene(1 << 16)) {
        }
    } catch (const ProgramEnded& ended) {
        played.endedWith = ended.status;
        stopPlaying();
    }
    shellKeepsView = false;
    played.checks = playedChecks();
    return played;
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
        const Played played = playWhole(scene);
        EXPECT_EQ(played.checks.parted, 0) << name << " parted from its recording " << played.checks.partedWhere;
        EXPECT_GT(played.checks.matched, 0) << name << " has no check";
    }
}
