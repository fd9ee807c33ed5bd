// water.cpp -- height grids and the damped ripple step
#include "water/water.h"

#include "optics/display.h"

float heightField[gridSize][gridSize];
float partnerField[gridSize][gridSize];

// Neighbours come from partnerField, which the sweep leaves alone, and each
// heightField cell is read only for its own update: any sweep order gives the
// same grid. Sums in double, each store rounds to float.
static void computeInterior()
{
    for (int i = 1; i < gridSize - 1; ++i) {
        for (int j = 1; j < gridSize - 1; ++j) {
            const double s = static_cast<double>(partnerField[i - 1][j]) + partnerField[i + 1][j] +
                             partnerField[i][j - 1] + partnerField[i][j + 1];
            const auto undamped = static_cast<float>(s / 2 - heightField[i][j]);
            heightField[i][j] = static_cast<float>(undamped * rippleDamping);
        }
    }
}

static void exchangeGrids()
{
    float held[gridSize][gridSize];
    for (int i = 0; i < gridSize; ++i) {
        for (int j = 0; j < gridSize; ++j) {
            held[i][j] = heightField[i][j];
            heightField[i][j] = partnerField[i][j];
            partnerField[i][j] = held[i][j];
        }
    }
}

void splashCentre()
{
    heightField[gridCentre][gridCentre] = splashHeight;
}

void rippleStep()
{
    computeInterior();
    display();
    exchangeGrids();
}
