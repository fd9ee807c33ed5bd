// test_shell.h -- the unit tests' shell (app/shell.h): no window; it notes
// what the program asks of it, in order
#pragma once

#include <string>
#include <vector>

// "title T", "orthographic", "perspective", "viewport W H", "redisplay",
// "follow W H", "end S", "parted WHERE"; the tests clear it as they need.
extern std::vector<std::string> shellCalls;

// endProgram's status, thrown: the tests' program goes on.
struct ProgramEnded {
    int status;
};
