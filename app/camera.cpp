// camera.cpp -- orbit, zoom and pick arithmetic of the viewer
#include "app/camera.h"

#include "app/viewer_state.h"
#include "frame/frame.h"
#include "optics/shading.h"
#include "water/water.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

void placeEyeOnOrbit()
{
    const double azimuth = camAzimuth;
    const double elevation = camElevation;
    eyePos.x = static_cast<float>(camDistance * std::sin(azimuth) * std::sin(elevation));
    eyePos.y = static_cast<float>(camDistance * std::cos(elevation));
    eyePos.z = static_cast<float>(camDistance * std::cos(azimuth) * std::sin(elevation));
}

void clampElevation()
{
    if (camElevation >= elevationCeiling)
        camElevation = elevationAfterCeiling;
    else if (camElevation <= 0)
        camElevation = elevationAfterFloor;
    else if (camElevation >= elevationLevel)
        camElevation = elevationBelowLevel;
}

void orbitCamera(int dx, int dy)
{
    camAzimuth = static_cast<float>(camAzimuth + static_cast<double>(dx) * degToRad);
    camElevation = static_cast<float>(camElevation + static_cast<double>(dy) * degToRad);
    clampElevation();
    placeEyeOnOrbit();
}

void zoomCamera(int dy)
{
    float distance = static_cast<float>(camDistance + dy * zoomPerPixel);
    if (distance < nearestDistance)
        distance = nearestDistance;
    const double ratio = static_cast<double>(distance) / camDistance;
    eyePos.x = static_cast<float>(eyePos.x * ratio);
    eyePos.y = static_cast<float>(eyePos.y * ratio);
    eyePos.z = static_cast<float>(eyePos.z * ratio);
    camDistance = distance;
}

double perspectiveAspect()
{
    const float height = windowHeight == 0 ? 1.0f : static_cast<float>(windowHeight);
    return static_cast<float>(windowWidth) / height;
}

Point cameraTarget()
{
    return lookAtOrigin != 0.0f ? Point{0.0f, 0.0f, 0.0f} : localOrigin;
}

double pointerYUp(int y, int viewportY, int viewportHeight)
{
    // Pixel row y from the top is row height - 1 - y from the bottom.
    return static_cast<double>(viewportY) + viewportHeight - 1 - y;
}

static bool withinTolerance(double winX, double winY, double px, double py)
{
    return winX + pickTolerance > px && winX - pickTolerance < px && winY + pickTolerance > py &&
           winY - pickTolerance < py;
}

bool findPickedVertex(double px, double py, const WindowProjector& project, int& i, int& j)
{
    for (int row = 1; row < gridSize - 1; ++row) {
        for (int column = 1; column < gridSize - 1; ++column) {
            double winX = 0, winY = 0;
            if (project(surfacePoint(row, column), winX, winY) && withinTolerance(winX, winY, px, py)) {
                i = row;
                j = column;
                return true;
            }
        }
    }
    return false;
}

namespace {

struct Projected {
    double x, y;
};

// Where the vertices before (i, j) in the pick's search order are drawn.
std::vector<Projected> verticesBefore(int i, int j, const WindowProjector& project)
{
    std::vector<Projected> before;
    for (int row = 1; row <= i; ++row) {
        for (int column = 1; column < (row == i ? j : gridSize - 1); ++column) {
            double winX = 0, winY = 0;
            if (project(surfacePoint(row, column), winX, winY))
                before.push_back({winX, winY});
        }
    }
    return before;
}

// Whether a pointer at pixel (px, py) of the window (y down) picks the vertex
// first.
bool pixelPicks(int px, int py, const int viewport[4], const Projected& vertex, const std::vector<Projected>& before)
{
    if (px < viewport[0] || px >= viewport[0] + viewport[2] || py < 0 || py >= viewport[3])
        return false;
    const double upY = pointerYUp(py, viewport[1], viewport[3]);
    if (!withinTolerance(vertex.x, vertex.y, px, upY))
        return false;
    return std::none_of(before.begin(), before.end(),
                        [&](const Projected& earlier) { return withinTolerance(earlier.x, earlier.y, px, upY); });
}

} // namespace

bool pointerOnVertex(int i, int j, const WindowProjector& project, const int viewport[4], int& x, int& y)
{
    Projected vertex{};
    if (i < 1 || i > gridSize - 2 || j < 1 || j > gridSize - 2 || !project(surfacePoint(i, j), vertex.x, vertex.y))
        return false;
    if (!(std::fabs(vertex.x) < 1e9 && std::fabs(vertex.y) < 1e9))
        return false; // nowhere near the window
    const std::vector<Projected> before = verticesBefore(i, j, project);
    const double top = viewport[1] + viewport[3] - 1; // the pixel row of y = 0
    const int centreX = static_cast<int>(std::lround(vertex.x));
    const int centreY = static_cast<int>(std::lround(top - vertex.y));
    // Rings of pixels around the vertex, nearest first, as far as the tolerance.
    const int reach = static_cast<int>(pickTolerance);
    for (int ring = 0; ring <= reach; ++ring) {
        for (int dy = -ring; dy <= ring; ++dy) {
            const int step = std::abs(dy) == ring ? 1 : 2 * ring; // inside the ring: its two ends alone
            for (int dx = -ring; dx <= ring; dx += std::max(step, 1)) {
                if (pixelPicks(centreX + dx, centreY + dy, viewport, vertex, before)) {
                    x = centreX + dx;
                    y = centreY + dy;
                    return true;
                }
            }
        }
    }
    return false;
}
