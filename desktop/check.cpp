// check.cpp -- a scene checked without a window
#include "desktop/check.h"

#include "app/recording.h"
#include "app/start.h"
#include "desktop/scene_window.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

bool windowless = false;

namespace {

const char* checkedPath = "";
int programOutput = -1; // standard output, while the program's own lines go nowhere

} // namespace

void silenceProgramOutput()
{
    std::fflush(stdout);
    programOutput = dup(STDOUT_FILENO);
    const int nowhere = open("/dev/null", O_WRONLY);
    if (programOutput < 0 || nowhere < 0 || dup2(nowhere, STDOUT_FILENO) < 0) {
        std::perror("tarnwick: silencing the program's output");
        std::exit(2);
    }
    close(nowhere);
}

void restoreProgramOutput()
{
    std::fflush(stdout);
    dup2(programOutput, STDOUT_FILENO);
    close(programOutput);
}

void endCheck()
{
    restoreProgramOutput();
    const PlayedChecks& checks = playedChecks();
    if (checks.parted > 0) {
        std::printf("%s: parted from its recording %s\n", checkedPath, checks.partedWhere.c_str());
        std::exit(1);
    }
    if (checks.matched == 0) {
        std::printf("%s: no check to match (a scene of format 1, or one cut short)\n", checkedPath);
        std::exit(3);
    }
    std::printf("%s: %d checks matched\n", checkedPath, checks.matched);
    std::exit(0);
}

int checkSceneFile(const char* path)
{
    RecordedScene scene;
    if (!readSceneFile(path, scene))
        return 2;
    windowless = true;
    checkedPath = path;
    silenceProgramOutput();
    startViewer();
    startPlaying(std::move(scene));
    while (playScene(1 << 16)) {
    }
    endCheck();
}
