// usage.h -- the command-line options the viewer answers itself, and the
// table of controls that --help prints
#pragma once

// When the arguments ask for --help (or -h) or --version, prints the usage
// text or the version on standard output and returns true: the caller then
// exits with status 0 before any window exists. Every other argument is left
// to the toolkit, including the values of its -display and -geometry options.
bool answerInformationOptions(int argc, char** argv);

// One row of the controls: the keys, separated by spaces, or a button and a
// gesture; and what they do.
struct Control {
    const char* input;
    const char* action;
};

// The key rows, in the order --help lists them; count receives their number.
// (The web page makes its bar of command buttons from them.)
const Control* keyControlRows(int& count);
