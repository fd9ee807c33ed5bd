// start.cpp -- the program's start
#include "app/start.h"

#include "app/shell.h"
#include "app/viewer_state.h"

const char* const startTitle = "Tarnwick (orthogonal)";

void startViewer()
{
    setWindowTitle(startTitle);
    loadOrthographicProjection();
    startState();
}
