// recording.cpp -- the session's input written as a scene, and a scene played
#include "app/recording.h"

#include "app/events.h"
#include "app/shell.h"
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
bool playedOnce = false; // a scene was started since the program began

void writeLine(const InputEvent& input)
{
    if (sceneSink && !sceneSink(sceneLine(input)))
        sceneSink = nullptr;
    lastLineTick = input.tick;
    redrawSinceLastLine = false;
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

void recordInput(const InputEvent& input)
{
    if (!sceneSink)
        return;
    // Every tick draws a frame, which sets the view as any redraw would; a
    // redraw matters only between two inputs of one tick.
    if (redrawSinceLastLine && tickCount == lastLineTick && input.kind != InputEvent::redraw)
        writeLine({tickCount, InputEvent::redraw, 0, 0, 0});
    writeLine({tickCount, input.kind, input.a, input.b, input.c});
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
    playedOnce = true;
}

bool sceneHasPlayed()
{
    return playedOnce;
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
            const InputEvent& input = playedScene.inputs[nextPlayedInput++];
            if (input.kind == InputEvent::resize)
                followPlayedSize(input.a, input.b);
            handleInput(input);
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
