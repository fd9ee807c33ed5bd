// baseline_frame.cpp -- the first implementation a reader of the formulas would
// write: no hoisting, no vectors, every quantity recomputed where it is used
#include "tests/baseline_frame.h"

#include "optics/caustics.h"
#include "water/water.h"

#include <cmath>

namespace {

void normal(WaterFace& f)
{
    const float ax = float(f.i1 - f.i0);
    const float ay = heightField[f.i1][f.j1] - heightField[f.i0][f.j0];
    const float az = float(f.j1 - f.j0);
    const float bx = float(f.i2 - f.i0);
    const float by = heightField[f.i2][f.j2] - heightField[f.i0][f.j0];
    const float bz = float(f.j2 - f.j0);
    const float wx = float(double(ay) * bz - double(az) * by);
    const float wy = float(double(az) * bx - double(ax) * bz);
    const float wz = float(double(ax) * by - double(ay) * bx);
    const float len = float(std::sqrt(double(wx) * wx + double(wy) * wy + double(wz) * wz));
    f.nx = -wx / len;
    f.ny = -wy / len;
    f.nz = -wz / len;
}

void refract(const WaterFace& f, int i, int j, float& hitX, float& hitZ)
{
    const float px = float(i - 32), py = heightField[i][j], pz = float(j - 32);
    float dx = lightPos.x - px, dy = lightPos.y - py, dz = lightPos.z - pz;
    const float len = float(std::sqrt(double(dx) * dx + double(dy) * dy + double(dz) * dz));
    dx /= len;
    dy /= len;
    dz /= len;
    const double eta = refractionRatio;
    const float t = float(-(double(dx) * f.nx + double(dy) * f.ny + double(dz) * f.nz));
    float s = float(1 - eta * eta * (1 - double(t) * t));
    if (s < 0 || std::isnan(s))
        s = 0;
    const float rx = float((eta * t - std::sqrt(double(s))) * f.nx + eta * dx);
    const float ry = float((eta * t - std::sqrt(double(s))) * f.ny + eta * dy);
    const float rz = float((eta * t - std::sqrt(double(s))) * f.nz + eta * dz);
    hitX = float(double(rx) / ry * floorY);
    hitZ = float(double(rz) / ry * floorY);
}

float area(float x0, float y0, float z0, float x1, float y1, float z1, float x2, float y2, float z2)
{
    return triangleArea({x0, y0, z0}, {x1, y1, z1}, {x2, y2, z2});
}

} // namespace

void baselineFrameOptics()
{
    for (int n = 0; n < faceCount; ++n)
        normal(faces[n]);
    for (int n = 0; n < faceCount; ++n) {
        WaterFace& f = faces[n];
        f.lightDot = float(double(f.nx) * lightPos.x + double(f.ny) * lightPos.y + double(f.nz) * lightPos.z);
        refract(f, f.i0, f.j0, f.hitX0, f.hitZ0);
        refract(f, f.i1, f.j1, f.hitX1, f.hitZ1);
        refract(f, f.i2, f.j2, f.hitX2, f.hitZ2);
        f.floorArea = area(f.hitX0, floorY, f.hitZ0, f.hitX1, floorY, f.hitZ1, f.hitX2, floorY, f.hitZ2);
    }
    for (int n = 0; n < faceCount; ++n) {
        WaterFace& f = faces[n];
        f.intensity = area(float(f.i0 - 32), heightField[f.i0][f.j0], float(f.j0 - 32), float(f.i1 - 32),
                           heightField[f.i1][f.j1], float(f.j1 - 32), float(f.i2 - 32), heightField[f.i2][f.j2],
                           float(f.j2 - 32)) /
                      f.floorArea;
    }
    for (int n = 0; n < faceCount; ++n)
        faces[n].shade = float(faces[n].lightDot / 10.0 * 0.85);
}

bool baselineFloorColour(const WaterFace& f, Colour& colour)
{
    const float light = float(std::fabs(std::trunc(double(lightPos.x))) * f.nx +
                              std::fabs(std::trunc(double(lightPos.y))) * f.ny +
                              std::fabs(std::trunc(double(lightPos.z))) * f.nz);
    const float b = float(double(light) * f.intensity / 20);
    if (b < 0.1 || std::isnan(b))
        return false;
    colour = {float(0.55 * b), float(0.65 * b), float(double(b) * f.shade)};
    return true;
}
