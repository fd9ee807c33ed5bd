// main.cpp -- the viewer in a web page: a browser's event loop instead of
// GLUT's. Everything visible happens on animation frames, one per frame the
// browser shows (webAnimationFrame, called by the page's host.js): the idle
// ticks due since the last one, at a fixed pace (pacing.h), then at most one
// frame for the renderer beside the program. A wave runs one step per frame
// instead, holding input and ticks until it ends, as the desktop's wave holds
// its event loop. The page's events arrive through the web* entry points
// below, already in GLUT's terms, and are handled when they arrive.
#include "app/callbacks.h"
#include "app/camera.h"
#include "app/platform.h"
#include "app/recording.h"
#include "app/usage.h"
#include "app/viewer_state.h"
#include "optics/display.h"
#include "water/drops.h"
#include "water/wave.h"
#include "web/display.h"
#include "web/gestures.h"
#include "web/pacing.h"

#include <cstdio>
#include <deque>
#include <emscripten/emscripten.h>
#include <string>
#include <vector>

// What the page is told: the program runs, has ended, cannot start.
EM_JS(void, pageStarted, (), { Module.started(); });
EM_JS(void, pageEnded, (int status), { Module.ended(status); });
EM_JS(void, pageFailed, (const char* message), { Module.failed(UTF8ToString(message)); });
// A row of the controls table: the page's bar gives each of its keys a button.
EM_JS(void, pageControl, (const char* keys, const char* action),
      { Module.control(UTF8ToString(keys), UTF8ToString(action)); });
// Scenes: the canvas takes a played scene's size; a scene the page handed
// over was refused (why, naming the line) or has played to its end; the
// recording has taken all it may.
EM_JS(void, pageFollowSize, (int width, int height), { Module.followSize(width, height); });
EM_JS(void, pageSceneRefused, (const char* why), { Module.sceneRefused(UTF8ToString(why)); });
EM_JS(void, pageScenePlayed, (), { Module.scenePlayed(); });
EM_JS(void, pageRecordingStopped, (int inputs), { Module.recordingStopped(inputs); });

namespace {

struct PageEvent {
    enum Kind { key, button, drag, resize } kind;
    int a, b, c, d;
};

std::deque<PageEvent> heldEvents; // what came while a wave ran, in order
bool waveRunning = false;
bool redisplayPending = false;
bool ticksHeld = false;   // a test's hook: only the ticks it asks for
bool canvasSized = false; // the water runs once the first resize gave it a window: a scene in
                          // the page's link reaches the program before any tick has run
TickPace pace;
Gestures gestures;

// The session is recorded from its first resize on, in memory, up to
// pageMaxRecordedInputs inputs; the page asks for the text when it shares it.
const int pageMaxRecordedInputs = 100000;
std::string recordedScene;
int recordedInputs = 0;
std::vector<char> sceneReceived;   // a scene's bytes as the page hands them over
bool scenePlayed = false;          // since the page started
const double playingSliceMs = 8.0; // of each animation frame, while a scene plays

// The recording's sink: the first lines, then one input a call.
bool keepSceneLine(const std::string& text)
{
    const bool firstLines = recordedScene.empty();
    if (!firstLines && recordedInputs == pageMaxRecordedInputs) {
        pageRecordingStopped(pageMaxRecordedInputs);
        return false;
    }
    recordedInputs += firstLines ? 0 : 1;
    recordedScene += text;
    return true;
}

void recordPageEvent(const PageEvent& e)
{
    switch (e.kind) {
    case PageEvent::key: recordInput(SceneInput::key, e.a); break;
    case PageEvent::button: recordInput(e.b == 0 ? SceneInput::press : SceneInput::release, e.a, e.c, e.d); break;
    case PageEvent::drag: recordInput(SceneInput::move, e.a, e.b); break;
    case PageEvent::resize:
        if (!isRecording() && recordedScene.empty())
            startRecording(keepSceneLine, e.a, e.b);
        recordInput(SceneInput::resize, e.a, e.b);
        break;
    }
}

void handle(const PageEvent& e)
{
    recordPageEvent(e);
    switch (e.kind) {
    case PageEvent::key: keyboard(static_cast<unsigned char>(e.a), 0, 0); break;
    case PageEvent::button: mouse(e.a, e.b, e.c, e.d); break;
    case PageEvent::drag: motion(e.a, e.b); break;
    case PageEvent::resize: // GLUT redraws a window after its reshape callback
        canvasSized = true;
        reshape(e.a, e.b);
        requestRedisplay();
        break;
    }
}

// While a scene plays, the visitor's own input is dropped. After it, the
// page's canvas following the scene's last size brings nothing new.
void deliver(const PageEvent& e)
{
    if (scenePlaying() || (scenePlayed && e.kind == PageEvent::resize && e.a == windowWidth && e.b == windowHeight))
        return;
    if (waveRunning)
        heldEvents.push_back(e);
    else
        handle(e);
}

void endWave()
{
    waveRunning = false;
    while (!heldEvents.empty() && !waveRunning) {
        const PageEvent e = heldEvents.front();
        heldEvents.pop_front();
        handle(e);
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
        idle();
    }
}

// A played scene runs for a slice of each frame, its ticks not drawn; the
// frame shows where its water is. A redisplay its input asks for is the
// scene's own redraw lines' business.
void playSceneSlice()
{
    pauseTicks(pace);
    const double until = emscripten_get_now() + playingSliceMs;
    while (playScene(64) && emscripten_get_now() < until) {
    }
    redisplayPending = false;
    if (!scenePlaying()) {
        requestRedisplay();
        pageScenePlayed();
    }
}

// Runs one animation frame; false when it found the water calm: no frame made,
// none wanted, nothing under way. The page then stops asking for animation
// frames until something comes, and only keeps the ticks at their pace: calm
// water on a phone costs next to nothing.
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

// The start runs as short tasks, so that the page answers between them: the
// renderer, then the water, then the page's own start (which sizes the
// canvas); the first frame comes on the next animation frame.
void startPage(void*)
{
    int rows = 0;
    const Control* controls = keyControlRows(rows);
    for (int row = 0; row < rows; ++row)
        pageControl(controls[row].input, controls[row].action);
    pageStarted(); // the page sizes the canvas (the first resize) and calls
                   // webAnimationFrame from now on
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
    setWindowTitle("Tarnwick (orthogonal)");
    loadOrthographicProjection();
    restoreLoadState();
    placeEyeOnOrbit();
}

void playReceivedScene()
{
    RecordedScene scene;
    std::string why;
    if (!readScene(std::string(sceneReceived.begin(), sceneReceived.end()), scene, why)) {
        sceneReceived = {};
        pageSceneRefused(why.c_str());
        return;
    }
    sceneReceived = {};
    if (tickCount > 0 || recordedInputs > 0)
        restartForScene();
    stopRecording();
    recordedScene.clear();
    recordedInputs = 0;
    startRecording(keepSceneLine, scene.width, scene.height);
    const int width = scene.width, height = scene.height;
    startPlaying(std::move(scene));
    scenePlayed = true;
    canvasSized = true;            // the scene's resizes size it
    pageFollowSize(width, height); // its resize to that size waits for the scene's end
    if (!scenePlaying())
        pageScenePlayed();
}

void buildScene(void*)
{
    setWindowTitle("Tarnwick (orthogonal)");
    // The first resize, which the page sends at once, replaces this with the
    // perspective projection.
    loadOrthographicProjection();
    restoreLoadState(); // builds the water mesh
    placeEyeOnOrbit();
    emscripten_async_call(startPage, nullptr, 0);
}

} // namespace

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
    stopRecording();   // the page keeps the scene recorded: it may still share it
    pageEnded(status); // no animation frame calls the program after this
    emscripten_force_exit(status);
}

extern "C" {

// Called on every animation frame once the program has started, and while the
// water is calm on a slower beat (host.js); says whether the water is calm.
EMSCRIPTEN_KEEPALIVE int webAnimationFrame()
{
    return animationFrame() ? 0 : 1;
}

EMSCRIPTEN_KEEPALIVE void webKey(int code)
{
    deliver({PageEvent::key, code, 0, 0, 0});
}

EMSCRIPTEN_KEEPALIVE void webButton(int button, int state, int x, int y)
{
    deliver({PageEvent::button, button, state, x, y});
}

// A finger's or a pen's event (phase 0 down, 1 moved, 2 up), in the desktop's
// buttons (gestures.h).
EMSCRIPTEN_KEEPALIVE void webTouch(int phase, int finger, int x, int y)
{
    if (phase < 0 || phase > 2)
        return;
    ButtonEvent events[3];
    const int count = touchEvent(gestures, static_cast<TouchPhase>(phase), finger, x, y, events);
    for (int k = 0; k < count; ++k) {
        const ButtonEvent& e = events[k];
        if (e.kind == ButtonEvent::drag)
            deliver({PageEvent::drag, e.x, e.y, 0, 0});
        else
            deliver({PageEvent::button, e.button, e.kind == ButtonEvent::press ? 0 : 1, e.x, e.y});
    }
}

EMSCRIPTEN_KEEPALIVE void webDrag(int x, int y)
{
    deliver({PageEvent::drag, x, y, 0, 0});
}

EMSCRIPTEN_KEEPALIVE void webResize(int width, int height)
{
    deliver({PageEvent::resize, width, height, 0, 0});
}

// ?rate=N in the page's address.
EMSCRIPTEN_KEEPALIVE void webSetTickRate(double ticksPerSecond)
{
    setTickRate(pace, ticksPerSecond);
}

EMSCRIPTEN_KEEPALIVE double webTickRate()
{
    return pace.ticksPerSecond;
}

EMSCRIPTEN_KEEPALIVE double webTickCount()
{
    return static_cast<double>(tickCount);
}

// For tests: hold the idle ticks (or let them run again), and run some at once.
EMSCRIPTEN_KEEPALIVE void webHoldTicks(int hold)
{
    ticksHeld = hold != 0;
}

EMSCRIPTEN_KEEPALIVE void webRunTicks(int count)
{
    for (int k = 0; k < count; ++k)
        idle();
}

EMSCRIPTEN_KEEPALIVE int webWaveRunning()
{
    return waveRunning;
}

// Scenes: the page writes a scene's bytes into the buffer, then asks for it
// to be played (from the program's start); it reads the recorded scene.
EMSCRIPTEN_KEEPALIVE char* webSceneBuffer(int bytes)
{
    sceneReceived.assign(static_cast<std::size_t>(bytes < 0 ? 0 : bytes), '\0');
    return sceneReceived.data();
}

EMSCRIPTEN_KEEPALIVE void webPlayScene()
{
    playReceivedScene();
}

EMSCRIPTEN_KEEPALIVE const char* webRecordedScene()
{
    return recordedScene.c_str();
}

EMSCRIPTEN_KEEPALIVE int webRecordedSceneBytes()
{
    return static_cast<int>(recordedScene.size());
}

// The camera's eye, coordinate 0, 1 or 2 (x, y, z).
EMSCRIPTEN_KEEPALIVE double webEye(int axis)
{
    return static_cast<double>(axis == 0 ? eyePos.x : axis == 1 ? eyePos.y : eyePos.z);
}
}

int main()
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!startDrawing()) {
        pageFailed("This browser offers no WebGL2.");
        return 1;
    }
    emscripten_async_call(buildScene, nullptr, 0);
    emscripten_exit_with_live_runtime();
}
