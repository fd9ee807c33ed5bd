// local_rotate.h -- a 15-degree step about one of the local frame's own axes
#pragma once

// Turns the vertices and the local frame by direction * 15 degrees about the
// line through localOrigin along the frame's axis 'x', 'y' or 'z', composed of
// translate and rotate, and traces every stage. An axis character other than
// x, y or z, or an axis whose end point sits on the origin, leaves everything
// as it is and prints nothing.
void localRotate(float direction, char axis);

// The cosine and sine of the keyboard's 15-degree step, each rounded to float.
float stepCosine();
float stepSine();
