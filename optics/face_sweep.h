// face_sweep.h -- every per-face quantity of a frame in one sweep over the mesh rows
#pragma once

// What a sweep writes into the faces: the caustic fields alone (normals,
// lightDot, the six hit fields, floorArea), or the whole frame (those, plus
// intensity, shade and the list of floor triangles to draw).
enum class SweepResult { caustics, frame };

// Recomputes, from the current heights, exactly what the normal, caustic,
// intensity, surface and floor passes compute face by face, bit for bit. It
// relies on the mesh layout buildWaterMesh lays down (two families, row by row)
// and does nothing when the mesh is empty.
void sweepFaces(SweepResult result);

// The vector instructions a sweep runs with: the widest the processor has,
// unless limited. Every choice gives the same results; the tests run each.
enum class SweepVectors { sse2, avx2, avx512 };
SweepVectors sweepVectors();
void limitSweepVectors(SweepVectors widest);
