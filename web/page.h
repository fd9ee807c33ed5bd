// page.h -- the web page's drawing context. display() only marks a frame as
// wanted (and sets the camera, which picks read at once); the frame is drawn
// on the next animation frame, from the water as it is then.
#pragma once

#include <cstdint>

// Creates the WebGL2 context on the page's canvas and the shaders and buffer
// every frame uses; false when the browser offers no WebGL2.
bool startWebGL();

// Draws the wanted frame, if one is and the context can draw.
void drawWantedFrame();
// The next display() draws at once: the last tick of a frame draws its water
// before the ripple step exchanges the grids, as every tick does on the desktop.
void drawAtNextDisplay();

// A lost context draws nothing; a restored one is rebuilt (false when it
// cannot be) and draws the wanted frame again.
void stopDrawing();
bool resumeDrawing();

// Frames drawn since the start: never more than the browser has shown.
extern std::int64_t framesDrawn;
