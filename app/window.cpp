// window.cpp -- the viewer's start-up up to the event loop: the window, the
// callbacks, the first projection, the scene and the camera
#include "app/callbacks.h"
#include "app/camera.h"
#include "app/render.h"
#include "app/scene.h"
#include "optics/display.h"
#include "water/drops.h"

#include <GL/gl.h>
#include <GL/glut.h>

// A double-buffered RGBA window with an alpha channel and a depth buffer (26).
static const unsigned int windowDisplayMode = GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH;

void openViewerWindow(int* argc, char** argv)
{
    glutInit(argc, argv);
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
}
