// events.h -- the one path every input takes, whichever shell it came from
//
// A shell translates its window system's events (GLUT's callbacks, the page's
// calls) into InputEvents and hands each to takeInput. A played scene hands
// its own to handleInput. Either way the event is recorded at the present
// tick, then delivered to the viewer's callbacks: the water, the lines and
// the titles follow from the events alone.
#pragma once

#include <cstdint>

// Everything the program takes in. A scene's lines after its first three are
// these, written out.
struct InputEvent {
    // A key typed; a button pressed or released; a drag; a new window size; a
    // frame the window drew between two inputs of one tick (a pick reads the
    // view it left). And in a scene, a check: the hash of the program's state
    // at that point (app/state_hash.h), which the player compares and the
    // callbacks never see. And a drop of water at a grid vertex, which a page
    // that holds the viewer asks for by its place on the grid, not on screen.
    enum Kind { key, press, release, move, resize, redraw, check, drop };
    std::int64_t tick = 0; // ticks completed when it came (recorded and played events)
    Kind kind = key;
    int a = 0, b = 0, c = 0; // key: the byte; press, release: button, x, y; move: x, y; resize: width,
                             // height; drop: i, j
    std::uint64_t hash = 0;  // check: the state's hash
};

// The user's event from the window system: handled when the gate admits it.
// Returns whether it did.
bool takeInput(const InputEvent& event);

// The gate. While a scene plays, the user's own events are dropped: the
// scene's drive the program. Once a scene has played, a resize to the size
// the program already has is the window following the scene's last size, and
// brings nothing new.
bool inputAdmitted(const InputEvent& event);

// Records the event at the present tick (when a recording runs), then
// delivers it.
void handleInput(const InputEvent& event);

// Hands the event to the viewer's callbacks: keyboard, mouse, motion, reshape,
// or display for a redraw.
void deliverInput(const InputEvent& event);
