// scene_file_test.cpp -- the scene file: what is written reads back the same,
// and every kind of text that is not a scene is refused whole, naming its line
#include "app/about.h"
#include "app/scene_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string header = "tarnwick scene 1\nsize 300 200\nprogram 0.1.0\n";
const std::string headerWithChecks = "tarnwick scene 2\nsize 300 200\nprogram 0.1.0\n";

TEST(SceneFileTest, EveryInputIsWrittenAsALineThatReadsBackTheSame)
{
    const InputEvent inputs[] = {
        {0, InputEvent::resize, 300, 200, 0},
        {7, InputEvent::key, 'b', 0, 0},
        {7, InputEvent::key, ' ', 0, 0},
        {7, InputEvent::key, 27, 0, 0},
        {7, InputEvent::key, '#', 0, 0},
        {7, InputEvent::key, 0xe9, 0, 0},
        {7, InputEvent::key, 0, 0, 0},
        {7, InputEvent::key, 127, 0, 0},
        {8, InputEvent::press, 1, 150, -3},
        {8, InputEvent::move, -32767, 32767, 0},
        {8, InputEvent::release, 31, 0, 0},
        {8, InputEvent::redraw, 0, 0, 0},
        {8, InputEvent::check, 0, 0, 0, 0x0123456789abcdefULL},
        {9, InputEvent::check, 0, 0, 0, ~0ULL},
        {9, InputEvent::drop, 1, 62, 0},
        {sceneMaxTick, InputEvent::resize, 0, sceneMaxSize, 0},
    };
    std::string text = sceneHeader(300, 200);
    EXPECT_EQ(text, "tarnwick scene 2\nsize 300 200\nprogram " + std::string(programVersion()) + "\n");
    for (const InputEvent& input : inputs)
        text += sceneLine(input);
    EXPECT_NE(text.find("7 key Space\n7 key Esc\n7 key #\n7 key 0xe9\n7 key 0x00\n7 key Delete\n8 press 1 150 -3\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("8 check 0123456789abcdef\n9 check ffffffffffffffff\n9 drop 1 62\n"), std::string::npos)
        << text;

    RecordedScene scene;
    std::string error;
    ASSERT_TRUE(readScene(text, scene, error)) << error;
    EXPECT_EQ(std::make_tuple(scene.width, scene.height, scene.program), std::make_tuple(300, 200, programVersion()));
    ASSERT_EQ(scene.inputs.size(), std::size(inputs));
    for (std::size_t k = 0; k < scene.inputs.size(); ++k) {
        const InputEvent &read = scene.inputs[k], &written = inputs[k];
        EXPECT_EQ(std::make_tuple(read.tick, read.kind, read.a, read.b, read.c, read.hash),
                  std::make_tuple(written.tick, written.kind, written.a, written.b, written.c, written.hash))
            << sceneLine(written);
    }
}

TEST(SceneFileTest, CommentsBlankLinesWindowsLineEndsAndKeyNamesAreRead)
{
    RecordedScene scene;
    std::string error;
    ASSERT_TRUE(readScene("# made by hand: café\n\ntarnwick scene 1\r\nsize 1 1\n  \nprogram x\n# pause\n3 key Enter\n"
                          "3\tkey 0x41\n4 key Tab",
                          scene, error))
        << error;
    ASSERT_EQ(scene.inputs.size(), 3u);
    EXPECT_EQ(std::make_tuple(scene.inputs[0].a, scene.inputs[1].a, scene.inputs[2].a, scene.inputs[2].tick),
              std::make_tuple('\r', 'A', '\t', std::int64_t{4}));
}

// One row a kind of text that is not a scene: the line it names and a word of
// the reason.
struct Refusal {
    const char* name;
    std::string text;
    std::string expected;
};

// The reader's bounds hold what they say: a scene of exactly as many bytes,
// inputs and bytes in a line as a scene may have is read whole (one more of
// each is refused, in the table below).
TEST(SceneFileTest, AScenePreciselyAtEveryBoundIsRead)
{
    std::string longest = header + "0 key a" + std::string(sceneMaxLineBytes - 7, ' ') + "\n";
    ASSERT_EQ(longest.size() - header.size(), sceneMaxLineBytes + 1);
    std::string mostInputs = header;
    for (std::size_t k = 0; k < sceneMaxInputs; ++k)
        mostInputs += "1 key a\n";
    std::string largest = header + "1 key b\n";
    const std::string comment = "#" + std::string(1000, 'x') + "\n";
    while (largest.size() + comment.size() + 2 <= sceneMaxBytes)
        largest += comment;
    largest += "#" + std::string(sceneMaxBytes - largest.size() - 2, 'x') + "\n";
    ASSERT_EQ(largest.size(), sceneMaxBytes);
    for (const auto& [text, inputs] : {std::pair{longest, std::size_t{1}}, std::pair{mostInputs, sceneMaxInputs},
                                       std::pair{largest, std::size_t{1}}}) {
        RecordedScene scene;
        std::string error;
        EXPECT_TRUE(readScene(text, scene, error)) << error;
        EXPECT_EQ(scene.inputs.size(), inputs) << error;
    }
}

TEST(SceneFileTest, WhatIsNotASceneIsRefusedWholeNamingTheLine)
{
    const std::string big(sceneMaxBytes + 1, '#');
    std::string manyInputs = header;
    for (std::size_t k = 0; k <= sceneMaxInputs; ++k)
        manyInputs += "1 key a\n";
    std::string denseChecks = headerWithChecks; // half inputs, half checks: their lines count alike
    for (std::size_t k = 0; k <= sceneMaxInputs; ++k)
        denseChecks += k % 2 ? "1 check 0123456789abcdef\n" : "1 key a\n";
    const Refusal refusals[] = {
        {"empty", "", "line 1: the scene is empty"},
        {"another format", "P3\n300 300\n", "line 1: this is not a Tarnwick scene"},
        {"a later format", "tarnwick scene 3\nsize 3 3\nprogram 9\n", "line 1: the scene is in format 3, from a later"},
        {"a format that is no number", "tarnwick scene one\n", "line 1: the format's version \"one\""},
        {"no size", "tarnwick scene 1\nprogram 1\n", "line 2: expected the window's size"},
        {"size misspelt", "tarnwick scene 1\nsise 300 300\nprogram 1\n", "line 2: expected the window's size"},
        {"size with one number", "tarnwick scene 1\nsize 300\nprogram 1\n", "line 2: expected the window's size"},
        {"size 0", "tarnwick scene 1\nsize 0 3\nprogram 1\n", "line 2: the width \"0\" is not"},
        {"size beyond", "tarnwick scene 1\nsize 3 16385\nprogram 1\n", "line 2: the height \"16385\""},
        {"no program", "tarnwick scene 1\nsize 3 3\n", "line 3: the scene ends inside its first lines"},
        {"unknown input", header + "5 jump 1\n", "line 4: unknown input \"jump\""},
        {"ticks going back", header + "5 key a\n\n4 key b\n", "line 6: the tick goes back from 5 to 4"},
        {"a negative tick", header + "-1 key a\n", "line 4: the tick \"-1\""},
        {"a tick beyond", header + "100000001 key a\n", "line 4: the tick \"100000001\""},
        {"a tick with a sign", header + "+5 key a\n", "line 4: the tick \"+5\""},
        {"a tick in hex", header + "0x10 key a\n", "line 4: the tick \"0x10\""},
        {"no input", header + "5\n", "line 4: a tick and no input"},
        {"too few values", header + "5 press 1 2\n", "line 4: \"press\" takes 3 values"},
        {"too many values", header + "5 redraw 1\n", "line 4: \"redraw\" takes 0 values"},
        {"a key of two characters", header + "5 key ab\n", "line 4: \"ab\" is not a key"},
        {"a key beyond a byte", header + "5 key 0x1ff\n", "line 4: \"0x1ff\" is not a key"},
        {"a button beyond", header + "5 press 32 1 1\n", "line 4: the button \"32\""},
        {"a coordinate beyond", header + "5 move 1 -32768\n", "line 4: y \"-32768\""},
        {"a resize beyond", header + "5 resize 16385 1\n", "line 4: the width \"16385\""},
        {"a drop on the border", header + "5 drop 0 5\n", "line 4: the row \"0\""},
        {"a drop beyond the grid", header + "5 drop 5 63\n", "line 4: the column \"63\""},
        {"a drop without its column", header + "5 drop 5\n", "line 4: \"drop\" takes 2 values"},
        {"a number with junk", header + "5 move 1 2px\n", "line 4: y \"2px\""},
        {"a control byte", header + "5 key a\x01\n", "line 4: the line is not text"},
        {"a NUL", header + std::string("# \0\n", 4), "line 4: the line is not text"},
        {"broken UTF-8", header + "# caf\xc3\n", "line 4: the line is not text"},
        {"a line too long", header + "#" + std::string(sceneMaxLineBytes, 'x') + "\n", "line 4: the line is longer"},
        {"too large", big, "the scene is " + std::to_string(big.size()) + " bytes"},
        {"too many inputs", manyInputs, "line " + std::to_string(sceneMaxInputs + 4) + ": more than"},
        {"checks too dense", denseChecks, "line " + std::to_string(sceneMaxInputs + 4) + ": more than"},
        {"a check in format 1", header + "5 check 0123456789abcdef\n", "line 4: a check in a scene of format 1"},
        {"a check too short", headerWithChecks + "5 check 0123456789abcde\n", "line 4: the check \"0123456789abcde\""},
        {"a check too long", headerWithChecks + "5 check 0123456789abcdef0\n", "line 4: the check \"0123"},
        {"a check in capitals", headerWithChecks + "5 check 0123456789ABCDEF\n", "line 4: the check \"0123"},
        {"a check not hex", headerWithChecks + "5 check 0123456789abcdeg\n", "line 4: the check \"0123"},
        {"a check with a sign", headerWithChecks + "5 check -123456789abcdef\n", "line 4: the check \"-123"},
        {"a check without its hash", headerWithChecks + "5 check\n", "line 4: \"check\" takes 1 values"},
        {"a check going back", headerWithChecks + "5 key a\n4 check 0123456789abcdef\n",
         "line 5: the tick goes back from 5 to 4"},
    };
    for (const Refusal& refusal : refusals) {
        RecordedScene scene;
        scene.width = 9;
        std::string error;
        EXPECT_FALSE(readScene(refusal.text, scene, error)) << refusal.name;
        EXPECT_EQ(error.compare(0, refusal.expected.size(), refusal.expected), 0) << refusal.name << ": " << error;
        EXPECT_TRUE(scene.inputs.empty() && scene.width == 0) << refusal.name << ": half read";
    }
}

} // namespace
