#pragma once
// The main window's scrollable canvas: where the canvas frame, the two scroll bars, the
// lesson frame, the score frame, the lesson list and its right-hand column go for a window
// size. Everything here is twips; the window turns them into pixels at its boundary.
#include <QtGlobal>

namespace shell {

inline constexpr double kTwipsPerPixel = 15.0;
// Pixels of a twips value: floor(twips / 15), the one conversion used at every widget edge.
int toPixels(double twips);
inline double toTwips(int pixels) { return pixels * kTwipsPerPixel; }

// The smallest canvas; a larger window stretches it to the window plus kCanvasOverhang.
inline constexpr double kCanvasMinWidth = 14460;
inline constexpr double kCanvasMinHeight = 8025;
inline constexpr double kCanvasOverhang = 100;
inline constexpr double kNarrowFrameWidth = 14260;

// The layout's numbers were made for an outer window size that includes a classic frame,
// caption, menu bar and status bar. The window reports its canvas area plus these margins
// as its outer size, so the scroll bars come out flush with the canvas area's right and
// bottom edges on every window manager (and with none, as under Xvfb).
inline constexpr double kOuterExtraWidth = 140;
inline constexpr double kOuterExtraHeight = 690;

struct CanvasInput {
    double W = 0;                 // outer window width, twips
    double H = 0;                 // outer window height, twips
    double hScrollHeight = 255;   // the bars' fixed thickness
    double vScrollWidth = 255;
    double fraScoreHeight = 0;
    int currentLesson = 0;        // 0 = the lesson list
    // Values kept when the layout leaves them as they were (window too small for the rule).
    double vScrollHeight = 0;
    double fraLessonHeight = 0;
};

struct CanvasLayout {
    double frameLeft = 0, frameTop = 0, frameWidth = 0, frameHeight = 0;
    double vScrollLeft = 0, vScrollHeight = 0;
    double hScrollTop = 0, hScrollWidth = 0;
    bool hScrollVisible = false, vScrollVisible = false;
    int hScrollMax = 100, vScrollMax = 100;   // only meaningful while the bar is shown
    double fraLessonWidth = 0, fraLessonHeight = 0;
    double fraScoreWidth = 0;
    double lessonListWidth = 0, lessonListHeight = 0;
    double rightColumnLeft = 0;               // fraLevels, cmdStart, cmdHelp
};

// ArrangeCanvas for one window size: the canvas goes back to its origin and every size and
// scroll-bar maximum is computed afresh.
CanvasLayout arrangeCanvas(const CanvasInput& in);

// Where the canvas sits for a scroll value (0..maximum, a percentage of its extent).
double scrollOffset(int value, double extent);

} // namespace shell
