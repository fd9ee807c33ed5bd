// wave.h -- the travelling sine wave of the 'w' key
#pragma once

// Phase and age of the wave: waveStartPhase whenever no wave is running, +0.1
// per step. A reset leaves it alone.
extern float wavePhase;
const float waveStartPhase = 5.0f;

// One wave step: advance the phase, write the sine profile (varying along the
// columns only) into every cell of heightField, border included, and draw it.
void waveStep();

// The 'w' command: wave steps back to back until the phase reaches 40, then
// the phase rewinds to 5. From 5.0 that is 351 steps, each drawing a frame;
// nothing else runs meanwhile.
void playWave();

// The same command a step at a time, for a shell that must show each frame
// before it draws the next: one wave step and true while the phase is below
// 40; else the phase rewound to 5 and false.
bool stepWave();
