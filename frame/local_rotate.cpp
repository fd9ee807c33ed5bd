// local_rotate.cpp -- rotation about a local axis: shift to the origin, align the
// axis with global z, make the step, undo the alignment, shift back
#include "frame/local_rotate.h"

#include "frame/frame.h"

#include <cmath>
#include <cstdio>

static const float stepDegrees = 15.0f;

float stepCosine()
{
    return static_cast<float>(std::cos(static_cast<double>(stepDegrees) * degToRad));
}

float stepSine()
{
    return static_cast<float>(std::sin(static_cast<double>(stepDegrees) * degToRad));
}

static Point* localAxisEnd(char axis)
{
    switch (axis) {
    case 'x': return &localAxisX;
    case 'y': return &localAxisY;
    case 'z': return &localAxisZ;
    default: return nullptr;
    }
}

// Length of (x, y, z), squares by pow and summed in double, rounded to float.
static float length3(float x, float y, float z)
{
    return static_cast<float>(std::sqrt(std::pow(x, 2) + std::pow(y, 2) + std::pow(z, 2)));
}

static void printLocalAxes(const char* xFormat, const char* yFormat, const char* zFormat)
{
    std::printf(xFormat, localAxisX.x, localAxisX.y, localAxisX.z);
    std::printf(yFormat, localAxisY.x, localAxisY.y, localAxisY.z);
    std::printf(zFormat, localAxisZ.x, localAxisZ.y, localAxisZ.z);
}

// The steps about global z that the shifted, aligned axis allows: the general
// case turns the unit direction (a, b, c) onto +z, steps, and turns it back.
static void stepAboutAlignedAxis(float direction, float a, float b, float c, float d)
{
    const float cosine = stepCosine();
    const float sine = stepSine();
    rotate(1.0f, c / d, b / d, 'x');
    printLocalAxes("\nlocalRotate after x rotation: xcoordinates (xz): %f, %f, %f\n",
                   "\nlocalRotate: ycoordinates (xz): %f, %f, %f\n", "\nlocalRotate: zcoordinates (xz): %f, %f, %f\n");
    rotate(1.0f, d, -a, 'y');
    printLocalAxes("\nlocalRotate after y rotation: xcoordinates (z): %f, %f, %f\n",
                   "\nlocalRotate: ycoordinates (z): %f, %f, %f\n", "\nlocalRotate: zcoordinates (z): %f, %f, %f\n");
    rotate(direction, cosine, sine, 'z');
    rotate(1.0f, d, a, 'y');
    rotate(1.0f, c / d, -b / d, 'x');
}

void localRotate(float direction, char axis)
{
    Point* end = localAxisEnd(axis);
    if (end == nullptr)
        return;
    // The shift below moves the end point by exactly these float differences.
    if (length3(end->x - localOrigin.x, end->y - localOrigin.y, end->z - localOrigin.z) == 0.0f)
        return;

    const Point saved = localOrigin;
    std::printf("\nBEGINNING OF local origin coords: %f,%f,%f\n", localOrigin.x, localOrigin.y, localOrigin.z);
    printLocalAxes("\nlocalRotate: xcoordinates : %f, %f, %f\n", "\nlocalRotate: ycoordinates : %f, %f, %f\n",
                   "\nlocalRotate: zcoordinates : %f, %f, %f\n");

    translate(-localOrigin.x, 'x');
    translate(-localOrigin.y, 'y');
    translate(-localOrigin.z, 'z');
    std::printf("After translationlocal origin coords: %f,%f,%f\n", localOrigin.x, localOrigin.y, localOrigin.z);

    const float length = length3(end->x, end->y, end->z);
    const float a = end->x / length;
    const float b = end->y / length;
    const float c = end->z / length;
    const float d = static_cast<float>(std::sqrt(std::pow(b, 2) + std::pow(c, 2)));

    if (d == 0.0f) {
        // Parallel to global x: step about x directly, no alignment needed.
        rotate(direction, stepCosine(), stepSine(), 'x');
    } else {
        std::printf("\nLocalRotate z axis: length, a, b, c, d are: %f, %f, %f, %f. %f \n", length, a, b, c, d);
        stepAboutAlignedAxis(direction, a, b, c, d);
    }

    translate(saved.z, 'z');
    translate(saved.y, 'y');
    translate(saved.x, 'x');
}
