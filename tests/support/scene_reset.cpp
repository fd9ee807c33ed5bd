// scene_reset.cpp -- back to load-time state between tests
#include "support/scene_reset.h"

#include "app/scene.h"
#include "support/probe_display.h"
#include "support/stdout_capture.h"

void CoreTest::SetUp()
{
    StdoutCapture quiet; // the mesh's face-count lines
    restoreLoadState();
    clearFrames();
}
