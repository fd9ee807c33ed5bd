// scene_window.cpp -- the GLUT window's scenes and events: the files, the
// callbacks that turn GLUT's events into the program's, and the idle callback
// that plays a scene
#include "desktop/scene_window.h"

#include "app/events.h"
#include "app/recording.h"
#include "app/shell.h"
#include "desktop/check.h"
#include "desktop/options.h"
#include "desktop/render.h"
#include "water/drops.h"

#include <GL/glut.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

RecordedScene sceneToPlay;    // read by prepareScenes, handed to the player at the start
bool sceneToPlayRead = false; // and played, from the start
std::FILE* recordFile = nullptr;
const char* recordPath = nullptr;
const char* playPath = nullptr;

std::size_t bytesRecorded = 0;
std::size_t linesRecorded = 0; // after the first three

// Each line reaches the file as it is written: a crash or a kill loses
// nothing the session recorded before it. The reader takes at most
// sceneMaxBytes, and sceneMaxInputs lines after the first three: the
// recording stops before either, so that what it wrote still plays.
bool writeToRecordFile(const std::string& text)
{
    const bool firstLines = bytesRecorded == 0;
    if (!firstLines && (linesRecorded == sceneMaxInputs || bytesRecorded + text.size() > sceneMaxBytes)) {
        std::fprintf(stderr,
                     "tarnwick: recording stopped: %s holds as much as a scene may (%zu lines or %zu bytes); "
                     "what it holds plays\n",
                     recordPath, sceneMaxInputs, sceneMaxBytes);
        return false;
    }
    if (std::fputs(text.c_str(), recordFile) >= 0 && std::fflush(recordFile) == 0) {
        bytesRecorded += text.size();
        linesRecorded += firstLines ? 0 : 1;
        return true;
    }
    std::fprintf(stderr, "tarnwick: recording stopped: cannot write %s: %s\n", recordPath, std::strerror(errno));
    return false;
}

// A whole file, or false with the reason. No more than one byte beyond what a
// scene may have is read (a device that never ends, too); size is then the
// file's own size where the system knows it, or what was read.
bool readWholeFile(const char* path, std::string& text, std::size_t& size, std::string& why)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        why = std::strerror(errno);
        return false;
    }
    text.resize(sceneMaxBytes + 1);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    const bool failed = std::ferror(file) != 0;
    why = failed ? std::strerror(errno) : "";
    struct stat status = {};
    const bool regular = fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
    size = regular ? std::max(text.size(), static_cast<std::size_t>(status.st_size)) : text.size();
    std::fclose(file);
    return !failed;
}

} // namespace

bool readSceneFile(const char* path, RecordedScene& scene)
{
    std::string text, why;
    std::size_t size = 0;
    if (!readWholeFile(path, text, size, why)) {
        std::fprintf(stderr, "tarnwick: cannot read the scene %s: %s\n", path, why.c_str());
        return false;
    }
    if (size > sceneMaxBytes) {
        std::fprintf(stderr, "tarnwick: cannot play the scene %s: %s\n", path, sceneTooLarge(size).c_str());
        return false;
    }
    if (!readScene(text, scene, why)) {
        std::fprintf(stderr, "tarnwick: cannot play the scene %s: %s\n", path, why.c_str());
        return false;
    }
    return true;
}

namespace {

// Plays for about a frame's time, then shows where the water is.
const std::chrono::milliseconds playingSlice(20);
const int stepsBetweenClockReads = 256;

void playingIdle()
{
    const auto until = std::chrono::steady_clock::now() + playingSlice;
    bool playing = true;
    while (playing && std::chrono::steady_clock::now() < until)
        playing = playScene(stepsBetweenClockReads);
    if (!playing)
        glutIdleFunc(runTick);
    glutPostRedisplay();
}

} // namespace

bool prepareScenes(const SceneOptions& options)
{
    if (options.playPath && !(sceneToPlayRead = readSceneFile(options.playPath, sceneToPlay)))
        return false;
    playPath = options.playPath;
    if (options.recordPath) {
        recordFile = std::fopen(options.recordPath, "w");
        if (!recordFile) {
            std::fprintf(stderr, "tarnwick: cannot record to %s: %s\n", options.recordPath, std::strerror(errno));
            return false;
        }
        recordPath = options.recordPath;
    }
    return true;
}

bool sceneWindowSize(int& width, int& height)
{
    width = sceneToPlay.width;
    height = sceneToPlay.height;
    return sceneToPlayRead;
}

void startScenes(int width, int height)
{
    if (recordFile) {
        startRecording(writeToRecordFile, width, height);
        std::atexit(recordCheck); // the recording ends with a check, however the program ends
    }
    if (sceneToPlayRead) {
        startPlaying(std::move(sceneToPlay));
        if (scenePlaying())
            glutIdleFunc(playingIdle);
    }
}

// GLUT's events, as the program's (events.h).
void windowKeyboard(unsigned char key, int /*x*/, int /*y*/)
{
    takeInput({0, InputEvent::key, key, 0, 0});
}

void windowMouse(int button, int state, int x, int y)
{
    takeInput({0, state == GLUT_DOWN ? InputEvent::press : InputEvent::release, button, x, y});
}

void windowMotion(int x, int y)
{
    takeInput({0, InputEvent::move, x, y, 0});
}

void windowReshape(int width, int height)
{
    takeInput({0, InputEvent::resize, width, height, 0});
}

void windowDisplay()
{
    if (scenePlaying()) {
        drawKeepingView();
        return;
    }
    noteRedraw();
    display();
}

void sceneParted(const std::string& where)
{
    if (!windowless)
        std::fprintf(stderr, "tarnwick: the scene %s parted from its recording %s; it plays on\n", playPath,
                     where.c_str());
}

// Asked every time: the window may not yet have taken an earlier played size,
// so its present size says nothing of the one it will have (GLUT keeps the
// last request).
void followPlayedSize(int width, int height)
{
    if (width > 0 && height > 0 && !windowless)
        glutReshapeWindow(width, height);
}
