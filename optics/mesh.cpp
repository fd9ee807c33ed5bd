// mesh.cpp -- water mesh layout and flat-shading face normals
#include "optics/mesh.h"

#include "water/water.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

WaterFace* faces = nullptr;
int faceCount = 0;

static void zeroGrids()
{
    std::memset(heightField, 0, sizeof heightField);
    std::memset(partnerField, 0, sizeof partnerField);
}

// Fills face n with its vertex indices; the hit fields start as the indices
// themselves until the first caustic computation replaces them.
static void layFace(int n, int i0, int i1, int i2, int j0, int j1, int j2)
{
    WaterFace& f = faces[n];
    f.i0 = i0;
    f.i1 = i1;
    f.i2 = i2;
    f.j0 = j0;
    f.j1 = j1;
    f.j2 = j2;
    f.hitX0 = static_cast<float>(i0);
    f.hitX1 = static_cast<float>(i1);
    f.hitX2 = static_cast<float>(i2);
    f.hitZ0 = static_cast<float>(j0);
    f.hitZ1 = static_cast<float>(j1);
    f.hitZ2 = static_cast<float>(j2);
}

static void allocateFaces()
{
    std::free(faces);
    faces = static_cast<WaterFace*>(std::calloc(static_cast<std::size_t>(faceCount), sizeof(WaterFace)));
    if (faces == nullptr) {
        std::fprintf(stderr, "tarnwick: out of memory for the %d faces of the water mesh\n", faceCount);
        std::exit(1);
    }
}

void buildWaterMesh()
{
    zeroGrids();
    faceCount = meshFaceCount;
    std::printf("there are the number of faces: %d\n", faceCount);
    allocateFaces();

    int n = 0;
    for (int i = 0; i < 63; ++i)
        for (int j = 0; j < 63; ++j)
            layFace(n++, i, i + 1, i, j, j, j + 1);
    std::printf("there are the number of faces: %d\n", n);
    for (int i = 0; i < 63; ++i)
        for (int j = 1; j < 64; ++j)
            layFace(n++, i, i + 1, i + 1, j, j - 1, j);

    computeFaceNormals();
}

static void updateNormal(WaterFace& f)
{
    const float h0 = heightField[f.i0][f.j0];
    const FaceNormal n = faceNormal(static_cast<float>(f.i1 - f.i0), heightField[f.i1][f.j1] - h0,
                                    static_cast<float>(f.j1 - f.j0), static_cast<float>(f.i2 - f.i0),
                                    heightField[f.i2][f.j2] - h0, static_cast<float>(f.j2 - f.j0));
    f.nx = n.x;
    f.ny = n.y;
    f.nz = n.z;
}

void computeFaceNormals()
{
    for (int f = 0; f < faceCount; ++f)
        updateNormal(faces[f]);
}
