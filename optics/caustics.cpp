// caustics.cpp -- the light and the floor, triangle areas and the caustic computation
#include "optics/caustics.h"

#include "optics/face_sweep.h"

Point lightPos = {0.0f, 10.0f, 0.0f};
float floorY = -10.0f;

float triangleArea(Point p0, Point p1, Point p2)
{
    return halfCrossLength(p1.x - p0.x, p1.y - p0.y, p1.z - p0.z, p2.x - p0.x, p2.y - p0.y, p2.z - p0.z);
}

void computeCaustics()
{
    sweepFaces(SweepResult::caustics);
}
