// display.h -- the frame renderer, called by the simulation after every step
#pragma once

// Draws one complete frame of the current scene: clear, camera, the frame's
// optics (computeFrameOptics), the surface and floor passes, swap. The ripple
// and wave steps call it directly. Its definition is OpenGL and lives with the
// viewer's shell (desktop/display.cpp); a program without a window links its own.
void display();
