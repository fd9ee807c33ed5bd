// display.cpp -- the frame in WebGL2 (the water surface in blue, then the
// caustic triangles on the floor, depth-tested, in the native frame's order)
// and what the page gives the input callbacks and commands: the matrices
// OpenGL would hold, the viewport, the title
#include "optics/display.h"

#include "app/platform.h"
#include "app/scene.h"
#include "optics/mesh.h"
#include "optics/shading.h"
#include "web/matrices.h"
#include "web/page.h"

#include <GLES3/gl3.h>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

namespace {

// What OpenGL's matrix stacks and viewport would hold on the desktop. The
// viewport is in the page's CSS pixels, as the program thinks; the drawing
// buffer has devicePixelRatio times as many, and WebGL's viewport follows it.
Matrix projection = identityMatrix();
Matrix modelview = identityMatrix();
int viewport[4] = {0, 0, 0, 0};
int bufferSize[2] = {0, 0}; // the drawing buffer's, as WebGL's viewport was last set

// Every corner of a frame, position and colour: the surface's triangles, then
// the floor's. Static storage: a frame allocates nothing.
const int floatsPerCorner = 6;
const int cornersPerPass = 3 * meshFaceCount;
float corners[2 * cornersPerPass * floatsPerCorner];

GLuint program = 0;
GLint matrixLocation = -1;

bool frameWanted = false;
bool drawInsideDisplay = false;
bool contextLost = false;

const char* const vertexShader = R"(#version 300 es
uniform mat4 matrix;
in vec3 position;
in vec3 colour;
out vec3 cornerColour;
void main()
{
    gl_Position = matrix * vec4(position, 1.0);
    cornerColour = colour;
})";

// OpenGL clamps a colour to 0..1, as the desktop's glColor3f does.
const char* const fragmentShader = R"(#version 300 es
precision highp float;
in vec3 cornerColour;
out vec4 pixel;
void main()
{
    pixel = vec4(clamp(cornerColour, 0.0, 1.0), 1.0);
})";

GLuint compiled(GLenum kind, const char* source)
{
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

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

// What the last frame drawn sent. A frame that would send the same is not
// drawn again: the canvas goes on showing it, and the browser composites
// nothing new (calm water costs no drawing at all).
float sentCorners[sizeof corners / sizeof corners[0]];
std::size_t sentFloats = 0;
float sentMatrix[16];
bool canvasShowsSent = false; // false once the canvas is cleared: resized, or its context restored

bool sameAsSent(std::size_t floats, const float matrix[16])
{
    return canvasShowsSent && floats == sentFloats && std::memcmp(matrix, sentMatrix, sizeof sentMatrix) == 0 &&
           std::memcmp(corners, sentCorners, floats * sizeof(float)) == 0;
}

// Returns whether it drew: false when the frame is the one the canvas shows.
bool sendFrame()
{
    const int surfaceCorners = fillSurfacePass();
    const int floorCorners = fillFloorPass(surfaceCorners);
    const Matrix view = multiply(projection, modelview);
    float matrix[16];
    for (int k = 0; k < 16; ++k)
        matrix[k] = static_cast<float>(view[k]);
    const std::size_t floats = static_cast<std::size_t>(surfaceCorners + floorCorners) * floatsPerCorner;
    if (sameAsSent(floats, matrix))
        return false;
    std::memcpy(sentCorners, corners, floats * sizeof(float));
    std::memcpy(sentMatrix, matrix, sizeof sentMatrix);
    sentFloats = floats;
    canvasShowsSent = true;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUniformMatrix4fv(matrixLocation, 1, GL_FALSE, matrix);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(floats * sizeof(float)), corners, GL_STREAM_DRAW);
    glDrawArrays(GL_TRIANGLES, 0, surfaceCorners);
    glDrawArrays(GL_TRIANGLES, surfaceCorners, floorCorners);
    return true;
}

// WebGL's viewport covers the whole drawing buffer, whatever the pixel ratio;
// a buffer of another size has just been cleared, and shows nothing sent.
void fitViewportToBuffer()
{
    int width = 0, height = 0;
    emscripten_webgl_get_drawing_buffer_size(emscripten_webgl_get_current_context(), &width, &height);
    if (width == bufferSize[0] && height == bufferSize[1])
        return;
    bufferSize[0] = width;
    bufferSize[1] = height;
    glViewport(0, 0, width, height);
    canvasShowsSent = false;
}

// The shaders, the corner buffer and the state every frame draws with: made
// at the start, and again when a lost context comes back.
bool buildDrawing()
{
    program = glCreateProgram();
    glAttachShader(program, compiled(GL_VERTEX_SHADER, vertexShader));
    glAttachShader(program, compiled(GL_FRAGMENT_SHADER, fragmentShader));
    glBindAttribLocation(program, 0, "position");
    glBindAttribLocation(program, 1, "colour");
    glLinkProgram(program);
    glUseProgram(program);
    matrixLocation = glGetUniformLocation(program, "matrix");
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    const GLsizei stride = floatsPerCorner * sizeof(float);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
    // The colour's offset in the buffer, which OpenGL takes as a pointer.
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast, performance-no-int-to-ptr)
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(3 * sizeof(float)));
    glEnable(GL_DEPTH_TEST);
    bufferSize[0] = bufferSize[1] = 0; // the next frame sets the viewport, and draws even if nothing moved
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    return linked == GL_TRUE;
}

void drawFrame()
{
    frameWanted = false;
    if (contextLost)
        return;
    fitViewportToBuffer();
    computeFrameOptics();
    if (sendFrame())
        ++framesDrawn;
}

} // namespace

std::int64_t framesDrawn = 0;

bool startWebGL()
{
    EmscriptenWebGLContextAttributes attributes{};
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.alpha = true;
    attributes.depth = true;
    attributes.antialias = false; // the desktop's window has no multisampling either
    // WebGL2 itself has all a frame needs; asking the browser for each of its
    // extensions would only lengthen the start.
    attributes.enableExtensionsByDefault = false;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#canvas", &attributes);
    return context > 0 && emscripten_webgl_make_context_current(context) == EMSCRIPTEN_RESULT_SUCCESS && buildDrawing();
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

void stopDrawing()
{
    contextLost = true;
}

bool resumeDrawing()
{
    contextLost = false;
    frameWanted = true;
    return buildDrawing();
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
    canvasShowsSent = false; // the page has just resized the canvas, which clears it
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
