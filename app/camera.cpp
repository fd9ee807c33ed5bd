// camera.cpp -- orbit, zoom and pick arithmetic of the viewer
#include "app/camera.h"

#include "app/viewer_state.h"
#include "frame/frame.h"
#include "optics/shading.h"
#include "water/water.h"

#include <cmath>

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
