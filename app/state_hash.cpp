// state_hash.cpp -- the program's state as one number
#include "app/state_hash.h"

#include "app/viewer_state.h"
#include "frame/frame.h"
#include "optics/caustics.h"
#include "optics/shading.h"
#include "water/drops.h"
#include "water/water.h"
#include "water/wave.h"

#include <cstring>
#include <initializer_list>

namespace {

const std::uint64_t fnvOffset = 14695981039346656037ULL;
const std::uint64_t fnvPrime = 1099511628211ULL;

struct Hasher {
    std::uint64_t hash = fnvOffset;

    void bytes(std::uint64_t value, int count)
    {
        for (int k = 0; k < count; ++k) {
            hash ^= (value >> (8 * k)) & 0xff;
            hash *= fnvPrime;
        }
    }
    void integer(std::int64_t value) { bytes(static_cast<std::uint64_t>(value), 8); }
    void real(float value)
    {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        bytes(bits, 4);
    }
    void point(const Point& p)
    {
        real(p.x);
        real(p.y);
        real(p.z);
    }
    void grid(const float (&field)[gridSize][gridSize])
    {
        for (const auto& row : field)
            for (float height : row)
                real(height);
    }
};

} // namespace

std::uint64_t stateHash()
{
    Hasher h;
    h.grid(heightField);
    h.grid(partnerField);
    h.integer(tickCount);
    for (std::int64_t due : dropDue)
        h.integer(due);
    h.integer(randomState);
    h.integer(burstMode);
    h.integer(sprinkleMode);
    h.real(wavePhase);
    h.point(eyePos);
    for (float angle : {camAzimuth, camElevation, camDistance, lookAtOrigin})
        h.real(angle);
    for (int value : {perspectiveMode, windowWidth, windowHeight, lastMouseX, lastMouseY, leftDrag, zoomDrag})
        h.integer(value);
    for (const Point& p : {localOrigin, localAxisX, localAxisY, localAxisZ})
        h.point(p);
    h.integer(vertexCount);
    for (int k = 0; k < vertexCount; ++k)
        h.point(vertices[k]);
    h.point(lightPos);
    h.real(floorY);
    h.integer(drawSurface);
    return h.hash;
}
