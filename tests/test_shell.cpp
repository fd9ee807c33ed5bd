// test_shell.cpp -- the unit tests' shell: what the program asks of a window,
// noted; picks see no vertex unless the shell keeps the view (the frame is
// test support's display())
#include "test_shell.h"

#include "app/shell.h"
#include "app/view.h"
#include "support.h"
#include "water/wave.h"

std::vector<std::string> shellCalls;

static void note(const std::string& call)
{
    shellCalls.push_back(call);
}

void loadOrthographicProjection()
{
    note("orthographic");
    viewOrthographic();
}

void loadPerspectiveProjection()
{
    note("perspective");
    viewPerspective();
}

void setViewport(int width, int height)
{
    note("viewport " + std::to_string(width) + " " + std::to_string(height));
    viewSetViewport(width, height);
}

void setWindowTitle(const char* title)
{
    note(std::string("title ") + title);
}

void requestRedisplay()
{
    note("redisplay");
}

WindowProjector readWindowProjector(int viewport[4])
{
    if (shellKeepsView)
        return viewProjector(viewport);
    for (int k = 0; k < 4; ++k)
        viewport[k] = 0;
    return [](Point, double&, double&) { return false; };
}

void endProgram(int status)
{
    note("end " + std::to_string(status));
    throw ProgramEnded{status};
}

void runWave()
{
    playWave();
}

void sceneParted(const std::string& where)
{
    note("parted " + where);
}

void followPlayedSize(int width, int height)
{
    note("follow " + std::to_string(width) + " " + std::to_string(height));
}
