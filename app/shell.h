// shell.h -- everything a shell (desktop/: the GLUT program; web/: the page)
// provides to the rest of the program, which knows nothing of OpenGL, GLUT or
// the browser. Each shell defines every function below, once.
#pragma once

#include "app/camera.h"
#include "optics/display.h" // display(): the frame, which the core's steps call

#include <string>

// ---- The frame
// display() draws one whole frame (declared with the core, whose ripple and
// wave steps call it after every step).

// ---- Projections
// Each selects the projection matrix, loads the projection, then leaves the
// modelview matrix selected and reset to the identity.

// The fixed box (-2.5..2.5 across, -10000..10000 deep); it does not follow the
// window size.
void loadOrthographicProjection();
// 60 degrees vertically, the window's aspect ratio, near 0.01, far 10000.
void loadPerspectiveProjection();

// ---- The window
// Draws into (0, 0, width, height) from now on.
void setViewport(int width, int height);
void setWindowTitle(const char* title);
// Asks for a frame once the pending events are handled.
void requestRedisplay();

// Reads the viewport (x, y, width, height) and the projection and modelview
// matrices as the last frame and the last reshape or projection toggle left
// them, once, and returns the projection of world points to window
// coordinates through them, as gluProject computes it; a point outside the
// depth range does not reach the window.
WindowProjector readWindowProjector(int viewport[4]);

// Ends the program with the status: at once, nothing more printed.
[[noreturn]] void endProgram(int status);

// ---- The travelling wave
// Its 351 frames, then the phase back at its start. The desktop draws them
// all before it returns; a web page, one per displayed frame, holding input
// and idle ticks until the wave ends.
void runWave();

// ---- Scenes
// The window takes the size a played resize gave the program, if it can.
void followPlayedSize(int width, int height);
// A played scene's check found other state than its recording had: where
// (PlayedChecks::partedWhere, app/recording.h), said once a scene; the scene
// plays on.
void sceneParted(const std::string& where);
