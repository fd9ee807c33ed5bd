// input.cpp -- reshape, mouse and motion callbacks: camera, projection and pick
#include "app/callbacks.h"

#include "app/camera.h"
#include "app/render.h"
#include "app/scene.h"
#include "optics/display.h"
#include "water/water.h"

#include <GL/glu.h>
#include <GL/glut.h>
#include <cstdio>

enum { leftButton = 0, middleButton = 1, rightButton = 2, pressed = 0 };

void reshape(int width, int height)
{
    glViewport(0, 0, width, height);
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
    GLint viewport[4];
    GLdouble projection[16], modelview[16];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    std::printf("this is the mouse click: %f, %f\n", static_cast<double>(x), static_cast<double>(y));

    const WindowProjector project = [&](Point world, double& winX, double& winY) {
        double winZ = 0;
        return gluProject(world.x, world.y, world.z, modelview, projection, viewport, &winX, &winY, &winZ) == GL_TRUE &&
               winZ >= 0.0 && winZ <= 1.0;
    };
    int i = 0, j = 0;
    if (findPickedVertex(x, pointerYUp(y, viewport[1], viewport[3]), project, i, j)) {
        std::printf("hit at these: %d, %d\n", i, j);
        heightField[i][j] = pickDropHeight;
    }
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
