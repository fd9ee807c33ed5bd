// display.h -- the web page's drawing. display() only marks a frame as wanted
// (and sets the camera, which picks read at once); the frame is made on the
// next animation frame, from the water as it is then, and handed to the
// page's renderer.
#pragma once

// Asks the page to start its renderer; false when the browser offers no
// WebGL2 to draw with.
bool startDrawing();

// Makes and sends the wanted frame, if one is.
void drawWantedFrame();
// Frames made and handed to the renderer since the start: a frame whose
// inputs are bitwise those of the last one is not made, and not counted.
long framesMade();
// The next display() draws at once: the last tick of a frame draws its water
// before the ripple step exchanges the grids, as every tick does on the desktop.
void drawAtNextDisplay();
