// display.h -- the frame: clear, camera, optics, surface and floor passes, swap
#pragma once

// Draws one complete frame of the current scene. The simulation calls it
// directly (every ripple step and wave step); the program links the OpenGL
// definition, and a program without a window may link one of its own.
void display();

// The OpenGL halves of display() around the frame's optics: clear and place
// the camera; send the surface and floor triangles computeFrameOptics left,
// and swap. Apart, they let the drawing be timed without the optics.
void clearAndPlaceCamera();
void sendFrame();
