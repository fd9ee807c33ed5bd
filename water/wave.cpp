// wave.cpp -- travelling wave: amplitude 10 / phase, one wavelength per 32 columns
#include "water/wave.h"

#include "optics/display.h"
#include "water/water.h"

#include <cmath>

static const float waveEndPhase = 40.0f;
static const double wavePhaseStep = 0.1;
static const float waveAmplitude = 10.0f;             // divided by the phase: the wave flattens with age
static const double columnPhaseStep = 0.196349540875; // very nearly pi/16

float wavePhase; // start value: restoreLoadState

void waveStep()
{
    wavePhase = static_cast<float>(wavePhase + wavePhaseStep);
    const double amplitude = static_cast<double>(waveAmplitude) / wavePhase;
    float columnPhase = 0.0f;
    for (int j = 0; j < gridSize; ++j) {
        const float height = static_cast<float>(amplitude * std::sin(static_cast<double>(wavePhase) - columnPhase));
        for (float(&row)[gridSize] : heightField)
            row[j] = height;
        columnPhase = static_cast<float>(columnPhase + columnPhaseStep);
    }
    display();
}

bool stepWave()
{
    if (wavePhase < waveEndPhase) {
        waveStep();
        return true;
    }
    wavePhase = waveStartPhase;
    return false;
}

void playWave()
{
    while (stepWave()) {
    }
}
