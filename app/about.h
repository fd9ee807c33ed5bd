// about.h -- what the program says of itself: its table of controls (which
// --help prints and the page's bar shows) and its version (which --version
// and a recorded scene give)
#pragma once

// One row of the controls: the keys, separated by spaces, or a button and a
// gesture; and what they do.
struct Control {
    const char* input;
    const char* action;
};

// The key rows, in the order --help lists them; count receives their number.
// (The web page makes its bar of command buttons from them.)
const Control* keyControlRows(int& count);
// The mouse rows, likewise.
const Control* mouseControlRows(int& count);

const char* programVersion();
