// window.h -- the viewer's GLUT window: its start-up (window.cpp also gives
// the input callbacks and commands what app/platform.h asks of a shell)
#pragma once

// Start-up short of the event loop: hands the arguments to GLUT, creates the
// window, registers the callbacks, loads the first (orthographic) projection,
// enables the depth test, puts the scene in its start state with the mesh
// built, places the eye on its orbit, and starts the scenes prepared
// (scene_window.h). False, with the reason on standard error, when the scene
// to play needs a window larger than the screen: no window is made.
bool openViewerWindow(int* argc, char** argv);
