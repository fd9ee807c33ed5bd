// water_states.h -- water states the benchmarks run on
#pragma once

// Flat water seen from the start view: the program as main leaves it.
void makeFlatWater();

// A busy surface: a wave, then a few hundred ticks of burst drops.
void makeBusyWater();
