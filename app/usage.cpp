// usage.cpp -- the text of --help and --version
#include "app/usage.h"

#include <cstdio>
#include <cstring>

#ifndef TARNWICK_VERSION
#define TARNWICK_VERSION "unknown"
#endif

static const char usageText[] =
    "Usage: tarnwick [-display DISPLAY] [-geometry WxH+X+Y] [other GLUT options]\n"
    "       tarnwick --help | -h | --version\n"
    "\n"
    "A 64 x 64 water surface rippling in real time; the light of a lamp above the\n"
    "pool is refracted through its 7938 triangles onto the floor, where the focused\n"
    "light draws a caustic pattern.\n"
    "\n"
    "Keys act on the exact character typed (where one case is shown, the other\n"
    "does nothing):\n"
    "  5        splash in the centre        w        travelling wave (holds input)\n"
    "  b        burst drops on/off          v        sprinkle drops on/off\n"
    "  p P      perspective/orthographic    c C      aim at origin/local frame\n"
    "  f        reset camera and frame      s S      print the axes legend\n"
    "  [ ] ; ' . /    turn the local frame 15 degrees about global x, y, z (-, +)\n"
    "  i o k l m ,    turn it about its own x, y, z (-, +; also I O K L M)\n"
    "  - =      scale the object vertex list (it is empty)\n"
    "  Esc      quit with status 1          q Q      quit with status 0\n"
    "Mouse:\n"
    "  left drag      orbit the camera, one degree per pixel\n"
    "  right drag     zoom; dragging down moves the eye away\n"
    "  middle click   drop water on the grid vertex under the pointer, then zoom\n"
    "\n"
    "Every event prints one line on standard output. The README explains the\n"
    "controls, the lines and the error messages in full.\n";

// The toolkit options that take a value: that value is never one of ours.
static bool takesValue(const char* option)
{
    return std::strcmp(option, "-display") == 0 || std::strcmp(option, "-geometry") == 0;
}

bool answerInformationOptions(int argc, char** argv)
{
    for (int k = 1; k < argc; ++k) {
        const char* option = argv[k];
        if (std::strcmp(option, "--help") == 0 || std::strcmp(option, "-h") == 0) {
            std::fputs(usageText, stdout);
            return true;
        }
        if (std::strcmp(option, "--version") == 0) {
            std::printf("tarnwick %s\n", TARNWICK_VERSION);
            return true;
        }
        if (takesValue(option))
            ++k;
    }
    return false;
}
