// main.cpp -- the web page's entry points: what the page's scripts call, each
// handing over to the program (program.h). The page's events come in the
// desktop's terms (GLUT's keys, buttons and states).
#include "app/events.h"
#include "water/water.h"
#include "web/display.h"
#include "web/page_recording.h"
#include "web/program.h"

#include <cstdio>
#include <emscripten/emscripten.h>

EM_JS(void, pageFailed, (const char* message), { Module.failed(UTF8ToString(message)); });

extern "C" {

// Called on every animation frame once the program has started, and while the
// water is calm on a slower beat (host.js); says whether the water is calm.
EMSCRIPTEN_KEEPALIVE int webAnimationFrame()
{
    return animationFrame() ? 0 : 1;
}

EMSCRIPTEN_KEEPALIVE void webKey(int code)
{
    takePageEvent({0, InputEvent::key, code, 0, 0});
}

// state: 0 pressed, 1 released, as GLUT gives it.
EMSCRIPTEN_KEEPALIVE void webButton(int button, int state, int x, int y)
{
    takePageEvent({0, state == 0 ? InputEvent::press : InputEvent::release, button, x, y});
}

EMSCRIPTEN_KEEPALIVE void webTouch(int phase, int finger, int x, int y)
{
    takeTouch(phase, finger, x, y);
}

EMSCRIPTEN_KEEPALIVE void webDrag(int x, int y)
{
    takePageEvent({0, InputEvent::move, x, y, 0});
}

EMSCRIPTEN_KEEPALIVE void webResize(int width, int height)
{
    takePageEvent({0, InputEvent::resize, width, height, 0});
}

// ?rate=N in the page's address.
EMSCRIPTEN_KEEPALIVE void webSetTickRate(double ticksPerSecond)
{
    setTickRate(pace, ticksPerSecond);
}

// The page held its animation frames (paused, hidden): the time they were
// held owes no ticks.
EMSCRIPTEN_KEEPALIVE void webFramesResumed()
{
    pauseTicks(pace);
}

// Scenes: the page writes a scene's bytes into the buffer, then asks for it
// to be played (from the program's start); it reads the recorded scene.
EMSCRIPTEN_KEEPALIVE char* webSceneBuffer(int bytes)
{
    return sceneBuffer(bytes);
}

EMSCRIPTEN_KEEPALIVE void webPlayScene()
{
    playReceivedScene();
}

// 1: scenes play at the pace they were recorded (the embed's), 0: at once (the page's).
EMSCRIPTEN_KEEPALIVE void webPlayScenesInTime(int inTime)
{
    scenesInTime = inTime != 0;
}

// The visitor takes the water while a scene plays: 1 if one was stopped.
EMSCRIPTEN_KEEPALIVE int webStopScene()
{
    return stopPlayedScene() ? 1 : 0;
}

// A host page's drop at interior grid vertex (i, j), 1 to 62 each.
EMSCRIPTEN_KEEPALIVE void webDropAt(int i, int j)
{
    if (i >= 1 && i <= gridSize - 2 && j >= 1 && j <= gridSize - 2)
        takePageEvent({0, InputEvent::drop, i, j, 0});
}

EMSCRIPTEN_KEEPALIVE const char* webRecordedScene()
{
    return pageSceneToShare().c_str();
}

// Of the text webRecordedScene gave last.
EMSCRIPTEN_KEEPALIVE int webRecordedSceneBytes()
{
    return static_cast<int>(pageSharedScene().size());
}
}

int main()
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!startDrawing()) {
        pageFailed("This browser offers no WebGL2.");
        return 1;
    }
    startPageProgram();
    emscripten_exit_with_live_runtime();
}
