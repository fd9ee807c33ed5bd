// keyboard.cpp -- the keyboard commands
#include "app/callbacks.h"

#include "app/recording.h"
#include "app/shell.h"
#include "app/viewer_state.h"
#include "frame/frame.h"
#include "frame/local_rotate.h"
#include "optics/display.h"
#include "water/drops.h"
#include "water/water.h"

#include <cstdio>

static const unsigned char escapeKey = 27;

static void toggleProjection()
{
    if (perspectiveMode) {
        loadOrthographicProjection();
        setWindowTitle("Quillmere (orthogonal)");
        perspectiveMode = 0;
    } else {
        loadPerspectiveProjection();
        setWindowTitle("Quillmere (perspective)");
        perspectiveMode = 1;
    }
}

// The frame draws no axes; the legend only names the colours.
static void printAxesLegend()
{
    std::printf("global axes key:\nx - green\ny - blue\nz - magenta\n");
    std::printf("local axes key:\nx - orange\ny - cyan\nz - yellow\n");
}

static void rotateStep(float direction, char axis)
{
    rotate(direction, stepCosine(), stepSine(), axis);
}

void keyboard(unsigned char key, int /*x*/, int /*y*/)
{
    // One row a command, both cases of a key on the same row.
    // clang-format off
    switch (key) {
    case escapeKey: endScenes(); endProgram(1);
    case 'q': case 'Q': endScenes(); endProgram(0);
    case '5': splashCentre(); break;
    case 'b': toggleBurstMode(); break;
    case 'v': toggleSprinkleMode(); break;
    case 'w': runWave(); break;
    case 'c': case 'C': toggleLookAt(); break;
    case 'p': case 'P': toggleProjection(); break;
    case 's': case 'S': printAxesLegend(); break;
    case 'f': resetScene(); display(); break;
    case '[': rotateStep(-1.0f, 'x'); break;
    case ']': rotateStep(+1.0f, 'x'); break;
    case ';': rotateStep(-1.0f, 'y'); break;
    case '\'': rotateStep(+1.0f, 'y'); break;
    case '.': rotateStep(-1.0f, 'z'); break;
    case '/': rotateStep(+1.0f, 'z'); break;
    case '-': scale(-1); break;
    case '=': scale(+1); break;
    case 'i': case 'I': localRotate(-1.0f, 'x'); break;
    case 'o': case 'O': localRotate(+1.0f, 'x'); break;
    case 'k': case 'K': localRotate(-1.0f, 'y'); break;
    case 'l': case 'L': localRotate(+1.0f, 'y'); break;
    case 'm': case 'M': localRotate(-1.0f, 'z'); break;
    case ',': localRotate(+1.0f, 'z'); break;
    default: break; // no command: only the redisplay below
    }
    // clang-format on
    requestRedisplay();
}
