// matrices.cpp -- the camera's matrices as OpenGL and GLU compute them
#include "app/matrices.h"

#include <cmath>

Matrix identityMatrix()
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Matrix multiply(const Matrix& left, const Matrix& right)
{
    Matrix product{};
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k)
                product[4 * column + row] += left[4 * k + row] * right[4 * column + k];
    return product;
}

Matrix perspectiveMatrix(double fieldOfViewDegrees, double aspect, double near, double far)
{
    const double f = 1 / std::tan(fieldOfViewDegrees * M_PI / 360);
    Matrix m{};
    m[0] = f / aspect;
    m[5] = f;
    m[10] = (far + near) / (near - far);
    m[11] = -1;
    m[14] = 2 * far * near / (near - far);
    return m;
}

Matrix orthographicMatrix(double left, double right, double bottom, double top, double near, double far)
{
    Matrix m = identityMatrix();
    m[0] = 2 / (right - left);
    m[5] = 2 / (top - bottom);
    m[10] = -2 / (far - near);
    m[12] = -(right + left) / (right - left);
    m[13] = -(top + bottom) / (top - bottom);
    m[14] = -(far + near) / (far - near);
    return m;
}

static std::array<double, 3> normalised(std::array<double, 3> v)
{
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / length, v[1] / length, v[2] / length};
}

static std::array<double, 3> cross(const std::array<double, 3>& a, const std::array<double, 3>& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Matrix lookAtMatrix(Point eye, Point target, Point up)
{
    const std::array<double, 3> forward = normalised(
        {double(target.x) - eye.x, double(target.y) - eye.y, double(target.z) - eye.z});
    const std::array<double, 3> side = normalised(cross(forward, {up.x, up.y, up.z}));
    const std::array<double, 3> upward = cross(side, forward);
    const std::array<double, 3> e = {eye.x, eye.y, eye.z};
    const auto dot = [&e](const std::array<double, 3>& v) { return v[0] * e[0] + v[1] * e[1] + v[2] * e[2]; };
    return {side[0], upward[0], -forward[0], 0, side[1],    upward[1],    -forward[1],  0,
            side[2], upward[2], -forward[2], 0, -dot(side), -dot(upward), dot(forward), 1};
}

bool projectPoint(Point world, const Matrix& modelview, const Matrix& projection, const int viewport[4], double& winX,
                  double& winY, double& winZ)
{
    const Matrix clip = multiply(projection, modelview);
    const double p[4] = {world.x, world.y, world.z, 1};
    double out[4] = {};
    for (int row = 0; row < 4; ++row)
        for (int k = 0; k < 4; ++k)
            out[row] += clip[4 * k + row] * p[k];
    if (out[3] == 0.0)
        return false;
    winX = viewport[0] + viewport[2] * (out[0] / out[3] + 1) / 2;
    winY = viewport[1] + viewport[3] * (out[1] / out[3] + 1) / 2;
    winZ = (out[2] / out[3] + 1) / 2;
    return true;
}
