// recording.h -- recording the session's input as a scene, and playing a
// scene back, the same in every shell (the GLUT window, the web page)
//
// A recorded input carries tickCount as its callback ran. Playing runs the
// ticks up to each input's tick without drawing, then delivers the input
// through the same callbacks: the water, the lines and the titles follow.
// What else a pick reads, the view the last frame left, is kept too: every
// tick's frame sets it, and a frame the window drew between two inputs of
// one tick is recorded as a redraw. Every sceneCheckInterval ticks, and at
// its end, the recording writes a check: the hash of the program's state
// (app/state_hash.h), which the player compares when it reaches it.
#pragma once

#include "app/scene_file.h"

#include <cstdint>
#include <string>

// ---- Ticks
// One idle tick (water/drops.h), then a check when a recording runs and the
// tick count is a multiple of sceneCheckInterval: every shell ticks with it.
void runTick();
// About one a second at the page's pace.
const std::int64_t sceneCheckInterval = 330;

// ---- Recording
// Where the lines go (a file, the page's memory); false when it takes no more.
using SceneSink = bool (*)(const std::string& text);

// Starts a recording into the sink with the scene's first lines.
void startRecording(SceneSink sink, int width, int height);
// Writes one input at the present tick (whatever its own tick says), after a
// redraw line if a frame was drawn since the last line within the same tick.
// Nothing when not recording.
void recordInput(const InputEvent& input);
// The window drew a frame outside a tick (a redisplay, an expose).
void noteRedraw();
// A check of the present state, unless the last line written was one at this
// tick: the recording's end (the program's, or the text taken as it stands).
void recordCheck();
// The check line recordCheck would write now, or nothing: for a copy of the
// recording that ends here while the recording goes on.
std::string endCheckLine();

// The program ends (Esc, q): the recording's last check, and a played scene's,
// which its recording wrote at that same end, compared.
void endScenes();
// Stops at once: later inputs are not recorded.
void stopRecording();
bool isRecording();

// ---- Playing
// Starts playing the scene; until it has ended the shell drops the user's
// own input and draws no tick's frame.
void startPlaying(RecordedScene scene);
bool scenePlaying();
// Whether a scene was started since the program began (events.h's gate).
bool sceneHasPlayed();

// Runs ticks and delivers inputs, at most `steps` of them (a tick or an
// input each); returns whether the scene still plays. The input goes through
// handleInput (events.h), and a resize also through followPlayedSize.
bool playScene(int steps);

// Ends the playing at once (the program goes on from where the scene left it).
void stopPlaying();

// ---- Checks played
// The checks of the scene playing (or played last) compared so far: how many
// matched, how many did not, and the first that did not.
struct PlayedChecks {
    int matched = 0;
    int parted = 0;
    std::int64_t partedTick = 0;
    int partedLine = 0;
    // For a message that names the scene first: "at tick T (line L): recorded
    // by Tarnwick X, played by Tarnwick Y".
    std::string partedWhere;
};
const PlayedChecks& playedChecks();
