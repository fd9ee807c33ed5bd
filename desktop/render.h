// render.h -- the OpenGL side of a frame, in halves
#pragma once

#include "app/shell.h"

// display() is clearAndPlaceCamera, computeFrameOptics, sendFrame. Apart, they
// let the drawing be timed without the optics.

// Clears colour and depth; in perspective mode loads the look-at camera.
void clearAndPlaceCamera();
// Sends the surface and floor triangles computeFrameOptics left, and swaps.
void sendFrame();

// The whole frame drawn while a scene plays, the matrices kept as the played
// input left them (display() then only sets the view).
void drawKeepingView();
