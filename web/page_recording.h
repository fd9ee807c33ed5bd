// page_recording.h -- the page's recording: every session kept in memory,
// from the first resize on, up to pageMaxRecordedInputs inputs, for the page
// to share. Plain C++ (the unit tests build it natively).
#pragma once

#include <string>

const int pageMaxRecordedInputs = 100000;

// Starts again (empty) and records into memory in a window of that size.
void startPageRecording(int width, int height);
// Nothing recorded yet, not even the first lines.
bool pageRecordingEmpty();
// The scene recorded so far, and its number of inputs.
const std::string& pageRecordedScene();
// The scene recorded so far as a whole scene, ended with a check of the
// present state (the recording goes on); kept until the next call, and
// pageSharedScene gives it again.
const std::string& pageSceneToShare();
const std::string& pageSharedScene();
int pageRecordedInputs();
// Forgets what was recorded (the recording itself is stopped by stopRecording).
void clearPageRecording();

// What the page provides: told once, when the recording is full and stops.
void pageRecordingFull(int inputs);
