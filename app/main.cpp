// main.cpp -- the viewer: answers --help and --version, or opens the window and
// runs the event loop
#include "app/callbacks.h"
#include "app/usage.h"

#include <GL/glut.h>
#include <cstdio>

int main(int argc, char** argv)
{
    // Diagnostics appear line by line, also through a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (answerInformationOptions(argc, argv))
        return 0;
    openViewerWindow(&argc, argv);
    glutMainLoop();
    return 0;
}
