// main.cpp -- the viewer: answers --help and --version, checks a scene
// without a window (--check), or opens the window (recording and playing
// scenes as asked) and runs the event loop
#include "desktop/check.h"
#include "desktop/options.h"
#include "desktop/scene_window.h"
#include "desktop/window.h"

#include <GL/glut.h>
#include <cstdio>

int main(int argc, char** argv)
{
    // Diagnostics appear line by line, also through a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (answerInformationOptions(argc, argv))
        return 0;
    // A scene that cannot be played or recorded ends the program before any window.
    SceneOptions scenes;
    if (!takeSceneOptions(argc, argv, scenes))
        return 2;
    if (scenes.checkPath)
        return checkSceneFile(scenes.checkPath);
    if (!prepareScenes(scenes) || !openViewerWindow(&argc, argv))
        return 2;
    glutMainLoop();
    return 0;
}
