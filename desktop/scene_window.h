// scene_window.h -- the GLUT window's recording (--record) and playing
// (--play) of scenes, and reading a scene's file for them and for --check:
// the window's callbacks hand each event to the program's one path of input
// (app/events.h), which records it, or drops it while a scene plays; the idle
// callback plays the scene as fast as it can, drawing now and then.
#pragma once

struct RecordedScene;
struct SceneOptions;

// The scene in the file, or false with the reason on standard error (a file
// that cannot be read, is too large, or is not a scene).
bool readSceneFile(const char* path, RecordedScene& scene);

// Before any window: reads the scene to play and creates the file to record
// into. False, with the reason on standard error, when either cannot be done.
bool prepareScenes(const SceneOptions& options);

// The size of the scene to play, or false when there is none.
bool sceneWindowSize(int& width, int& height);

// Starts the recording and the playing prepared, in a window of the size given.
void startScenes(int width, int height);

// The callbacks the window registers.
void windowKeyboard(unsigned char key, int x, int y);
void windowMouse(int button, int state, int x, int y);
void windowMotion(int x, int y);
void windowReshape(int width, int height);
void windowDisplay();
