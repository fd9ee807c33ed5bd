// options.h -- the desktop's command line: what the viewer answers itself,
// the options that record and play scenes, and the rest left to GLUT
#pragma once

// When the arguments ask for --help (or -h) or --version, prints the usage
// text or the version on standard output and returns true: the caller then
// exits with status 0 before any window exists. Every other argument is left
// to the toolkit, including the values of its -display and -geometry options.
bool answerInformationOptions(int argc, char** argv);

// The options that record, play and check scenes (app/scene_file.h): the
// file of each, or null when not given.
struct SceneOptions {
    const char* recordPath = nullptr;
    const char* playPath = nullptr;
    const char* checkPath = nullptr;
};

// Takes --record FILE, --play FILE and --check FILE (also --record=FILE and
// so on) out of the arguments, leaving the rest to the toolkit. False, with a
// message on standard error, when one is given without its file or twice, or
// --check beside another of them.
bool takeSceneOptions(int& argc, char** argv, SceneOptions& options);
