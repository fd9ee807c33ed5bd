// main.cpp -- start-up: window, callbacks, first projection, scene, camera, event loop
#include "app/callbacks.h"
#include "app/camera.h"
#include "app/render.h"
#include "app/scene.h"
#include "app/usage.h"
#include "optics/display.h"
#include "water/drops.h"

#include <GL/gl.h>
#include <GL/glut.h>
#include <cstdio>

// A double-buffered RGBA window with an alpha channel and a depth buffer (26).
static const unsigned int windowDisplayMode = GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH;

int main(int argc, char** argv)
{
    // Diagnostics appear line by line, also through a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (answerInformationOptions(argc, argv))
        return 0;

    glutInit(&argc, argv);
    glutInitDisplayMode(windowDisplayMode);
    glutCreateWindow("Tarnwick (orthogonal)");

    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutKeyboardFunc(keyboard);
    glutIdleFunc(idle);

    // The first reshape replaces this with the perspective projection.
    loadOrthographicProjection();
    glEnable(GL_DEPTH_TEST);

    restoreLoadState(); // builds the water mesh
    placeEyeOnOrbit();
    glutMainLoop();
    return 0;
}
