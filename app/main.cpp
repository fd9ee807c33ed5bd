// main.cpp -- start-up: window, callbacks, first projection, mesh, camera, event loop
#include "app/callbacks.h"
#include "app/camera.h"
#include "optics/display.h"
#include "optics/mesh.h"
#include "water/drops.h"

#include <GL/gl.h>
#include <GL/glut.h>
#include <cstdio>

// GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH
static const unsigned int windowDisplayMode = 26;

int main(int argc, char** argv)
{
    // Diagnostics appear line by line, also through a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

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
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2.5, 2.5, -2.5, 2.5, -10000, 10000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);

    buildWaterMesh();
    placeEyeOnOrbit();
    glutMainLoop();
    return 0;
}
