// viewer_state.cpp -- window, input and camera state and the reset
#include "app/viewer_state.h"

#include "app/camera.h"
#include "frame/frame.h"
#include "optics/caustics.h"
#include "optics/mesh.h"
#include "optics/shading.h"
#include "water/drops.h"
#include "water/wave.h"

#include <cstdio>

// Start values: restoreLoadState.
int windowWidth;
int windowHeight;
int perspectiveMode;
int lastMouseX;
int lastMouseY;
int leftDrag;
int zoomDrag;

Point eyePos;
float camAzimuth;
float camElevation;
float camDistance;
float lookAtOrigin;

void restoreLoadState()
{
    windowWidth = windowHeight = 0;
    perspectiveMode = 1;
    lastMouseX = lastMouseY = 0;
    leftDrag = zoomDrag = 0;

    eyePos = {0.0f, 0.0f, 10.0f};
    camAzimuth = 0.0f;
    camElevation = 0.7853982f; // pi/4
    camDistance = 10.0f;
    lookAtOrigin = 1.0f;

    burstMode = sprinkleMode = 0;
    tickCount = 0;
    for (std::int64_t& due : dropDue)
        due = 0;
    randomState = 1;
    wavePhase = waveStartPhase;

    lightPos = {0.0f, 10.0f, 0.0f};
    floorY = -10.0f;
    drawSurface = 1;

    resetLocalFrame();
    buildWaterMesh();
}

void startState()
{
    restoreLoadState();
    placeEyeOnOrbit();
}

void resetScene()
{
    resetLocalFrame();
    lookAtOrigin = 1.0f;
    // Set directly, not from the angles: (0, 0, 10) is where the orbit formula
    // would put an elevation of exactly pi/2, i.e. level with the water.
    eyePos = {0.0f, 0.0f, 10.0f};
    camAzimuth = 0.0f;
    camElevation = 1.57f;
    camDistance = 10.0f;
}

void toggleLookAt()
{
    lookAtOrigin = lookAtOrigin == 0.0f ? 1.0f : 0.0f;
    std::printf("ORIGIN is %d\n", lookAtOrigin != 0.0f ? 1 : 0);
}
