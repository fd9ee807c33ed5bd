// scene_fuzz.cpp -- fuzz target: any bytes given to the scene reader. It must
// refuse them with a reason that names a line, or read a scene within every
// bound that, written out again, reads back the same. Built with libFuzzer by
// scripts/fuzz.sh scene, and replayed over its committed corpus by the test run.
#include "app/scene_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool withinBounds(const InputEvent& input, std::int64_t lastTick)
{
    const int c = sceneMaxCoordinate;
    const bool coordinates = input.b >= -c && input.b <= c && input.c >= -c && input.c <= c;
    switch (input.kind) {
    case InputEvent::key: return input.a >= 0 && input.a <= 255;
    case InputEvent::press:
    case InputEvent::release: return input.a >= 0 && input.a <= sceneMaxButton && coordinates;
    case InputEvent::move: return input.a >= -c && input.a <= c && input.b >= -c && input.b <= c;
    case InputEvent::resize: return input.a >= 0 && input.a <= sceneMaxSize && input.b >= 0 && input.b <= sceneMaxSize;
    case InputEvent::redraw:
    case InputEvent::check: return input.tick >= lastTick;
    case InputEvent::drop: return input.a >= 1 && input.a <= 62 && input.b >= 1 && input.b <= 62;
    }
    return false;
}

bool sameInputs(const RecordedScene& a, const RecordedScene& b)
{
    if (a.inputs.size() != b.inputs.size() || a.width != b.width || a.height != b.height)
        return false;
    for (std::size_t k = 0; k < a.inputs.size(); ++k) {
        const InputEvent &x = a.inputs[k], &y = b.inputs[k];
        if (x.tick != y.tick || x.kind != y.kind || x.a != y.a || x.b != y.b || x.c != y.c || x.hash != y.hash)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(data, data + size);
    RecordedScene scene;
    std::string error;
    if (!readScene(text, scene, error)) {
        if ((error.compare(0, 5, "line ") != 0 && error.compare(0, 10, "the scene ") != 0) || !scene.inputs.empty())
            std::abort();
        return 0;
    }
    if (scene.width < 1 || scene.width > sceneMaxSize || scene.height < 1 || scene.height > sceneMaxSize ||
        scene.inputs.size() > sceneMaxInputs)
        std::abort();
    std::int64_t lastTick = 0;
    std::string written = sceneHeader(scene.width, scene.height);
    for (const InputEvent& input : scene.inputs) {
        if (input.tick < lastTick || input.tick > sceneMaxTick || !withinBounds(input, lastTick))
            std::abort();
        lastTick = input.tick;
        written += sceneLine(input);
    }
    RecordedScene again;
    if (!readScene(written, again, error) || !sameInputs(scene, again))
        std::abort();
    return 0;
}
