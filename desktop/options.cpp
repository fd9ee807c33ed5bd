// options.cpp -- the desktop's command line: --help, --version, and the
// scene options, the rest left to GLUT
#include "desktop/options.h"

#include "app/about.h"

#include <cstdio>
#include <cstring>

static void printUsage()
{
    std::fputs("Usage: tarnwick [--record FILE] [--play FILE] [-display DISPLAY] [-geometry WxH+X+Y]\n"
               "                [other GLUT options]\n"
               "       tarnwick --help | -h | --version\n"
               "\n"
               "A 64 x 64 water surface rippling in real time; the light of a lamp above the\n"
               "pool is refracted through its 7938 triangles onto the floor, where the focused\n"
               "light draws a caustic pattern.\n"
               "\n"
               "Keys act on the exact character typed (where one case is shown, the other\n"
               "does nothing):\n",
               stdout);
    int rows = 0;
    const Control* keys = keyControlRows(rows);
    for (int row = 0; row < rows; ++row)
        std::printf("  %-9s %s\n", keys[row].input, keys[row].action);
    std::fputs("Mouse:\n", stdout);
    const Control* buttons = mouseControlRows(rows);
    for (int row = 0; row < rows; ++row)
        std::printf("  %-13s %s\n", buttons[row].input, buttons[row].action);
    std::fputs("\n"
               "--record FILE writes every input, with the tick at which it came, to FILE as\n"
               "the session goes; --play FILE plays such a scene at its window size, as fast\n"
               "as it can, then leaves the water to you. Played, a scene prints the same\n"
               "lines and shows the same water as when it was recorded.\n"
               "\n"
               "Every event prints one line on standard output. The README and the manual\n"
               "page (man tarnwick) explain the controls and the lines in full.\n",
               stdout);
}

// The toolkit options that take a value: that value is never one of ours.
static bool takesValue(const char* option)
{
    return std::strcmp(option, "-display") == 0 || std::strcmp(option, "-geometry") == 0;
}

// The value of option name at argv[k] (as the next argument or after '='),
// or null when argv[k] is another option; k moves past what was read.
static const char* sceneOptionValue(const char* name, int argc, char** argv, int& k, bool& missing)
{
    const std::size_t length = std::strlen(name);
    if (std::strncmp(argv[k], name, length) != 0)
        return nullptr;
    if (argv[k][length] == '=')
        return argv[k] + length + 1;
    if (argv[k][length] != '\0')
        return nullptr;
    if (k + 1 >= argc || !argv[k + 1]) {
        missing = true;
        return nullptr;
    }
    return argv[++k];
}

bool takeSceneOptions(int& argc, char** argv, SceneOptions& options)
{
    static const char* const names[] = {"--record", "--play", "--check"};
    const char* SceneOptions::*const fields[] = {&SceneOptions::recordPath, &SceneOptions::playPath,
                                                 &SceneOptions::checkPath};
    int kept = 1;
    for (int k = 1; k < argc && argv[k]; ++k) {
        bool missing = false;
        int which = 0;
        const char* value = nullptr;
        for (; which < 3 && !value && !missing; ++which)
            value = sceneOptionValue(names[which], argc, argv, k, missing);
        if (missing || (value && (options.*fields[which - 1] || !*value))) {
            std::fprintf(stderr, "tarnwick: %s needs one file name, given once\n", argv[k]);
            return false;
        }
        if (value) {
            options.*fields[which - 1] = value;
            continue;
        }
        if (takesValue(argv[k]) && k + 1 < argc && argv[k + 1])
            argv[kept++] = argv[k++];
        argv[kept++] = argv[k];
    }
    argc = kept;
    argv[argc] = nullptr;
    if (options.checkPath && (options.playPath || options.recordPath)) {
        std::fprintf(stderr, "tarnwick: --check plays its scene alone, without --play or --record\n");
        return false;
    }
    return true;
}

bool answerInformationOptions(int argc, char** argv)
{
    for (int k = 1; k < argc; ++k) {
        const char* option = argv[k];
        if (std::strcmp(option, "--help") == 0 || std::strcmp(option, "-h") == 0) {
            printUsage();
            return true;
        }
        if (std::strcmp(option, "--version") == 0) {
            std::printf("tarnwick %s\n", programVersion());
            return true;
        }
        if (takesValue(option))
            ++k;
    }
    return false;
}
