// water.h -- the two height grids of the water surface and the ripple step
#pragma once

// ---- Grid
// 64 x 64 heights, row-major, [i][j] with row i and column j in 0..63.
// Grid vertex (i, j) stands at world x = i - 32, y = heightField[i][j], z = j - 32.
// Interior cells have i and j in 1..62; the ripple step computes only those.
const int gridSize = 64;
const int gridCentre = 32;

// The heights that are drawn, lit and disturbed. Between ticks it holds the
// older of the two states plus every disturbance written since the last step.
extern float heightField[gridSize][gridSize];

// The newest computed state; only the ripple step reads it.
// Both grids start at zero, are zeroed by buildWaterMesh and are never reset.
extern float partnerField[gridSize][gridSize];

// Each new height is damped by this factor (double precision).
const double rippleDamping = 0.9;

// The '5' key: sets the centre vertex (world x = 0, z = 0) to the splash
// height; the ripple step spreads it from the next tick on.
const float splashHeight = 20.0f;
void splashCentre();

// ---- Step
// One tick of the damped two-buffer integrator: new interior heights into
// heightField from partnerField's neighbours, display() draws them, then the
// two grids are exchanged whole (border cells included).
void rippleStep();
