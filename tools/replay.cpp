// replay.cpp -- plays a script of user input to the real viewer on a private
// Xvfb and writes what it printed, with the window's titles and pictures
// where the script asks for them: the desktop's side of a comparison with the
// web page, which plays the same script.
//
// Usage: tarnwick_replay VIEWER SCRIPT OUTPUT-FOLDER [VIEWER-OPTION...]
// Script lines (blank lines and # comments skipped):
//   key C | key Esc         types a character, or Esc, Tab, Enter,
//                           Backspace, Space
//   press B X Y / move X Y / release B X Y    a button (0 left, 1 middle,
//                           2 right) and the pointer, in window pixels
//   title                   notes the window's title in the transcript
//   picture NAME            saves the window as NAME.png, once the water is calm
// The transcript (OUTPUT-FOLDER/transcript.txt) is everything the viewer
// printed after its start lines, with "# title: T" lines and, once the last
// line's key has ended it, "# exit: N".
#include "tools/xdriver.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Lets the viewer run until it has had `progress` of processor time, or
// `cap` of wall time has passed, or it has ended. Its idle ticks run and draw
// whether or not the water moves, so processor time measures how far the
// program has come, however busy the machine is. Returns what it printed
// meanwhile when `read`; otherwise that is left for a later read.
std::string letRun(ChildProcess& viewer, Seconds progress, Seconds cap, bool read)
{
    std::string printed;
    const Seconds start = viewer.processorTime();
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::nanoseconds>(cap);
    do {
        if (read)
            printed += viewer.drain(Seconds(0.02));
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (viewer.processorTime() - start < progress && std::chrono::steady_clock::now() < end &&
             !viewer.waitForExit(Seconds(0)));
    return printed;
}

// Everything the viewer prints until it has been quiet for a moment: for a
// fifth of a second of its own processor time, so that a busy machine, which
// gives it less, does not cut it short.
std::string quietOutput(ChildProcess& viewer)
{
    std::string printed;
    for (int round = 0; round < 150; ++round) {
        const std::string fresh = letRun(viewer, Seconds(0.2), Seconds(10), true);
        if (fresh.empty() && round > 0)
            break;
        printed += fresh;
    }
    return printed;
}

// The window's title once it stays the same over a fifth of a second of the
// viewer's own processor time: a key's new title reaches the X server only
// after the viewer has taken the key, which a busy machine may not have let
// it do for a while (a key that prints nothing leaves quietOutput nothing to
// wait for). Its lines are left for quietOutput.
std::string steadyTitle(XDriver& x, ChildProcess& viewer)
{
    std::string title = x.title();
    for (int round = 0; round < 50; ++round) {
        letRun(viewer, Seconds(0.2), Seconds(10), false);
        const std::string now = x.title();
        if (now == title)
            break;
        title = now;
    }
    return title;
}

// The character of a script's key: itself, or a key named for what it types.
char keyNamed(const std::string& name)
{
    const std::pair<const char*, char> named[] = {
        {"Esc", '\x1b'}, {"Tab", '\t'}, {"Enter", '\r'}, {"Backspace", '\b'}, {"Space", ' '}};
    for (const auto& [word, character] : named)
        if (name == word)
            return character;
    return name[0];
}

// The window once the water is calm. Ripples fade by 0.9 a tick, so how long
// that takes depends on the viewer's pace (a sanitized build, a busy
// machine): the picture is taken when two captures agree in every pixel with
// a fifth of a second of the viewer's processor time between them, after a
// second and a half of it at least (its lines are left for quietOutput).
Image steadyPicture(XDriver& x, ChildProcess& viewer)
{
    letRun(viewer, Seconds(1.5), Seconds(30), false);
    Image picture = x.capture();
    for (int attempt = 0; attempt < 140; ++attempt) {
        letRun(viewer, Seconds(0.2), Seconds(10), false);
        Image next = x.capture();
        if (next.differingPixels(picture, 0) == 0)
            break;
        picture = std::move(next);
    }
    return picture;
}

// Plays one line of the script; false for a line it does not know, or a
// picture it cannot save.
bool play(const std::string& line, XDriver& x, ChildProcess& viewer, const std::string& folder, std::string& transcript)
{
    std::istringstream words(line);
    std::string verb, name;
    int button = 0, px = 0, py = 0;
    words >> verb;
    if (verb == "title") {
        transcript += quietOutput(viewer); // first: the operands of + may be evaluated in any order
        transcript += "# title: " + steadyTitle(x, viewer) + "\n";
        return true;
    }
    if (verb == "picture" && words >> name) {
        transcript += quietOutput(viewer);
        return steadyPicture(x, viewer).savePng(folder + "/" + name + ".png");
    }
    if (verb == "key" && words >> name)
        x.typeChar(keyNamed(name));
    else if (verb == "press" && words >> button >> px >> py)
        x.pressButton(button, px, py);
    else if (verb == "move" && words >> px >> py)
        x.movePointer(px, py);
    else if (verb == "release" && words >> button >> px >> py)
        x.releaseButton(button, px, py);
    else
        return false;
    x.sync();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s VIEWER SCRIPT OUTPUT-FOLDER [VIEWER-OPTION...]\n", argv[0]);
        return 2;
    }
    std::ifstream script(argv[2]);
    if (!script) {
        std::fprintf(stderr, "replay: cannot read %s\n", argv[2]);
        return 2;
    }
    try {
        XvfbServer xvfb;
        XDriver x(xvfb.display());
        std::vector<std::string> command{argv[1]};
        command.insert(command.end(), argv + 4, argv + argc);
        const auto viewer = startOnDisplay(command, xvfb.display(), "Resized to 300 300\n");
        // A played scene may end the viewer before its window is looked for;
        // there is then nothing to drive, and what it printed is the transcript.
        const bool ready = viewer->allOutput().find("Resized to 300 300\n") != std::string::npos;
        const auto ended = [&viewer] { return viewer->waitForExit(Seconds(0)).has_value(); };
        if (!ready || (!ended() && !x.findWindow("Tarnwick") && !ended())) {
            std::fprintf(stderr, "replay: the viewer did not start:\n%s", viewer->errors().c_str());
            return 1;
        }
        std::string transcript;
        for (std::string line; std::getline(script, line);) {
            if (line.empty() || line[0] == '#')
                continue;
            if (!play(line, x, *viewer, argv[3], transcript)) {
                std::fprintf(stderr, "replay: cannot play \"%s\"\n", line.c_str());
                return 1;
            }
        }
        // A script ends the viewer with a key; a wave may hold that key a while.
        const auto status = viewer->waitForExit(Seconds(30));
        transcript += viewer->drain(Seconds(0.1));
        if (status)
            transcript += "# exit: " + std::to_string(*status) + "\n";
        std::ofstream(std::string(argv[3]) + "/transcript.txt") << transcript;
        return 0;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "replay: %s\n", failure.what());
        return 1;
    }
}
