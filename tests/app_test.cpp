// What both shells run, without a window: start state and reset, the orbit camera, the
// zoom, the pick search, the keys' switches; and the desktop's command-line options.
#include "app/about.h"
#include "app/camera.h"
#include "app/viewer_state.h"
#include "desktop/options.h"
#include "frame/frame.h"
#include "frame/local_rotate.h"
#include "optics/caustics.h"
#include "optics/mesh.h"
#include "support.h"
#include "water/drops.h"
#include "water/wave.h"

#include <cstdint>
#include <tuple>
#include <vector>

namespace {

using AppTest = CoreTest;

TEST_F(AppTest, StartStateIsRestoredWholeAndTheResetKeepsTheWater)
{
    placeEyeOnOrbit(); // as main does: (0, 10 cos 45, 10 sin 45)
    expectPoint(eyePos, 0, 7.0710678f, 7.0710678f);
    StdoutCapture trace;
    localRotate(1.0f, 'y');
    trace.text();
    lookAtOrigin = 0.0f;
    perspectiveMode = 0;
    burstMode = 1;
    wavePhase = 7.0f;
    tickCount = 99;
    heightField[3][3] = 5.0f;
    camAzimuth = 2.0f;
    zoomCamera(20);
    StdoutCapture resetOutput;
    resetScene();
    resetScene(); // a second reset is harmless
    EXPECT_EQ(resetOutput.text(), "");
    expectPoint(eyePos, 0, 0, 10, 0); // set directly, not from the angles
    EXPECT_EQ(std::make_tuple(camAzimuth, camElevation, camDistance, lookAtOrigin),
              std::make_tuple(0.0f, 1.57f, 10.0f, 1.0f));
    expectPoint(localAxisX, 1, 0, 0, 0);
    // The water, its mesh, the modes, counters and projection are left alone.
    EXPECT_EQ(std::make_tuple(faceCount, perspectiveMode, burstMode, wavePhase, tickCount, heightField[3][3]),
              std::make_tuple(7938, 0, 1, 7.0f, std::int64_t(99), 5.0f));

    windowWidth = 640; // as a reshape leaves it
    eyePos = {1.0f, 2.0f, 3.0f};
    StdoutCapture lines;
    restoreLoadState();
    expectPoint(eyePos, 0, 0, 10, 0); // until placeEyeOnOrbit
    EXPECT_EQ(lines.text(), "there are the number of faces: 7938\nthere are the number of faces: 3969\n");
    EXPECT_EQ(std::make_tuple(perspectiveMode, burstMode, sprinkleMode, tickCount, randomState, wavePhase),
              std::make_tuple(1, 0, 0, std::int64_t(0), 1u, 5.0f));
    EXPECT_EQ(std::make_tuple(camElevation, heightField[3][3], floorY, windowWidth),
              std::make_tuple(0.7853982f, 0.0f, -10.0f, 0));
    expectPoint(lightPos, 0, 10, 0, 0);
}

TEST_F(AppTest, ElevationLimitsApplyTheFirstRuleThatHolds)
{
    const std::pair<float, float> cases[] = {{1.6f, 1.5607964f}, {3.2f, 3.13f}, {3.14f, 3.13f},          {-0.2f, 0.01f},
                                             {0.0f, 0.01f},      {1.0f, 1.0f},  {1.5707963f, 1.5707963f}};
    for (const auto& [before, after] : cases) {
        camElevation = before;
        clampElevation();
        EXPECT_EQ(camElevation, after) << before;
    }
}

TEST_F(AppTest, OrbitTurnsOneDegreePerPixelAndZoomScalesTheEye)
{
    orbitCamera(-90, 0); // 90 pixels to the right: azimuth -90 degrees
    EXPECT_FLOAT_EQ(camAzimuth, -1.5707963f);
    expectPoint(eyePos, -7.0710678f, 7.0710678f, 0, 1e-5f);
    orbitCamera(0, 200); // 200 pixels up in one event passes 3.14: held below the floor
    EXPECT_EQ(camElevation, 3.13f);
    EXPECT_LT(eyePos.y, -9.9f);
    orbitCamera(0, -1); // a degree back down: past the level, so just above the water
    EXPECT_EQ(camElevation, 1.5607964f);

    camAzimuth = 0.0f;
    camElevation = 0.7853982f;
    placeEyeOnOrbit();
    for (int step = 0; step < 10; ++step)
        zoomCamera(10); // 100 pixels down in all: distance 25, the eye 2.5 times as far
    EXPECT_FLOAT_EQ(camDistance, 25.0f);
    expectPoint(eyePos, 0, 17.677670f, 17.677670f, 1e-4f);
    zoomCamera(-1000);
    EXPECT_EQ(camDistance, 0.1f);
}

// A projector that puts vertex (i, j) at window (10 i, 10 j), and fails for
// the vertices of row 7 (behind the eye, say).
TEST_F(AppTest, PickFindsTheFirstInteriorVertexStrictlyWithinFivePixels)
{
    std::vector<std::pair<int, int>> asked;
    const WindowProjector project = [&](Point p, double& winX, double& winY) {
        const int i = static_cast<int>(p.x) + 32, j = static_cast<int>(p.z) + 32;
        asked.emplace_back(i, j);
        winX = 10.0 * i;
        winY = 10.0 * j + p.y;
        return i != 7;
    };
    const struct {
        double x, y;
        bool hit;
        int i, j;
    } cases[] = {{204.9, 295.1, true, 20, 30}, {205, 300, false, 0, 0}, {200, 295, false, 0, 0},
                 {70, 70, false, 0, 0},        {0, 0, false, 0, 0},     {620, 620, true, 62, 62},
                 {630, 300, false, 0, 0},      {300, 630, false, 0, 0}, {0, 300, false, 0, 0},
                 {300, 0, false, 0, 0},        {10, 10, true, 1, 1}}; // the border rows and columns are never picked
    for (const auto& c : cases) {
        int i = -1, j = -1;
        EXPECT_EQ(findPickedVertex(c.x, c.y, project, i, j), c.hit) << c.x << "," << c.y;
        if (c.hit) {
            EXPECT_EQ(std::make_pair(i, j), std::make_pair(c.i, c.j)) << c.x << "," << c.y;
        }
    }
    EXPECT_EQ(asked.front(), (std::pair<int, int>{1, 1})); // interior only, row by row
    asked.clear();
    int i = 0, j = 0;
    heightField[20][30] = 3.0f; // the height moves the vertex on screen
    EXPECT_TRUE(findPickedVertex(200, 303, project, i, j));
    EXPECT_EQ(asked.size(), 19u * 62u + 30u);
    EXPECT_EQ(pointerYUp(0, 0, 300), 299.0); // pixel rows count up from the viewport's bottom
    EXPECT_EQ(pointerYUp(299, 10, 300), 10.0);
}

TEST_F(AppTest, KeysSwitchTheDropModesAndTheLookAtTarget)
{
    const struct {
        void (*key)();
        int burst, sprinkle;
    } steps[] = {{toggleBurstMode, 1, 0}, {toggleSprinkleMode, 0, 1}, {toggleBurstMode, 1, 0},
                 {toggleBurstMode, 0, 0}, {toggleSprinkleMode, 0, 1}, {toggleSprinkleMode, 0, 0}};
    for (const auto& step : steps) {
        step.key();
        EXPECT_EQ(std::make_pair(burstMode, sprinkleMode), std::make_pair(step.burst, step.sprinkle));
    }
    // The look-at toggle and the splash.
    StdoutCapture out;
    toggleLookAt();
    EXPECT_EQ(lookAtOrigin, 0.0f);
    toggleLookAt();
    EXPECT_EQ(out.text(), "ORIGIN is 0\nORIGIN is 1\n");
    EXPECT_EQ(lookAtOrigin, 1.0f);
    heightField[32][32] = 3.0f;
    splashCentre();
    splashCentre(); // sets, does not add
    EXPECT_EQ(heightField[32][32], 20.0f);
}

TEST_F(AppTest, HelpAndVersionAreAnsweredAndEverythingElseIsLeftToTheToolkit)
{
    const struct {
        std::vector<const char*> args;
        const char* printedStart; // nullptr: nothing answered
    } cases[] = {{{"tarnwick", "-geometry", "400x300", "-h"}, "Usage: tarnwick "},
                 {{"tarnwick", "--version"}, "tarnwick " TARNWICK_VERSION "\n"},
                 {{"tarnwick", "-display", "--help", "--helper"}, nullptr}}; // --help names a display
    for (const auto& c : cases) {
        StdoutCapture out;
        // NOLINTNEXTLINE(cppcoreguidelines-pro-type-const-cast): an argv is char** in C
        char** argv = const_cast<char**>(c.args.data());
        const bool answered = answerInformationOptions(static_cast<int>(c.args.size()), argv);
        const std::string text = out.text();
        EXPECT_EQ(answered, c.printedStart != nullptr) << c.args.back();
        EXPECT_EQ(text.rfind(c.printedStart ? c.printedStart : "", 0), 0u) << c.args.back();
        if (!c.printedStart) {
            EXPECT_EQ(text, "");
        }
    }
}

// --record and --play, with their file as the next word or after '=', are
// taken out of the arguments; the toolkit's own options stay, in their order,
// with the value of each that takes one.
TEST_F(AppTest, SceneOptionsAreTakenAndTheToolkitKeepsItsOwn)
{
    const struct {
        std::vector<const char*> args;
        std::vector<std::string> left; // empty: refused
        const char* record;
        const char* play;
        const char* check = nullptr;
    } cases[] = {
        {{"tarnwick", "-geometry", "640x480", "--play", "a.scene"},
         {"tarnwick", "-geometry", "640x480"},
         nullptr,
         "a.scene"},
        {{"tarnwick", "-iconic", "--record", "b.scene", "-sync"}, {"tarnwick", "-iconic", "-sync"}, "b.scene", nullptr},
        {{"tarnwick", "--record=c.scene", "--play=d.scene"}, {"tarnwick"}, "c.scene", "d.scene"},
        {{"tarnwick", "-display", "--play", "--record", "e"}, {"tarnwick", "-display", "--play"}, "e", nullptr},
        {{"tarnwick", "--playful", "--record-all"}, {"tarnwick", "--playful", "--record-all"}, nullptr, nullptr},
        {{"tarnwick", "--play"}, {}, nullptr, nullptr},
        {{"tarnwick", "--play="}, {}, nullptr, nullptr},
        {{"tarnwick", "--record", "f", "--record=g"}, {}, nullptr, nullptr},
        {{"tarnwick", "-sync", "--check", "h.scene"}, {"tarnwick", "-sync"}, nullptr, nullptr, "h.scene"},
        {{"tarnwick", "--check=i.scene"}, {"tarnwick"}, nullptr, nullptr, "i.scene"},
        {{"tarnwick", "--check", "j", "--check", "k"}, {}, nullptr, nullptr},
        {{"tarnwick", "--check", "j", "--play", "k"}, {}, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        std::vector<const char*> args = c.args;
        args.push_back(nullptr);
        int argc = static_cast<int>(c.args.size());
        SceneOptions options;
        ::testing::internal::CaptureStderr();
        // NOLINTNEXTLINE(cppcoreguidelines-pro-type-const-cast): an argv is char** in C
        const bool taken = takeSceneOptions(argc, const_cast<char**>(args.data()), options);
        const std::string refusal = ::testing::internal::GetCapturedStderr();
        const std::string name = c.args.back();
        EXPECT_EQ(taken, !c.left.empty()) << name;
        if (!taken) {
            EXPECT_TRUE(refusal.find("needs one file name, given once") != std::string::npos ||
                        refusal.find("--check plays its scene alone") != std::string::npos)
                << name << ": " << refusal;
            continue;
        }
        EXPECT_EQ(refusal, "") << name;
        EXPECT_EQ(std::vector<std::string>(args.begin(), args.begin() + argc), c.left) << name;
        EXPECT_EQ(args[static_cast<std::size_t>(argc)], nullptr) << name;
        EXPECT_STREQ(options.recordPath ? options.recordPath : "", c.record ? c.record : "") << name;
        EXPECT_STREQ(options.playPath ? options.playPath : "", c.play ? c.play : "") << name;
        EXPECT_STREQ(options.checkPath ? options.checkPath : "", c.check ? c.check : "") << name;
    }
}

} // namespace
