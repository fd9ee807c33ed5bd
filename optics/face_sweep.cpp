// face_sweep.cpp -- the frame's optics, fused and vectorised
//
// Every face is independent of the others, so the passes over the mesh can be
// fused into one. The mesh's fixed layout puts a family's faces of one grid row
// side by side: family A face (i, j) has the vertices (i, j), (i+1, j),
// (i, j+1), family B face (i, j) has (i, j), (i+1, j-1), (i+1, j). Reading the
// grids at those three offsets gives contiguous lanes that the compiler turns
// into SIMD arithmetic (SSE2 everywhere, AVX2 or AVX-512 where the processor
// has them, chosen at run time; WebAssembly SIMD in the web page's module,
// whose rows are written out in four lanes). Each operation is the one the face-by-face
// formulas perform, with the same operands in the same order and the same
// roundings: vector lanes give the same IEEE results as scalar code. (Only a
// NaN's sign may differ, as commutative operations may pass on either
// operand's NaN; it means nothing and changes nothing drawn.)
//
// Two things are computed once instead of per use (the formulas themselves are
// the shared inline ones of mesh.h, caustics.h and shading.h):
// - the unit direction from each grid vertex to the light depends on the vertex
//   alone, so it is found for the 4096 vertices instead of 23,814 face corners;
// - the surface triangle's area is half the length of the very cross product
//   whose normalisation gives the face normal.
#include "optics/face_sweep.h"

#include "optics/caustics.h"
#include "optics/mesh.h"
#include "optics/shading.h"
#include "water/water.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace {

const int facesPerRow = gridSize - 1;
// Lanes computed per row: one more than there are faces, so that rows split
// evenly into vectors. The extra lane's corners run one column past the row,
// into the next row or the spare zero row below; its results are not used.
const int lanesPerRow = gridSize;
const int paddedRows = gridSize + 1;

// The heights of this frame, with a spare zero row below the last.
float heights[paddedRows][gridSize];

// Unit direction from grid vertex (i, j) to the light, component by component.
float toLightX[paddedRows][gridSize];
float toLightY[paddedRows][gridSize];
float toLightZ[paddedRows][gridSize];

// The scene's constants of one frame, read once.
struct FrameConstants {
    float lightX, lightY, lightZ;
    float floorY;
    double eta;
    double lightWeightX, lightWeightY, lightWeightZ; // |trunc| of the light's coordinates
};

// The three corners of a row of faces: pointers to their heights and light
// directions, lane j of each being face j's corner. The edge vectors' index
// parts (a = corner1 - corner0, b = corner2 - corner0) are fixed per family.
struct CornerRow {
    const float* height[3];
    const float* lightX[3];
    const float* lightY[3];
    const float* lightZ[3];
    float ax, az, bx, bz;
};

// What one row of faces comes to, lane by lane.
struct FaceRow {
    float nx[lanesPerRow], ny[lanesPerRow], nz[lanesPerRow];
    float lightDot[lanesPerRow];
    float hitX[3][lanesPerRow], hitZ[3][lanesPerRow];
    float floorArea[lanesPerRow];
    float intensity[lanesPerRow];
    float shade[lanesPerRow];
    float red[lanesPerRow], green[lanesPerRow], blue[lanesPerRow];
    float brightness[lanesPerRow]; // b: the floor triangle is drawn when it passes the threshold
};

FaceRow row;

// The bodies below are compiled three times: for the x86-64 baseline (SSE2),
// for AVX2 and for AVX-512, and the widest the processor has is used.
#define SWEEP_BODY inline __attribute__((always_inline))

#if defined(__wasm_simd128__)
// WebAssembly SIMD: the vectoriser rounds each double to float one lane at a
// time (it has no four-lane demotion), so the row is written out in four
// lanes, each double computation as two halves of two lanes. Every operation
// is the face-by-face formulas' own (mesh.h, caustics.h, shading.h), with the
// same operands in the same order and the same roundings.
typedef float Floats __attribute__((vector_size(16)));
typedef double Doubles2 __attribute__((vector_size(16)));
typedef std::int32_t Ints __attribute__((vector_size(16)));

// Four doubles, as two halves.
struct Doubles {
    Doubles2 low, high;
};
OPTICS_INLINE Doubles operator+(Doubles a, Doubles b)
{
    return {a.low + b.low, a.high + b.high};
}
OPTICS_INLINE Doubles operator-(Doubles a, Doubles b)
{
    return {a.low - b.low, a.high - b.high};
}
OPTICS_INLINE Doubles operator*(Doubles a, Doubles b)
{
    return {a.low * b.low, a.high * b.high};
}
OPTICS_INLINE Doubles operator/(Doubles a, Doubles b)
{
    return {a.low / b.low, a.high / b.high};
}

OPTICS_INLINE Doubles widen(Floats f)
{
    return {__builtin_convertvector(__builtin_shufflevector(f, f, 0, 1), Doubles2),
            __builtin_convertvector(__builtin_shufflevector(f, f, 2, 3), Doubles2)};
}
OPTICS_INLINE Doubles all(double d)
{
    return {Doubles2{d, d}, Doubles2{d, d}};
}
OPTICS_INLINE Floats all(float f)
{
    return Floats{f, f, f, f};
}
OPTICS_INLINE Floats round(Doubles d)
{
    const v128_t low = wasm_f32x4_demote_f64x2_zero(reinterpret_cast<v128_t>(d.low));
    const v128_t high = wasm_f32x4_demote_f64x2_zero(reinterpret_cast<v128_t>(d.high));
    return reinterpret_cast<Floats>(wasm_i32x4_shuffle(low, high, 0, 1, 4, 5));
}
OPTICS_INLINE Doubles squareRoot(Doubles d)
{
    return {reinterpret_cast<Doubles2>(wasm_f64x2_sqrt(reinterpret_cast<v128_t>(d.low))),
            reinterpret_cast<Doubles2>(wasm_f64x2_sqrt(reinterpret_cast<v128_t>(d.high)))};
}
OPTICS_INLINE Floats load(const float* at)
{
    return reinterpret_cast<Floats>(wasm_v128_load(at));
}
OPTICS_INLINE void store(float* at, Floats f)
{
    wasm_v128_store(at, reinterpret_cast<v128_t>(f));
}

// float(double(a) * b - double(c) * d), as the cross products round each component.
OPTICS_INLINE Floats crossComponent(Floats a, Floats b, Floats c, Floats d)
{
    return round(widen(a) * widen(b) - widen(c) * widen(d));
}

// sqrt(double(x) x + double(y) y + double(z) z), in double.
OPTICS_INLINE Doubles length(Floats x, Floats y, Floats z)
{
    const Doubles dx = widen(x), dy = widen(y), dz = widen(z);
    return squareRoot(dx * dx + dy * dy + dz * dz);
}

struct FloorHits {
    Floats x, z;
};

// refractToFloor, four corners at once.
OPTICS_INLINE FloorHits refractToFloor4(Floats dx, Floats dy, Floats dz, Floats nx, Floats ny, Floats nz, Doubles eta,
                                        Doubles floor)
{
    const Doubles dnx = widen(nx), dny = widen(ny), dnz = widen(nz);
    const Floats t = -round(widen(dx) * dnx + widen(dy) * dny + widen(dz) * dnz);
    const Doubles dt = widen(t);
    Floats s = round(all(1.0) - eta * eta * (all(1.0) - dt * dt));
    s = reinterpret_cast<Floats>(reinterpret_cast<Ints>(s) & (s >= all(0.0f))); // zeroUnlessNonNegative
    const Doubles normalPart = eta * dt - squareRoot(widen(s));
    const Floats rx = round(normalPart * dnx + eta * widen(dx));
    const Floats ry = round(normalPart * dny + eta * widen(dy));
    const Floats rz = round(normalPart * dnz + eta * widen(dz));
    const Doubles dry = widen(ry);
    return {round(widen(rx) / dry * floor), round(widen(rz) / dry * floor)};
}

SWEEP_BODY void findLightDirections(const FrameConstants& c)
{
    const Floats lanes = {0.0f, 1.0f, 2.0f, 3.0f};
    for (int i = 0; i < paddedRows; ++i) {
        const Floats dx = all(c.lightX - static_cast<float>(i - gridCentre));
        for (int j = 0; j < gridSize; j += 4) {
            const Floats dy = all(c.lightY) - load(&heights[i][j]);
            const Floats dz = all(c.lightZ) - (all(static_cast<float>(j - gridCentre)) + lanes);
            const Floats len = round(length(dx, dy, dz));
            store(&toLightX[i][j], dx / len);
            store(&toLightY[i][j], dy / len);
            store(&toLightZ[i][j], dz / len);
        }
    }
}

SWEEP_BODY void sweepRow(const CornerRow& in, const FrameConstants frame, FaceRow* __restrict out)
{
    const FrameConstants c = frame;
    const Floats ax = all(in.ax), az = all(in.az), bx = all(in.bx), bz = all(in.bz);
    const Doubles lightX = all(static_cast<double>(c.lightX)), lightY = all(static_cast<double>(c.lightY)),
                  lightZ = all(static_cast<double>(c.lightZ));
    const Doubles eta = all(c.eta), floor = all(static_cast<double>(c.floorY));
    const Floats floorRise = all(c.floorY - c.floorY);
    for (int j = 0; j < lanesPerRow; j += 4) {
        // Normal: the negated, normalised a x b of the two edges from corner 0.
        const Floats h0 = load(in.height[0] + j);
        const Floats ay = load(in.height[1] + j) - h0, by = load(in.height[2] + j) - h0;
        const Floats wx = crossComponent(ay, bz, az, by), wy = crossComponent(az, bx, ax, bz),
                     wz = crossComponent(ax, by, ay, bx);
        const Doubles crossLength = length(wx, wy, wz);
        const Floats len = round(crossLength);
        const Floats nx = -wx / len, ny = -wy / len, nz = -wz / len;
        store(out->nx + j, nx);
        store(out->ny + j, ny);
        store(out->nz + j, nz);
        const Floats lightDot = round(widen(nx) * lightX + widen(ny) * lightY + widen(nz) * lightZ);
        store(out->lightDot + j, lightDot);

        // Caustics: each corner's floor point, then the floor triangle's area.
        FloorHits hits[3];
        for (int k = 0; k < 3; ++k) {
            hits[k] = refractToFloor4(load(in.lightX[k] + j), load(in.lightY[k] + j), load(in.lightZ[k] + j), nx, ny,
                                      nz, eta, floor);
            store(out->hitX[k] + j, hits[k].x);
            store(out->hitZ[k] + j, hits[k].z);
        }
        const Floats ux = hits[1].x - hits[0].x, uz = hits[1].z - hits[0].z;
        const Floats vx = hits[2].x - hits[0].x, vz = hits[2].z - hits[0].z;
        const Floats floorArea = round(length(crossComponent(floorRise, vz, uz, floorRise),
                                              crossComponent(uz, vx, ux, vz),
                                              crossComponent(ux, floorRise, floorRise, vx)) /
                                       all(2.0));
        store(out->floorArea + j, floorArea);

        // Intensity, shade and floor colour.
        const Floats intensity = round(crossLength / all(2.0)) / floorArea;
        store(out->intensity + j, intensity);
        const Floats shade = round(widen(lightDot) / all(lightDivisor) * all(surfaceFactor));
        store(out->shade + j, shade);
        const Floats light = round(all(c.lightWeightX) * widen(nx) + all(c.lightWeightY) * widen(ny) +
                                   all(c.lightWeightZ) * widen(nz));
        const Doubles b = widen(round(widen(light) * widen(intensity) / all(brightnessDivisor)));
        store(out->brightness + j, round(b));
        store(out->red + j, round(all(floorRedFactor) * b));
        store(out->green + j, round(all(floorGreenFactor) * b));
        store(out->blue + j, round(b * widen(shade)));
    }
}
#else
SWEEP_BODY void findLightDirections(const FrameConstants& c)
{
    for (int i = 0; i < paddedRows; ++i) {
        for (int j = 0; j < gridSize; ++j) {
            const float dx = c.lightX - static_cast<float>(i - gridCentre);
            const float dy = c.lightY - heights[i][j];
            const float dz = c.lightZ - static_cast<float>(j - gridCentre);
            const float len = static_cast<float>(__builtin_sqrt(
                static_cast<double>(dx) * dx + static_cast<double>(dy) * dy + static_cast<double>(dz) * dz));
            toLightX[i][j] = dx / len;
            toLightY[i][j] = dy / len;
            toLightZ[i][j] = dz / len;
        }
    }
}

SWEEP_BODY void sweepRow(const CornerRow& in, const FrameConstants frame, FaceRow* __restrict out)
{
    // Locals, so that the compiler sees they stay put while the row is written.
    const FrameConstants c = frame;
    const float ax = in.ax, az = in.az, bx = in.bx, bz = in.bz;
    const float* __restrict h0 = in.height[0];
    const float* __restrict h1 = in.height[1];
    const float* __restrict h2 = in.height[2];
    const float* __restrict x0 = in.lightX[0], * __restrict y0 = in.lightY[0], * __restrict z0 = in.lightZ[0];
    const float* __restrict x1 = in.lightX[1], * __restrict y1 = in.lightY[1], * __restrict z1 = in.lightZ[1];
    const float* __restrict x2 = in.lightX[2], * __restrict y2 = in.lightY[2], * __restrict z2 = in.lightZ[2];
    for (int j = 0; j < lanesPerRow; ++j) {
        // Normal: the negated, normalised a x b of the two edges from corner 0.
        const FaceNormal n = faceNormal(ax, h1[j] - h0[j], az, bx, h2[j] - h0[j], bz);
        const float nx = n.x, ny = n.y, nz = n.z;
        out->nx[j] = nx;
        out->ny[j] = ny;
        out->nz[j] = nz;
        const float lightDot = static_cast<float>(static_cast<double>(nx) * c.lightX +
                                                  static_cast<double>(ny) * c.lightY +
                                                  static_cast<double>(nz) * c.lightZ);
        out->lightDot[j] = lightDot;

        // Caustics: each corner's floor point, then the floor triangle's area.
        const FloorHit hit0 = refractToFloor(x0[j], y0[j], z0[j], nx, ny, nz, c.eta, c.floorY);
        const FloorHit hit1 = refractToFloor(x1[j], y1[j], z1[j], nx, ny, nz, c.eta, c.floorY);
        const FloorHit hit2 = refractToFloor(x2[j], y2[j], z2[j], nx, ny, nz, c.eta, c.floorY);
        out->hitX[0][j] = hit0.x;
        out->hitX[1][j] = hit1.x;
        out->hitX[2][j] = hit2.x;
        out->hitZ[0][j] = hit0.z;
        out->hitZ[1][j] = hit1.z;
        out->hitZ[2][j] = hit2.z;
        const float floorArea = halfCrossLength(hit1.x - hit0.x, c.floorY - c.floorY, hit1.z - hit0.z, hit2.x - hit0.x,
                                                c.floorY - c.floorY, hit2.z - hit0.z);
        out->floorArea[j] = floorArea;

        // Intensity, shade and floor colour.
        const float intensity = static_cast<float>(n.crossLength / 2) / floorArea;
        out->intensity[j] = intensity;
        const float shade = surfaceShade(lightDot);
        out->shade[j] = shade;
        const float b = floorBrightness(lightFactor(c.lightWeightX, c.lightWeightY, c.lightWeightZ, nx, ny, nz),
                                        intensity);
        out->brightness[j] = b;
        const Colour colour = floorColour(b, shade);
        out->red[j] = colour.red;
        out->green[j] = colour.green;
        out->blue[j] = colour.blue;
    }
}

#endif

// The corners of one row of faces: corner k of face j is grid vertex
// (row[k], column[k] + j); a and b are the edges' fixed index parts.
CornerRow cornerRow(const int (&rows)[3], const int (&columns)[3], float ax, float az, float bx, float bz)
{
    CornerRow in{};
    for (int k = 0; k < 3; ++k) {
        in.height[k] = &heights[rows[k]][columns[k]];
        in.lightX[k] = &toLightX[rows[k]][columns[k]];
        in.lightY[k] = &toLightY[rows[k]][columns[k]];
        in.lightZ[k] = &toLightZ[rows[k]][columns[k]];
    }
    in.ax = ax, in.az = az, in.bx = bx, in.bz = bz;
    return in;
}

// Family A, grid row i: corners (i, j), (i+1, j), (i, j+1) for j = 0..62.
CornerRow familyARow(int i)
{
    return cornerRow({i, i + 1, i}, {0, 0, 1}, 1.0f, 0.0f, 0.0f, 1.0f);
}

// Family B, grid row i: corners (i, j), (i+1, j-1), (i+1, j) for j = 1..63.
CornerRow familyBRow(int i)
{
    return cornerRow({i, i + 1, i + 1}, {1, 0, 1}, 1.0f, -1.0f, 1.0f, 0.0f);
}

// Writes a row's results into its faces (the records of one family's grid row
// lie side by side), and for a whole frame also the intensity and shade and the
// floor triangles that pass the brightness test, in face order.
void storeRow(SweepResult result, int firstFace)
{
    WaterFace* f = faces + firstFace;
    const bool frame = result == SweepResult::frame;
    for (int j = 0; j < facesPerRow; ++j, ++f) {
        f->nx = row.nx[j];
        f->ny = row.ny[j];
        f->nz = row.nz[j];
        f->lightDot = row.lightDot[j];
        f->hitX0 = row.hitX[0][j];
        f->hitX1 = row.hitX[1][j];
        f->hitX2 = row.hitX[2][j];
        f->hitZ0 = row.hitZ[0][j];
        f->hitZ1 = row.hitZ[1][j];
        f->hitZ2 = row.hitZ[2][j];
        f->floorArea = row.floorArea[j];
        if (!frame)
            continue;
        f->intensity = row.intensity[j];
        f->shade = row.shade[j];
        if (floorTriangleDrawn(row.brightness[j]))
            floorTriangles[floorTriangleCount++] = {{row.red[j], row.green[j], row.blue[j]}, firstFace + j};
    }
}

FrameConstants readFrameConstants()
{
    return {lightPos.x,
            lightPos.y,
            lightPos.z,
            floorY,
            refractionRatio,
            std::fabs(std::trunc(static_cast<double>(lightPos.x))),
            std::fabs(std::trunc(static_cast<double>(lightPos.y))),
            std::fabs(std::trunc(static_cast<double>(lightPos.z)))};
}

// All rows of both families, the per-row results stored as they come.
SWEEP_BODY void sweepMesh(SweepResult result)
{
    const FrameConstants c = readFrameConstants();
    std::memcpy(heights, heightField, sizeof heightField);
    findLightDirections(c);
    for (int family = 0; family < 2; ++family) {
        for (int i = 0; i < facesPerRow; ++i) {
            sweepRow(family == 0 ? familyARow(i) : familyBRow(i), c, &row);
            storeRow(result, (family == 0 ? 0 : familyBStart) + facesPerRow * i);
        }
    }
}

void sweepMeshBaseline(SweepResult result)
{
    sweepMesh(result);
}

// The wider builds exist on x86 alone; elsewhere (WebAssembly, say) the
// baseline is the only one.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) void sweepMeshAvx2(SweepResult result)
{
    sweepMesh(result);
}

__attribute__((target("avx512f"))) void sweepMeshAvx512(SweepResult result)
{
    sweepMesh(result);
}
#endif

SweepVectors widestAllowed = SweepVectors::avx512;

} // namespace

void sweepFaces(SweepResult result)
{
    floorTriangleCount = 0;
    if (faceCount != meshFaceCount)
        return;
    switch (sweepVectors()) {
#if defined(__x86_64__) || defined(__i386__)
    case SweepVectors::avx512: sweepMeshAvx512(result); break;
    case SweepVectors::avx2: sweepMeshAvx2(result); break;
#endif
    default: sweepMeshBaseline(result); break;
    }
}

SweepVectors sweepVectors()
{
#if defined(__x86_64__) || defined(__i386__)
    static const SweepVectors widest = __builtin_cpu_supports("avx512f") ? SweepVectors::avx512
                                       : __builtin_cpu_supports("avx2")  ? SweepVectors::avx2
                                                                         : SweepVectors::sse2;
#else
    const SweepVectors widest = SweepVectors::sse2;
#endif
    return widest < widestAllowed ? widest : widestAllowed;
}

void limitSweepVectors(SweepVectors widest)
{
    widestAllowed = widest;
}
