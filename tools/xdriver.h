// xdriver.h -- drives the real viewer: a private Xvfb, the program with its
// stdout on a pipe, XTest input, the window title and pixels read back. The
// demo and the end-to-end tests use it; it needs Xlib, XTest and libpng only.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

struct _XDisplay; // NOLINT(bugprone-reserved-identifier): Xlib's own name for a Display

using Seconds = std::chrono::duration<double>;

// An Xvfb on a free display (chosen by the server itself), stopped on destruction.
class XvfbServer {
public:
    explicit XvfbServer(const std::string& screen = "1024x768x24");
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;
    [[nodiscard]] const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// A child process with stdout and stderr on pipes; killed on destruction if it
// is still running. It also dies with the test process (parent-death signal).
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnvironment);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The waits below follow the program's progress, not the wall clock
    // alone (see ProgressDeadline): their timeout is the processor time the
    // program is given to answer.
    // Waits until text appears in stdout after the cursor; moves the cursor past
    // it. False on timeout, or as soon as the process has ended without it.
    bool waitFor(const std::string& text, Seconds timeout = Seconds(15));
    // Reads what the program has printed so far, without waiting.
    void readNow() { readAvailable(0); }
    // Collects stdout for a while and returns what arrived after the cursor,
    // moving the cursor to the end.
    std::string drain(Seconds settle);
    // Everything printed on stdout and stderr so far.
    [[nodiscard]] const std::string& allOutput() const { return out_; }
    [[nodiscard]] const std::string& errors() const { return err_; }
    // The exit status, or -(signal number); nullopt if still running at the deadline.
    std::optional<int> waitForExit(Seconds timeout = Seconds(15));
    [[nodiscard]] pid_t pid() const { return pid_; }
    // Resident memory in kilobytes, from /proc; 0 once the process is gone.
    [[nodiscard]] long residentKilobytes() const;
    // Processor time used so far, user and system, all threads, from /proc;
    // 0 once the process is gone.
    [[nodiscard]] Seconds processorTime() const;

private:
    void readAvailable(int waitMilliseconds);
    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    std::string out_;
    std::string err_;
    std::size_t cursor_ = 0;
    std::optional<int> status_;
};

// The end of a wait on a program that shares the processors with other work
// (browsers, the static analysis, the cost of a sanitizer or valgrind): the
// wait gives the program `budget` of processor time to get through what it
// must, and never less than `budget` nor more than four times `budget` of wall
// time. A program that a busy machine gives half a processor thus gets twice
// as long as on an idle one, and one that hangs or idles fails after four
// times.
class ProgressDeadline {
public:
    ProgressDeadline(const ChildProcess& program, Seconds budget);
    [[nodiscard]] bool passed() const;

private:
    const ChildProcess& program_;
    std::chrono::steady_clock::time_point start_;
    Seconds budget_;
    Seconds processorAtStart_;
};

struct Rgb {
    int r, g, b;
};

// A capture of a window's visible pixels, in window coordinates.
struct Image {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb; // 3 bytes a pixel, row-major from the top
    [[nodiscard]] Rgb at(int x, int y) const;
    [[nodiscard]] bool savePng(const std::string& path) const;
    // Number of pixels whose colour differs from other's by more than tolerance.
    [[nodiscard]] int differingPixels(const Image& other, int tolerance = 8) const;
    // Number of distinct colours in a square of side 2r+1 around (x, y).
    [[nodiscard]] int coloursAround(int x, int y, int r) const;
};

// Starts a program that opens a window on display, with stdout and stderr on
// pipes, and waits up to timeout for ready on its stdout. Xvfb now and then
// refuses a new connection: a start that ends at once with "failed to open
// display" is tried again, a few times. The caller checks the result with
// waitFor or waitForExit.
std::unique_ptr<ChildProcess> startOnDisplay(const std::vector<std::string>& argv, const std::string& display,
                                             const std::string& ready, Seconds timeout = Seconds(60),
                                             const std::vector<std::string>& extraEnvironment = {});

// An X client of the driver's own: finds the viewer's window, sends real input
// through XTest and reads the screen back. Keep one open for the whole run:
// it serves one viewer after another.
class XDriver {
public:
    explicit XDriver(const std::string& display);
    ~XDriver();
    XDriver(const XDriver&) = delete;
    XDriver& operator=(const XDriver&) = delete;

    // The first mapped top-level window whose title starts with prefix; the
    // window found before, if any, is forgotten.
    bool findWindow(const std::string& titlePrefix, Seconds timeout = Seconds(15));
    std::string title();
    int width();
    int height();

    void movePointer(int x, int y); // window coordinates
    void pressButton(int glutButton, int x, int y);
    void releaseButton(int glutButton, int x, int y);
    void drag(int glutButton, int fromX, int fromY, int toX, int toY, int steps);
    // Lets go of every button still held, where the pointer is.
    void releaseAllButtons();
    // Types one character as a user would (with Shift where the keymap needs
    // it); '\t', '\r', '\b' and 27 are the Tab, Return, BackSpace and Escape keys.
    void typeChar(char c);
    // Makes the X server deliver the byte code to the window's keyboard
    // callback: control codes through Ctrl, 127 through Delete, Latin-1 letters
    // through keys mapped by mapLatin1Keys. False for codes no key yields
    // (128..159).
    bool typeCode(unsigned char code);
    // Gives the Latin-1 characters 160..255 keys of their own. Call it before
    // the viewer connects, so that it reads the keymap with them.
    void mapLatin1Keys();
    void resize(int width, int height);
    Image capture();
    void sync();

private:
    void focus();
    bool placeOnScreen(std::chrono::steady_clock::time_point deadline);
    void key(unsigned long keysym, bool shifted, bool control = false);
    void rootOrigin(int& x, int& y);
    _XDisplay* dpy_ = nullptr; // kept opaque: Xlib's macros clash with test code
    unsigned long window_ = 0;
    int pointerX_ = -100000, pointerY_ = -100000; // last position sent, window coordinates
};
