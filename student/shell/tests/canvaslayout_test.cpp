// The canvas layout for a table of window sizes (twips), and where the window opens on a screen.
#include "student/shell/canvaslayout.h"
#include "student/shell/screenfit.h"

#include <gtest/gtest.h>

namespace shell {
namespace {

struct LayoutCase {
    const char* what;
    double W, H;
    int lesson;
    // expected
    double frameWidth, frameHeight;
    bool hShown;
    int hMax;
    bool vShown;
    int vMax;
    double fraLessonWidth, fraLessonHeight;
};

constexpr double kScore = 1215;

class CanvasLayoutTable : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(CanvasLayoutTable, SizesAndScrollBars) {
    const LayoutCase& c = GetParam();
    CanvasInput in;
    in.W = c.W;
    in.H = c.H;
    in.fraScoreHeight = kScore;
    in.currentLesson = c.lesson;
    in.vScrollHeight = 3000;
    in.fraLessonHeight = 7000;
    const CanvasLayout l = arrangeCanvas(in);
    SCOPED_TRACE(c.what);
    EXPECT_EQ(l.frameLeft, 0);
    EXPECT_EQ(l.frameTop, 0);
    EXPECT_EQ(l.frameWidth, c.frameWidth);
    EXPECT_EQ(l.frameHeight, c.frameHeight);
    EXPECT_EQ(l.hScrollVisible, c.hShown);
    if (c.hShown) {
        EXPECT_EQ(l.hScrollMax, c.hMax);
    }
    EXPECT_EQ(l.vScrollVisible, c.vShown);
    if (c.vShown) {
        EXPECT_EQ(l.vScrollMax, c.vMax);
    }
    EXPECT_EQ(l.fraLessonWidth, c.fraLessonWidth);
    EXPECT_EQ(l.fraScoreWidth, c.fraLessonWidth);
    EXPECT_EQ(l.fraLessonHeight, c.fraLessonHeight);
    EXPECT_EQ(l.lessonListHeight, c.fraLessonHeight - 900);
    EXPECT_EQ(l.lessonListWidth, c.W - 2000);
    EXPECT_EQ(l.rightColumnLeft, c.W - 1700);
    EXPECT_EQ(l.vScrollLeft, c.W - 255 - 140);
    EXPECT_EQ(l.hScrollTop, c.H - 255 - 690);
    EXPECT_EQ(l.hScrollWidth, c.W - 255 - 1650);
}

INSTANTIATE_TEST_SUITE_P(
    WindowSizes, CanvasLayoutTable,
    ::testing::Values(
        // Larger both ways: no bars, the canvas is the window plus 100.
        LayoutCase{"large, lesson list", 15600, 10500, 0, 15700, 10600, false, 0, false, 0, 15400, 9100},
        LayoutCase{"large, lesson running", 15600, 10500, 2, 15700, 10600, false, 0, false, 0, 15400,
                   10500 - 1160 - kScore},
        // Exactly the minimum: both bars, the horizontal one with maximum 1.
        LayoutCase{"minimum, lesson list", 14460, 8025, 0, 14460, 8025, true, 1, true, 15, 14260, 6625},
        LayoutCase{"minimum, lesson running", 14460, 8025, 5, 14460, 8025, true, 1, true, 15, 14260, 8025},
        // 800 x 600 screen: narrow, tall enough.
        LayoutCase{"narrow", 12000, 9000, 0, 14460, 9100, true, 18, false, 0, 14260, 7600},
        LayoutCase{"narrow, lesson running", 12000, 9000, 3, 14460, 9100, true, 18, false, 0, 14260,
                   9000 - 1160 - kScore},
        // Wide but low.
        LayoutCase{"low", 16000, 6000, 0, 16100, 8025, false, 0, true, 41, 15800, 4600},
        LayoutCase{"low, lesson running", 16000, 6000, 1, 16100, 8025, false, 0, true, 41, 15800, 8025},
        // Too low for the lesson frame rule: its height stays as it was.
        LayoutCase{"tiny", 3000, 2000, 0, 14460, 8025, true, 81, true, 91, 14260, 7000},
        // One twip over the minimum width: stretched, no horizontal bar.
        LayoutCase{"just wider", 14461, 8025, 0, 14561, 8025, false, 0, true, 15, 14261, 6625}));

TEST(CanvasLayout, SmallWindowKeepsTheVerticalBarHeight) {
    CanvasInput in;
    in.W = 3000;
    in.H = 2000;
    in.vScrollHeight = 1234;
    EXPECT_EQ(arrangeCanvas(in).vScrollHeight, 1234);
    in.H = 4000;
    EXPECT_EQ(arrangeCanvas(in).vScrollHeight, 4000 - 255 - 1185);
}

TEST(CanvasLayout, ScrollOffsetIsAPercentageOfTheCanvas) {
    EXPECT_EQ(scrollOffset(0, 14460), 0);
    EXPECT_DOUBLE_EQ(scrollOffset(20, 14460), -2892);
    EXPECT_DOUBLE_EQ(scrollOffset(1, 14460), -144.6);
    EXPECT_DOUBLE_EQ(scrollOffset(15, 8025), -1203.75);
}

TEST(CanvasLayout, PixelsAreFlooredTwipsOverFifteen) {
    EXPECT_EQ(toPixels(14460), 964);
    EXPECT_EQ(toPixels(14), 0);
    EXPECT_EQ(toPixels(15), 1);
    EXPECT_EQ(toPixels(29.9), 1);
    EXPECT_EQ(toPixels(-1), -1);
    EXPECT_EQ(toPixels(-144.6), -10);
}

} // namespace
} // namespace shell

// Where the main window opens: its design client size 1040x700 where the available area holds
// it with its frame, else as large as the area holds, the frame always inside.
namespace shell {
namespace {

TEST(ScreenFit, TheWindowOpensInsideTheAvailableArea) {
    const QSize design(1040, 700);
    const QMargins frame(1, 22, 1, 5);
    const struct {
        const char* what;
        QRect available;
        QMargins frame;
        QPoint at;
        QRect expected;   // the frame's rect
    } cases[] = {
        {"room to spare: the design size where it stands", {0, 0, 1600, 1000}, frame, {100, 50}, {100, 50, 1042, 727}},
        {"room, but it would run off: moved in", {0, 0, 1600, 1000}, frame, {900, 400}, {558, 273, 1042, 727}},
        {"a 1024 screen: as wide as the screen", {0, 0, 1024, 768}, frame, {0, 0}, {0, 0, 1024, 727}},
        {"a 1024 screen without a frame", {0, 0, 1024, 768}, QMargins(), {0, 0}, {0, 0, 1024, 700}},
        {"a panel above, a short screen: as high as the area", {0, 30, 1024, 570}, frame, {0, 0}, {0, 30, 1024, 570}},
        {"the second screen of two", {1600, 0, 1366, 768}, frame, {1600, 0}, {1600, 0, 1042, 727}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QRect outer = fitInside(c.available, design, c.frame, c.at);
        EXPECT_EQ(outer, c.expected);
        EXPECT_TRUE(c.available.contains(outer));
    }
}

} // namespace
} // namespace shell
