// program.h -- the viewer in a web page: the browser's event loop instead of
// GLUT's.
//
// Everything visible happens on animation frames, one per frame the browser
// shows (animationFrame, called by the page's host.js): the idle ticks due
// since the last one, at a fixed pace (pacing.h), then at most one frame for
// the renderer beside the program. A wave runs one step per frame instead,
// holding input and ticks until it ends, as the desktop's wave holds its
// event loop. The page's events arrive already in the program's terms
// (app/events.h) and are handled when they arrive.
#pragma once

#include "app/events.h"
#include "web/pacing.h"

// ---- The page's side of the program's state (the window's, on the desktop)
extern bool waveRunning;  // a wave shows one step a frame; input waits for its end
extern bool ticksHeld;    // only the ticks a test asks for run
extern TickPace pace;     // the idle ticks' pace
extern bool scenesInTime; // a played scene runs at the pace, as recorded, not at once

// Starts the program in short tasks, so that the page answers between them:
// the water, then the page's own start (which sizes the canvas); the first
// frame comes on the next animation frame.
void startPageProgram();

// Runs one animation frame; false when it found the water calm: no frame
// made, none wanted, nothing under way. The page then stops asking for
// animation frames until something comes, and only keeps the ticks at their
// pace: calm water on a phone costs next to nothing.
bool animationFrame();

// An event of the page's: through the gate (events.h), then held while a
// wave runs, or handled at once.
void takePageEvent(const InputEvent& event);
// A finger's or a pen's event (phase 0 down, 1 moved, 2 up), read as the
// desktop's buttons (gestures.h).
void takeTouch(int phase, int finger, int x, int y);

// A scene handed over by the page: its bytes go into the buffer, then it is
// played from the program's start, or refused (the page is told why).
char* sceneBuffer(int bytes);
void playReceivedScene();
// Ends a scene playing where it is: the water is the visitor's from there.
// False when none played.
bool stopPlayedScene();
