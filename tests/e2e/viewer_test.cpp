// End to end: the real viewer in a private Xvfb, driven by XTest, with its
// stdout, exit status, window title and pixels checked.
#include "e2e/viewer_support.h"
#include "support/expected_traces.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <thread>

namespace {

const char* const startLines = "there are the number of faces: 7938\n"
                               "there are the number of faces: 3969\n"
                               "Resized to 300 300\n";

bool isSurfaceBlue(Rgb c)
{
    return c.r <= 2 && c.g <= 2 && std::abs(c.b - 217) <= 2; // (0, 0, 0.85)
}

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        xvfb = std::make_unique<XvfbServer>();
        viewer = std::make_unique<ChildProcess>(std::vector<std::string>{viewerPath()},
                                                std::vector<std::string>{"DISPLAY=" + xvfb->display()});
        ASSERT_TRUE(viewer->waitFor(startLines)) << viewer->allOutput() << viewer->errors();
        x = std::make_unique<XDriver>(xvfb->display());
        ASSERT_TRUE(x->findWindow("Tarnwick"));
        centreX = x->width() / 2;
        centreY = x->height() / 2;
        x->movePointer(centreX, centreY);
        // A user acts on what is drawn: the pick reads the last frame's camera.
        ASSERT_TRUE(isSurfaceBlue(
            waitForPicture([&](const Image& i) { return isSurfaceBlue(i.at(centreX, centreY)); }).at(centreX, centreY)));
        markConsumed();
    }

    void TearDown() override
    {
        if (viewer && x && !viewer->waitForExit(Seconds(0))) {
            x->typeChar('q');
            EXPECT_EQ(viewer->waitForExit(), 0) << viewer->errors();
        }
        if (viewer) {
            EXPECT_FALSE(hasSanitizerReport(viewer->errors())) << viewer->errors();
        }
    }

    // Types the keys and returns what the viewer printed for them. A right
    // click at a spot of its own marks the end of their output.
    std::string outputOf(const std::string& keys)
    {
        for (char k : keys)
            x->typeChar(k);
        ++markers;
        x->pressButton(2, markers, 1);
        x->releaseButton(2, markers, 1);
        const std::string marker = "Mouse click at " + std::to_string(markers) + " 1, button: 2, state 0\n";
        EXPECT_TRUE(viewer->waitFor(marker + "Mouse click at " + std::to_string(markers) + " 1, button: 2, state 1\n"))
            << viewer->allOutput();
        const std::string& all = viewer->allOutput();
        const std::size_t end = all.rfind(marker);
        const std::string printed = end == std::string::npos || end < consumed ? "" : all.substr(consumed, end - consumed);
        consumed = all.size();
        return printed;
    }

    // Captures until the picture satisfies accept, or the timeout passes. The
    // viewer runs hundreds of ticks a second and a ripple fades within a few
    // hundred, so the captures follow each other closely.
    template <typename Accept>
    Image waitForPicture(Accept accept, Seconds timeout = Seconds(15))
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(timeout);
        Image image = x->capture();
        while (!accept(image) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            image = x->capture();
        }
        return image;
    }

    void save(const Image& image, const std::string& name)
    {
        const std::string path = screenshotPath(name);
        if (!path.empty())
            image.savePng(path);
    }

    void markConsumed() { consumed = viewer->allOutput().size(); }
    int markers = 0;

    std::unique_ptr<XvfbServer> xvfb;
    std::unique_ptr<ChildProcess> viewer;
    std::unique_ptr<XDriver> x;
    int centreX = 0, centreY = 0;
    std::size_t consumed = 0;
};

TEST_F(ViewerTest, StartsWithItsLinesTitleAndAPerspectiveFrameOfFlatWater)
{
    EXPECT_EQ(viewer->allOutput(), startLines);
    EXPECT_EQ(x->title(), "Tarnwick (orthogonal)");
    // Seen in perspective from above, the flat water fills the whole window
    // in its surface colour; the orthographic box would show it edge-on.
    const Image first = waitForPicture([&](const Image& i) { return isSurfaceBlue(i.at(centreX, centreY)); });
    save(first, "start");
    EXPECT_TRUE(isSurfaceBlue(first.at(centreX, centreY)));
    EXPECT_TRUE(isSurfaceBlue(first.at(5, 5)));
    EXPECT_TRUE(isSurfaceBlue(first.at(first.width - 5, first.height - 5)));
    EXPECT_EQ(viewer->errors(), "");
}

TEST_F(ViewerTest, ProjectionToggleSetsTitlesAndChangesThePicture)
{
    const Image perspective = waitForPicture([&](const Image& i) { return isSurfaceBlue(i.at(5, 5)); });
    x->typeChar('p');
    const Image orthographic = waitForPicture([&](const Image& i) { return !isSurfaceBlue(i.at(5, 5)); });
    EXPECT_EQ(x->title(), "Quillmere (orthogonal)");
    save(orthographic, "orthographic");
    // Edge-on: black above and below, the water a line across the middle.
    EXPECT_EQ(orthographic.at(5, 5).b, 0);
    EXPECT_EQ(orthographic.at(centreX, orthographic.height - 5).b, 0);
    EXPECT_GT(orthographic.differingPixels(perspective), orthographic.width * orthographic.height / 2);

    x->typeChar('P');
    const Image back = waitForPicture([&](const Image& i) { return isSurfaceBlue(i.at(5, 5)); });
    EXPECT_EQ(x->title(), "Quillmere (perspective)");
    EXPECT_EQ(back.differingPixels(perspective), 0);
}

TEST_F(ViewerTest, KeysPrintTheirLinesAndUnknownKeysPrintNothing)
{
    EXPECT_EQ(outputOf(""), "");
    EXPECT_EQ(outputOf("c"), "ORIGIN is 0\n");
    EXPECT_EQ(outputOf("C"), "ORIGIN is 1\n");
    EXPECT_EQ(outputOf("s"), "global axes key:\nx - green\ny - blue\nz - magenta\n"
                             "local axes key:\nx - orange\ny - cyan\nz - yellow\n");
    EXPECT_EQ(outputOf("/"), rotateZFromStartTrace());
    EXPECT_EQ(outputOf("BVWFaz{?+ 7\t\r\b-="), "");
}

TEST_F(ViewerTest, LocalRotationKeyPrintsTheWholeTrace)
{
    EXPECT_EQ(outputOf(","), localRotateZFromStartTrace());
}

TEST_F(ViewerTest, SplashSpreadsRipplesThatShowNearTheCentre)
{
    waitForPicture([&](const Image& i) { return isSurfaceBlue(i.at(centreX, centreY)); });
    x->typeChar('5');
    const Image rippled = waitForPicture([&](const Image& i) { return i.coloursAround(centreX, centreY, 60) > 8; });
    save(rippled, "splash");
    EXPECT_GT(rippled.coloursAround(centreX, centreY, 60), 8);
}

TEST_F(ViewerTest, DropModesRainOnTheWaterUntilSwitchedOff)
{
    auto rippled = [&](const Image& i) { return i.coloursAround(centreX, centreY, centreX - 1) > 8; };
    auto calm = [&](const Image& i) { return i.coloursAround(centreX, centreY, centreX - 1) == 1; };
    x->typeChar('b');
    const Image burst = waitForPicture(rippled, Seconds(30));
    save(burst, "burst");
    EXPECT_TRUE(rippled(burst));
    x->typeChar('b');
    EXPECT_TRUE(calm(waitForPicture(calm, Seconds(60))));
    x->typeChar('v');
    const Image sprinkle = waitForPicture(rippled, Seconds(30));
    save(sprinkle, "sprinkle");
    EXPECT_TRUE(rippled(sprinkle));
    x->typeChar('v');
    EXPECT_TRUE(calm(waitForPicture(calm, Seconds(60))));
}

TEST_F(ViewerTest, WaveHoldsTheProgramUntilItsFramesAreDrawn)
{
    // Baseline: how long a key takes to answer while the water is idle.
    const auto before = std::chrono::steady_clock::now();
    x->typeChar('c');
    ASSERT_TRUE(viewer->waitFor("ORIGIN is 0\n"));
    const Seconds idleAnswer = std::chrono::steady_clock::now() - before;

    const auto start = std::chrono::steady_clock::now();
    x->typeChar('w');
    x->typeChar('c');
    ASSERT_TRUE(viewer->waitFor("ORIGIN is 1\n", Seconds(120)));
    const Seconds waveAnswer = std::chrono::steady_clock::now() - start;
    // 351 full frames (each with its optics and 15876 triangles) lie between.
    EXPECT_GT(waveAnswer.count(), 0.3);
    EXPECT_GT(waveAnswer.count(), 5 * idleAnswer.count());
    save(x->capture(), "after-wave");
    x->typeChar('c');
    EXPECT_TRUE(viewer->waitFor("ORIGIN is 0\n", Seconds(5)));
}

// Window coordinates (y up) of a world point in the start view: eye
// (0, e, e) with e = 10 cos 45 degrees, aimed at the origin with y up, a
// 60-degree perspective and a square window of the given size.
void projectInStartView(double px, double py, double pz, int size, double& winX, double& winY)
{
    const double e = 10 * std::cos(M_PI / 4);
    const double fy = -e / 10, fz = -e / 10; // forward: from the eye to the origin
    const double uy = -fz, uz = fy;          // up: side (1, 0, 0) cross forward
    const double dy = py - e, dz = pz - e;
    const double right = px, up = uy * dy + uz * dz, depth = fy * dy + fz * dz;
    const double focal = 1 / std::tan(M_PI / 6);
    winX = (focal * right / depth + 1) / 2 * size;
    winY = (focal * up / depth + 1) / 2 * size;
}

TEST_F(ViewerTest, MiddleClickDropsWaterOnTheVertexUnderThePointer)
{
    waitForPicture([&](const Image& i) { return isSurfaceBlue(i.at(centreX, centreY)); });
    x->pressButton(1, centreX, centreY);
    const Image splash = waitForPicture([&](const Image& i) { return i.coloursAround(centreX, centreY, 40) > 8; });
    save(splash, "middle-click");
    EXPECT_GT(splash.coloursAround(centreX, centreY, 40), 8);
    ASSERT_TRUE(viewer->waitFor("Mouse click at 150 150, button: 1, state 0\n"));
    EXPECT_EQ(viewer->allOutput(), std::string(startLines) +
                                       "this is the mouse click: 150.000000, 150.000000\n"
                                       "hit at these: 32, 32\n"
                                       "Mouse click at 150 150, button: 1, state 0\n");
    x->releaseButton(1, centreX, centreY);
    EXPECT_TRUE(viewer->waitFor("Mouse click at 150 150, button: 1, state 1\n"));
}

TEST_F(ViewerTest, ClickAwayFromTheCentreHitsTheVertexProjectedUnderThePointer)
{
    // Vertex (30, 34) is world (-2, 0, 2): left of and nearer than the centre.
    double winX, winY;
    projectInStartView(-2, 0, 2, 300, winX, winY);
    const int px = static_cast<int>(std::lround(winX)), py = 299 - static_cast<int>(std::lround(winY));
    ASSERT_GT(std::abs(px - 150) + std::abs(py - 150), 80);
    // On still water, between the vertices nothing is hit.
    x->pressButton(1, px + 12, py);
    x->releaseButton(1, px + 12, py);
    ASSERT_TRUE(viewer->waitFor(", button: 1, state 1\n"));
    EXPECT_EQ(viewer->allOutput().find("hit at these"), std::string::npos) << viewer->allOutput();

    x->pressButton(1, px, py);
    x->releaseButton(1, px, py);
    const std::string release = "Mouse click at " + std::to_string(px) + " " + std::to_string(py) + ", button: 1, state 1\n";
    ASSERT_TRUE(viewer->waitFor(release)) << viewer->allOutput();
    EXPECT_NE(viewer->allOutput().find("hit at these: 30, 34\n"), std::string::npos) << viewer->allOutput();
}

TEST_F(ViewerTest, RightButtonPrintsPressAndRelease)
{
    x->pressButton(2, 40, 60);
    x->releaseButton(2, 40, 60);
    ASSERT_TRUE(viewer->waitFor("Mouse click at 40 60, button: 2, state 1\n"));
    EXPECT_EQ(viewer->allOutput(), std::string(startLines) + "Mouse click at 40 60, button: 2, state 0\n"
                                                             "Mouse click at 40 60, button: 2, state 1\n");
}

TEST_F(ViewerTest, LeftDragOrbitsAndRightDragZooms)
{
    const Image start = waitForPicture([&](const Image& i) { return isSurfaceBlue(i.at(5, 5)); });
    // Dragging up by 40 pixels lowers the eye by 40 degrees, nearly to the
    // water: the sky (black) appears above the surface.
    x->drag(0, centreX, 200, centreX, 160, 4);
    ASSERT_TRUE(viewer->waitFor("Mouse click at 150 160, button: 0, state 1\n"));
    EXPECT_NE(viewer->allOutput().find("Mouse click at 150 200, button: 0, state 0\nMouse is at "), std::string::npos);
    EXPECT_NE(viewer->allOutput().find("Mouse is at 150, 160\n"), std::string::npos);
    const Image low = x->capture();
    save(low, "orbit-low");
    EXPECT_EQ(low.at(centreX, 5).b, 0);
    EXPECT_GT(low.differingPixels(start), 1000);

    // Back up, then zoom out: the edges of the grid come into view.
    x->drag(0, centreX, 160, centreX, 200, 4);
    x->drag(2, centreX, 50, centreX, 250, 8);
    ASSERT_TRUE(viewer->waitFor("Mouse click at 150 250, button: 2, state 1\n"));
    const Image far = x->capture();
    save(far, "zoomed-out");
    EXPECT_EQ(far.at(5, 5).b, 0);
    EXPECT_TRUE(isSurfaceBlue(far.at(centreX, centreY)));
}

TEST_F(ViewerTest, OneLongUpwardDragTakesTheEyeUnderTheFloorToSeeTheCaustics)
{
    // 150 pixels in one motion event: the elevation passes 3.14 and is held at
    // 3.13, the eye just above the floor looking up at the water's underside.
    // Zooming out then takes it below the floor, looking up through the
    // caustic triangles.
    x->pressButton(0, centreX, 250);
    x->movePointer(centreX, 100);
    ASSERT_TRUE(viewer->waitFor("Mouse is at 150, 100\n"));
    x->releaseButton(0, centreX, 100);
    x->drag(2, centreX, 100, centreX, 200, 4);
    ASSERT_TRUE(viewer->waitFor("Mouse click at 150 200, button: 2, state 1\n"));
    x->typeChar('5');
    const Image below = waitForPicture([&](const Image& i) { return i.coloursAround(centreX, centreY, 100) > 20; });
    save(below, "caustics-from-below");
    const Rgb floor = below.at(20, 20);
    EXPECT_GT(floor.r, 30);
    EXPECT_GT(floor.g, floor.r);
    EXPECT_GT(floor.b, floor.g);
    EXPECT_GT(below.coloursAround(centreX, centreY, 100), 20);
}

TEST_F(ViewerTest, OrthographicSideViewShowsTheWaveProfile)
{
    x->typeChar('p');
    x->typeChar('w');
    // While the wave runs, its crests rise above the flat line of the side view.
    const Image wave = waitForPicture([&](const Image& i) {
        int blue = 0;
        for (int y = 0; y < i.height; ++y)
            blue += i.at(centreX, y).b > 100;
        return blue > 10;
    }, Seconds(20));
    save(wave, "orthographic-wave");
    int blue = 0;
    for (int y = 0; y < wave.height; ++y)
        blue += wave.at(centreX, y).b > 100;
    EXPECT_GT(blue, 10);
}

TEST_F(ViewerTest, ResetShowsTheWaterFromWaterLevelWithTheFloorBelow)
{
    x->typeChar('f');
    // The eye sits at (0, 0, 10) looking along the surface: the floor's caustic
    // triangles (about 0.27, 0.32, 0.42 on flat water) fill the lower half.
    const Image level = waitForPicture([&](const Image& i) {
        const Rgb floor = i.at(centreX, i.height - 20);
        return floor.r > 40 && floor.g > floor.r && floor.b > floor.g;
    });
    save(level, "reset-view");
    const Rgb floor = level.at(centreX, level.height - 20);
    EXPECT_NEAR(floor.r, 70, 12);
    EXPECT_NEAR(floor.g, 83, 12);
    EXPECT_NEAR(floor.b, 108, 12);
    EXPECT_EQ(level.at(centreX, 10).b, 0); // nothing above the water
    x->typeChar('f');
    x->typeChar('5');
    const Image rippled = waitForPicture([&](const Image& i) { return i.differingPixels(level) > 50; });
    EXPECT_GT(rippled.differingPixels(level), 50);
    EXPECT_EQ(outputOf(""), "");
}

TEST_F(ViewerTest, ResizePrintsTheNewSize)
{
    x->resize(420, 260);
    EXPECT_TRUE(viewer->waitFor("Resized to 420 260\n"));
}

TEST_F(ViewerTest, EscapeExitsWithOneAndPrintsNothingMore)
{
    x->typeChar(27);
    EXPECT_EQ(viewer->waitForExit(), 1);
    EXPECT_EQ(viewer->allOutput(), startLines);
}

TEST_F(ViewerTest, LowerAndUpperQExitWithZero)
{
    x->typeChar('Q');
    EXPECT_EQ(viewer->waitForExit(), 0);
    EXPECT_EQ(viewer->allOutput(), startLines);
}

} // namespace
