// The OpenGL shell's numbers: the viewer's own start-up and callbacks run in a
// real window on a private Xvfb, inside this process, and OpenGL's matrices and
// viewport are read back after each step and held against the camera's
// formulas, computed here; no step may leave an OpenGL error behind.
#include "app/callbacks.h"
#include "app/camera.h"
#include "app/matrices.h"
#include "app/shell.h"
#include "app/viewer_state.h"
#include "desktop/window.h"
#include "frame/frame.h"
#include "optics/display.h"
#include "optics/shading.h"
#include "support.h"
#include "tools/xdriver.h"
#include "water/water.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>

namespace {

// The expected matrices come from the web page's matrix module, which must
// agree with GLU's and OpenGL's own arithmetic: 60 degrees vertically, near
// 0.01, far 10000; the box -2.5..2.5 across and up, -10000..10000 deep.
Matrix perspective(double aspect)
{
    return perspectiveMatrix(60, aspect, 0.01, 10000);
}

Matrix lookAt(Point eye, Point target)
{
    return lookAtMatrix(eye, target, {0, 1, 0});
}

// The orbit: distance * (sin az sin el, cos el, cos az sin el).
Point orbitEye(double azimuth, double elevation, double distance)
{
    return {static_cast<float>(distance * std::sin(azimuth) * std::sin(elevation)),
            static_cast<float>(distance * std::cos(elevation)),
            static_cast<float>(distance * std::cos(azimuth) * std::sin(elevation))};
}

const double startElevation = 0.7853982;
const double degree = M_PI / 180;
const Point origin{0, 0, 0};

Matrix current(GLenum which)
{
    Matrix m{};
    glGetDoublev(which, m.data());
    return m;
}

// OpenGL computes and keeps its matrices in floats: a few units in the last
// place of the matrix's largest element (the eye's distance, in a view).
void expectMatrix(const Matrix& actual, const Matrix& expected, const char* which)
{
    double largest = 1;
    for (const double element : expected)
        largest = std::max(largest, std::fabs(element));
    for (std::size_t k = 0; k < actual.size(); ++k)
        EXPECT_NEAR(actual[k], expected[k], 3e-7 * largest) << which << " [" << k << "]";
}

// The window's pixel (x, y counted down) where world point p is drawn,
// through the matrices expected of the start view at 300 x 300.
void startViewPixel(Point p, int& x, int& y)
{
    const int viewport[4] = {0, 0, 300, 300};
    double winX = 0, winY = 0, winZ = 0;
    projectPoint(p, lookAt(orbitEye(0, startElevation, 10), origin), perspective(1), viewport, winX, winY, winZ);
    x = static_cast<int>(std::lround(winX));
    y = 299 - static_cast<int>(std::lround(winY));
}

class GlStateTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        xvfb = new XvfbServer();
        std::string display = xvfb->display();
        std::string program = "gl_state_test", option = "-display";
        char* argv[] = {program.data(), option.data(), display.data(), nullptr};
        int argc = 3;
        StdoutCapture quiet;
        openViewerWindow(&argc, argv);
    }
    static void TearDownTestSuite()
    {
        glutExit(); // lets go of the X server before it stops
        delete xvfb;
    }
    static XvfbServer* xvfb;
};
XvfbServer* GlStateTest::xvfb = nullptr;

// Where the drags below leave the eye: turned and raised by them, then zoomed.
Point eyeAfterDrags(double azimuthDegrees, double elevationDegrees, double distance)
{
    return orbitEye(azimuthDegrees * degree, startElevation + elevationDegrees * degree, distance);
}

void orbitDrag(int fromX, int fromY, int toX, int toY)
{
    mouse(0, 0, fromX, fromY);
    motion(toX, toY);
    mouse(0, 1, toX, toY);
}

// A drag with the right button, or with the middle one, whose press also picks.
void zoomDrag(int button, int x, int fromY, int toY)
{
    mouse(button, 0, x, fromY);
    motion(x, toY);
    mouse(button, 1, x, toY);
}

void keyAndFrame(unsigned char key)
{
    keyboard(key, 0, 0);
    display();
}

TEST_F(GlStateTest, CallbacksLeaveTheCamerasMatricesAndNoError)
{
    // The window start-up asked for: double-buffered RGBA with alpha and depth.
    GLint doubleBuffered = 0, alphaBits = 0, depthBits = 0;
    glGetIntegerv(GL_DOUBLEBUFFER, &doubleBuffered);
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_TRUE(doubleBuffered && alphaBits > 0 && depthBits > 0) << doubleBuffered << alphaBits << depthBits;

    localOrigin = {1, 2, 3}; // where 'c' aims the camera
    const Point tilted = eyeAfterDrags(20, 30, 10), halfZoomed = eyeAfterDrags(20, 30, 17.5),
                zoomed = eyeAfterDrags(20, 30, 25);
    const Matrix box = orthographicMatrix(-2.5, 2.5, -2.5, 2.5, -10000, 10000);
    const struct {
        const char* name;
        std::function<void()> step;
        int width, height; // of the viewport
        Matrix projection, modelview;
    } steps[] = {
        {"first reshape", [] { reshape(300, 300); }, 300, 300, perspective(1), identityMatrix()},
        {"first frame", [] { display(); }, 300, 300, perspective(1), lookAt(orbitEye(0, startElevation, 10), origin)},
        {"wider window", [] { reshape(640, 480); }, 640, 480, perspective(640.0 / 480), identityMatrix()},
        {"window of height 0", [] { reshape(500, 0); }, 500, 0, perspective(500), identityMatrix()},
        {"square again", [] { reshape(300, 300); }, 300, 300, perspective(1), identityMatrix()},
        {"orbit drag", [] { orbitDrag(150, 150, 130, 120); }, 300, 300, perspective(1), lookAt(tilted, origin)},
        {"zoom drag", [] { zoomDrag(2, 130, 120, 170); }, 300, 300, perspective(1), lookAt(halfZoomed, origin)},
        {"middle drag", [] { zoomDrag(1, 130, 170, 220); }, 300, 300, perspective(1), lookAt(zoomed, origin)},
        {"aim at the local frame", [] { keyAndFrame('c'); }, 300, 300, perspective(1), lookAt(zoomed, {1, 2, 3})},
        {"aim at the origin again", [] { keyAndFrame('C'); }, 300, 300, perspective(1), lookAt(zoomed, origin)},
        {"orthographic", [] { keyboard('p', 0, 0); }, 300, 300, box, identityMatrix()},
        {"orthographic drag", [] { orbitDrag(10, 10, 20, 20); }, 300, 300, box, identityMatrix()},
        {"resized while orthographic", [] { reshape(400, 200); }, 400, 200, box, identityMatrix()},
        {"perspective again", [] { keyboard('P', 0, 0); }, 400, 200, perspective(2), identityMatrix()},
        {"wave", [] { keyboard('w', 0, 0); }, 400, 200, perspective(2), lookAt(eyeAfterDrags(10, 20, 25), origin)},
        {"reset", [] { keyboard('f', 0, 0); }, 400, 200, perspective(2), lookAt({0, 0, 10}, origin)},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        StdoutCapture quiet;
        s.step();
        quiet.text();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        std::array<GLint, 4> viewport{};
        glGetIntegerv(GL_VIEWPORT, viewport.data());
        EXPECT_EQ(viewport, (std::array<GLint, 4>{0, 0, s.width, s.height}));
        expectMatrix(current(GL_PROJECTION_MATRIX), s.projection, "projection");
        expectMatrix(current(GL_MODELVIEW_MATRIX), s.modelview, "modelview");
    }
}

// A session's first drag after a middle press zooms: no drag flag is set at
// the start, and the press sets only the zoom's.
TEST_F(GlStateTest, TheFirstMiddleDragZoomsAndNeverOrbits)
{
    StdoutCapture quiet;
    startState();
    reshape(300, 300);
    display();
    mouse(1, 0, 5, 5); // a corner: no vertex picked
    motion(25, 45);
    EXPECT_EQ(std::make_tuple(camAzimuth, camElevation, camDistance), std::make_tuple(0.0f, 0.7853982f, 16.0f));
    mouse(1, 1, 25, 45);
}

// The window's own projector, read from OpenGL's matrices: a point on the
// water reaches the window; one behind the eye, or beyond the far plane, does not.
TEST_F(GlStateTest, TheWindowsProjectorRefusesPointsBehindTheEyeOrBeyondTheFarPlane)
{
    {
        StdoutCapture quiet;
        startState();
        reshape(300, 300);
        display();
    }
    int viewport[4] = {};
    const WindowProjector project = readWindowProjector(viewport);
    const Point eye = eyePos;
    const auto along = [&](float t) { return Point{eye.x * t, eye.y * t, eye.z * t}; }; // the line of sight
    double x = 0, y = 0;
    EXPECT_TRUE(project({0, 0, 0}, x, y));
    EXPECT_NEAR(x, 150, 1e-6);
    EXPECT_FALSE(project(along(1.5f), x, y)) << "behind the eye";
    EXPECT_TRUE(project(along(-900.0f), x, y)) << "9000 away: within the far plane";
    EXPECT_FALSE(project(along(-1100.0f), x, y)) << "11000 away: beyond it";
}

// A middle click where vertex (30, 34), world (-2, 0, 2), is drawn in the start
// view drops water there: exactly the drop height, and only there.
TEST_F(GlStateTest, MiddleClickDropsOnThePickedVertex)
{
    {
        StdoutCapture quiet;
        startState();
        reshape(300, 300);
        display();
    }
    int x = 0, y = 0;
    startViewPixel({-2, 0, 2}, x, y);
    StdoutCapture out;
    mouse(1, 0, x, y);
    mouse(1, 1, x, y);
    const std::string printed = out.text();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_NE(printed.find("hit at these: 30, 34\n"), std::string::npos) << printed;
    EXPECT_EQ(heightField[30][34], 20.0f);
    heightField[30][34] = 0;
    for (const auto& row : heightField)
        for (const float h : row)
            EXPECT_EQ(h, 0.0f);
}

// The colour the last frame drew where a world point lies (in a 300 x 300 window).
std::array<GLubyte, 3> pixelAt(Point world)
{
    const int viewport[4] = {0, 0, 300, 300};
    double winX = 0, winY = 0, winZ = 0;
    projectPoint(world, current(GL_MODELVIEW_MATRIX), current(GL_PROJECTION_MATRIX), viewport, winX, winY, winZ);
    const int x = static_cast<int>(winX), y = static_cast<int>(winY);
    std::array<GLubyte, 3> rgb{};
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

// The first face's triangles, at the pool's corner, seen from far above (the
// surface) and from far below (its floor triangle): each pass starts at face 0.
TEST_F(GlStateTest, TheFirstFacesTrianglesAreDrawn)
{
    StdoutCapture quiet;
    restoreLoadState();
    reshape(300, 300);
    for (const float elevation : {0.01f, 3.13f}) {
        camElevation = elevation;
        camDistance = 90;
        placeEyeOnOrbit();
        display();
        Point centre{0, 0, 0};
        for (int k = 0; k < 3; ++k) {
            const Point p = elevation < 1 ? surfaceCorner(faces[0], k) : floorCorner(faces[0], k);
            centre = {centre.x + p.x / 3, centre.y + p.y / 3, centre.z + p.z / 3};
        }
        const std::array<GLubyte, 3> rgb = pixelAt(centre);
        quiet.text();
        if (elevation < 1) { // the surface's blue, not the floor below it
            EXPECT_EQ(rgb, (std::array<GLubyte, 3>{0, 0, 217}));
        } else { // the floor's lit grey, not the surface above it
            EXPECT_GT(rgb[0], 50);
        }
    }
}

} // namespace
