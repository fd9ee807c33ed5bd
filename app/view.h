// view.h -- the view a window's OpenGL would hold (projection, modelview,
// viewport), for a program that has none: the web page, which draws with
// WebGL, and a scene checked without a window. A pick reads it as the desktop
// reads OpenGL's.
//
// Outside the program's state: the start sets it (the first projection, the
// first resize's viewport), as it sets a window's.
#pragma once

#include "app/camera.h"
#include "app/matrices.h"

// The shell's projections (app/shell.h): each loads its projection and resets
// the modelview to the identity.
void viewOrthographic();
void viewPerspective();
// The viewport from (0, 0), in the program's pixels.
void viewSetViewport(int width, int height);
// What every frame does to the view: in perspective, the look-at camera.
void viewPlaceCamera();
// The projection times the modelview: world to clip space.
Matrix viewMatrix();
// readWindowProjector (app/shell.h) over this view.
WindowProjector viewProjector(int viewport[4]);
