// caustics.cpp -- vector refraction of the light through each face onto the floor
#include "optics/caustics.h"

#include "optics/mesh.h"
#include "water/water.h"

#include <cmath>

Point lightPos = {0.0f, 10.0f, 0.0f};
float floorY = -10.0f;

float triangleArea(Point p0, Point p1, Point p2)
{
    const float ux = p1.x - p0.x, uy = p1.y - p0.y, uz = p1.z - p0.z;
    const float vx = p2.x - p0.x, vy = p2.y - p0.y, vz = p2.z - p0.z;
    const float wx = static_cast<float>(static_cast<double>(uy) * vz - static_cast<double>(uz) * vy);
    const float wy = static_cast<float>(static_cast<double>(uz) * vx - static_cast<double>(ux) * vz);
    const float wz = static_cast<float>(static_cast<double>(ux) * vy - static_cast<double>(uy) * vx);
    return static_cast<float>(
        std::sqrt(static_cast<double>(wx) * wx + static_cast<double>(wy) * wy + static_cast<double>(wz) * wz) / 2);
}

namespace {
struct FloorPoint {
    float x, z;
};
} // namespace

// Refracts the ray from grid vertex (i, j) towards the light with the face
// normal n, and scales the refracted direction R so that its y is floorY.
static FloorPoint refractToFloor(int i, int j, float nx, float ny, float nz)
{
    const float px = static_cast<float>(i - gridCentre);
    const float py = heightField[i][j];
    const float pz = static_cast<float>(j - gridCentre);

    float dx = lightPos.x - px, dy = lightPos.y - py, dz = lightPos.z - pz;
    const float len = static_cast<float>(
        std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy + static_cast<double>(dz) * dz));
    dx /= len;
    dy /= len;
    dz /= len;

    const double eta = refractionRatio;
    const float t = static_cast<float>(
        -(static_cast<double>(dx) * nx + static_cast<double>(dy) * ny + static_cast<double>(dz) * nz));
    float s = static_cast<float>(1 - eta * eta * (1 - static_cast<double>(t) * t));
    if (!(s >= 0.0f)) // grazing light (s < 0) or NaN: the ray stays in the face's plane
        s = 0.0f;

    const double normalPart = eta * t - std::sqrt(static_cast<double>(s));
    const float rx = static_cast<float>(normalPart * nx + eta * dx);
    const float ry = static_cast<float>(normalPart * ny + eta * dy);
    const float rz = static_cast<float>(normalPart * nz + eta * dz);
    return {static_cast<float>(static_cast<double>(rx) / ry * floorY),
            static_cast<float>(static_cast<double>(rz) / ry * floorY)};
}

static void refractFace(WaterFace& f)
{
    f.lightDot = static_cast<float>(static_cast<double>(f.nx) * lightPos.x + static_cast<double>(f.ny) * lightPos.y +
                                    static_cast<double>(f.nz) * lightPos.z);

    const FloorPoint h0 = refractToFloor(f.i0, f.j0, f.nx, f.ny, f.nz);
    const FloorPoint h1 = refractToFloor(f.i1, f.j1, f.nx, f.ny, f.nz);
    const FloorPoint h2 = refractToFloor(f.i2, f.j2, f.nx, f.ny, f.nz);
    f.hitX0 = h0.x;
    f.hitX1 = h1.x;
    f.hitX2 = h2.x;
    f.hitZ0 = h0.z;
    f.hitZ1 = h1.z;
    f.hitZ2 = h2.z;

    f.floorArea = triangleArea({f.hitX0, floorY, f.hitZ0}, {f.hitX1, floorY, f.hitZ1}, {f.hitX2, floorY, f.hitZ2});
}

void computeCaustics()
{
    computeFaceNormals();
    for (int f = 0; f < faceCount; ++f)
        refractFace(faces[f]);
}
