// The soak: the real viewer (the sanitized build in the test run) driven for a
// while by a seeded random stream of everything a user can do: every key code
// the window can receive, presses, releases and drags of all three buttons in
// and outside the window, resizes from tiny to large, bursts of input during
// waves, resets. It must keep answering, print only its own line formats, not
// grow in memory, report nothing to stderr, and exit with 0 on 'q'.
//
// TARNWICK_SOAK_SECONDS (default 60) and TARNWICK_SOAK_SEED (default 1) set
// the length and the stream.
#include "e2e/viewer_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <regex>
#include <sstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

long environmentNumber(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtol(text, nullptr, 10) : fallback;
}

// Every line the viewer can print.
bool isViewerLine(const std::string& line)
{
    static const std::string f = R"(-?\d+\.\d{6})";
    static const std::string axes = "(" + f + "), (" + f + "), (" + f + ")";
    static const std::regex formats(
        "|there are the number of faces: (7938|3969)"
        "|Resized to \\d+ \\d+"
        "|Mouse click at -?\\d+ -?\\d+, button: \\d+, state [01]"
        "|this is the mouse click: -?\\d+\\.000000, -?\\d+\\.000000"
        "|hit at these: \\d+, \\d+"
        "|Mouse is at -?\\d+, -?\\d+"
        "|ORIGIN is [01]"
        "|global axes key:|local axes key:|x - green|y - blue|z - magenta|x - orange|y - cyan|z - yellow"
        "|Translation:" + axes +
        "|Rotate arguments: cosine and sine: " + f + ", " + f +
        "|(Before |After )?Rotate: [xyz]coordinates : " + axes +
        "|(BEGINNING OF |After translation)local origin coords: " + f + "," + f + "," + f +
        "|localRotate: [xyz]coordinates : " + axes +
        "|LocalRotate z axis: length, a, b, c, d are: " + f + ", " + f + ", " + f + ", " + f + "\\. " + f + " "
        "|localRotate( after x rotation)?: [xyz]coordinates \\(xz\\): " + axes +
        "|localRotate( after y rotation)?: [xyz]coordinates \\(z\\): " + axes);
    return std::regex_match(line, formats);
}

struct SoakCounts {
    long keys = 0, buttons = 0, drags = 0, resizes = 0, waves = 0, resets = 0, checks = 0;
    long events() const { return keys + buttons + drags + resizes; }
};

class Soak {
public:
    Soak(XDriver& x, ChildProcess& viewer, unsigned seed) : x_(x), viewer_(viewer), random_(seed) {}

    int number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    // Any key the window can receive but the exit keys (Escape, q, Q, and
    // Ctrl+[ which is Escape too).
    void randomKey()
    {
        unsigned char code;
        do
            code = static_cast<unsigned char>(number(0, 255));
        while (code == 27 || code == 'q' || code == 'Q' || !x_.typeCode(code));
        counts.keys++;
        counts.waves += code == 'w';
        counts.resets += code == 'f';
    }

    void randomButton()
    {
        const int button = number(0, 2);
        const int px = number(-60, x_.width() + 60), py = number(-60, x_.height() + 60);
        if (number(0, 1))
            x_.pressButton(button, px, py);
        else
            x_.releaseButton(button, px, py);
        counts.buttons++;
    }

    void randomDrag()
    {
        const int w = x_.width(), h = x_.height();
        const int steps = number(1, 12);
        x_.drag(number(0, 2), number(0, w), number(0, h), number(-200, w + 200), number(-200, h + 200), steps);
        counts.drags++;
    }

    void randomResize()
    {
        const int size = number(0, 9);
        if (size == 0)
            x_.resize(number(1, 4), number(1, 4));
        else
            x_.resize(number(20, 1000), number(20, 740));
        counts.resizes++;
    }

    void burstDuringWave()
    {
        x_.typeChar('w');
        counts.keys++;
        counts.waves++;
        for (int k = number(5, 30); k > 0; --k)
            randomEvent(false);
    }

    void randomEvent(bool waves = true)
    {
        const int pick = number(0, 99);
        if (pick < 55)
            randomKey();
        else if (pick < 75)
            randomButton();
        else if (pick < 88)
            randomDrag();
        else if (pick < 95)
            randomResize();
        else if (pick < 99 || !waves || number(0, 4) > 0) {
            x_.typeChar('f');
            counts.keys++;
            counts.resets++;
        } else
            burstDuringWave(); // one event in 500: a wave is 351 frames long

    }

    // The viewer has handled everything sent so far: a right click at a spot
    // of its own (which only sets the zoom flag) is answered within the
    // timeout. Unlike a 'c', no event of the random stream can answer for it.
    // The stream waits for these answers every few events, so that the work
    // it sends never piles up beyond what the timeout allows.
    bool answers()
    {
        const auto start = Clock::now();
        if (x_.width() < 60 || x_.height() < 60) // a tiny window: make room for the spots
            x_.resize(300, 300);
        x_.releaseAllButtons(); // a held button would swallow the press below
        const int check = static_cast<int>(++counts.checks);
        const int spotX = 5 + check % 50, spotY = 5 + check / 50;
        x_.pressButton(2, spotX, spotY);
        x_.releaseButton(2, spotX, spotY);
        const std::string place =
            "Mouse click at " + std::to_string(spotX) + " " + std::to_string(spotY) + ", button: 2, state ";
        const bool answered = viewer_.waitFor(place + "0\n" + place + "1\n", Seconds(120));
        longestWait = std::max(longestWait, Seconds(Clock::now() - start).count());
        return answered;
    }

    // Resident memory at the start size, once the window has settled there.
    long memoryAtStartSize()
    {
        if (x_.width() != 300 || x_.height() != 300) {
            x_.resize(300, 300);
            viewer_.waitFor("Resized to 300 300\n", Seconds(30));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        return viewer_.residentKilobytes();
    }

    SoakCounts counts;
    double longestWait = 0; // seconds

private:
    XDriver& x_;
    ChildProcess& viewer_;
    std::mt19937 random_;
};

TEST(SoakTest, RandomUseForAWhileLeavesTheViewerHealthy)
{
    const long seconds = environmentNumber("TARNWICK_SOAK_SECONDS", 60);
    const unsigned seed = static_cast<unsigned>(environmentNumber("TARNWICK_SOAK_SEED", 1));
    XvfbServer xvfb;
    XDriver x(xvfb.display());
    x.mapLatin1Keys();
    // A smaller quarantine than the sanitizer's default, so that resident
    // memory says what the program holds, not what the checker keeps aside.
    ChildProcess viewer({viewerPath()}, {"DISPLAY=" + xvfb.display(), "ASAN_OPTIONS=quarantine_size_mb=16"});
    ASSERT_TRUE(viewer.waitFor("Resized to 300 300\n", Seconds(30))) << viewer.errors();
    ASSERT_TRUE(x.findWindow("Tarnwick"));
    x.movePointer(150, 150);

    Soak soak(x, viewer, seed);
    // Warm up (caches, driver state for large windows), then take the baseline.
    for (int k = 0; k < 60; ++k)
        soak.randomEvent(false);
    ASSERT_TRUE(soak.answers()) << viewer.errors();
    const long startMemory = soak.memoryAtStartSize();
    long peakMemory = startMemory, endMemory = 0;

    const auto end = Clock::now() + std::chrono::seconds(seconds);
    for (long event = 1; Clock::now() < end; ++event) {
        soak.randomEvent();
        viewer.drain(Seconds(0));
        peakMemory = std::max(peakMemory, viewer.residentKilobytes());
        if (event % 8 == 0) {
            ASSERT_TRUE(soak.answers()) << "no answer after " << soak.counts.events() << " events; window "
                                        << x.width() << "x" << x.height() << "; the output ends with:\n"
                                        << viewer.allOutput().substr(viewer.allOutput().size() > 1500
                                                                         ? viewer.allOutput().size() - 1500
                                                                         : 0)
                                        << viewer.errors();
        }
        ASSERT_FALSE(viewer.waitForExit(Seconds(0))) << "the viewer ended\n" << viewer.errors();
    }
    ASSERT_TRUE(soak.answers()) << viewer.errors();
    endMemory = soak.memoryAtStartSize();

    x.typeChar('q');
    EXPECT_EQ(viewer.waitForExit(Seconds(60)), 0) << viewer.errors();
    EXPECT_EQ(viewer.errors(), "");

    std::istringstream lines(viewer.allOutput());
    std::string line;
    long count = 0, strange = 0;
    while (std::getline(lines, line)) {
        ++count;
        if (!isViewerLine(line) && strange++ < 5)
            ADD_FAILURE() << "not a line of the viewer's: \"" << line << "\"";
    }
    EXPECT_EQ(strange, 0);
    // Memory at the same window size, start against end: no more than a small
    // allowance for the allocator's own churn.
    EXPECT_LT(endMemory, startMemory + 16 * 1024 + startMemory / 10);

    const SoakCounts& c = soak.counts;
    std::printf("soak: %ld s, seed %u: %ld events (%ld keys, %ld button events, %ld drags, %ld resizes), "
                "%ld waves, %ld resets, %ld answer checks (longest wait %.1f s), %ld stdout lines; resident "
                "memory at 300x300 %ld kB at the start, %ld kB at the end, peak %ld kB\n",
                seconds, seed, c.events(), c.keys, c.buttons, c.drags, c.resizes, c.waves, c.resets, c.checks,
                soak.longestWait, count, startMemory, endMemory, peakMemory);
}

} // namespace
