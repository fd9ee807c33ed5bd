// frame.cpp -- the object vertex list, the local frame and the global-axis transforms
#include "frame/frame.h"

#include <cstdio>
#include <cstdlib>

const float degToRad = 0.017453292f;

// Start values: resetLocalFrame.
Vertex* vertices;
int vertexCount;

Point localOrigin;
Point localAxisX;
Point localAxisY;
Point localAxisZ;

static bool isGlobalAxis(char axis)
{
    return axis == 'x' || axis == 'y' || axis == 'z';
}

// The coordinate of p along a global axis ('x', 'y' or 'z').
static float& coordinate(Point& p, char axis)
{
    return axis == 'x' ? p.x : axis == 'y' ? p.y : p.z;
}

// The axis after this one in the cycle x -> y -> z -> x. A rotation about an
// axis turns the next axis towards the one after it (right-handed).
static char nextAxis(char axis)
{
    return axis == 'x' ? 'y' : axis == 'y' ? 'z' : 'x';
}

// Applies fn to every vertex in index order, then to the four frame points.
template <typename Fn>
static void forEachMovingPoint(Fn fn)
{
    for (int v = 0; v < vertexCount; ++v)
        fn(vertices[v]);
    fn(localOrigin);
    fn(localAxisX);
    fn(localAxisY);
    fn(localAxisZ);
}

void translate(float amount, char axis)
{
    if (isGlobalAxis(axis))
        forEachMovingPoint([&](Point& p) { coordinate(p, axis) += amount; });
    std::printf("Translation:%f, %f, %f\n", localOrigin.x, localOrigin.y, localOrigin.z);
}

static void printAxisEnds(const char* firstLineFormat)
{
    std::printf(firstLineFormat, localAxisX.x, localAxisX.y, localAxisX.z);
    std::printf("Rotate: ycoordinates : %f, %f, %f\n", localAxisY.x, localAxisY.y, localAxisY.z);
    std::printf("Rotate: zcoordinates : %f, %f, %f\n", localAxisZ.x, localAxisZ.y, localAxisZ.z);
}

void rotate(float direction, float cosine, float sine, char axis)
{
    std::printf("Rotate arguments: cosine and sine: %f, %f", cosine, sine);
    printAxisEnds("\nBefore Rotate: xcoordinates : %f, %f, %f\n");

    if (isGlobalAxis(axis)) {
        const char pAxis = nextAxis(axis);
        const char qAxis = nextAxis(pAxis);
        const double c = cosine;
        const double s = static_cast<double>(direction) * sine;
        forEachMovingPoint([&](Point& point) {
            float& p = coordinate(point, pAxis);
            float& q = coordinate(point, qAxis);
            const double oldP = p;
            const double oldQ = q;
            p = static_cast<float>(c * oldP - s * oldQ);
            q = static_cast<float>(s * oldP + c * oldQ);
        });
    }

    printAxisEnds("\nAfter Rotate: xcoordinates : %f, %f, %f\n");
}

void scale(int steps)
{
    const double factor = 1.0 + 0.25 * steps;
    for (int v = 0; v < vertexCount; ++v) {
        vertices[v].x = static_cast<float>(vertices[v].x * factor);
        vertices[v].y = static_cast<float>(vertices[v].y * factor);
        vertices[v].z = static_cast<float>(vertices[v].z * factor);
    }
}

void resetLocalFrame()
{
    std::free(vertices);
    vertices = nullptr;
    vertexCount = 0;
    localOrigin = {0.0f, 0.0f, 0.0f};
    localAxisX = {1.0f, 0.0f, 0.0f};
    localAxisY = {0.0f, 1.0f, 0.0f};
    localAxisZ = {0.0f, 0.0f, 1.0f};
}
