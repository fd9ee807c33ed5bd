// input.cpp -- reshape, mouse and motion callbacks: camera, projection and pick
#include "app/callbacks.h"

#include "app/camera.h"
#include "app/shell.h"
#include "app/viewer_state.h"
#include "optics/display.h"
#include "water/water.h"

#include <cstdio>

enum { leftButton = 0, middleButton = 1, rightButton = 2, pressed = 0 };

void reshape(int width, int height)
{
    setViewport(width, height);
    windowWidth = width;
    windowHeight = height;
    if (perspectiveMode)
        loadPerspectiveProjection();
    std::printf("Resized to %d %d\n", width, height);
}

// Drops water at the interior vertex drawn under the pointer, using the
// matrices the last frame and the last reshape or projection toggle left.
static void pickAndDrop(int x, int y)
{
    int viewport[4] = {};
    const WindowProjector project = readWindowProjector(viewport);
    std::printf("this is the mouse click: %f, %f\n", static_cast<double>(x), static_cast<double>(y));
    int i = 0, j = 0;
    if (findPickedVertex(x, pointerYUp(y, viewport[1], viewport[3]), project, i, j))
        dropAtVertex(i, j);
}

void dropAtVertex(int i, int j)
{
    std::printf("hit at these: %d, %d\n", i, j);
    heightField[i][j] = pickDropHeight;
}

void mouse(int button, int state, int x, int y)
{
    lastMouseX = x;
    lastMouseY = y;
    if (button == leftButton)
        leftDrag = state == pressed;
    if (button == middleButton && state == pressed)
        pickAndDrop(x, y);
    if (button == middleButton || button == rightButton)
        zoomDrag = state == pressed;
    std::printf("Mouse click at %d %d, button: %d, state %d\n", x, y, button, state);
}

void motion(int x, int y)
{
    if (leftDrag)
        orbitCamera(lastMouseX - x, lastMouseY - y);
    else if (zoomDrag)
        zoomCamera(y - lastMouseY);
    lastMouseX = x;
    lastMouseY = y;
    display();
    std::printf("Mouse is at %d, %d\n", x, y);
}
