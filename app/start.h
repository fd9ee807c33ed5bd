// start.h -- the program's start, the same in every shell
#pragma once

// The title the window is created with. It stays until the first 'p'.
extern const char* const startTitle;

// The program as it starts: the first title, the orthographic projection
// (the first resize, which every window gets before its first frame,
// replaces it with the perspective one), then startState. A shell calls it
// once its window exists; the page again before playing a scene it is handed
// after the session began, since a scene plays from the program's start.
//
// Outside the program's state, and not restored here: the recording, the
// player (app/recording.h: each started anew by startRecording and
// startPlaying) and what a shell keeps of its window (GLUT's, the page's
// frames and pace).
void startViewer();
