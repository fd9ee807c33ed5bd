// recording.cpp -- the session's input written as a scene, and a scene played
#include "app/recording.h"

#include "app/about.h"
#include "app/events.h"
#include "app/shell.h"
#include "app/state_hash.h"
#include "water/drops.h"

#include <utility>

namespace {

// Recording (startRecording sets all of it).
SceneSink sceneSink = nullptr;
std::int64_t lastLineTick = 0; // the tick of the last line written
bool redrawSinceLastLine = false;
std::int64_t checkWrittenAt = -1; // the tick of the last line written when it was a check, else -1

// Playing.
RecordedScene playedScene;
std::size_t nextPlayedInput = 0;
bool playing = false;
bool playedOnce = false; // a scene was started since the program began
PlayedChecks checks;

void writeText(const std::string& text)
{
    if (sceneSink && !sceneSink(text))
        sceneSink = nullptr;
}

void writeLine(const InputEvent& input)
{
    writeText(sceneLine(input));
    lastLineTick = input.tick;
    redrawSinceLastLine = false;
    checkWrittenAt = -1;
}

std::string checkLine()
{
    return sceneLine({tickCount, InputEvent::check, 0, 0, 0, stateHash()});
}

// A check line leaves the redraw rule alone: it is no input.
void writeCheck()
{
    writeText(checkLine());
    checkWrittenAt = tickCount;
}

void compareCheck(const InputEvent& check, int line)
{
    if (stateHash() == check.hash) {
        ++checks.matched;
        return;
    }
    if (checks.parted++ == 0) {
        checks.partedTick = check.tick;
        checks.partedLine = line;
        checks.partedWhere = "at tick " + std::to_string(check.tick) + " (line " + std::to_string(line) +
                             "): recorded by Tarnwick " + playedScene.program + ", played by Tarnwick " +
                             programVersion();
        sceneParted(checks.partedWhere);
    }
}

// The scene's next line is a check: compared, and passed.
void compareNextCheck()
{
    const std::size_t at = nextPlayedInput++;
    compareCheck(playedScene.inputs[at], at < playedScene.lines.size() ? playedScene.lines[at] : 0);
}

} // namespace

void runTick()
{
    idle();
    if (sceneSink && tickCount % sceneCheckInterval == 0)
        writeCheck();
}

void startRecording(SceneSink sink, int width, int height)
{
    sceneSink = sink;
    lastLineTick = tickCount;
    redrawSinceLastLine = false;
    checkWrittenAt = -1;
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

bool checkDueAtEnd()
{
    return sceneSink && checkWrittenAt != tickCount;
}

void recordCheck()
{
    if (checkDueAtEnd())
        writeCheck();
}

std::string endCheckLine()
{
    return checkDueAtEnd() ? checkLine() : "";
}

void endScenes()
{
    recordCheck();
    if (!playing || nextPlayedInput == playedScene.inputs.size())
        return;
    const InputEvent& next = playedScene.inputs[nextPlayedInput];
    if (next.kind == InputEvent::check && next.tick == tickCount)
        compareNextCheck();
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
    checks = PlayedChecks{};
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
            runTick();
        } else if (playedScene.inputs[nextPlayedInput].kind == InputEvent::check) {
            compareNextCheck();
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

const PlayedChecks& playedChecks()
{
    return checks;
}
