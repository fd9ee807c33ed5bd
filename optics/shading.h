// shading.h -- the per-face arithmetic of a frame: intensity, surface shade, floor colour
#pragma once

#include "frame/point.h"
#include "optics/mesh.h"

// The frame draws the water-surface triangles while this is non-zero. Starts
// at 1; no command changes it.
extern int drawSurface;

// Thresholds and factors of the frame's colours.
const double lightDivisor = 10.0;       // shade = lightDot / 10 * 0.85
const double surfaceFactor = 0.85;
const double brightnessDivisor = 20.0;  // b = B * intensity / 20
const double floorThreshold = 0.1;      // a floor triangle is drawn when b >= 0.1
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

// Intensity pass: every face's surface area over its floor area.
void computeIntensities();

// Surface pass arithmetic: the blue level of a face from its lightDot.
float surfaceShade(float lightDot);

// Floor pass arithmetic: B * intensity / 20, where B weighs the normal by the
// light's coordinates truncated towards zero, taken positive.
float floorBrightness(const WaterFace& f);

// True when the face's floor triangle is drawn (b >= 0.1, so never for NaN),
// with its colour (0.55 b, 0.65 b, b * shade) in colour.
bool floorColour(const WaterFace& f, Colour& colour);

// All of a frame's optics that precede drawing: caustics, intensities and
// shades of every face. display() then only sends what this left in faces.
void computeFrameOptics();
