// frame_fuzz.cpp -- fuzz target: bytes become a few operations of the program
// and a height field with chosen values in chosen cells; every frame drawn on
// the way is checked. Built with libFuzzer (clang) by scripts/fuzz.sh, and
// replayed over the committed corpus by the test run.
//
// Input: byte 0 is the number of operations n (mod 16), bytes 1..n the
// operations, then records of 6 bytes: row, column, and a float (4 bytes,
// little-endian) written into heightField.
#include "app/camera.h"
#include "app/viewer_state.h"
#include "frame/frame.h"
#include "frame/local_rotate.h"
#include "optics/display.h"
#include "optics/mesh.h"
#include "optics/shading.h"
#include "water/drops.h"
#include "water/water.h"
#include "water/wave.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Every frame: the optics of the real one, then the floor list's promises:
// in face order, finite corners, a colour that is a number.
void display()
{
    computeFrameOptics();
    for (int n = 0; n < floorTriangleCount; ++n) {
        const FloorTriangle& t = floorTriangles[n];
        const WaterFace& f = faces[t.face];
        const float corners[] = {f.hitX0, f.hitX1, f.hitX2, f.hitZ0, f.hitZ1, f.hitZ2};
        if ((n > 0 && t.face <= floorTriangles[n - 1].face) || std::isnan(t.colour.red) ||
            !std::all_of(std::begin(corners), std::end(corners), [](float c) { return std::isfinite(c); }))
            std::abort();
    }
}

namespace {

void runOperation(std::uint8_t op)
{
    const char axis = "xyzq"[op >> 6];
    switch (op % 16) {
    case 0: splashCentre(); break;
    case 1: toggleBurstMode(); break;
    case 2: toggleSprinkleMode(); break;
    case 3:
        for (int tick = 0; tick < (op >> 4) + 1; ++tick)
            idle();
        break;
    case 4: waveStep(); break;
    case 5: rotate(op & 0x20 ? 1.0f : -1.0f, stepCosine(), stepSine(), axis); break;
    case 6: localRotate(op & 0x20 ? 1.0f : -1.0f, axis); break;
    case 7: scale(op & 0x20 ? 1 : -1); break;
    case 8: resetScene(); break;
    case 9: toggleLookAt(); break;
    case 10: orbitCamera((op >> 4) * 37 - 200, (op >> 4) * 23 - 150); break;
    case 11: zoomCamera((op >> 4) * 30 - 300); break;
    case 12: translate(static_cast<float>(op) - 128.0f, axis); break;
    default: display(); break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static FILE* quiet = std::freopen("/dev/null", "w", stdout); // the mesh's lines, the traces
    (void)quiet;
    restoreLoadState();
    if (size == 0)
        return 0;
    const std::size_t operations = std::min<std::size_t>(data[0] % 16, size - 1);
    std::size_t at = 1 + operations;
    for (; at + 6 <= size; at += 6) {
        float value = 0;
        std::memcpy(&value, data + at + 2, sizeof value);
        heightField[data[at] % gridSize][data[at + 1] % gridSize] = value;
    }
    display();
    for (std::size_t k = 1; k <= operations; ++k)
        runOperation(data[k]);
    return 0;
}
