// render.h -- the OpenGL side of a frame and of the two projections
#pragma once

// ---- Projections
// Each selects the projection matrix, loads the projection, then leaves the
// modelview matrix selected and reset to the identity.

// The fixed box (-2.5..2.5 across, -10000..10000 deep); it does not follow the
// window size.
void loadOrthographicProjection();
// 60 degrees vertically, the window's aspect ratio, near 0.01, far 10000.
void loadPerspectiveProjection();

// ---- The frame in halves
// display() is clearAndPlaceCamera, computeFrameOptics, sendFrame. Apart, they
// let the drawing be timed without the optics.

// Clears colour and depth; in perspective mode loads the look-at camera.
void clearAndPlaceCamera();
// Sends the surface and floor triangles computeFrameOptics left, and swaps.
void sendFrame();
