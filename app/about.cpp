// about.cpp -- the program's table of controls and its version
#include "app/about.h"

#ifndef TARNWICK_VERSION
#define TARNWICK_VERSION "unknown"
#endif

// The controls, one row a command: the source of the keys and buttons that
// --help, the README, the man page and the web page's bar list (tests hold
// them together).
static const Control keyControls[] = {
    {"Esc", "quit with status 1"},
    {"q Q", "quit with status 0"},
    {"5", "splash in the centre"},
    {"b", "burst drops on/off (switches sprinkle off)"},
    {"v", "sprinkle drops on/off (switches burst off)"},
    {"w", "travelling wave: 351 frames, input waits until it ends"},
    {"c C", "aim the camera at the origin or at the local frame"},
    {"p P", "switch between perspective and orthographic projection"},
    {"s S", "print the axes colour legend"},
    {"f", "reset the camera and the local frame"},
    {"[ ]", "turn the local frame 15 degrees about the global x axis (-, +)"},
    {"; '", "the same about the global y axis"},
    {". /", "the same about the global z axis"},
    {"i I o O", "turn the local frame 15 degrees about its own x axis (-, +)"},
    {"k K l L", "the same about its own y axis"},
    {"m M ,", "the same about its own z axis"},
    {"- =", "scale the object vertex list by 0.75 or 1.25 (it is empty)"},
};

static const Control mouseControls[] = {
    {"left drag", "orbit the camera, one degree per pixel"},
    {"middle click", "drop water on the grid vertex under the pointer, then zoom"},
    {"right drag", "zoom; dragging down moves the eye away"},
};

const Control* keyControlRows(int& count)
{
    count = static_cast<int>(sizeof keyControls / sizeof keyControls[0]);
    return keyControls;
}

const Control* mouseControlRows(int& count)
{
    count = static_cast<int>(sizeof mouseControls / sizeof mouseControls[0]);
    return mouseControls;
}

const char* programVersion()
{
    return TARNWICK_VERSION;
}
