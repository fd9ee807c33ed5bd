// scene_file.h -- the scene file: a session's input with the tick at which
// each came, as text, and the one reader that takes such a text from outside
//
//   tarnwick scene 2         the format and its version
//   size 300 300             the window's size at the start
//   program 0.1.0            the version of the program that recorded it
//   # a comment              (any line starting with #; blank lines too)
//   0 resize 300 300         then one input a line, after the tick count
//   412 key b                  (tickCount when its callback ran): a key as
//   530 press 1 150 150        the character typed, or Space, Esc, Tab,
//   531 move 160 150           Enter, Backspace, Delete, or 0xNN for any
//   531 release 1 160 150      other byte; a button (0 left, 1 middle,
//   531 redraw                 2 right, ...) pressed or released and the
//   660 check 8c7f...e3          pointer in window pixels, y down; a drag; a
//   700 drop 32 32             new window size; a frame the window drew
//                              between two inputs of one tick, whose view a
//                              pick reads; the hash of the program's state
//                              there, 16 lowercase hexadecimal digits; a drop
//                              at an interior grid vertex (row, column, 1 to
//                              62) that a host page asked for.
//
// The water is a function of the ticks that ran and of the input between
// them, so playing these lines gives the same water, lines and titles, and
// each check the same hash. Each line is one InputEvent (events.h) written
// out. Format 1 is format 2 without checks; both are read.
#pragma once

#include "app/events.h"

#include <cstdint>
#include <string>
#include <vector>

struct RecordedScene {
    int width = 0, height = 0; // the window at the start, pixels
    std::string program;       // the recording program's version, named when a check fails
    std::vector<InputEvent> inputs;
    std::vector<int> lines; // the line of each input in the text
};

// ---- Bounds: a scene outside them is refused whole.
const int sceneFormatVersion = 2;
const std::size_t sceneMaxBytes = std::size_t{4} * 1024 * 1024;
const std::size_t sceneMaxInputs = 200000;
const std::size_t sceneMaxLineBytes = 1024;
const std::int64_t sceneMaxTick = 100000000; // more than three days at 330 ticks a second
const int sceneMaxSize = 16384;              // a window's side, pixels
const int sceneMaxCoordinate = 32767;        // a pointer's, either sign (X's own range)
const int sceneMaxButton = 31;

// The first three lines of a scene recorded by this program in a window of
// the size given.
std::string sceneHeader(int width, int height);

// One input (or check) as its line, newline included.
std::string sceneLine(const InputEvent& input);

// Reads a whole scene. On a refusal returns false, leaves scene empty and
// says why in error, naming the line ("line 4: ..."): the text is not one of
// our scenes, is from a later format, is not text, is too large, has an input
// it does not know, a tick going backwards, a number beyond its bounds, or a
// check that is not 16 lowercase hexadecimal digits (or in format 1).
bool readScene(const std::string& text, RecordedScene& scene, std::string& error);
// The refusal of a scene of that many bytes, more than sceneMaxBytes.
std::string sceneTooLarge(std::size_t bytes);
