// stdout_capture.h -- collects what the program prints on standard output
#pragma once

#include <string>

// Redirects file descriptor 1 into a temporary file from construction until
// text() or destruction, so printf output of the code under test is caught.
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Stops capturing and returns everything printed since construction.
    std::string text();

private:
    void restore();
    int savedFd_ = -1;
    int fileFd_ = -1;
    std::string text_;
};
