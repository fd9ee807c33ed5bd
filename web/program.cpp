// program.cpp -- the viewer's program in a web page: events, the wave's hold,
// animation frames and played scenes
#include "web/program.h"

#include "app/about.h"
#include "app/recording.h"
#include "app/scene_file.h"
#include "app/shell.h"
#include "app/start.h"
#include "water/drops.h"
#include "water/wave.h"
#include "web/display.h"
#include "web/gestures.h"
#include "web/page_recording.h"

#include <cstdint>
#include <deque>
#include <emscripten/emscripten.h>
#include <string>
#include <vector>

// What the page is told: the program runs, has ended.
EM_JS(void, pageStarted, (), { Module.started(); });
// With the checks matched of a scene that ended it (app/recording.h).
EM_JS(void, pageEnded, (int status, int matched), { Module.ended(status, matched); });
// A row of the controls table: the page's bar gives each of its keys a button.
EM_JS(void, pageControl, (const char* keys, const char* action),
      { Module.control(UTF8ToString(keys), UTF8ToString(action)); });
// Scenes: the canvas takes a played scene's size; a scene the page handed
// over was refused (why, naming the line), parted from its recording (where),
// or has played to its end (so many checks matched); the recording has taken
// all it may.
EM_JS(void, pageFollowSize, (int width, int height), { Module.followSize(width, height); });
EM_JS(void, pageSceneRefused, (const char* why), { Module.sceneRefused(UTF8ToString(why)); });
EM_JS(void, pageSceneParted, (const char* where), { Module.sceneParted(UTF8ToString(where)); });
EM_JS(void, pageScenePlayed, (int matched), { Module.scenePlayed(matched); });
EM_JS(void, pageRecordingStopped, (int inputs), { Module.recordingStopped(inputs); });

bool waveRunning = false;
bool ticksHeld = false;
TickPace pace;
bool scenesInTime = false;

namespace {

std::deque<InputEvent> heldEvents; // what came while a wave ran, in order
bool redisplayPending = false;
bool canvasSized = false; // the water runs once the first resize gave it a window: a scene in
                          // the page's link reaches the program before any tick has run
Gestures gestures;
std::vector<char> sceneReceived;   // a scene's bytes as the page hands them over
const double playingSliceMs = 8.0; // of each animation frame, while a scene plays

// The session is recorded from its first resize on; GLUT redraws a window
// after its reshape callback, and so does the page.
void handlePageEvent(const InputEvent& event)
{
    if (event.kind != InputEvent::resize) {
        handleInput(event);
        return;
    }
    if (!isRecording() && pageRecordingEmpty())
        startPageRecording(event.a, event.b);
    canvasSized = true;
    handleInput(event);
    requestRedisplay();
}

void endWave()
{
    waveRunning = false;
    while (!heldEvents.empty() && !waveRunning) {
        const InputEvent event = heldEvents.front();
        heldEvents.pop_front();
        handlePageEvent(event);
    }
}

// The ticks due at this frame; the last of them draws the frame, as each
// tick's ripple step draws on the desktop.
void runDueTicks()
{
    if (ticksHeld || !canvasSized) {
        pauseTicks(pace);
        return;
    }
    for (int due = ticksDue(pace, emscripten_get_now()); due > 0; --due) {
        if (due == 1)
            drawAtNextDisplay();
        runTick();
    }
}

// A played scene runs for a slice of each frame, its ticks not drawn; the
// frame shows where its water is. A redisplay its input asks for is the
// scene's own redraw lines' business.
void playSceneAtOnce()
{
    pauseTicks(pace);
    const double until = emscripten_get_now() + playingSliceMs;
    while (playScene(64) && emscripten_get_now() < until) {
    }
}

// Or as it was recorded: the ticks due at the pace, and the inputs up to them.
void playSceneInTime()
{
    const std::int64_t until = tickCount + ticksDue(pace, emscripten_get_now());
    while (tickCount < until && playScene(1)) {
    }
}

void playSceneSlice()
{
    if (scenesInTime)
        playSceneInTime();
    else
        playSceneAtOnce();
    redisplayPending = false;
    if (!scenePlaying()) {
        requestRedisplay();
        pageScenePlayed(playedChecks().matched);
    }
}

void startPage(void*)
{
    int rows = 0;
    const Control* controls = keyControlRows(rows);
    for (int row = 0; row < rows; ++row)
        pageControl(controls[row].input, controls[row].action);
    pageStarted(); // the page sizes the canvas (the first resize) and calls
                   // webAnimationFrame from now on
}

void buildWater(void*)
{
    startViewer(); // builds the water mesh
    emscripten_async_call(startPage, nullptr, 0);
}

// A scene played after the session began starts from the program's start,
// as a scene recorded from it did: the water, the view, the title and the
// recording all begin again.
void restartForScene()
{
    waveRunning = false;
    heldEvents.clear();
    redisplayPending = false;
    gestures = Gestures{};
    startViewer();
}

} // namespace

void startPageProgram()
{
    emscripten_async_call(buildWater, nullptr, 0);
}

bool animationFrame()
{
    const long before = framesMade();
    bool underWay = true;
    if (scenePlaying()) {
        playSceneSlice();
    } else if (waveRunning) {
        pauseTicks(pace); // the wave's time owes no ticks
        if (!stepWave())
            endWave();
    } else {
        if (redisplayPending) {
            redisplayPending = false;
            noteRedraw();
            display();
        }
        runDueTicks();
        underWay = false;
    }
    drawWantedFrame();
    return underWay || waveRunning || scenePlaying() || redisplayPending || framesMade() != before;
}

void takePageEvent(const InputEvent& event)
{
    if (!inputAdmitted(event))
        return;
    if (waveRunning)
        heldEvents.push_back(event);
    else
        handlePageEvent(event);
}

void takeTouch(int phase, int finger, int x, int y)
{
    if (phase < 0 || phase > 2)
        return;
    ButtonEvent events[3];
    const int count = touchEvent(gestures, static_cast<TouchPhase>(phase), finger, x, y, events);
    for (int k = 0; k < count; ++k) {
        const ButtonEvent& e = events[k];
        if (e.kind == ButtonEvent::drag)
            takePageEvent({0, InputEvent::move, e.x, e.y, 0});
        else
            takePageEvent(
                {0, e.kind == ButtonEvent::press ? InputEvent::press : InputEvent::release, e.button, e.x, e.y});
    }
}

char* sceneBuffer(int bytes)
{
    sceneReceived.assign(static_cast<std::size_t>(bytes < 0 ? 0 : bytes), '\0');
    return sceneReceived.data();
}

void playReceivedScene()
{
    RecordedScene scene;
    std::string why;
    const bool read = readScene(std::string(sceneReceived.begin(), sceneReceived.end()), scene, why);
    sceneReceived = {};
    if (!read) {
        pageSceneRefused(why.c_str());
        return;
    }
    if (tickCount > 0 || pageRecordedInputs() > 0)
        restartForScene();
    stopRecording();
    startPageRecording(scene.width, scene.height);
    const int width = scene.width, height = scene.height;
    startPlaying(std::move(scene));
    canvasSized = true;            // the scene's resizes size it
    pageFollowSize(width, height); // its resize to that size waits for the scene's end
    if (!scenePlaying())
        pageScenePlayed(0);
}

bool stopPlayedScene()
{
    if (!scenePlaying())
        return false;
    stopPlaying();
    requestRedisplay();
    return true;
}

// ---- What the page's shell gives the program (app/shell.h; the frame and
// the projections are web/display.cpp's)

void requestRedisplay()
{
    redisplayPending = true;
}

// Each step shows before the next: one per animation frame. A played scene
// runs it at once, as the desktop does.
void runWave()
{
    if (scenePlaying())
        playWave();
    else
        waveRunning = true;
}

void followPlayedSize(int width, int height)
{
    pageFollowSize(width, height);
}

void endProgram(int status)
{
    stopRecording();                           // the page keeps the scene recorded: it may still share it
    pageEnded(status, playedChecks().matched); // no animation frame calls the program after this
    emscripten_force_exit(status);
}

void sceneParted(const std::string& where)
{
    pageSceneParted(where.c_str());
}

void pageRecordingFull(int inputs)
{
    pageRecordingStopped(inputs);
}
