// viewer_state.h -- the viewer's window, input and camera state, and the reset
//
// The water grids live in water/, the mesh, light and floor in optics/, the
// vertex list and local frame in frame/; this module holds the rest, and the
// one function that gives every one of them its start value.
#pragma once

#include "frame/point.h"

// ---- Start state
// Every variable of the program's state back to its start value (the
// water's, the drops', the wave's, the light's, the local frame's and this
// module's, written here alone; their definitions carry none), then the water
// mesh built over zeroed grids, with its two face-count lines (the mesh and
// the list of floor triangles are defined empty, and get their contents from
// buildWaterMesh and from every frame's optics). Every program that runs the
// core calls it before anything else reads the state: startViewer in both
// shells, and the tests, benchmarks and fuzz targets to start afresh. The eye
// then stands at (0, 0, 10) until placeEyeOnOrbit.
void restoreLoadState();
// restoreLoadState, then the eye placed on its orbit: the state the program
// starts from (app/start.h adds the window's part), and the tests,
// benchmarks and fuzz targets with it.
void startState();

// ---- Window and input (pixels; a reset leaves them alone)
extern int windowWidth; // stored by reshape
extern int windowHeight;
extern int perspectiveMode; // 1: perspective with a look-at camera; 0: orthographic ('p')
extern int lastMouseX;      // pointer at the last mouse or motion event, y counted down
extern int lastMouseY;
extern int leftDrag; // 1 while the left button is held: drags orbit
extern int zoomDrag; // 1 after a middle or right press, 0 after either's release: drags zoom

// ---- Camera (radians and world units; a reset sets all of them)
extern Point eyePos;       // eye of the look-at camera
extern float camAzimuth;   // about the y axis, from +z towards +x; never wrapped
extern float camElevation; // from the +y axis: 0 above the origin, pi/2 level with the water
extern float camDistance;  // orbit radius
extern float lookAtOrigin; // non-zero: aim at (0,0,0); zero: aim at localOrigin ('c')

// The 'c' key: aims the camera at the other target and prints "ORIGIN is 1"
// (origin) or "ORIGIN is 0" (local frame).
void toggleLookAt();

// Puts the camera, the look-at target and the local frame back to their reset
// values and empties the object vertex list. The water mesh, the heights, the
// modes, the counters and the projection stay as they are; nothing is printed.
void resetScene();
