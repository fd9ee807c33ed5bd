// matrices.h -- the camera's matrices as OpenGL and GLU compute them, for a
// program without them (the web page, a check without a window): column-major
// 4 x 4, in double precision
#pragma once

#include "frame/point.h"

#include <array>

using Matrix = std::array<double, 16>; // element (row r, column c) at [4 c + r]

Matrix identityMatrix();
Matrix multiply(const Matrix& left, const Matrix& right);
// gluPerspective: a vertical field of view in degrees.
Matrix perspectiveMatrix(double fieldOfViewDegrees, double aspect, double near, double far);
// glOrtho.
Matrix orthographicMatrix(double left, double right, double bottom, double top, double near, double far);
// gluLookAt.
Matrix lookAtMatrix(Point eye, Point target, Point up);

// gluProject: window coordinates of a world point, x and y from the viewport's
// bottom-left corner, z in 0..1 inside the depth range. False when the point
// has no projection (w = 0).
bool projectPoint(Point world, const Matrix& modelview, const Matrix& projection, const int viewport[4], double& winX,
                  double& winY, double& winZ);
