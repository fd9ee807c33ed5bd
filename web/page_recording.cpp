// page_recording.cpp -- the session kept in memory, with its bound
#include "web/page_recording.h"

#include "app/recording.h"

namespace {

std::string recordedScene;
int recordedInputs = 0;
std::string sharedScene; // the last pageSceneToShare

// The recording's sink: the first lines, then one input a call; false, once
// the page has been told, when the recording is full.
bool keepSceneLine(const std::string& text)
{
    const bool firstLines = recordedScene.empty();
    if (!firstLines && recordedInputs == pageMaxRecordedInputs) {
        pageRecordingFull(pageMaxRecordedInputs);
        return false;
    }
    recordedInputs += firstLines ? 0 : 1;
    recordedScene += text;
    return true;
}

} // namespace

void startPageRecording(int width, int height)
{
    clearPageRecording();
    startRecording(keepSceneLine, width, height);
}

bool pageRecordingEmpty()
{
    return recordedScene.empty();
}

const std::string& pageRecordedScene()
{
    return recordedScene;
}

const std::string& pageSceneToShare()
{
    sharedScene = recordedScene + endCheckLine();
    return sharedScene;
}

const std::string& pageSharedScene()
{
    return sharedScene;
}

int pageRecordedInputs()
{
    return recordedInputs;
}

void clearPageRecording()
{
    recordedScene.clear();
    recordedInputs = 0;
}
