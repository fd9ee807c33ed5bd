// scene_reset.cpp -- back to load-time state between tests
#include "support/scene_reset.h"

#include "app/scene.h"
#include "frame/frame.h"
#include "optics/caustics.h"
#include "optics/mesh.h"
#include "optics/shading.h"
#include "support/probe_display.h"
#include "support/stdout_capture.h"
#include "water/drops.h"
#include "water/wave.h"

void restoreLoadState()
{
    windowWidth = windowHeight = 0;
    perspectiveMode = 1;
    lastMouseX = lastMouseY = 0;
    leftDrag = zoomDrag = 0;
    eyePos = {0.0f, 0.0f, 10.0f};
    camAzimuth = 0.0f;
    camElevation = 0.7853982f;
    camDistance = 10.0f;
    lookAtOrigin = 1.0f;
    lightPos = {0.0f, 10.0f, 0.0f};
    floorY = -10.0f;
    drawSurface = 1;
    burstMode = sprinkleMode = 0;
    tickCount = 0;
    for (auto& due : dropDue)
        due = 0;
    randomState = 1;
    wavePhase = 5.0f;
    resetLocalFrame();
    StdoutCapture quiet;
    buildWaterMesh();
}

void CoreTest::SetUp()
{
    restoreLoadState();
    clearFrames();
}
