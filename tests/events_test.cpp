// events_test.cpp -- the one path of every input: the gate, what the
// recording writes (the rule of the redraw line), the player, and the page's
// recording in memory with its bound
#include "app/about.h"
#include "app/camera.h"
#include "app/events.h"
#include "app/recording.h"
#include "app/scene_file.h"
#include "app/viewer_state.h"
#include "support.h"
#include "test_shell.h"
#include "water/drops.h"
#include "web/page_recording.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>

namespace {

std::string recorded;

bool keepLine(const std::string& text)
{
    recorded += text;
    return true;
}

// The recorded lines after the scene's three first lines.
std::string inputLines()
{
    std::size_t at = 0;
    for (int line = 0; line < 3; ++line)
        at = recorded.find('\n', at) + 1;
    return recorded.substr(at);
}

class EventsTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        quiet_ = std::make_unique<StdoutCapture>(); // the callbacks' lines
        recorded.clear();
        shellCalls.clear();
        startRecording(keepLine, 300, 300);
    }
    void TearDown() override
    {
        stopRecording();
        quiet_.reset();
    }
    std::unique_ptr<StdoutCapture> quiet_;
};

InputEvent resize(int width, int height)
{
    return {0, InputEvent::resize, width, height, 0};
}

TEST_F(EventsTest, TheGateDropsTheUsersInputWhileASceneAndTheResizeThatFollowsIt)
{
    EXPECT_TRUE(takeInput(resize(300, 300)));
    EXPECT_TRUE(takeInput(resize(300, 300))) << "no scene has played: the same size is an input";
    RecordedScene scene;
    scene.width = scene.height = 300;
    scene.inputs = {
        {2, InputEvent::resize, 250, 200, 0}, {3, InputEvent::key, 'c', 0, 0}, {3, InputEvent::drop, 5, 9, 0}};
    startPlaying(scene);
    EXPECT_FALSE(takeInput({0, InputEvent::key, 'c', 0, 0}));
    EXPECT_FALSE(takeInput({0, InputEvent::drop, 7, 7, 0}));
    EXPECT_FALSE(takeInput(resize(640, 480)));
    EXPECT_FALSE(takeInput({0, InputEvent::press, 0, 10, 10}));
    while (playScene(16)) {
    }
    EXPECT_EQ(tickCount, 3);
    EXPECT_EQ(std::make_tuple(windowWidth, windowHeight), std::make_tuple(250, 200));
    EXPECT_EQ(lookAtOrigin, 0.0f) << "the scene's own key was delivered";
    EXPECT_EQ(heightField[5][9], pickDropHeight) << "and its drop, at its vertex";
    EXPECT_EQ(heightField[7][7], 0.0f);
    EXPECT_FALSE(takeInput(resize(250, 200))) << "the window following the scene's last size";
    EXPECT_TRUE(takeInput(resize(250, 201)));
    EXPECT_TRUE(takeInput({0, InputEvent::key, 'c', 0, 0}));
    EXPECT_TRUE(takeInput({0, InputEvent::drop, 62, 1, 0}));
    EXPECT_EQ(heightField[62][1], pickDropHeight);
    EXPECT_EQ(inputLines(), "0 resize 300 300\n0 resize 300 300\n2 resize 250 200\n3 key c\n3 drop 5 9\n"
                            "3 resize 250 201\n3 key c\n3 drop 62 1\n");
    EXPECT_EQ(shellCalls.front(), "viewport 300 300");
    EXPECT_NE(std::find(shellCalls.begin(), shellCalls.end(), "follow 250 200"), shellCalls.end())
        << "a played resize asks the window for the same size";
}

// A frame drawn between two inputs of one tick is written as a redraw line,
// before the second: a pick reads the view it left. Every tick draws a
// frame, so a redraw in an earlier tick, or after the last input, says nothing.
TEST_F(EventsTest, ARedrawIsWrittenOnlyBetweenTwoInputsOfOneTick)
{
    takeInput({0, InputEvent::key, 's', 0, 0});
    noteRedraw();
    takeInput({0, InputEvent::key, 's', 0, 0});
    noteRedraw();
    idle();
    takeInput({0, InputEvent::key, 's', 0, 0});
    takeInput({0, InputEvent::move, 4, 5, 0});
    noteRedraw();
    EXPECT_EQ(inputLines(), "0 key s\n0 redraw\n0 key s\n1 key s\n1 move 4 5\n");
}

// A recording checks the state every sceneCheckInterval ticks and once at its
// end; played back, every check matches, and a state that differs from the
// recording's is found at the first check after it, said once, naming where.
TEST_F(EventsTest, ChecksAreWrittenAsTheRecordingGoesAndComparedAsTheSceneIsPlayed)
{
    takeInput(resize(300, 300));
    takeInput({0, InputEvent::key, 'v', 0, 0}); // sprinkle: the generator draws
    for (std::int64_t k = 0; k < 2 * sceneCheckInterval + 5; ++k)
        runTick();
    takeInput({0, InputEvent::key, 'v', 0, 0});
    recordCheck();
    recordCheck(); // one at a tick
    stopRecording();
    const std::string lines = inputLines();
    std::vector<std::string> checkTicks;
    for (std::size_t at = lines.find(" check "); at != std::string::npos; at = lines.find(" check ", at + 1))
        checkTicks.push_back(lines.substr(lines.rfind('\n', at) + 1, at - lines.rfind('\n', at) - 1));
    EXPECT_EQ(checkTicks, (std::vector<std::string>{"330", "660", "665"})) << lines;
    const auto firstCheck = static_cast<std::ptrdiff_t>(lines.find(" check "));
    const int firstCheckLine = 4 + static_cast<int>(std::count(lines.begin(), lines.begin() + firstCheck, '\n'));

    RecordedScene scene;
    std::string error;
    ASSERT_TRUE(readScene(recorded, scene, error)) << error;
    const auto play = [&scene](std::uint32_t generatorAtStart) {
        restoreLoadState();
        randomState = generatorAtStart;
        shellCalls.clear();
        startPlaying(scene);
        while (playScene(1000)) {
        }
        return playedChecks();
    };
    const PlayedChecks same = play(1);
    EXPECT_EQ(std::make_tuple(same.matched, same.parted), std::make_tuple(3, 0));
    EXPECT_EQ(std::count_if(shellCalls.begin(), shellCalls.end(),
                            [](const std::string& call) { return call.rfind("parted", 0) == 0; }),
              0);

    const PlayedChecks other = play(2);
    EXPECT_EQ(std::make_tuple(other.matched, other.parted, other.partedTick), std::make_tuple(0, 3, std::int64_t{330}));
    const std::string version = programVersion();
    const std::vector<std::string> said = {"parted at tick 330 (line " + std::to_string(firstCheckLine) +
                                           "): recorded by Tarnwick " + version + ", played by Tarnwick " + version};
    std::vector<std::string> parted;
    std::copy_if(shellCalls.begin(), shellCalls.end(), std::back_inserter(parted),
                 [](const std::string& call) { return call.rfind("parted", 0) == 0; });
    EXPECT_EQ(parted, said);
}

int timesFull = 0;
int fullAt = 0;

} // namespace

void pageRecordingFull(int inputs)
{
    ++timesFull;
    fullAt = inputs;
}

namespace {

// The page keeps every session in memory, up to its bound: the input past it
// stops the recording, and the page is told once.
TEST_F(EventsTest, ThePagesRecordingStopsAtItsBoundAndSaysSoOnce)
{
    stopRecording();
    startPageRecording(300, 300);
    EXPECT_EQ(pageRecordedScene().rfind("tarnwick scene 2\nsize 300 300\n", 0), 0u);
    const std::size_t firstLinesBytes = pageRecordedScene().size();
    for (int k = 0; k < pageMaxRecordedInputs; ++k)
        recordInput({0, InputEvent::key, 'a', 0, 0});
    EXPECT_EQ(pageRecordedInputs(), pageMaxRecordedInputs);
    EXPECT_TRUE(isRecording());
    EXPECT_EQ(timesFull, 0);
    const std::size_t size = pageRecordedScene().size();
    EXPECT_EQ(size, firstLinesBytes + std::string("0 key a\n").size() * pageMaxRecordedInputs);
    recordInput({0, InputEvent::key, 'b', 0, 0});
    recordInput({0, InputEvent::key, 'b', 0, 0});
    EXPECT_FALSE(isRecording());
    EXPECT_EQ(std::make_tuple(timesFull, fullAt), std::make_tuple(1, pageMaxRecordedInputs));
    EXPECT_EQ(pageRecordedScene().size(), size);
    EXPECT_EQ(pageRecordedScene().find("key b"), std::string::npos);
    startPageRecording(200, 100);
    EXPECT_EQ(pageRecordedInputs(), 0) << "a new recording starts empty";
    EXPECT_EQ(pageRecordedScene().rfind("tarnwick scene 2\nsize 200 100\n", 0), 0u);
}

} // namespace
