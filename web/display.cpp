// display.cpp -- the frame the renderer draws (the water surface in
// blue, then the caustic triangles on the floor, in the native frame's order),
// and what the page gives the input callbacks and commands: the view OpenGL
// would hold (app/view.h), the title
#include "optics/display.h"

#include "app/shell.h"
#include "app/view.h"
#include "app/viewer_state.h"
#include "optics/caustics.h"
#include "optics/mesh.h"
#include "optics/shading.h"
#include "water/water.h"
#include "web/display.h"

#include <cstring>
#include <emscripten/emscripten.h>

namespace {

// A frame as the renderer draws it (renderer.js): the grid vertex of each
// corner of each face (the mesh is fixed: written once), each face's shade,
// and each floor triangle bright enough to draw, its corners' floor points
// and its colour; with the heights, the view matrix and the floor's y. The
// renderer keeps the per-face numbers in textures, facesPerTextureRow faces a
// row, and reads them by triangle. Static storage: a frame allocates nothing.
const int facesPerTextureRow = 128;
const int textureRows = (meshFaceCount + facesPerTextureRow - 1) / facesPerTextureRow;
struct GridVertex {
    int row, column;
};
// Three RGB texels: floor x of the three corners, floor z, the colour.
struct FloorTexels {
    float hitX[3], hitZ[3];
    Colour colour;
};
// The renderer reads these as packed arrays of ints and floats.
static_assert(sizeof(GridVertex) == 2 * sizeof(int), "a corner is two ints");
static_assert(sizeof(FloorTexels) == 9 * sizeof(float), "a floor triangle is three texels");
GridVertex surfaceCorners[meshFaceCount][3];
float surfaceShades[textureRows * facesPerTextureRow];
FloorTexels floorTexels[textureRows * facesPerTextureRow];
bool surfaceCornersWritten = false;

bool frameWanted = false;
bool drawInsideDisplay = false;

// The frame goes to the renderer beside the program (host.js) as views of
// this module's memory, from which WebGL uploads it. They stay as they are
// until the next frame, so the renderer may draw them again (on a new drawing
// buffer, a restored context).
EM_JS(void, rendererDrawFrame,
      (const int* corners, int surfaceFaces, const float* shades, const float* floor, int floorFaces, int facesPerRow,
       int rows, const float* heights, int gridSide, int centre, float floorHeight, const float* matrix),
      {
          Module.drawFrame({
              corners : HEAP32.subarray(corners >> 2, (corners >> 2) + 6 * surfaceFaces),
              shades : HEAPF32.subarray(shades >> 2, (shades >> 2) + facesPerRow * rows),
              floor : HEAPF32.subarray(floor >> 2, (floor >> 2) + 9 * facesPerRow * rows),
              floorFaces : floorFaces,
              facesPerRow : facesPerRow,
              heights : HEAPF32.subarray(heights >> 2, (heights >> 2) + gridSide * gridSide),
              gridSide : gridSide,
              centre : centre,
              floorY : floorHeight,
              matrix : HEAPF32.subarray(matrix >> 2, (matrix >> 2) + 16)
          });
      });

void writeSurfaceCorners()
{
    for (int n = 0; n < faceCount; ++n) {
        const WaterFace& f = faces[n];
        surfaceCorners[n][0] = {f.i0, f.j0};
        surfaceCorners[n][1] = {f.i1, f.j1};
        surfaceCorners[n][2] = {f.i2, f.j2};
    }
    surfaceCornersWritten = true;
}

// The surface pass, only while the surface is drawn; returns its face count.
int fillSurfacePass()
{
    if (!drawSurface)
        return 0;
    if (!surfaceCornersWritten)
        writeSurfaceCorners();
    for (int n = 0; n < faceCount; ++n)
        surfaceShades[n] = faces[n].shade;
    return faceCount;
}

// The floor triangles bright enough to pass the threshold.
int fillFloorPass()
{
    for (int n = 0; n < floorTriangleCount; ++n) {
        const FloorTriangle& t = floorTriangles[n];
        const WaterFace& f = faces[t.face];
        floorTexels[n] = {{f.hitX0, f.hitX1, f.hitX2}, {f.hitZ0, f.hitZ1, f.hitZ2}, t.colour};
    }
    return floorTriangleCount;
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
long madeFrames = 0;

void readFrameInputs(FrameInputs& inputs)
{
    std::memcpy(inputs.heights, heightField, sizeof inputs.heights);
    const Matrix view = viewMatrix();
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
    ++madeFrames;
    computeFrameOptics();
    const int surfaceFaces = fillSurfacePass();
    const int floorFaces = fillFloorPass();
    rendererDrawFrame(&surfaceCorners[0][0].row, surfaceFaces, surfaceShades, floorTexels[0].hitX, floorFaces,
                      facesPerTextureRow, textureRows, &drawn.heights[0][0], gridSize, gridCentre, drawn.floor,
                      drawn.matrix);
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
    viewPlaceCamera();
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

long framesMade()
{
    return madeFrames;
}

void loadOrthographicProjection()
{
    viewOrthographic();
}

void loadPerspectiveProjection()
{
    viewPerspective();
}

// In the page's CSS pixels, as the program thinks; the drawing buffer has
// devicePixelRatio times as many, and the renderer's viewport covers it.
void setViewport(int width, int height)
{
    viewSetViewport(width, height);
}

// The page's title stands for the window's (the program may run in a worker,
// which has no document of its own).
EM_JS(void, setPageTitle, (const char* title), { Module.setTitle(UTF8ToString(title)); });

void setWindowTitle(const char* title)
{
    setPageTitle(title);
}

WindowProjector readWindowProjector(int viewport[4])
{
    return viewProjector(viewport);
}
