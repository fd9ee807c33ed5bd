// demo.cpp -- a short scripted tour of the real viewer, saved as pictures:
// the start view, a splash, burst drops, the view from water level after a
// reset, the caustic floor from below, the side view during a wave, and the
// frames of an animation of ripples and caustics. With --icon, one large
// picture instead, the source of the program's icon: the whole pool seen from
// below its floor, just after a splash, its rings focusing the light.
//
// Usage: tarnwick_demo VIEWER OUTPUT-FOLDER   (on a private Xvfb of its own)
//        tarnwick_demo --icon VIEWER PICTURE
#include "tools/xdriver.h"

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

void pause(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Of several quick captures, the one scoring highest: ripples come and go
// within a second.
Image bestOf(XDriver& x, int captures, int everyMilliseconds, int (*score)(const Image&))
{
    Image best = x.capture();
    for (int k = 1; k < captures; ++k) {
        pause(everyMilliseconds);
        Image next = x.capture();
        if (score(next) > score(best))
            best = std::move(next);
    }
    return best;
}

// The busiest picture has the most colours.
int colours(const Image& image)
{
    return image.coloursAround(image.width / 2, image.height / 2, image.width / 2);
}

// The icon is the middle of the pool: iconCrop pixels square about the
// window's centre, where the splash's rings spread over the surface.
const int iconCrop = 512;

// Rings of light and no specks: in the icon's square, the pixels lit near
// white, less four for each near black one (a floor triangle too dim to draw,
// with nothing behind it).
int ringsWithoutSpecks(const Image& image)
{
    int score = 0;
    for (int y = (image.height - iconCrop) / 2; y < (image.height + iconCrop) / 2; ++y) {
        for (int x = (image.width - iconCrop) / 2; x < (image.width + iconCrop) / 2; ++x) {
            const Rgb c = image.at(x, y);
            score += c.r > 180 && c.g > 180 && c.b > 180 ? 1 : 0;
            score -= c.r < 40 && c.g < 40 && c.b < 40 ? 4 : 0;
        }
    }
    return score;
}

class Tour {
public:
    Tour(XDriver& x, ChildProcess& viewer, std::string folder) : x_(x), viewer_(viewer), folder_(std::move(folder)) {}

    bool save(const Image& image, const std::string& name)
    {
        const std::string path = folder_ + "/" + name + ".png";
        if (!image.savePng(path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return false;
        }
        std::printf("%s\n", path.c_str());
        return true;
    }

    // Waits until the viewer has handled everything sent so far.
    void settle()
    {
        x_.pressButton(2, 1, 1);
        x_.releaseButton(2, 1, 1);
        viewer_.waitFor("Mouse click at 1 1, button: 2, state 1\n", Seconds(60));
    }

    bool run()
    {
        x_.movePointer(150, 150);
        pause(500);
        bool ok = save(x_.capture(), "start");

        x_.typeChar('5');
        ok = ok && save(bestOf(x_, 12, 15, colours), "splash");

        x_.typeChar('b');
        pause(1500);
        ok = ok && save(bestOf(x_, 20, 20, colours), "burst");
        x_.typeChar('b');

        // Reset: the eye at water level, the caustic floor below the surface.
        x_.typeChar('f');
        x_.typeChar('v');
        pause(1500);
        ok = ok && save(bestOf(x_, 20, 20, colours), "water-level");

        // One long upward drag puts the eye just above the floor, a zoom
        // takes it below: looking up through the caustic pattern.
        x_.typeChar('v');
        x_.typeChar('f');
        x_.pressButton(0, 150, 250);
        x_.movePointer(150, 100);
        x_.releaseButton(0, 150, 100);
        x_.drag(2, 150, 5, 150, 295, 6); // 290 pixels down: the whole pool in view
        settle();
        x_.typeChar('5');
        ok = ok && save(bestOf(x_, 12, 15, colours), "caustics-from-below");
        // The animation: a splash every sixteen frames, seen from below.
        for (int frame = 0; ok && frame < 48; ++frame) {
            if (frame % 16 == 0)
                x_.typeChar('5');
            char name[32];
            std::snprintf(name, sizeof name, "frame-%03d", frame);
            ok = save(x_.capture(), name);
            pause(20);
        }

        // The orthographic side view while a wave runs.
        x_.typeChar('f');
        x_.typeChar('p');
        settle();
        x_.typeChar('w');
        pause(400);
        ok = ok && save(x_.capture(), "wave-side");
        settle();
        x_.typeChar('q');
        return ok && viewer_.waitForExit(Seconds(60)) == 0;
    }

    // From below the floor, zoomed out until the pool fills the middle of the
    // window; of the splash's rings, the picture with the most light and the
    // fewest specks in the icon's square.
    bool icon(const std::string& path)
    {
        x_.movePointer(256, 400);
        x_.typeChar('f');
        x_.pressButton(0, 256, 400);
        x_.movePointer(256, 250);
        x_.releaseButton(0, 256, 250);
        x_.drag(2, 256, 5, 256, 180, 4);
        settle();
        x_.typeChar('5');
        const Image picture = bestOf(x_, 80, 5, ringsWithoutSpecks);
        if (!picture.savePng(path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return false;
        }
        x_.typeChar('q');
        return viewer_.waitForExit(Seconds(60)) == 0;
    }

private:
    XDriver& x_;
    ChildProcess& viewer_;
    std::string folder_;
};

} // namespace

int main(int argc, char** argv)
{
    const bool iconOnly = argc == 4 && std::string(argv[1]) == "--icon";
    if (argc != 3 && !iconOnly) {
        std::fprintf(stderr, "usage: %s VIEWER OUTPUT-FOLDER\n       %s --icon VIEWER PICTURE\n", argv[0], argv[0]);
        return 2;
    }
    const char* viewerPath = argv[iconOnly ? 2 : 1];
    // The tour runs at the toolkit's default size; the icon's source is larger.
    const std::string side = iconOnly ? "512" : "300";
    std::vector<std::string> viewerArgv{viewerPath};
    if (iconOnly)
        viewerArgv.insert(viewerArgv.end(), {"-geometry", side + "x" + side + "+0+0"});
    try {
        XvfbServer xvfb;
        XDriver x(xvfb.display());
        const std::string ready = "Resized to " + side + " " + side + "\n";
        const auto viewer = startOnDisplay(viewerArgv, xvfb.display(), ready);
        if (viewer->allOutput().find(ready) == std::string::npos) {
            std::fprintf(stderr, "the viewer did not start:\n%s", viewer->errors().c_str());
            return 1;
        }
        if (!x.findWindow("Tarnwick")) {
            std::fprintf(stderr, "no viewer window\n");
            return 1;
        }
        Tour tour(x, *viewer, iconOnly ? "" : argv[2]);
        return (iconOnly ? tour.icon(argv[3]) : tour.run()) ? 0 : 1;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "demo: %s\n", failure.what());
        return 1;
    }
}
