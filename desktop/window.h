// window.h -- the viewer's GLUT window: its start-up (window.cpp also gives
// the input callbacks and commands what app/shell.h asks of a shell)
#pragma once

// Start-up short of the event loop: hands the arguments to GLUT, creates the
// window with the first title, registers the callbacks, starts the program
// (startViewer: the orthographic projection, the start state with the mesh
// built, the eye on its orbit), enables the depth test, and starts the scenes prepared
// (scene_window.h). False, with the reason on standard error, when the scene
// to play needs a window larger than the screen: no window is made.
bool openViewerWindow(int* argc, char** argv);
