// platform.h -- what a shell (the GLUT window, the web page) gives the input
// callbacks and the keyboard commands, which know nothing of OpenGL
#pragma once

#include "app/camera.h"

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
