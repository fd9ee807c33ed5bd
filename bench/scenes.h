// scenes.h -- water states the benchmarks run on
#pragma once

// Flat water: the mesh built, both grids zero.
void makeFlatScene();

// A busy surface: a wave, then a few hundred ticks of burst drops.
void makeBusyScene();
