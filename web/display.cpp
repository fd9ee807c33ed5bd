// display.cpp -- the frame the renderer draws (the water surface in
// blue, then the caustic triangles on the floor, in the native frame's order),
// and what the page gives the input callbacks and commands: the matrices
// OpenGL would hold, the viewport, the title
#include "optics/display.h"

#include "app/platform.h"
#include "app/scene.h"
#include "optics/caustics.h"
#include "optics/mesh.h"
#include "optics/shading.h"
#include "water/water.h"
#include "web/matrices.h"
#include "web/page.h"

#include <cstring>
#include <emscripten/emscripten.h>

namespace {

// What OpenGL's matrix stacks and viewport would hold on the desktop. The
// viewport is in the page's CSS pixels, as the program thinks; the drawing
// buffer has devicePixelRatio times as many, and the renderer's viewport
// covers it.
Matrix projection = identityMatrix();
Matrix modelview = identityMatrix();
int viewport[4] = {0, 0, 0, 0};

// Every corner of a frame, position and colour: the surface's triangles, then
// the floor's. Static storage: a frame allocates nothing.
const int floatsPerCorner = 6;
const int cornersPerPass = 3 * meshFaceCount;
float corners[2 * cornersPerPass * floatsPerCorner];

bool frameWanted = false;
bool drawInsideDisplay = false;

// The frame goes to the renderer beside the program (host.js, renderer.js):
// the corners, how many of them are the surface's, and the view matrix, as
// views of this module's memory, from which WebGL uploads them. Both stay as
// they are until the next frame, so the renderer may draw them again (on a
// new drawing buffer, a restored context).
EM_JS(void, rendererDrawFrame, (const float* corners, int floats, int surfaceCorners, const float* matrix), {
    Module.drawFrame(HEAPF32.subarray(corners >> 2, (corners >> 2) + floats), surfaceCorners,
                     HEAPF32.subarray(matrix >> 2, (matrix >> 2) + 16));
});

// Appends the three corners of a triangle in one colour; returns the next free float.
int appendTriangle(int at, Point a, Point b, Point c, Colour colour)
{
    for (const Point& p : {a, b, c}) {
        const float corner[floatsPerCorner] = {p.x, p.y, p.z, colour.red, colour.green, colour.blue};
        for (const float value : corner)
            corners[at++] = value;
    }
    return at;
}

// The surface pass, only while the surface is drawn; returns its corner count.
int fillSurfacePass()
{
    if (!drawSurface)
        return 0;
    int at = 0;
    for (int n = 0; n < faceCount; ++n) {
        const WaterFace& f = faces[n];
        at = appendTriangle(at, surfaceCorner(f, 0), surfaceCorner(f, 1), surfaceCorner(f, 2), {0.0f, 0.0f, f.shade});
    }
    return at / floatsPerCorner;
}

// The floor triangles bright enough to pass the threshold, after the surface's.
int fillFloorPass(int surfaceCorners)
{
    int at = surfaceCorners * floatsPerCorner;
    for (int n = 0; n < floorTriangleCount; ++n) {
        const FloorTriangle& t = floorTriangles[n];
        const WaterFace& f = faces[t.face];
        at = appendTriangle(at, floorCorner(f, 0), floorCorner(f, 1), floorCorner(f, 2), t.colour);
    }
    return at / floatsPerCorner - surfaceCorners;
}

// Everything a frame's picture is made from: the heights, the view, and the
// optics' other inputs (constant today, compared all the same). A frame made
// from the same bits as the last one drawn would draw the same picture: it is
// neither computed nor drawn, and the renderer goes on showing the last (and
// draws it again itself on a new drawing buffer or a restored context). Calm
// water costs a comparison of 16 kB a frame.
struct FrameInputs {
    float heights[gridSize][gridSize];
    float matrix[16];
    Point light;
    float floor;
    int surface;
};
FrameInputs wanted;
FrameInputs drawn;
bool anythingDrawn = false;

void readFrameInputs(FrameInputs& inputs)
{
    std::memcpy(inputs.heights, heightField, sizeof inputs.heights);
    const Matrix view = multiply(projection, modelview);
    for (int k = 0; k < 16; ++k)
        inputs.matrix[k] = static_cast<float>(view[k]);
    inputs.light = lightPos;
    inputs.floor = floorY;
    inputs.surface = drawSurface;
}

bool sameAsDrawn(const FrameInputs& inputs)
{
    return anythingDrawn && std::memcmp(inputs.heights, drawn.heights, sizeof drawn.heights) == 0 &&
           std::memcmp(inputs.matrix, drawn.matrix, sizeof drawn.matrix) == 0 &&
           std::memcmp(&inputs.light, &drawn.light, sizeof drawn.light) == 0 &&
           std::memcmp(&inputs.floor, &drawn.floor, sizeof drawn.floor) == 0 && inputs.surface == drawn.surface;
}

void drawFrame()
{
    frameWanted = false;
    readFrameInputs(wanted);
    if (sameAsDrawn(wanted))
        return;
    drawn = wanted;
    anythingDrawn = true;
    computeFrameOptics();
    const int surfaceCorners = fillSurfacePass();
    const int floorCorners = fillFloorPass(surfaceCorners);
    rendererDrawFrame(corners, (surfaceCorners + floorCorners) * floatsPerCorner, surfaceCorners, drawn.matrix);
}

} // namespace

// The page says whether it can draw: with a worker's renderer, or with one of
// its own on its canvas.
EM_JS(int, pageStartDrawing, (), { return Module.startDrawing(); });

bool startDrawing()
{
    return pageStartDrawing() != 0;
}

void display()
{
    if (perspectiveMode) {
        modelview = lookAtMatrix(eyePos, cameraTarget(), {0.0f, 1.0f, 0.0f});
    }
    frameWanted = true;
    if (drawInsideDisplay) {
        drawInsideDisplay = false;
        drawFrame();
    }
}

void drawAtNextDisplay()
{
    drawInsideDisplay = true;
}

void drawWantedFrame()
{
    drawInsideDisplay = false;
    if (frameWanted)
        drawFrame();
}

void loadOrthographicProjection()
{
    projection = orthographicMatrix(-boxHalfSide, boxHalfSide, -boxHalfSide, boxHalfSide, -boxHalfDepth, boxHalfDepth);
    modelview = identityMatrix();
}

void loadPerspectiveProjection()
{
    projection = perspectiveMatrix(fieldOfViewDegrees, perspectiveAspect(), nearPlane, farPlane);
    modelview = identityMatrix();
}

void setViewport(int width, int height)
{
    viewport[2] = width;
    viewport[3] = height;
}

// The page's title stands for the window's (the program may run in a worker,
// which has no document of its own).
EM_JS(void, setPageTitle, (const char* title), { Module.setTitle(UTF8ToString(title)); });

void setWindowTitle(const char* title)
{
    setPageTitle(title);
}

WindowProjector readWindowProjector(int view[4])
{
    for (int k = 0; k < 4; ++k)
        view[k] = viewport[k];
    return [p = projection, m = modelview, v = std::array<int, 4>{viewport[0], viewport[1], viewport[2], viewport[3]}](
               Point world, double& winX, double& winY) {
        double winZ = 0;
        return projectPoint(world, m, p, v.data(), winX, winY, winZ) && winZ >= 0.0 && winZ <= 1.0;
    };
}
