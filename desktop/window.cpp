// window.cpp -- the viewer's GLUT window: start-up up to the event loop (the
// window, the callbacks, the program's start), and
// what the window gives the callbacks and commands
#include "desktop/window.h"

#include "app/recording.h"
#include "app/shell.h"
#include "app/start.h"
#include "app/view.h"
#include "desktop/check.h"
#include "desktop/scene_window.h"
#include "water/drops.h"
#include "water/wave.h"

#include <GL/glu.h>
#include <GL/glut.h>
#include <array>
#include <cstdio>
#include <cstdlib>

// A double-buffered RGBA window with an alpha channel and a depth buffer (26).
static const unsigned int windowDisplayMode = GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH;

// A scene plays in a window of its own size, which the screen must hold.
static bool sizeForScene()
{
    int width = 0, height = 0;
    if (!sceneWindowSize(width, height))
        return true;
    const int screenWidth = glutGet(GLUT_SCREEN_WIDTH), screenHeight = glutGet(GLUT_SCREEN_HEIGHT);
    if (width > screenWidth || height > screenHeight) {
        std::fprintf(stderr,
                     "tarnwick: cannot play the scene: its window, %d x %d, is larger than the screen, %d x %d\n",
                     width, height, screenWidth, screenHeight);
        return false;
    }
    glutInitWindowSize(width, height);
    return true;
}

bool openViewerWindow(int* argc, char** argv)
{
    glutInit(argc, argv);
    if (!sizeForScene())
        return false;
    glutInitDisplayMode(windowDisplayMode);
    glutCreateWindow(startTitle);

    glutDisplayFunc(windowDisplay);
    glutReshapeFunc(windowReshape);
    glutMouseFunc(windowMouse);
    glutMotionFunc(windowMotion);
    glutKeyboardFunc(windowKeyboard);
    glutIdleFunc(runTick);

    startViewer(); // builds the water mesh
    glEnable(GL_DEPTH_TEST);
    startScenes(glutGet(GLUT_INIT_WINDOW_WIDTH), glutGet(GLUT_INIT_WINDOW_HEIGHT));
    return true;
}

// Without a window (--check), the view OpenGL would hold stands for it.
void setViewport(int width, int height)
{
    if (windowless)
        return viewSetViewport(width, height);
    glViewport(0, 0, width, height);
}

void endProgram(int status)
{
    if (windowless)
        endCheck();
    std::exit(status);
}

void setWindowTitle(const char* title)
{
    if (!windowless)
        glutSetWindowTitle(title);
}

void requestRedisplay()
{
    if (!windowless)
        glutPostRedisplay();
}

WindowProjector readWindowProjector(int viewport[4])
{
    if (windowless)
        return viewProjector(viewport);
    std::array<GLint, 4> view{};
    std::array<GLdouble, 16> projection{}, modelview{};
    glGetIntegerv(GL_VIEWPORT, view.data());
    glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview.data());
    for (int k = 0; k < 4; ++k)
        viewport[k] = view[k];
    return [=](Point world, double& winX, double& winY) {
        double winZ = 0;
        return gluProject(world.x, world.y, world.z, modelview.data(), projection.data(), view.data(), &winX, &winY,
                          &winZ) == GL_TRUE &&
               winZ >= 0.0 && winZ <= 1.0;
    };
}

// The wave holds the event loop: no tick and no input until its last frame.
void runWave()
{
    playWave();
}
