// xdriver.cpp -- process, X server and XTest plumbing for the demo and the tests
#include "tools/xdriver.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <png.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <set>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// The viewer may end, and its window vanish, between two of the driver's
// requests about it (a played scene ends it on its own). Such a request fails
// with BadWindow, which means no more than "no such window": the request
// returns a failure and the caller looks again. Any other error still ends
// the driver, as Xlib's own handler does.
int tolerateVanishedWindows(Display* display, XErrorEvent* error)
{
    if (error->error_code == BadWindow || error->error_code == BadDrawable)
        return 0;
    char text[256] = "";
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "X error: %s (request %d)\n", text, error->request_code);
    std::exit(1);
}

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what)
{
    throw std::runtime_error(what);
}

// Forks and execs argv; the child's fds 1 and 2 (and fd 3 when given) go to
// the given descriptors, and the child dies with this process.
pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& environment, int out, int err,
            int extra = -1)
{
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0)
        fail("fork failed");
    if (pid > 0)
        return pid;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(127);
    if (out >= 0)
        dup2(out, STDOUT_FILENO);
    if (err >= 0)
        dup2(err, STDERR_FILENO);
    if (extra >= 0)
        dup2(extra, 3);
    // putenv and execvp take char* of C; neither writes through it.
    for (const std::string& assignment : environment)
        putenv(const_cast<char*>(assignment.c_str())); // NOLINT(cppcoreguidelines-pro-type-const-cast)
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str())); // NOLINT(cppcoreguidelines-pro-type-const-cast)
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

// Ends a child: SIGTERM, then SIGKILL if it has not gone within a second.
void stop(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

// ---- XvfbServer

XvfbServer::XvfbServer(const std::string& screen)
{
    int fds[2];
    if (pipe(fds) != 0)
        fail("pipe failed");
    const int devNull = open("/dev/null", O_WRONLY);
    pid_ = spawn({"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"}, {}, devNull,
                 devNull, fds[1]);
    close(devNull);
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    const auto deadline = Clock::now() + std::chrono::seconds(15);
    while (number.find('\n') == std::string::npos && Clock::now() < deadline) {
        if (poll(&p, 1, 100) > 0) {
            char c[16];
            const ssize_t got = read(fds[0], c, sizeof c);
            if (got <= 0)
                break;
            number.append(c, static_cast<std::size_t>(got));
        }
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        stop(pid_);
        fail("Xvfb did not report a display within 15 s");
    }
    display_ = ":" + number.substr(0, number.find('\n'));
}

XvfbServer::~XvfbServer()
{
    stop(pid_);
}

// ---- ChildProcess

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnvironment)
{
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        fail("pipe failed");
    pid_ = spawn(argv, extraEnvironment, out[1], err[1]);
    close(out[1]);
    close(err[1]);
    outFd_ = out[0];
    errFd_ = err[0];
    fcntl(outFd_, F_SETFL, O_NONBLOCK);
    fcntl(errFd_, F_SETFL, O_NONBLOCK);
}

ChildProcess::~ChildProcess()
{
    if (!status_)
        stop(pid_);
    close(outFd_);
    close(errFd_);
}

void ChildProcess::readAvailable(int waitMilliseconds)
{
    pollfd p[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    if (poll(p, 2, waitMilliseconds) <= 0)
        return;
    char buffer[65536];
    ssize_t got = 0;
    while ((got = read(outFd_, buffer, sizeof buffer)) > 0)
        out_.append(buffer, static_cast<std::size_t>(got));
    while ((got = read(errFd_, buffer, sizeof buffer)) > 0)
        err_.append(buffer, static_cast<std::size_t>(got));
}

bool ChildProcess::waitFor(const std::string& text, Seconds timeout)
{
    const ProgressDeadline deadline(*this, timeout);
    for (;;) {
        const std::size_t at = out_.find(text, cursor_);
        if (at != std::string::npos) {
            cursor_ = at + text.size();
            return true;
        }
        if (status_ || deadline.passed())
            return false; // ended without it (waitForExit read all it printed), or too late
        if (!waitForExit(Seconds(0)))
            readAvailable(20);
    }
}

std::unique_ptr<ChildProcess> startOnDisplay(const std::vector<std::string>& argv, const std::string& display,
                                             const std::string& ready, Seconds timeout,
                                             const std::vector<std::string>& extraEnvironment)
{
    std::vector<std::string> environment = extraEnvironment;
    environment.push_back("DISPLAY=" + display);
    for (int attempt = 1;; ++attempt) {
        auto child = std::make_unique<ChildProcess>(argv, environment);
        const bool refused = !child->waitFor(ready, timeout) && child->waitForExit(Seconds(0)) &&
                             child->errors().find("failed to open display") != std::string::npos;
        if (!refused || attempt == 5)
            return child;
        std::this_thread::sleep_for(std::chrono::milliseconds(100 * attempt));
    }
}

std::string ChildProcess::drain(Seconds settle)
{
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(settle);
    while (Clock::now() < deadline)
        readAvailable(20);
    std::string fresh = out_.substr(cursor_);
    cursor_ = out_.size();
    return fresh;
}

std::optional<int> ChildProcess::waitForExit(Seconds timeout)
{
    const ProgressDeadline deadline(*this, timeout);
    while (!status_) {
        int raw = 0;
        if (waitpid(pid_, &raw, WNOHANG) == pid_)
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
        else if (deadline.passed())
            break;
        else
            readAvailable(20);
    }
    readAvailable(0);
    readAvailable(0);
    return status_;
}

long ChildProcess::residentKilobytes() const
{
    FILE* status = std::fopen(("/proc/" + std::to_string(pid_) + "/status").c_str(), "r");
    if (!status)
        return 0;
    char line[256];
    long kilobytes = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmRSS: %ld kB", &kilobytes) == 1)
            break;
    std::fclose(status);
    return kilobytes;
}

Seconds ChildProcess::processorTime() const
{
    FILE* stat = std::fopen(("/proc/" + std::to_string(pid_) + "/stat").c_str(), "r");
    if (!stat)
        return Seconds(0);
    char line[1024] = "";
    const bool read = std::fgets(line, sizeof line, stat) != nullptr;
    std::fclose(stat);
    // The fields after the command's name, which is in parentheses and may
    // hold spaces: state, then ten numbers, then user and system time in ticks.
    const char* afterName = read ? std::strrchr(line, ')') : nullptr;
    unsigned long user = 0, system = 0;
    if (!afterName ||
        std::sscanf(afterName + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user, &system) != 2)
        return Seconds(0);
    return Seconds(static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK)));
}

// ---- ProgressDeadline

ProgressDeadline::ProgressDeadline(const ChildProcess& program, Seconds budget)
    : program_(program), start_(Clock::now()), budget_(budget), processorAtStart_(program.processorTime())
{
}

bool ProgressDeadline::passed() const
{
    const Seconds wall = Clock::now() - start_;
    if (wall < budget_)
        return false;
    return wall >= 4 * budget_ || program_.processorTime() - processorAtStart_ >= budget_;
}

// ---- Image

Rgb Image::at(int x, int y) const
{
    const std::size_t k = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[k], rgb[k + 1], rgb[k + 2]};
}

bool Image::savePng(const std::string& path) const
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, &rgb[static_cast<std::size_t>(y) * width * 3]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return true;
}

int Image::differingPixels(const Image& other, int tolerance) const
{
    if (other.width != width || other.height != height)
        return width * height;
    int count = 0;
    for (std::size_t k = 0; k + 2 < rgb.size(); k += 3)
        for (std::size_t c = 0; c < 3; ++c)
            if (std::abs(rgb[k + c] - other.rgb[k + c]) > tolerance) {
                ++count;
                break;
            }
    return count;
}

int Image::coloursAround(int x, int y, int r) const
{
    std::set<int> colours;
    for (int v = std::max(0, y - r); v <= std::min(height - 1, y + r); ++v)
        for (int u = std::max(0, x - r); u <= std::min(width - 1, x + r); ++u) {
            const Rgb c = at(u, v);
            colours.insert(c.r << 16 | c.g << 8 | c.b);
        }
    return static_cast<int>(colours.size());
}

// ---- XDriver

XDriver::XDriver(const std::string& display)
{
    // Xvfb now and then refuses a new connection: try again a few times.
    for (int attempt = 1; !dpy_ && attempt <= 5; ++attempt) {
        dpy_ = XOpenDisplay(display.c_str());
        if (!dpy_)
            std::this_thread::sleep_for(std::chrono::milliseconds(100 * attempt));
    }
    if (!dpy_)
        fail("cannot open display " + display);
    XSetErrorHandler(tolerateVanishedWindows);
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(dpy_, &event, &error, &major, &minor))
        fail("no XTest on " + display);
}

XDriver::~XDriver()
{
    if (dpy_)
        XCloseDisplay(dpy_);
}

bool XDriver::findWindow(const std::string& titlePrefix, Seconds timeout)
{
    window_ = 0;
    pointerX_ = pointerY_ = -100000;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(timeout);
    while (Clock::now() < deadline) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(dpy_, DefaultRootWindow(dpy_), &root, &parent, &children, &count)) {
            for (unsigned int k = 0; k < count && !window_; ++k) {
                char* name = nullptr;
                if (XFetchName(dpy_, children[k], &name) && name) {
                    if (std::string(name).rfind(titlePrefix, 0) == 0)
                        window_ = children[k];
                    XFree(name);
                }
            }
            if (children)
                XFree(children);
        }
        if (window_) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(dpy_, window_, &attributes) && attributes.map_state == IsViewable)
                return placeOnScreen(deadline);
            window_ = 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// With no window manager to place it, freeglut's window lands at (-1, -1):
// its top row and left column lie off screen, where no capture sees them and
// no pointer reaches them (a press at y 0 would arrive at y 1). A user's
// window is whole on the screen, so the driver moves it to the corner.
bool XDriver::placeOnScreen(Clock::time_point deadline)
{
    int x = 0, y = 0;
    rootOrigin(x, y);
    if (x >= 0 && y >= 0)
        return true;
    XMoveWindow(dpy_, window_, 0, 0);
    sync();
    for (; Clock::now() < deadline; std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
        rootOrigin(x, y);
        if (x == 0 && y == 0)
            return true;
    }
    return false;
}

std::string XDriver::title()
{
    char* name = nullptr;
    std::string result;
    if (XFetchName(dpy_, window_, &name) && name) {
        result = name;
        XFree(name);
    }
    return result;
}

int XDriver::width()
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(dpy_, window_, &attributes) ? attributes.width : 0; // 0: the window is gone
}

int XDriver::height()
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(dpy_, window_, &attributes) ? attributes.height : 0; // 0: the window is gone
}

void XDriver::rootOrigin(int& x, int& y)
{
    Window child = 0;
    XTranslateCoordinates(dpy_, window_, DefaultRootWindow(dpy_), 0, 0, &x, &y, &child);
}

void XDriver::sync()
{
    XSync(dpy_, False);
}

void XDriver::movePointer(int x, int y)
{
    // XTest reports a motion even to the same spot; a user's click makes none.
    if (x == pointerX_ && y == pointerY_)
        return;
    pointerX_ = x;
    pointerY_ = y;
    int ox = 0, oy = 0;
    rootOrigin(ox, oy);
    XTestFakeMotionEvent(dpy_, DefaultScreen(dpy_), ox + x, oy + y, CurrentTime);
    sync();
}

// GLUT buttons 0, 1, 2 are X buttons 1, 2, 3.
void XDriver::pressButton(int glutButton, int x, int y)
{
    movePointer(x, y);
    XTestFakeButtonEvent(dpy_, static_cast<unsigned>(glutButton + 1), True, CurrentTime);
    sync();
}

void XDriver::releaseButton(int glutButton, int x, int y)
{
    movePointer(x, y);
    XTestFakeButtonEvent(dpy_, static_cast<unsigned>(glutButton + 1), False, CurrentTime);
    sync();
}

void XDriver::drag(int glutButton, int fromX, int fromY, int toX, int toY, int steps)
{
    pressButton(glutButton, fromX, fromY);
    for (int s = 1; s <= steps; ++s) {
        movePointer(fromX + (toX - fromX) * s / steps, fromY + (toY - fromY) * s / steps);
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
    releaseButton(glutButton, toX, toY);
}

void XDriver::releaseAllButtons()
{
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int state = 0;
    XQueryPointer(dpy_, window_, &root, &child, &rootX, &rootY, &x, &y, &state);
    const unsigned int masks[3] = {Button1Mask, Button2Mask, Button3Mask};
    for (unsigned int b = 0; b < 3; ++b)
        if (state & masks[b])
            XTestFakeButtonEvent(dpy_, b + 1, False, CurrentTime);
    sync();
}

// Without a window manager the focus follows the pointer: keep it on the window.
void XDriver::focus()
{
    XSetInputFocus(dpy_, window_, RevertToParent, CurrentTime);
    sync();
}

void XDriver::key(unsigned long keysym, bool shifted, bool control)
{
    focus();
    const KeyCode code = XKeysymToKeycode(dpy_, keysym);
    const KeyCode shift = XKeysymToKeycode(dpy_, XK_Shift_L);
    const KeyCode ctrl = XKeysymToKeycode(dpy_, XK_Control_L);
    if (code == 0)
        fail("no keycode for keysym " + std::to_string(keysym));
    if (control)
        XTestFakeKeyEvent(dpy_, ctrl, True, CurrentTime);
    if (shifted)
        XTestFakeKeyEvent(dpy_, shift, True, CurrentTime);
    XTestFakeKeyEvent(dpy_, code, True, CurrentTime);
    XTestFakeKeyEvent(dpy_, code, False, CurrentTime);
    if (shifted)
        XTestFakeKeyEvent(dpy_, shift, False, CurrentTime);
    if (control)
        XTestFakeKeyEvent(dpy_, ctrl, False, CurrentTime);
    sync();
}

bool XDriver::typeCode(unsigned char code)
{
    if (code >= 0x80 && code < 0xA0)
        return false;
    if (code == 0x7F) {
        key(XK_Delete, false);
        return true;
    }
    if (code < 0x20 && code != '\t' && code != '\r' && code != '\b' && code != 27) {
        // Ctrl with @, a..z, [, \, ], ^ or _ gives 0..31.
        const KeySym base = code >= 1 && code <= 26 ? 'a' + code - 1 : code | 0x40;
        const KeyCode keycode = XKeysymToKeycode(dpy_, base);
        key(base, XkbKeycodeToKeysym(dpy_, keycode, 0, 0) != base, true);
        return true;
    }
    typeChar(static_cast<char>(code));
    return true;
}

// A keycode the viewer never needs: no Latin-1 symbol on it (so no character
// the tests type), not a modifier, not one of the keys typed by name.
static bool reusableKeycode(const KeySym* symbols, int perCode, const std::set<int>& modifiers, int keycode)
{
    if (modifiers.count(keycode))
        return false;
    for (int k = 0; k < perCode; ++k) {
        const KeySym s = symbols[k];
        if (s != NoSymbol &&
            (s < 0x100 || s == XK_Escape || s == XK_Tab || s == XK_Return || s == XK_BackSpace || s == XK_Delete))
            return false;
    }
    return true;
}

void XDriver::mapLatin1Keys()
{
    int first = 0, last = 0, perCode = 0;
    XDisplayKeycodes(dpy_, &first, &last);
    KeySym* map = XGetKeyboardMapping(dpy_, static_cast<KeyCode>(first), last - first + 1, &perCode);
    XModifierKeymap* modifierMap = XGetModifierMapping(dpy_);
    std::set<int> modifiers;
    for (int k = 0; k < 8 * modifierMap->max_keypermod; ++k)
        modifiers.insert(modifierMap->modifiermap[k]);
    XFreeModifiermap(modifierMap);

    int spare = first;
    for (KeySym latin1 = 0xA0; latin1 <= 0xFF; ++latin1) {
        if (XKeysymToKeycode(dpy_, latin1) != 0)
            continue;
        while (spare <= last &&
               !reusableKeycode(map + static_cast<std::ptrdiff_t>(spare - first) * perCode, perCode, modifiers, spare))
            ++spare;
        if (spare > last)
            fail("no spare keycode for the Latin-1 keys");
        std::vector<KeySym> symbols(static_cast<std::size_t>(perCode), NoSymbol);
        symbols[0] = symbols[1] = latin1;
        XChangeKeyboardMapping(dpy_, spare, perCode, symbols.data(), 1);
        ++spare;
    }
    XFree(map);
    sync();
}

void XDriver::typeChar(char c)
{
    KeySym keysym = static_cast<unsigned char>(c);
    switch (c) {
    case '\t': keysym = XK_Tab; break;
    case '\r': keysym = XK_Return; break;
    case '\b': keysym = XK_BackSpace; break;
    case 27: keysym = XK_Escape; break;
    default: break;
    }
    const KeyCode code = XKeysymToKeycode(dpy_, keysym);
    const bool shifted = code != 0 && XkbKeycodeToKeysym(dpy_, code, 0, 0) != keysym;
    key(keysym, shifted);
}

void XDriver::resize(int width, int height)
{
    XResizeWindow(dpy_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    sync();
}

Image XDriver::capture()
{
    int ox = 0, oy = 0;
    rootOrigin(ox, oy);
    Image image;
    image.width = width();
    image.height = height();
    image.rgb.assign(static_cast<std::size_t>(image.width) * image.height * 3, 0);
    // Read through the root window: part of the window may lie off screen.
    const int screenWidth = DisplayWidth(dpy_, DefaultScreen(dpy_));
    const int screenHeight = DisplayHeight(dpy_, DefaultScreen(dpy_));
    const int x0 = std::max(ox, 0), y0 = std::max(oy, 0);
    const int x1 = std::min(ox + image.width, screenWidth), y1 = std::min(oy + image.height, screenHeight);
    if (x1 <= x0 || y1 <= y0)
        return image;
    XImage* shot = XGetImage(dpy_, DefaultRootWindow(dpy_), x0, y0, static_cast<unsigned>(x1 - x0),
                             static_cast<unsigned>(y1 - y0), AllPlanes, ZPixmap);
    if (!shot)
        fail("XGetImage failed");
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const unsigned long pixel = XGetPixel(shot, x - x0, y - y0);
            const std::size_t k = (static_cast<std::size_t>(y - oy) * image.width + (x - ox)) * 3;
            image.rgb[k] = static_cast<std::uint8_t>((pixel & shot->red_mask) >> 16);
            image.rgb[k + 1] = static_cast<std::uint8_t>((pixel & shot->green_mask) >> 8);
            image.rgb[k + 2] = static_cast<std::uint8_t>(pixel & shot->blue_mask);
        }
    XDestroyImage(shot);
    return image;
}
