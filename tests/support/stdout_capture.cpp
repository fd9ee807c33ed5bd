// stdout_capture.cpp -- fd-level capture of standard output for trace tests
#include "support/stdout_capture.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

StdoutCapture::StdoutCapture()
{
    std::fflush(stdout);
    char path[] = "/tmp/tarnwick-stdout-XXXXXX";
    fileFd_ = mkstemp(path);
    if (fileFd_ < 0)
        std::abort();
    unlink(path);
    savedFd_ = dup(STDOUT_FILENO);
    dup2(fileFd_, STDOUT_FILENO);
}

StdoutCapture::~StdoutCapture()
{
    restore();
}

void StdoutCapture::restore()
{
    if (savedFd_ < 0)
        return;
    std::fflush(stdout);
    dup2(savedFd_, STDOUT_FILENO);
    close(savedFd_);
    savedFd_ = -1;

    lseek(fileFd_, 0, SEEK_SET);
    char buffer[4096];
    ssize_t got;
    while ((got = read(fileFd_, buffer, sizeof buffer)) > 0)
        text_.append(buffer, static_cast<std::size_t>(got));
    close(fileFd_);
    fileFd_ = -1;
}

std::string StdoutCapture::text()
{
    restore();
    return text_;
}
