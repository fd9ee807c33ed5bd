// gestures.cpp -- the touch gestures' state machine
#include "web/gestures.h"

#include <cmath>

namespace {

Finger* fingerWithId(Gestures& g, int id)
{
    for (Finger& f : g.fingers) {
        if (f.id == id)
            return &f;
    }
    return nullptr;
}

int fingerCount(const Gestures& g)
{
    return (g.fingers[0].id >= 0 ? 1 : 0) + (g.fingers[1].id >= 0 ? 1 : 0);
}

double fingersApart(const Gestures& g)
{
    return std::hypot(g.fingers[0].x - g.fingers[1].x, g.fingers[0].y - g.fingers[1].y);
}

int startPinch(Gestures& g, ButtonEvent out[3], int n)
{
    if (g.kind == Gestures::orbit)
        out[n++] = {ButtonEvent::release, 0, g.lastX, g.lastY};
    g.kind = Gestures::pinch;
    // Floor division for the point between the fingers, as the page floors positions.
    g.fromX = static_cast<int>(std::floor((g.fingers[0].x + g.fingers[1].x) / 2.0));
    g.fromY = static_cast<int>(std::floor((g.fingers[0].y + g.fingers[1].y) / 2.0));
    g.lastX = g.fromX;
    g.lastY = g.fromY;
    g.spread = fingersApart(g);
    out[n++] = {ButtonEvent::press, 2, g.fromX, g.fromY};
    return n;
}

int fingerDown(Gestures& g, int id, int x, int y, ButtonEvent out[3])
{
    Finger* free = fingerWithId(g, -1);
    if (free == nullptr || fingerWithId(g, id) != nullptr)
        return 0;
    *free = {id, x, y};
    if (fingerCount(g) == 1) {
        g.kind = Gestures::tap;
        g.fromX = x;
        g.fromY = y;
        return 0;
    }
    return g.kind == Gestures::tap || g.kind == Gestures::orbit ? startPinch(g, out, 0) : 0;
}

int fingerMoved(Gestures& g, Finger& f, int x, int y, ButtonEvent out[3])
{
    f.x = x;
    f.y = y;
    int n = 0;
    if (g.kind == Gestures::tap && std::hypot(x - g.fromX, y - g.fromY) > tapSlop) {
        g.kind = Gestures::orbit;
        out[n++] = {ButtonEvent::press, 0, g.fromX, g.fromY};
    }
    if (g.kind == Gestures::orbit) {
        g.lastX = x;
        g.lastY = y;
        out[n++] = {ButtonEvent::drag, 0, x, y};
    } else if (g.kind == Gestures::pinch) {
        g.lastY = g.fromY - static_cast<int>(std::lround(fingersApart(g) - g.spread));
        out[n++] = {ButtonEvent::drag, 0, g.lastX, g.lastY};
    }
    return n;
}

int fingerUp(Gestures& g, Finger& f, int x, int y, ButtonEvent out[3])
{
    f.id = -1;
    int n = 0;
    switch (g.kind) {
    case Gestures::tap:
        out[n++] = {ButtonEvent::press, 1, g.fromX, g.fromY};
        out[n++] = {ButtonEvent::release, 1, g.fromX, g.fromY};
        break;
    case Gestures::orbit: out[n++] = {ButtonEvent::release, 0, x, y}; break;
    case Gestures::pinch: out[n++] = {ButtonEvent::release, 2, g.lastX, g.lastY}; break;
    default: break;
    }
    // The finger left on the glass after a pinch starts nothing.
    g.kind = fingerCount(g) > 0 ? Gestures::spent : Gestures::none;
    return n;
}

} // namespace

int touchEvent(Gestures& g, TouchPhase phase, int finger, int x, int y, ButtonEvent out[3])
{
    if (phase == TouchPhase::down)
        return fingerDown(g, finger, x, y, out);
    Finger* f = fingerWithId(g, finger);
    if (f == nullptr || finger < 0)
        return 0;
    return phase == TouchPhase::move ? fingerMoved(g, *f, x, y, out) : fingerUp(g, *f, x, y, out);
}
