// baseline_frame.h -- a plain, scalar transcription of a frame's optics, kept as
// the yardstick for the program's own implementation
#pragma once

#include "optics/shading.h"

// Normals, caustics, intensities and shades of every face, written into faces,
// straight from the formulas: one face at a time, every vertex refracted anew.
void baselineFrameOptics();

// The floor pass's arithmetic for one face, as the plain transcription does it.
bool baselineFloorColour(const WaterFace& f, Colour& colour);
