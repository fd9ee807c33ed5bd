// display.cpp -- the frame the page's renderer draws (the water surface in
// blue, then the caustic triangles on the floor, in the native frame's order),
// and what the page gives the input callbacks and commands: the matrices
// OpenGL would hold, the viewport, the title
#include "optics/display.h"

#include "app/platform.h"
#include "app/scene.h"
#include "optics/mesh.h"
#include "optics/shading.h"
#include "web/matrices.h"
#include "web/page.h"

#include <cstddef>
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

// The frame goes to the page's renderer (renderer.js): the corners, how many
// of them are the surface's, and the view matrix, as views of this module's
// memory, which the page copies before it returns.
EM_JS(void, pageDrawFrame, (const float* corners, int floats, int surfaceCorners, const float* matrix), {
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

// What the last frame sent. A frame that would send the same is not sent
// again: the renderer goes on showing it (and draws it again itself on a new
// drawing buffer or a restored context), and the browser composites nothing
// new: calm water costs no drawing at all.
float sentCorners[sizeof corners / sizeof corners[0]];
std::size_t sentFloats = 0;
float sentMatrix[16];
bool anythingSent = false;

bool sameAsSent(std::size_t floats, const float matrix[16])
{
    return anythingSent && floats == sentFloats && std::memcmp(matrix, sentMatrix, sizeof sentMatrix) == 0 &&
           std::memcmp(corners, sentCorners, floats * sizeof(float)) == 0;
}

void sendFrame()
{
    const int surfaceCorners = fillSurfacePass();
    const int floorCorners = fillFloorPass(surfaceCorners);
    const Matrix view = multiply(projection, modelview);
    float matrix[16];
    for (int k = 0; k < 16; ++k)
        matrix[k] = static_cast<float>(view[k]);
    const std::size_t floats = static_cast<std::size_t>(surfaceCorners + floorCorners) * floatsPerCorner;
    if (sameAsSent(floats, matrix))
        return;
    std::memcpy(sentCorners, corners, floats * sizeof(float));
    std::memcpy(sentMatrix, matrix, sizeof sentMatrix);
    sentFloats = floats;
    anythingSent = true;
    pageDrawFrame(corners, static_cast<int>(floats), surfaceCorners, matrix);
}

void drawFrame()
{
    frameWanted = false;
    computeFrameOptics();
    sendFrame();
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

// The page's title stands for the window's.
EM_JS(void, setPageTitle, (const char* title), { document.title = UTF8ToString(title); });

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
