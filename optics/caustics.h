// caustics.h -- light refracted through every face of the water onto the pool floor
#pragma once

#include "frame/point.h"

// ---- Light and floor
// The point light above the water and the y of the floor plane. Start values
// (0, 10, 0) and -10; nothing changes them, a reset included.
extern Point lightPos;
extern float floorY;

// The factor eta of the vector refraction formula, used as it is (it is not a
// quotient of two refractive indices).
const float refractionRatio = 1.000277f;

// ---- Computation
// Recomputes the normals, then for every face: lightDot, the floor point of
// each vertex (refracted with the face's own normal, reached from the world
// origin along the refracted ray), and the floor triangle's area. A vertex on
// the light or a ray parallel to the floor gives infinite or NaN values, which
// the floor brightness test later rejects.
void computeCaustics();

// Area of the triangle p0 p1 p2: half the length of the edge cross product.
float triangleArea(Point p0, Point p1, Point p2);
