// camera.h -- the orbit camera and the middle-button pick, without OpenGL
#pragma once

#include "frame/point.h"

#include <functional>

// ---- Orbit
// Elevation limits of the orbit drag, tested in this order: at or above the
// first, 3.13; at or below 0, 0.01; at or above pi/2, just below pi/2.
const double elevationCeiling = 3.14;
const float elevationAfterCeiling = 3.13f;
const float elevationAfterFloor = 0.01f;
const double elevationLevel = 1.570796327;
const float elevationBelowLevel = 1.5607964f; // pi/2 - 0.01
const double zoomPerPixel = 0.15;             // world units of distance per pixel dragged down
const float nearestDistance = 0.1f;

// eyePos from camAzimuth, camElevation and camDistance:
// distance * (sin az sin el, cos el, cos az sin el).
void placeEyeOnOrbit();

// Turns the camera by one degree per pixel: right drags decrease the azimuth,
// upward drags lower the eye. dx = lastX - x, dy = lastY - y.
void orbitCamera(int dx, int dy);

// Applies the elevation limits above.
void clampElevation();

// Moves the eye along its line of sight: dy pixels dragged down (positive)
// move it away, never nearer than 0.1 to the origin.
void zoomCamera(int dy);

// Width over height of the window for the perspective projection; a window of
// height 0 counts as height 1.
double perspectiveAspect();

// ---- Projections and view (every shell loads the same)
const double fieldOfViewDegrees = 60.0; // vertical
const double nearPlane = 0.01;
const double farPlane = 10000.0;
const double boxHalfSide = 2.5;      // the orthographic box: -2.5..2.5 across and up
const double boxHalfDepth = 10000.0; // and -10000..10000 deep

// Where the camera aims: the world origin, or the local frame's origin ('c').
Point cameraTarget();

// ---- Pick
// Projects a world point to window coordinates (y up from the viewport's
// bottom edge). False when the point does not reach the window: projection
// failed, or the point is behind the eye or outside the depth range.
using WindowProjector = std::function<bool(Point world, double& winX, double& winY)>;

const double pickTolerance = 5.0; // pixels, strictly within, in both axes
const float pickDropHeight = 20.0f;

// Pointer y (counted down from the window's top) in the viewport's upward
// convention, so pointer and projected vertices are compared alike.
double pointerYUp(int y, int viewportY, int viewportHeight);

// Searches the interior vertices, row by row, for the first one that projects
// within the tolerance of (px, py). True and (i, j) on a hit.
bool findPickedVertex(double px, double py, const WindowProjector& project, int& i, int& j);
