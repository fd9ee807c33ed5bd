// viewer_support.h -- what the end-to-end tests add to the X driver
#pragma once

#include "tools/xdriver.h"

#include <cstdlib>
#include <string>

// The viewer to drive: TARNWICK_VIEWER if set (the sanitized build, say), else
// the program built beside the tests.
inline std::string viewerPath()
{
    const char* chosen = std::getenv("TARNWICK_VIEWER");
    return chosen && *chosen ? chosen : TARNWICK_VIEWER;
}

// True when text holds a report of AddressSanitizer, LeakSanitizer or
// UndefinedBehaviorSanitizer.
inline bool hasSanitizerReport(const std::string& text)
{
    return text.find("Sanitizer") != std::string::npos || text.find("runtime error:") != std::string::npos;
}
