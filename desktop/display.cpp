// display.cpp -- the frame in OpenGL immediate mode (the water surface in blue,
// then the caustic triangles on the floor) and the two projections
#include "optics/display.h"

#include "app/camera.h"
#include "app/recording.h"
#include "app/view.h"
#include "app/viewer_state.h"
#include "desktop/check.h"
#include "desktop/render.h"
#include "optics/mesh.h"
#include "optics/shading.h"

#include <GL/glu.h>
#include <GL/glut.h>

// Without a window (--check), the view OpenGL would hold stands for it.
void loadOrthographicProjection()
{
    if (windowless)
        return viewOrthographic();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-boxHalfSide, boxHalfSide, -boxHalfSide, boxHalfSide, -boxHalfDepth, boxHalfDepth);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void loadPerspectiveProjection()
{
    if (windowless)
        return viewPerspective();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfViewDegrees, perspectiveAspect(), nearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

static void placeCamera()
{
    glLoadIdentity();
    const Point target = cameraTarget();
    gluLookAt(eyePos.x, eyePos.y, eyePos.z, target.x, target.y, target.z, 0.0, 1.0, 0.0);
}

static void sendPoint(const Point& p)
{
    glVertex3f(p.x, p.y, p.z);
}

// One colour per triangle; the colour is set even when the surface is hidden.
static void drawSurfacePass()
{
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBegin(GL_TRIANGLES);
    for (int n = 0; n < faceCount; ++n) {
        const WaterFace& f = faces[n];
        glColor3f(0.0f, 0.0f, f.shade);
        if (drawSurface) {
            sendPoint(surfaceCorner(f, 0));
            sendPoint(surfaceCorner(f, 1));
            sendPoint(surfaceCorner(f, 2));
        }
    }
    glEnd();
}

// Only the floor triangles bright enough to pass the threshold are sent.
static void drawFloorPass()
{
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBegin(GL_TRIANGLES);
    for (int n = 0; n < floorTriangleCount; ++n) {
        const FloorTriangle& t = floorTriangles[n];
        const WaterFace& f = faces[t.face];
        glColor3f(t.colour.red, t.colour.green, t.colour.blue);
        sendPoint(floorCorner(f, 0));
        sendPoint(floorCorner(f, 1));
        sendPoint(floorCorner(f, 2));
    }
    glEnd();
}

void clearAndPlaceCamera()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (perspectiveMode)
        placeCamera();
}

void sendFrame()
{
    drawSurfacePass();
    drawFloorPass();
    glutSwapBuffers();
}

static void drawFrame()
{
    clearAndPlaceCamera();
    computeFrameOptics();
    sendFrame();
}

void display()
{
    // A played scene's frames are not drawn; each sets the view all the
    // same, as a pick reads the one the last frame left.
    if (windowless)
        return viewPlaceCamera();
    if (scenePlaying()) {
        if (perspectiveMode)
            placeCamera();
        return;
    }
    drawFrame();
}

void drawKeepingView()
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    drawFrame();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}
