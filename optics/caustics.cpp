// caustics.cpp -- the light and the floor, triangle areas and the caustic computation
#include "optics/caustics.h"

#include "optics/face_sweep.h"

// Start values: restoreLoadState.
Point lightPos;
float floorY;

float triangleArea(Point p0, Point p1, Point p2)
{
    return halfCrossLength(p1.x - p0.x, p1.y - p0.y, p1.z - p0.z, p2.x - p0.x, p2.y - p0.y, p2.z - p0.z);
}

void computeCaustics()
{
    sweepFaces(SweepResult::caustics);
}
