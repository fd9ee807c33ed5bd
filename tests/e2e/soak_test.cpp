// The soak: the real viewer (the sanitized build in the test run) driven for a
// while by a seeded random stream of everything a user can do: every key code
// the window can receive, presses, releases and drags of all three buttons in
// and outside the window, resizes from tiny to large, waves and resets. It
// finds what scenarios do not: hangs, crashes, memory growth, stray output.
//
// TARNWICK_SOAK_SECONDS (default 20) and TARNWICK_SOAK_SEED (default 1) set
// the length and the stream.
#include "e2e/viewer_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <random>
#include <sstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

long environmentNumber(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtol(text, nullptr, 10) : fallback;
}

// The beginnings of the lines the viewer prints, and the legend's lines.
bool isViewerLine(const std::string& line)
{
    static const char* const starts[] = {
        "there are the number of faces: ", "Resized to ", "Mouse click at ", "this is the mouse click: ",
        "hit at these: ", "Mouse is at ", "ORIGIN is ", "Translation:", "Rotate arguments: ", "Before Rotate: ",
        "After Rotate: ", "Rotate: ", "BEGINNING OF local origin coords: ", "After translationlocal origin coords: ",
        "localRotate", "LocalRotate z axis: ", "global axes key:", "local axes key:", "x - ", "y - ", "z - "};
    for (const char* start : starts)
        if (line.rfind(start, 0) == 0)
            return true;
    return line.empty();
}

class Soak {
public:
    Soak(XDriver& x, ChildProcess& viewer, unsigned seed) : x_(x), viewer_(viewer), random_(seed) {}

    int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    // Any key the window can receive but the exit keys (a wave only now and
    // then: it holds the viewer for 351 frames), a press or release anywhere,
    // a drag, a resize from tiny to large, a reset.
    void randomEvent()
    {
        const int pick = number(0, 99), w = x_.width(), h = x_.height();
        unsigned char code;
        if (pick < 55) {
            do
                code = static_cast<unsigned char>(number(0, 255));
            while (code == 27 || code == 'q' || code == 'Q' || (code == 'w' && number(0, 9) > 0) || !x_.typeCode(code));
        } else if (pick < 75) {
            std::invoke(number(0, 1) ? &XDriver::pressButton : &XDriver::releaseButton, x_, number(0, 2), number(-60, w + 60),
                        number(-60, h + 60));
        } else if (pick < 90) {
            x_.drag(number(0, 2), number(0, w), number(0, h), number(-200, w + 200), number(-200, h + 200), number(1, 12));
        } else if (pick < 97) {
            const bool tiny = number(0, 9) == 0;
            x_.resize(tiny ? number(1, 4) : number(20, 1000), tiny ? number(1, 4) : number(20, 740));
        } else {
            x_.typeChar('f');
        }
        ++events;
    }

    // The viewer has handled everything sent so far: a right click at a spot
    // of its own is answered. The stream waits for these every few events, so
    // that the work it sends never piles up.
    bool answers()
    {
        if (x_.width() < 60 || x_.height() < 60) // a tiny window: make room for the spots
            x_.resize(300, 300);
        x_.releaseAllButtons(); // a held button would swallow the press below
        ++checks;
        const int spotX = 5 + checks % 50, spotY = 5 + checks / 50;
        x_.pressButton(2, spotX, spotY);
        x_.releaseButton(2, spotX, spotY);
        const std::string place =
            "Mouse click at " + std::to_string(spotX) + " " + std::to_string(spotY) + ", button: 2, state ";
        return viewer_.waitFor(place + "0\n" + place + "1\n", Seconds(120));
    }

    // Resident memory at the start size, once the window has settled there.
    long memoryAtStartSize()
    {
        x_.resize(300, 300);
        answers();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        return viewer_.residentKilobytes();
    }

    long events = 0, checks = 0;

private:
    XDriver& x_;
    ChildProcess& viewer_;
    std::mt19937 random_;
};

TEST(SoakTest, RandomUseForAWhileLeavesTheViewerHealthy)
{
    const long seconds = environmentNumber("TARNWICK_SOAK_SECONDS", 20);
    const unsigned seed = static_cast<unsigned>(environmentNumber("TARNWICK_SOAK_SEED", 1));
    XvfbServer xvfb;
    XDriver x(xvfb.display());
    x.mapLatin1Keys(); // before the viewer reads the keymap
    const auto viewer = startOnDisplay({viewerPath()}, xvfb.display(), "Resized to 300 300\n");
    ASSERT_TRUE(x.findWindow("Tarnwick")) << viewer->errors();
    Soak soak(x, *viewer, seed);
    for (int k = 0; k < 60; ++k) // warm up (caches, driver state for large windows)
        soak.randomEvent();
    const long startMemory = soak.memoryAtStartSize();
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end) {
        soak.randomEvent();
        if (soak.events % 8 == 0) {
            ASSERT_TRUE(soak.answers()) << "no answer after " << soak.events << " events\n" << viewer->errors();
        }
        ASSERT_FALSE(viewer->waitForExit(Seconds(0))) << "the viewer ended\n" << viewer->errors();
    }
    const long endMemory = soak.memoryAtStartSize();
    x.typeChar('q');
    EXPECT_EQ(viewer->waitForExit(Seconds(60)), 0) << viewer->errors();
    EXPECT_EQ(viewer->errors(), "");
    std::istringstream lines(viewer->allOutput());
    int strange = 0;
    for (std::string line; std::getline(lines, line) && strange < 5;)
        if (!isViewerLine(line) && ++strange)
            ADD_FAILURE() << "not a line of the viewer's: \"" << line << "\"";
    // Same window size, start against end: no more than the allocator's churn.
    EXPECT_LT(endMemory, startMemory + 16 * 1024 + startMemory / 10);
    std::printf("soak: %ld s, seed %u: %ld events, %ld answer checks; resident memory at 300x300 %ld kB at the "
                "start, %ld kB at the end\n",
                seconds, seed, soak.events, soak.checks, startMemory, endMemory);
}

} // namespace
