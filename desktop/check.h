// check.h -- tarnwick --check FILE: the scene played as fast as it goes, with
// no window, its checks compared with the program's state as it goes
#pragma once

// True while a scene is checked: the shell's functions then keep the view
// OpenGL would hold (app/view.h) instead of a window's, and draw nothing.
extern bool windowless;

// Plays the scene in the file from the program's start, its own lines
// unprinted, and prints one line: "FILE: N checks matched", or where the
// scene parted from its recording. Returns the exit status: 0 when every
// check matched, 1 when one did not, 2 when the file is not a scene, 3 when
// it holds no check (a scene of format 1).
int checkSceneFile(const char* path);

// The program's own lines (its clicks, picks, resizes) go to /dev/null until
// restored: a check's standard output, or a benchmark's, is its own.
void silenceProgramOutput();
void restoreProgramOutput();

// endProgram's part while checking: the scene ended the program, and so the
// check (its line printed, the process ended with the check's status).
[[noreturn]] void endCheck();
