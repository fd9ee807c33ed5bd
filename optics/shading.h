// shading.h -- the per-face arithmetic of a frame: surface shade and floor colour
#pragma once

#include "frame/point.h"
#include "optics/caustics.h"
#include "optics/mesh.h"

// The frame draws the water-surface triangles while this is non-zero. Starts
// at 1; no command changes it.
extern int drawSurface;

// Thresholds and factors of the frame's colours.
const double lightDivisor = 10.0; // shade = lightDot / 10 * 0.85
const double surfaceFactor = 0.85;
const double brightnessDivisor = 20.0; // b = B * intensity / 20
const double floorThreshold = 0.1;     // a floor triangle is drawn when b >= 0.1
const double floorRedFactor = 0.55;
const double floorGreenFactor = 0.65;

struct Colour {
    float red, green, blue;
};

// World position of the grid vertex (i, j): (i - 32, heightField[i][j], j - 32).
Point surfacePoint(int i, int j);

// Corner k (0, 1, 2) of face f on the water surface and on the floor.
Point surfaceCorner(const WaterFace& f, int k);
Point floorCorner(const WaterFace& f, int k);

// ---- Formulas of the surface and floor passes

// The blue level of a face from its lightDot.
OPTICS_INLINE float surfaceShade(float lightDot)
{
    return static_cast<float>(lightDot / lightDivisor * surfaceFactor);
}

// The light factor B: the normal weighed by the light's coordinates truncated
// towards zero and taken positive (the weights are those magnitudes).
OPTICS_INLINE float lightFactor(double weightX, double weightY, double weightZ, float nx, float ny, float nz)
{
    return static_cast<float>(weightX * nx + weightY * ny + weightZ * nz);
}

// The floor brightness b = B * intensity / 20.
OPTICS_INLINE float floorBrightness(float light, float intensity)
{
    return static_cast<float>(static_cast<double>(light) * intensity / brightnessDivisor);
}

// A floor triangle is drawn when b >= 0.1; never when b is NaN.
OPTICS_INLINE bool floorTriangleDrawn(float b)
{
    return b >= floorThreshold;
}

// (0.55 b, 0.65 b, b * shade); OpenGL clamps components above 1.
OPTICS_INLINE Colour floorColour(float b, float shade)
{
    return {static_cast<float>(floorRedFactor * b), static_cast<float>(floorGreenFactor * b),
            static_cast<float>(static_cast<double>(b) * shade)};
}

// ---- The frame's optics

// The floor triangles of the current frame that pass the brightness test, in
// face order, with their colours. Static storage: a frame allocates nothing.
struct FloorTriangle {
    Colour colour;
    int face;
};
extern FloorTriangle floorTriangles[meshFaceCount];
extern int floorTriangleCount;

// All of a frame's optics that precede drawing: normals, caustics, intensity
// and shade of every face, and the floor triangles to draw. display() then
// only sends what this computed.
void computeFrameOptics();
