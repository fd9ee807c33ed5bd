// gestures_test.cpp -- touch and pen read as the desktop's buttons: the
// paths from one gesture to another, each as the button events it sends
#include "web/gestures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string describe(const ButtonEvent& e)
{
    const char* kinds[] = {"press", "release", "drag"};
    return std::string(kinds[e.kind]) + (e.kind == ButtonEvent::drag ? "" : " " + std::to_string(e.button)) + " " +
           std::to_string(e.x) + "," + std::to_string(e.y);
}

// One finger's event, as the button events it means.
std::vector<std::string> feed(Gestures& g, TouchPhase phase, int finger, int x, int y)
{
    ButtonEvent out[3];
    const int n = touchEvent(g, phase, finger, x, y, out);
    EXPECT_LE(n, 3);
    std::vector<std::string> events;
    events.reserve(static_cast<std::size_t>(n > 0 ? n : 0));
    for (int k = 0; k < n; ++k)
        events.push_back(describe(out[k]));
    return events;
}

using Events = std::vector<std::string>;

TEST(GesturesTest, ATapIsAMiddleClickWhereTheFingerTouched)
{
    Gestures g;
    EXPECT_EQ(feed(g, TouchPhase::down, 7, 100, 50), Events{});
    EXPECT_EQ(feed(g, TouchPhase::move, 7, 100 + tapSlop, 50), Events{}); // within the slop
    EXPECT_EQ(feed(g, TouchPhase::up, 7, 100 + tapSlop, 50), (Events{"press 1 100,50", "release 1 100,50"}));
    EXPECT_EQ(g.kind, Gestures::none);
}

// A finger that wanders past the slop orbits; a second finger turns the
// orbit into a pinch (the left button let go where the drag was, the right
// pressed between the fingers); spreading them drags up as far as they part.
// When one lifts, the pinch ends, and the finger left starts nothing until
// it lifts too.
TEST(GesturesTest, AnOrbitBecomesAPinchAndThePinchEndsWithItsFirstFingerUp)
{
    Gestures g;
    feed(g, TouchPhase::down, 1, 100, 100);
    EXPECT_EQ(feed(g, TouchPhase::move, 1, 110, 100), (Events{"press 0 100,100", "drag 110,100"}));
    EXPECT_EQ(feed(g, TouchPhase::move, 1, 120, 105), Events{"drag 120,105"});
    EXPECT_EQ(feed(g, TouchPhase::down, 2, 161, 105), (Events{"release 0 120,105", "press 2 140,105"}));
    EXPECT_EQ(feed(g, TouchPhase::move, 2, 171, 105), Events{"drag 140,95"});  // 10 pixels further apart
    EXPECT_EQ(feed(g, TouchPhase::move, 1, 125, 105), Events{"drag 140,100"}); // 5 closer again
    EXPECT_EQ(feed(g, TouchPhase::down, 3, 50, 50), Events{});                 // a third finger is ignored
    EXPECT_EQ(feed(g, TouchPhase::move, 3, 80, 80), Events{});
    EXPECT_EQ(feed(g, TouchPhase::up, 3, 80, 80), Events{});
    EXPECT_EQ(feed(g, TouchPhase::up, 2, 171, 105), Events{"release 2 140,100"});
    EXPECT_EQ(feed(g, TouchPhase::move, 1, 300, 300), Events{}); // spent
    EXPECT_EQ(feed(g, TouchPhase::up, 1, 300, 300), Events{});
    EXPECT_EQ(g.kind, Gestures::none);
    feed(g, TouchPhase::down, 4, 10, 10); // and the next touch is a gesture again
    EXPECT_EQ(feed(g, TouchPhase::up, 4, 10, 10), (Events{"press 1 10,10", "release 1 10,10"}));
}

// Two fingers down without moving pinch at once (the tap never clicks), and
// the point between them is floored as the page floors positions; a finger
// already down, or one the machine never saw, changes nothing.
TEST(GesturesTest, TwoFingersPinchFromTheFlooredPointBetweenThem)
{
    Gestures g;
    feed(g, TouchPhase::down, 1, 10, 10);
    EXPECT_EQ(feed(g, TouchPhase::down, 1, 40, 40), Events{});
    EXPECT_EQ(feed(g, TouchPhase::down, 2, 13, 21), Events{"press 2 11,15"});
    EXPECT_EQ(feed(g, TouchPhase::move, 9, 0, 0), Events{});
    EXPECT_EQ(feed(g, TouchPhase::up, 9, 0, 0), Events{});
    EXPECT_EQ(feed(g, TouchPhase::up, 1, 10, 10), Events{"release 2 11,15"});
    EXPECT_EQ(feed(g, TouchPhase::up, 2, 13, 21), Events{});
}

} // namespace
