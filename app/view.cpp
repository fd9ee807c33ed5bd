// view.cpp -- the view OpenGL would hold, without OpenGL
#include "app/view.h"

#include "app/viewer_state.h"

#include <array>

namespace {

Matrix projection = identityMatrix();
Matrix modelview = identityMatrix();
std::array<int, 4> viewport = {0, 0, 0, 0};

} // namespace

void viewOrthographic()
{
    projection = orthographicMatrix(-boxHalfSide, boxHalfSide, -boxHalfSide, boxHalfSide, -boxHalfDepth, boxHalfDepth);
    modelview = identityMatrix();
}

void viewPerspective()
{
    projection = perspectiveMatrix(fieldOfViewDegrees, perspectiveAspect(), nearPlane, farPlane);
    modelview = identityMatrix();
}

void viewSetViewport(int width, int height)
{
    viewport[2] = width;
    viewport[3] = height;
}

void viewPlaceCamera()
{
    if (perspectiveMode)
        modelview = lookAtMatrix(eyePos, cameraTarget(), {0.0f, 1.0f, 0.0f});
}

Matrix viewMatrix()
{
    return multiply(projection, modelview);
}

WindowProjector viewProjector(int view[4])
{
    for (int k = 0; k < 4; ++k)
        view[k] = viewport[k];
    return [p = projection, m = modelview, v = viewport](Point world, double& winX, double& winY) {
        double winZ = 0;
        return projectPoint(world, m, p, v.data(), winX, winY, winZ) && winZ >= 0.0 && winZ <= 1.0;
    };
}
