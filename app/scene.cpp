// scene.cpp -- window, input and camera state and the scene reset
#include "app/scene.h"

#include "frame/frame.h"

#include <cstdio>

int windowWidth = 0;
int windowHeight = 0;
int perspectiveMode = 1;
int lastMouseX = 0;
int lastMouseY = 0;
int leftDrag = 0;
int zoomDrag = 0;

Point eyePos = {0.0f, 0.0f, 10.0f};
float camAzimuth = 0.0f;
float camElevation = 0.7853982f; // pi/4
float camDistance = 10.0f;
float lookAtOrigin = 1.0f;

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
