// gestures.h -- touch and pen in the desktop's mouse terms, so that every
// line a gesture prints is one the desktop prints for the same movement:
//   one finger (or a pen) dragged: a left-button drag (orbit);
//   a tap: a middle-button click where the finger touched (a drop);
//   two fingers pinched or spread: a right-button drag (zoom) from the point
//   between them, moved up as far as they spread apart.
// Positions are the canvas's CSS pixels, y counted down from the top.
#pragma once

enum class TouchPhase { down, move, up };

// What a gesture means, as the GLUT callbacks receive it.
struct ButtonEvent {
    enum Kind { press, release, drag } kind;
    int button; // 0 left, 1 middle, 2 right; unused for a drag
    int x, y;
};

// A finger may wander this far (CSS pixels) and still tap.
const int tapSlop = 8;

struct Finger {
    int id = -1; // -1: none
    int x = 0, y = 0;
};

struct Gestures {
    enum Kind { none, tap, orbit, pinch, spent } kind = none; // spent: a pinch lost a finger
    Finger fingers[2];
    int fromX = 0, fromY = 0; // where a tap or orbit began, or the point between a pinch's fingers
    int lastX = 0, lastY = 0; // the drag's last position
    double spread = 0;        // the pinch fingers' first distance
};

// Feeds one finger's event; writes the button events it means into out (at
// most three) and returns their number. A third finger is ignored.
int touchEvent(Gestures& g, TouchPhase phase, int finger, int x, int y, ButtonEvent out[3]);
