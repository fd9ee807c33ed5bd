// shading.cpp -- surface and floor positions of the faces, and the frame's optics
#include "optics/shading.h"

#include "optics/face_sweep.h"
#include "water/water.h"

int drawSurface; // start value: restoreLoadState

FloorTriangle floorTriangles[meshFaceCount];
int floorTriangleCount = 0;

Point surfacePoint(int i, int j)
{
    return {static_cast<float>(i - gridCentre), heightField[i][j], static_cast<float>(j - gridCentre)};
}

Point surfaceCorner(const WaterFace& f, int k)
{
    switch (k) {
    case 0: return surfacePoint(f.i0, f.j0);
    case 1: return surfacePoint(f.i1, f.j1);
    default: return surfacePoint(f.i2, f.j2);
    }
}

Point floorCorner(const WaterFace& f, int k)
{
    switch (k) {
    case 0: return {f.hitX0, floorY, f.hitZ0};
    case 1: return {f.hitX1, floorY, f.hitZ1};
    default: return {f.hitX2, floorY, f.hitZ2};
    }
}

void computeFrameOptics()
{
    sweepFaces(SweepResult::frame);
}
