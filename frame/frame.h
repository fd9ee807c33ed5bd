// frame.h -- the object vertex list, the local frame, and the transforms that move them
#pragma once

#include "frame/point.h"

// An object vertex, in world coordinates.
using Vertex = Point;

// ---- Object vertices
// Heap array owned by the scene; nothing in the program adds to it, so it stays
// empty unless a caller fills it. resetScene releases it (std::free) and zeroes the count.
extern Vertex* vertices;
extern int vertexCount;

// ---- Local frame
// An origin and the end points (positions, not directions) of three unit axes.
// The camera aims at localOrigin when lookAtOrigin is 0. resetScene restores
// (0,0,0), (1,0,0), (0,1,0), (0,0,1).
extern Point localOrigin;
extern Point localAxisX;
extern Point localAxisY;
extern Point localAxisZ;

// ---- Transforms
// A global axis is named by the lower-case character 'x', 'y' or 'z'; any other
// character names none and the transform moves nothing (it still prints).

// Shifts every vertex and the four frame points by amount along axis, then
// prints the frame's origin.
void translate(float amount, char axis);

// Turns every vertex and the four frame points about the global axis through
// the world origin by the angle whose cosine is cosine and whose sine is
// direction * sine, tracing the three axis end points before and after.
void rotate(float direction, float cosine, float sine, char axis);

// Scales every vertex about the world origin by 1 + 0.25 * steps; the frame
// does not move and nothing is printed.
void scale(int steps);

// Puts the local frame back to its start values and releases the vertex list.
void resetLocalFrame();
