// recording.cpp -- the session's input written as a scene, and a scene played
#include "app/recording.h"

#include "app/callbacks.h"
#include "optics/display.h"
#include "water/drops.h"

#include <utility>

namespace {

// Recording (startRecording sets all of it).
SceneSink sceneSink = nullptr;
std::int64_t lastLineTick = 0; // the tick of the last line written
bool redrawSinceLastLine = false;

// Playing.
RecordedScene playedScene;
std::size_t nextPlayedInput = 0;
bool playing = false;

void writeLine(const SceneInput& input)
{
    if (sceneSink && !sceneSink(sceneLine(input)))
        sceneSink = nullptr;
    lastLineTick = input.tick;
    redrawSinceLastLine = false;
}

void deliver(const SceneInput& input)
{
    switch (input.kind) {
    case SceneInput::key: keyboard(static_cast<unsigned char>(input.a), 0, 0); break;
    case SceneInput::press: mouse(input.a, 0, input.b, input.c); break;
    case SceneInput::release: mouse(input.a, 1, input.b, input.c); break;
    case SceneInput::move: motion(input.a, input.b); break;
    case SceneInput::resize:
        followPlayedSize(input.a, input.b);
        reshape(input.a, input.b);
        break;
    case SceneInput::redraw: display(); break; // its line is already written
    }
}

} // namespace

void startRecording(SceneSink sink, int width, int height)
{
    sceneSink = sink;
    lastLineTick = tickCount;
    redrawSinceLastLine = false;
    if (!sceneSink(sceneHeader(width, height)))
        sceneSink = nullptr;
}

void recordInput(SceneInput::Kind kind, int a, int b, int c)
{
    if (!sceneSink)
        return;
    // Every tick draws a frame, which sets the view as any redraw would; a
    // redraw matters only between two inputs of one tick.
    if (redrawSinceLastLine && tickCount == lastLineTick && kind != SceneInput::redraw)
        writeLine({tickCount, SceneInput::redraw, 0, 0, 0});
    writeLine({tickCount, kind, a, b, c});
}

void noteRedraw()
{
    redrawSinceLastLine = true;
}

void stopRecording()
{
    sceneSink = nullptr;
}

bool isRecording()
{
    return sceneSink != nullptr;
}

void startPlaying(RecordedScene scene)
{
    playedScene = std::move(scene);
    nextPlayedInput = 0;
    playing = !playedScene.inputs.empty();
}

bool scenePlaying()
{
    return playing;
}

bool playScene(int steps)
{
    for (; playing && steps > 0; --steps) {
        if (nextPlayedInput == playedScene.inputs.size()) {
            stopPlaying();
        } else if (tickCount < playedScene.inputs[nextPlayedInput].tick) {
            idle();
        } else {
            const SceneInput& input = playedScene.inputs[nextPlayedInput++];
            recordInput(input.kind, input.a, input.b, input.c);
            deliver(input);
        }
    }
    return playing;
}

void stopPlaying()
{
    playing = false;
    playedScene = RecordedScene{};
    nextPlayedInput = 0;
}
