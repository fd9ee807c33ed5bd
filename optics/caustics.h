// caustics.h -- light refracted through every face of the water onto the pool floor
#pragma once

#include "frame/point.h"
#include "optics/mesh.h"

#include <cstdint>
#include <cstring>

// ---- Light and floor
// The point light above the water and the y of the floor plane. Start values
// (0, 10, 0) and -10; nothing changes them, a reset included.
extern Point lightPos;
extern float floorY;

// The factor eta of the vector refraction formula, used as it is (it is not a
// quotient of two refractive indices).
const float refractionRatio = 1.000277f;

// ---- Computation
// Recomputes the normals, then for every face: lightDot, the floor point of
// each vertex (refracted with the face's own normal, reached from the world
// origin along the refracted ray), and the floor triangle's area. A vertex on
// the light or a ray parallel to the floor gives infinite or NaN values, which
// the floor brightness test later rejects.
void computeCaustics();

// Area of the triangle p0 p1 p2: half the length of the edge cross product.
float triangleArea(Point p0, Point p1, Point p2);

// ---- Formulas of the caustic pass

// Half the length of u x v: the cross product is rounded to float, its length
// taken in double and halved before the final rounding.
OPTICS_INLINE float halfCrossLength(float ux, float uy, float uz, float vx, float vy, float vz)
{
    const float wx = static_cast<float>(static_cast<double>(uy) * vz - static_cast<double>(uz) * vy);
    const float wy = static_cast<float>(static_cast<double>(uz) * vx - static_cast<double>(ux) * vz);
    const float wz = static_cast<float>(static_cast<double>(ux) * vy - static_cast<double>(uy) * vx);
    return static_cast<float>(
        __builtin_sqrt(static_cast<double>(wx) * wx + static_cast<double>(wy) * wy + static_cast<double>(wz) * wz) / 2);
}

// s when s >= 0, else +0 (also for NaN). Selected bitwise, so that the vectoriser
// needs no branch around the conversions that follow.
OPTICS_INLINE float zeroUnlessNonNegative(float s)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &s, sizeof bits);
    bits &= s >= 0.0f ? 0xFFFFFFFFu : 0u;
    std::memcpy(&s, &bits, sizeof s);
    return s;
}

struct FloorHit {
    float x, z;
};

// The floor point of a face corner: d is the unit direction from the corner to
// the light, n the face normal. R = eta d + (eta t - sqrt s) n with t = -d.n and
// s = 1 - eta^2 (1 - t^2), clamped to 0 for grazing light (or NaN); R is then
// scaled from the world origin until its y is the floor's.
OPTICS_INLINE FloorHit refractToFloor(float dx, float dy, float dz, float nx, float ny, float nz, double eta,
                                      float floor)
{
    const float t = static_cast<float>(
        -(static_cast<double>(dx) * nx + static_cast<double>(dy) * ny + static_cast<double>(dz) * nz));
    const float s = zeroUnlessNonNegative(static_cast<float>(1 - eta * eta * (1 - static_cast<double>(t) * t)));
    const double normalPart = eta * t - __builtin_sqrt(static_cast<double>(s));
    const float rx = static_cast<float>(normalPart * nx + eta * dx);
    const float ry = static_cast<float>(normalPart * ny + eta * dy);
    const float rz = static_cast<float>(normalPart * nz + eta * dz);
    return {static_cast<float>(static_cast<double>(rx) / ry * floor),
            static_cast<float>(static_cast<double>(rz) / ry * floor)};
}
