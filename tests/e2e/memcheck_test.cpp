// The viewer under valgrind's memcheck through start-up, keys that run every
// kind of command, two resets and 'q': no invalid read or write anywhere (but
// for one known false positive of the dynamic loader, see valgrind.supp), and
// no block definitely lost that the program's own code allocated (the X, GLX
// and Mesa libraries keep some state until the process ends; their blocks are
// recognised by the frame that called the allocator).
#include "e2e/viewer_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

struct MemcheckLog {
    int invalidAccesses = 0;
    int ownDefiniteLeaks = 0;
    int definiteLeaks = 0;
    std::string summary;
    std::string firstOwnLeak;
    std::string firstInvalidAccess;
};

// Reads valgrind's log. A loss record's allocating frame is the first "by"
// line after the allocator: ours when it names one of our source files.
MemcheckLog readLog(const std::string& path)
{
    std::ifstream file(path);
    MemcheckLog log;
    std::string line, record;
    bool inDefinite = false, callerSeen = false, inInvalid = false;
    while (std::getline(file, line)) {
        if (line.find("Invalid read") != std::string::npos || line.find("Invalid write") != std::string::npos) {
            inInvalid = log.invalidAccesses++ == 0;
        }
        if (inInvalid) {
            log.firstInvalidAccess += line + "\n";
            inInvalid = line.size() > 12; // a record ends with an empty "==pid== " line
        }
        if (line.find("are definitely lost") != std::string::npos) {
            ++log.definiteLeaks;
            inDefinite = true;
            callerSeen = false;
            record = line + "\n";
            continue;
        }
        if (inDefinite) {
            record += line + "\n";
            if (!callerSeen && line.find(" by 0x") != std::string::npos) {
                callerSeen = true;
                const bool ours = line.find(".cpp:") != std::string::npos;
                if (ours && log.ownDefiniteLeaks++ == 0)
                    log.firstOwnLeak = record;
            }
            if (line.find("== ") != std::string::npos && line.size() < 12)
                inDefinite = false;
        }
        if (line.find("ERROR SUMMARY") != std::string::npos || line.find("definitely lost:") != std::string::npos ||
            line.find("indirectly lost:") != std::string::npos)
            log.summary += line + "\n";
    }
    return log;
}

TEST(MemcheckTest, StartKeysTwoResetsAndQuitAreClean)
{
    const std::string logPath = "/tmp/tarnwick-memcheck-" + std::to_string(getpid()) + ".log";
    XvfbServer xvfb;
    ChildProcess viewer({"valgrind", "--leak-check=full", "--num-callers=40", "--suppressions=" TARNWICK_VALGRIND_SUPPRESSIONS,
                         "--log-file=" + logPath, viewerPath()},
                        {"DISPLAY=" + xvfb.display()});
    ASSERT_TRUE(viewer.waitFor("Resized to 300 300\n", Seconds(240))) << viewer.errors();
    XDriver x(xvfb.display());
    ASSERT_TRUE(x.findWindow("Tarnwick", Seconds(60)));
    x.movePointer(150, 150);
    x.pressButton(1, 150, 150); // a pick
    x.releaseButton(1, 150, 150);
    x.drag(0, 150, 150, 140, 120, 3); // an orbit
    for (char key : std::string("5bvpPs/.,ikm-=c"))
        x.typeChar(key);
    ASSERT_TRUE(viewer.waitFor("ORIGIN is 0\n", Seconds(240))) << viewer.allOutput();
    x.typeChar('f');
    x.typeChar('f');
    x.typeChar('c'); // the reset aimed the camera at the origin again
    ASSERT_TRUE(viewer.waitFor("ORIGIN is 0\n", Seconds(240))) << viewer.allOutput();
    x.typeChar('q');
    ASSERT_EQ(viewer.waitForExit(Seconds(300)), 0);

    const MemcheckLog log = readLog(logPath);
    unlink(logPath.c_str());
    ASSERT_NE(log.summary.find("ERROR SUMMARY"), std::string::npos) << "no valgrind log";
    EXPECT_EQ(log.invalidAccesses, 0) << log.firstInvalidAccess;
    EXPECT_EQ(log.ownDefiniteLeaks, 0) << log.firstOwnLeak;
    std::printf("memcheck: %d invalid reads or writes, %d definite leaks (%d allocated by the program's own "
                "code)\n%s",
                log.invalidAccesses, log.definiteLeaks, log.ownDefiniteLeaks, log.summary.c_str());
}

} // namespace
