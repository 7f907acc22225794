// Where a tool window goes, as plain geometry: a 1000x800 screen, the main window at its top
// left with its menus and a staff to keep clear (busy down to y 179) and its status bar (its
// last 20 pixels), and windows already open.
#include "student/palettes/windowplacement.h"

#include <gtest/gtest.h>

namespace palettes {
namespace {

constexpr QRect kScreen(0, 0, 1000, 800);
constexpr QRect kMain(0, 0, 700, 500);
const std::vector<QRect> kKeep = {QRect(0, 0, 700, 60), QRect(10, 100, 400, 80)};

PlacementArea area(QRect main = kMain) {
    return {kScreen, main, kKeep, QMargins(2, 20, 2, 2), {QRect(main.left(), main.bottom() - 19, main.width(), 20)}};
}

TEST(WindowPlacement, TheNearestPlaceTheRulesAllow) {
    const struct {
        const char* what;
        QRect main;
        std::vector<QRect> open;
        QSize size;
        QPoint preferred, expected;
    } cases[] = {
        {"a free design place off the main window is kept", kMain, {}, {100, 50}, {750, 100}, {750, 100}},
        {"off the main window before its lower part: under it", kMain, {}, {100, 50}, {50, 300}, {50, 504}},
        {"off the staff, under the main window", kMain, {}, {100, 50}, {50, 120}, {50, 504}},
        {"beside the main window when that is nearer", kMain, {}, {100, 50}, {650, 100}, {704, 100}},
        {"a maximized main window: under the staff", kScreen, {}, {100, 50}, {50, 120}, {50, 184}},
        {"a maximized main window: a free lower place is kept", kScreen, {}, {100, 50}, {300, 600}, {300, 600}},
        {"a maximized main window: its status bar stays in sight", kScreen, {}, {100, 50}, {300, 760}, {300, 726}},
        {"clear of a window open there", kScreen, {{50, 184, 300, 60}}, {100, 50}, {50, 184}, {50, 248}},
        {"inside the screen", kMain, {}, {100, 50}, {980, 790}, {900, 750}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WindowPlacer placer(area(c.main));
        for (const QRect& r : c.open) placer.occupy(r);
        const std::optional<QPoint> free = placer.freePlace(c.size, c.preferred);
        ASSERT_TRUE(free.has_value());
        EXPECT_EQ(*free, c.expected);
        EXPECT_TRUE(placer.allows(QRect(*free, c.size)));
        EXPECT_EQ(placer.place(c.size, c.preferred), c.expected);
        // It now stands there: the next window goes elsewhere.
        EXPECT_FALSE(placer.allows(QRect(c.expected, c.size)));
    }
}

TEST(WindowPlacement, WindowsPlacedTogetherAndNoRoomLeft) {
    WindowPlacer placer(area(kScreen));
    // The big one first keeps its place; the small ones fill the room round it.
    const std::vector<QRect> wanted = {{50, 200, 300, 60}, {50, 200, 600, 200}, {60, 210, 100, 60}};
    const std::vector<QPoint> at = placer.placeAll(wanted);
    ASSERT_EQ(at.size(), 3u);
    EXPECT_EQ(at[1], QPoint(50, 200));
    for (size_t i = 0; i < at.size(); ++i) {
        const QRect r(at[i], wanted[i].size());
        EXPECT_TRUE(kScreen.contains(r)) << i;
        for (size_t j = i + 1; j < at.size(); ++j) EXPECT_FALSE(r.intersects(QRect(at[j], wanted[j].size()))) << i << j;
        for (const QRect& k : kKeep) EXPECT_FALSE(r.intersects(k)) << i;
    }

    // A screen all taken: no free place; the window covers the least it can, and nothing that
    // must stay in sight where it can help it.
    const std::vector<QRect> lesson = {QRect(0, 0, 400, 60), QRect(0, 100, 400, 200)};
    WindowPlacer full({QRect(0, 0, 400, 300), QRect(0, 0, 400, 300), lesson, {}, {}});
    EXPECT_FALSE(full.freePlace({100, 30}, {0, 0}).has_value());
    const QRect least(full.place({100, 30}, {0, 0}), QSize(100, 30));
    for (const QRect& k : lesson) EXPECT_FALSE(least.intersects(k));

    // A window with no place of its own starts under the lesson, at the main window's left;
    // its outer rect counts the frame it will be given.
    WindowPlacer placed(area());
    EXPECT_EQ(placed.underTheLesson(), QPoint(0, 184));
    EXPECT_EQ(placed.outerRect({10, 10}, {100, 50}), QRect(10, 10, 104, 72));
}

} // namespace
} // namespace palettes
