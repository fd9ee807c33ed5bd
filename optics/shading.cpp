// shading.cpp -- intensity, surface shade and floor colour of every face
#include "optics/shading.h"

#include "optics/caustics.h"
#include "water/water.h"

#include <cmath>

int drawSurface = 1;

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

void computeIntensities()
{
    for (int n = 0; n < faceCount; ++n) {
        WaterFace& f = faces[n];
        f.intensity = triangleArea(surfaceCorner(f, 0), surfaceCorner(f, 1), surfaceCorner(f, 2)) / f.floorArea;
    }
}

float surfaceShade(float lightDot)
{
    return static_cast<float>(lightDot / lightDivisor * surfaceFactor);
}

static double truncatedMagnitude(float coordinate)
{
    return std::fabs(std::trunc(static_cast<double>(coordinate)));
}

float floorBrightness(const WaterFace& f)
{
    const float lightFactor = static_cast<float>(truncatedMagnitude(lightPos.x) * f.nx +
                                                 truncatedMagnitude(lightPos.y) * f.ny +
                                                 truncatedMagnitude(lightPos.z) * f.nz);
    return static_cast<float>(static_cast<double>(lightFactor) * f.intensity / brightnessDivisor);
}

bool floorColour(const WaterFace& f, Colour& colour)
{
    const float b = floorBrightness(f);
    if (!(b >= floorThreshold))
        return false;
    colour.red = static_cast<float>(floorRedFactor * b);
    colour.green = static_cast<float>(floorGreenFactor * b);
    colour.blue = static_cast<float>(static_cast<double>(b) * f.shade);
    return true;
}

void computeFrameOptics()
{
    computeCaustics();
    computeIntensities();
    for (int n = 0; n < faceCount; ++n)
        faces[n].shade = surfaceShade(faces[n].lightDot);
}
