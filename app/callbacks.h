// callbacks.h -- the window callbacks of the viewer (display is in optics/display.h,
// idle in water/drops.h)
#pragma once

// Keeps the viewport, and in perspective mode the projection, in step with the window.
void reshape(int width, int height);

// Records the buttons held; a middle press also drops water at the picked vertex.
void mouse(int button, int state, int x, int y);
// Drops water at interior grid vertex (i, j), as a pick that hit it does (and
// says so the same way): a host page's drop, with no pointer to pick with.
void dropAtVertex(int i, int j);

// Orbits (left drag) or zooms (middle or right drag), then redraws at once.
void motion(int x, int y);

// The keyboard commands; every key but the exit keys ends with a redisplay request.
void keyboard(unsigned char key, int x, int y);
