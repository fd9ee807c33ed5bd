// usage.h -- the command-line options the viewer answers itself, and the
// table of controls that --help prints
#pragma once

// When the arguments ask for --help (or -h) or --version, prints the usage
// text or the version on standard output and returns true: the caller then
// exits with status 0 before any window exists. Every other argument is left
// to the toolkit, including the values of its -display and -geometry options.
bool answerInformationOptions(int argc, char** argv);

// The version, as --version and a recorded scene give it.
const char* programVersion();

// The options that record and play scenes (scene_file.h): the file of each,
// or null when not given.
struct SceneOptions {
    const char* recordPath = nullptr;
    const char* playPath = nullptr;
};

// Takes --record FILE and --play FILE (also --record=FILE, --play=FILE) out
// of the arguments, leaving the rest to the toolkit. False, with a message on
// standard error, when one is given without its file or twice.
bool takeSceneOptions(int& argc, char** argv, SceneOptions& options);

// One row of the controls: the keys, separated by spaces, or a button and a
// gesture; and what they do.
struct Control {
    const char* input;
    const char* action;
};

// The key rows, in the order --help lists them; count receives their number.
// (The web page makes its bar of command buttons from them.)
const Control* keyControlRows(int& count);
