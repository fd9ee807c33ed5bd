// scene_file.cpp -- writing and reading scene files
#include "app/scene_file.h"

#include "app/about.h"
#include "water/water.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

const char* const formatName = "tarnwick scene";

struct NamedKey {
    const char* name;
    int code;
};
const NamedKey namedKeys[] = {{"Space", ' '},  {"Esc", 27},      {"Tab", '\t'},
                              {"Enter", '\r'}, {"Backspace", 8}, {"Delete", 127}};

const char* const kindWords[] = {"key", "press", "release", "move", "resize", "redraw", "check", "drop"};
const int kindCount = 8;
const std::size_t hashDigits = 16;

std::string keyWord(int code)
{
    for (const NamedKey& named : namedKeys)
        if (named.code == code)
            return named.name;
    if (code > ' ' && code < 127) {
        std::string character(1, static_cast<char>(code));
        return character;
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02x", code & 0xff);
    return hex;
}

// The byte a key's word names, or -1.
int keyCode(const std::string& word)
{
    for (const NamedKey& named : namedKeys)
        if (word == named.name)
            return named.code;
    if (word.size() == 1 && word[0] > ' ' && word[0] < 127)
        return static_cast<unsigned char>(word[0]);
    if (word.size() == 4 && word.compare(0, 2, "0x") == 0 && std::isxdigit(static_cast<unsigned char>(word[2])) &&
        std::isxdigit(static_cast<unsigned char>(word[3])))
        return static_cast<int>(std::strtol(word.c_str() + 2, nullptr, 16));
    return -1;
}

// A whole decimal number within [low, high], optionally negative; no sign
// of +, no leading zeros beyond "0", nothing after it.
bool readNumber(const std::string& word, std::int64_t low, std::int64_t high, std::int64_t& value)
{
    const std::size_t digitsFrom = !word.empty() && word[0] == '-' ? 1 : 0;
    const std::size_t digits = word.size() - digitsFrom;
    if (digits == 0 || digits > 12 || (digits > 1 && word[digitsFrom] == '0'))
        return false;
    for (std::size_t k = digitsFrom; k < word.size(); ++k)
        if (word[k] < '0' || word[k] > '9')
            return false;
    value = std::strtoll(word.c_str(), nullptr, 10);
    return value >= low && value <= high;
}

// The number of continuation bytes after a UTF-8 lead byte, or -1.
int continuationBytes(unsigned char lead)
{
    if (lead >= 0xc2 && lead <= 0xdf)
        return 1;
    if (lead >= 0xe0 && lead <= 0xef)
        return 2;
    if (lead >= 0xf0 && lead <= 0xf4)
        return 3;
    return -1;
}

// Valid UTF-8 with no control character but a tab: text a person could have
// written (comments may be in any language).
bool isTextLine(const std::string& line)
{
    for (std::size_t k = 0; k < line.size();) {
        const auto byte = static_cast<unsigned char>(line[k]);
        if (byte < 0x80) {
            if ((byte < ' ' && byte != '\t') || byte == 127)
                return false;
            ++k;
            continue;
        }
        const int more = continuationBytes(byte);
        if (more < 0 || k + static_cast<std::size_t>(more) >= line.size())
            return false;
        for (int m = 1; m <= more; ++m)
            if ((static_cast<unsigned char>(line[k + m]) & 0xc0) != 0x80)
                return false;
        k += static_cast<std::size_t>(more) + 1;
    }
    return true;
}

std::vector<std::string> wordsOf(const std::string& line)
{
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;)
        words.push_back(word);
    return words;
}

// A check's hash: exactly 16 lowercase hexadecimal digits.
bool readHash(const std::string& word, std::uint64_t& hash)
{
    if (word.size() != hashDigits)
        return false;
    for (char digit : word)
        if (!std::isdigit(static_cast<unsigned char>(digit)) && (digit < 'a' || digit > 'f'))
            return false;
    hash = std::strtoull(word.c_str(), nullptr, 16);
    return true;
}

// One reader's state: the line being read, the format, and the first refusal.
struct Reader {
    int lineNumber = 0;
    std::int64_t format = 0;
    std::string error;

    bool refuse(const std::string& why)
    {
        if (error.empty())
            error = "line " + std::to_string(lineNumber) + ": " + why;
        return false;
    }

    bool number(const std::string& word, std::int64_t low, std::int64_t high, const char* what, std::int64_t& value)
    {
        if (readNumber(word, low, high, value))
            return true;
        return refuse(std::string(what) + " \"" + word + "\" is not a whole number from " + std::to_string(low) +
                      " to " + std::to_string(high));
    }

    bool header(int line, const std::vector<std::string>& words, RecordedScene& scene);
    bool input(const std::vector<std::string>& words, std::int64_t lastTick, InputEvent& input);
    bool inputNumbers(const std::vector<std::string>& words, InputEvent& input);
};

bool Reader::header(int line, const std::vector<std::string>& words, RecordedScene& scene)
{
    if (line == 0) {
        if (words.size() != 3 || words[0] + " " + words[1] != formatName)
            return refuse("this is not a Tarnwick scene (it must start with \"tarnwick scene 1\")");
        std::int64_t& version = format;
        if (!readNumber(words[2], 1, 999, version))
            return refuse("the format's version \"" + words[2] + "\" is not a number");
        if (version > sceneFormatVersion)
            return refuse("the scene is in format " + words[2] +
                          ", from a later version of Tarnwick; this one reads "
                          "format " +
                          std::to_string(sceneFormatVersion));
        return true;
    }
    if (line == 1) {
        std::int64_t width = 0, height = 0;
        if (words.size() != 3 || words[0] != "size")
            return refuse("expected the window's size, as \"size WIDTH HEIGHT\"");
        if (!number(words[1], 1, sceneMaxSize, "the width", width) ||
            !number(words[2], 1, sceneMaxSize, "the height", height))
            return false;
        scene.width = static_cast<int>(width);
        scene.height = static_cast<int>(height);
        return true;
    }
    if (words.size() != 2 || words[0] != "program" || words[1].size() > 64)
        return refuse("expected the recording program's version, as \"program VERSION\"");
    scene.program = words[1];
    return true;
}

bool Reader::inputNumbers(const std::vector<std::string>& words, InputEvent& input)
{
    std::int64_t n[3] = {0, 0, 0};
    const int c = sceneMaxCoordinate;
    switch (input.kind) {
    case InputEvent::key:
        input.a = keyCode(words[2]);
        return input.a >= 0 || refuse("\"" + words[2] + "\" is not a key (a character, a key's name or 0xNN)");
    case InputEvent::press:
    case InputEvent::release:
        if (!number(words[2], 0, sceneMaxButton, "the button", n[0]) || !number(words[3], -c, c, "x", n[1]) ||
            !number(words[4], -c, c, "y", n[2]))
            return false;
        break;
    case InputEvent::move:
        if (!number(words[2], -c, c, "x", n[0]) || !number(words[3], -c, c, "y", n[1]))
            return false;
        break;
    case InputEvent::resize:
        if (!number(words[2], 0, sceneMaxSize, "the width", n[0]) ||
            !number(words[3], 0, sceneMaxSize, "the height", n[1]))
            return false;
        break;
    case InputEvent::redraw: break;
    case InputEvent::check:
        if (format < 2)
            return refuse("a check in a scene of format 1 (checks came with format 2)");
        return readHash(words[2], input.hash) ||
               refuse("the check \"" + words[2] + "\" is not 16 lowercase hexadecimal digits");
    case InputEvent::drop: // interior vertices only, as a pick finds them
        if (!number(words[2], 1, gridSize - 2, "the row", n[0]) ||
            !number(words[3], 1, gridSize - 2, "the column", n[1]))
            return false;
        break;
    }
    input.a = static_cast<int>(n[0]);
    input.b = static_cast<int>(n[1]);
    input.c = static_cast<int>(n[2]);
    return true;
}

bool Reader::input(const std::vector<std::string>& words, std::int64_t lastTick, InputEvent& input)
{
    static const std::size_t wordCounts[] = {3, 5, 5, 4, 4, 2, 3, 4};
    std::int64_t tick = 0;
    if (!number(words[0], 0, sceneMaxTick, "the tick", tick))
        return false;
    if (tick < lastTick)
        return refuse("the tick goes back from " + std::to_string(lastTick) + " to " + words[0]);
    if (words.size() < 2)
        return refuse("a tick and no input");
    int kind = 0;
    while (kind < kindCount && words[1] != kindWords[kind])
        ++kind;
    if (kind == kindCount)
        return refuse("unknown input \"" + words[1] + "\"");
    if (words.size() != wordCounts[kind])
        return refuse("\"" + words[1] + "\" takes " + std::to_string(wordCounts[kind] - 2) + " values");
    input = {tick, static_cast<InputEvent::Kind>(kind), 0, 0, 0};
    return inputNumbers(words, input);
}

} // namespace

std::string sceneHeader(int width, int height)
{
    return std::string(formatName) + " " + std::to_string(sceneFormatVersion) + "\nsize " + std::to_string(width) +
           " " + std::to_string(height) + "\nprogram " + programVersion() + "\n";
}

std::string sceneLine(const InputEvent& input)
{
    std::string line = std::to_string(input.tick) + " " + kindWords[input.kind];
    const auto add = [&line](int value) { line += " " + std::to_string(value); };
    switch (input.kind) {
    case InputEvent::key: line += " " + keyWord(input.a); break;
    case InputEvent::press:
    case InputEvent::release:
        add(input.a);
        add(input.b);
        add(input.c);
        break;
    case InputEvent::move:
    case InputEvent::resize:
    case InputEvent::drop:
        add(input.a);
        add(input.b);
        break;
    case InputEvent::redraw: break;
    case InputEvent::check: {
        char hex[hashDigits + 1];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(input.hash));
        line += std::string(" ") + hex;
        break;
    }
    }
    return line + "\n";
}

std::string sceneTooLarge(std::size_t bytes)
{
    return "the scene is " + std::to_string(bytes) + " bytes, more than the " + std::to_string(sceneMaxBytes) +
           " a scene may have";
}

bool readScene(const std::string& text, RecordedScene& scene, std::string& error)
{
    scene = RecordedScene{};
    Reader reader;
    if (text.size() > sceneMaxBytes) {
        error = sceneTooLarge(text.size());
        return false;
    }
    bool ok = true;
    int headerLines = 0;
    std::int64_t lastTick = 0;
    for (std::size_t from = 0; ok && from < text.size();) {
        std::size_t end = text.find('\n', from);
        end = end == std::string::npos ? text.size() : end;
        std::string line = text.substr(from, end - from);
        from = end + 1;
        ++reader.lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back(); // written on Windows
        if (line.size() > sceneMaxLineBytes)
            ok = reader.refuse("the line is longer than " + std::to_string(sceneMaxLineBytes) + " bytes");
        else if (!isTextLine(line))
            ok = reader.refuse("the line is not text");
        if (!ok || line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> words = wordsOf(line);
        if (words.empty())
            continue;
        if (headerLines < 3) {
            ok = reader.header(headerLines++, words, scene);
            continue;
        }
        InputEvent input{};
        ok = scene.inputs.size() < sceneMaxInputs ||
             reader.refuse("more than " + std::to_string(sceneMaxInputs) + " inputs");
        ok = ok && reader.input(words, lastTick, input);
        if (ok) {
            scene.inputs.push_back(input);
            scene.lines.push_back(reader.lineNumber);
            lastTick = input.tick;
        }
    }
    if (ok && headerLines < 3) {
        ++reader.lineNumber;
        ok = reader.refuse(headerLines == 0 ? "the scene is empty" : "the scene ends inside its first lines");
    }
    if (!ok) {
        scene = RecordedScene{};
        error = reader.error;
    }
    return ok;
}
