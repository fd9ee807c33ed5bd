// point.h -- the scene's point type and the degrees-to-radians factor
#pragma once

// A position in world coordinates: x to the right, y up, z towards the start-up camera.
struct Point {
    float x, y, z;
};

// pi/180 in single precision. Turns one pixel of orbit drag into one degree and
// the keyboard's 15-degree rotation step into radians. Nothing writes it.
extern const float degToRad;
