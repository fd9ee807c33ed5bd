// mesh.h -- the water mesh: 7938 triangles over the height grid, one record each
#pragma once

// One triangle of the water mesh and the optical quantities of its frame.
// Vertex k stands at world (ik - 32, heightField[ik][jk], jk - 32). The three
// rows come first, then the three columns; likewise three hit x, then three hit z.
struct WaterFace {
    int i0, i1, i2;            // grid rows of vertices 0, 1, 2
    int j0, j1, j2;            // grid columns of vertices 0, 1, 2
    float floorArea;           // area of the face's floor triangle (at y = floorY)
    float intensity;           // surface triangle area / floorArea: above 1, the light is focused
    float nx, ny, nz;          // unit face normal; ny > 0 always
    float lightDot;            // normal . lightPos (the light's position vector, not a direction)
    float shade;               // blue level of the surface triangle
    float hitX0, hitX1, hitX2; // floor x of each vertex's refracted ray
    float hitZ0, hitZ1, hitZ2; // floor z of each vertex's refracted ray
};

// Family A: faces 0..3968, face 63*i + j = (i,j), (i+1,j), (i,j+1).
// Family B: faces 3969..7937, face 3969 + 63*i + (j-1) = (i,j), (i+1,j-1), (i+1,j).
const int meshFaceCount = 2 * 63 * 63;
const int familyBStart = 63 * 63;

// ---- Mesh state
// One contiguous heap array of faceCount records, allocated once by
// buildWaterMesh and kept for the rest of the run (a reset leaves it).
extern WaterFace* faces;
extern int faceCount;

// Zeroes both height grids, allocates and lays out the 7938 faces, computes
// their normals, and prints the two face-count lines. Exits with status 1 and
// a line on stderr if the array cannot be allocated.
void buildWaterMesh();

// Recomputes the unit normal of every face from the current heightField.
void computeFaceNormals();

// Formulas shared by every pass that needs them are inline, so that the
// vectorised sweep over the faces can use them lane by lane.
#define OPTICS_INLINE inline __attribute__((always_inline))

struct FaceNormal {
    float x, y, z;
    double crossLength; // |a x b| in double: twice the surface triangle's area
};

// The normalised b x a of the edges a = corner1 - corner0, b = corner2 - corner0.
// Every intermediate is a float, the length's square root is taken in double.
// With the mesh's vertex orders the y of a x b is -1 whatever the heights,
// so the normal points up and the length is never below 1.
OPTICS_INLINE FaceNormal faceNormal(float ax, float ay, float az, float bx, float by, float bz)
{
    const float wx = static_cast<float>(static_cast<double>(ay) * bz - static_cast<double>(az) * by);
    const float wy = static_cast<float>(static_cast<double>(az) * bx - static_cast<double>(ax) * bz);
    const float wz = static_cast<float>(static_cast<double>(ax) * by - static_cast<double>(ay) * bx);
    const double crossLength = __builtin_sqrt(static_cast<double>(wx) * wx + static_cast<double>(wy) * wy +
                                              static_cast<double>(wz) * wz);
    const float len = static_cast<float>(crossLength);
    return {-wx / len, -wy / len, -wz / len, crossLength};
}
