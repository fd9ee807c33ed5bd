// state_hash.h -- one number for the whole of the program's state: what a
// scene's check line holds, so that a played scene can show it gives the
// water, the lines, the titles and the picture it was recorded with
#pragma once

#include <cstdint>

// A 64-bit FNV-1a hash of every variable the start restores and the water,
// the printed lines, the titles and the picture depend on: both height grids,
// the tick count, the drop modes, schedule and generator, the wave's phase,
// the camera and the projection, the local frame and the vertex list, the
// light and the floor, the window's size and the pointer state a drag reads.
// Each number goes in as its bits, little-endian (a float as 4 bytes, every
// integer as 8), so that every machine, compiler and browser hashes the same
// state to the same number. Not in it: what each frame computes anew from
// these (the mesh's normals and colours, the floor's triangles) and the view
// OpenGL holds, which follows from the camera, the projection and the window.
std::uint64_t stateHash();
