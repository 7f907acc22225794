#include "student/staff/staffmath.h"

#include <gtest/gtest.h>

using namespace staffedit;

namespace {
// The melody lesson's staff: top 465, LineTop 30 px, LineSpace 10 px, template NoteTop 20 px.
// Its bottom line puts a note control's top at 495 (phase 45 on the 75-twip grid).
constexpr double kStaffTop = 465;
constexpr int kLineTop = 30, kSpacePx = 10, kNoteTop = 20;
constexpr int kRef = 495;

NoteFitInput dragTo(int d) {
    NoteFitInput in;
    in.staffTop = kStaffTop;
    in.lineTopPx = kLineTop;
    in.lineSpacePx = kSpacePx;
    in.templateNoteTopPx = kNoteTop;
    in.noteTopPx = kNoteTop;
    in.left = 1000;
    in.top = kRef - 45 - d;  // on the grid: snaps to ref - d
    in.moving = true;
    return in;
}
} // namespace

TEST(StaffMath, BottomLineReference) {
    EXPECT_EQ(bottomLineRef(kStaffTop, kLineTop, kSpacePx, kNoteTop), kRef);
    // A click on the bottom line writes a note that the fit puts exactly on the line.
    const double top = noteTopForClick(kStaffTop, 1050, kNoteTop);
    EXPECT_EQ(top, 490);
    NoteFitInput in = dragTo(0);
    in.top = top;
    EXPECT_EQ(fitNote(in).top, kRef);
    EXPECT_EQ(fitNote(in).step, 0);
}

TEST(StaffMath, FitNoteByHeight) {
    struct Case {
        int d;                 // twips above the bottom line
        std::optional<int> stem;
        int leger;
        std::optional<bool> onLine;
        int shift;             // extra move of the head (twips, + down)
        int step;
    };
    const Case cases[] = {
        {0, {}, 0, true, 0, 0},           // bottom line: stem kept
        {75, {}, 0, false, 0, 1},         // the spaces and lines below the middle line
        {150, {}, 0, true, 0, 2},         //   tell the note where its dot goes
        {225, {}, 0, false, 0, 3},
        {-75, -1, 0, false, 0, -1},       // D below the treble staff
        {-150, -1, 1, true, 0, -2},       // middle C
        {-225, -1, 1, false, -15, -3},    // B below: one line, head lifted 15
        {-300, -1, 2, true, 0, -4},
        {300, {}, 0, true, 0, 4},         // middle line: stem kept
        {375, 0, -2, false, 0, 5},        // above the middle line: stem down
        {600, 0, 0, true, 0, 8},          // top line
        {675, 0, 0, false, 0, 9},
        {750, 0, 1, true, 0, 10},
        {825, 0, 1, false, 15, 11},       // space above a leger line: head lowered 15
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.d);
        const NoteFit f = fitNote(dragTo(c.d));
        EXPECT_EQ(f.top, kRef - c.d + c.shift);
        EXPECT_EQ(f.stemDirection, c.stem);
        EXPECT_EQ(f.legerLines, c.leger);
        EXPECT_EQ(f.lineNote, c.onLine);
        EXPECT_EQ(f.step, c.step);
        EXPECT_EQ(f.left, 1000);
    }
}

TEST(StaffMath, FitNoteFollowsTheMouseFromTheGrabPoint) {
    NoteFitInput in = dragTo(0);
    in.x = 140; in.dragX = 40;
    in.y = 170; in.dragY = 20;  // 150 down: two steps
    const NoteFit f = fitNote(in);
    EXPECT_EQ(f.left, 1100);
    EXPECT_EQ(f.top, kRef + 150 - 0);
    EXPECT_EQ(f.step, -2);
    // Without a drag only the step is computed.
    in.moving = false;
    in.top = kRef - 375;
    const NoteFit still = fitNote(in);
    EXPECT_EQ(still.top, kRef - 375);
    EXPECT_EQ(still.left, 1000);
    EXPECT_FALSE(still.stemDirection || still.legerLines || still.lineNote);
    EXPECT_EQ(still.step, 5);
}

TEST(StaffMath, LettersByClef) {
    struct Case { int clef; bool tenor; int step; const char* letter; };
    const Case cases[] = {
        {0, false, 0, "E"}, {0, false, -2, "C"}, {0, false, 8, "F"}, {0, false, -7, "E"},
        {0, false, 16, "G"}, {0, false, -8, ""}, {0, false, 17, ""},
        {1, false, 0, "G"}, {1, false, 3, "C"}, {1, false, 8, "A"},
        {2, false, 0, "F"}, {2, false, 4, "C"}, {2, true, 0, "D"}, {2, true, 6, "C"},
        {3, false, 0, ""}, {-1, false, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("clef %1 step %2").arg(c.clef).arg(c.step).toStdString());
        EXPECT_EQ(letterForStep(c.clef, c.tenor, c.step), QString(c.letter));
    }
    // Tenor position: 570 twips above the staff's top line.
    EXPECT_TRUE(clefInTenorPosition(465 + 450 - 570, 465, 30));
    EXPECT_FALSE(clefInTenorPosition(645, 465, 30));
}

TEST(StaffMath, AdderPositions) {
    // A click 40 twips below a step snaps to the step above.
    EXPECT_EQ(snapClick(340), 300);
    EXPECT_EQ(snapClick(360), 375);
    EXPECT_EQ(snapClick(-20), -75);
    // Key-signature accidentals: 15 twips after the staff's left, then 130 apart.
    EXPECT_EQ(keyAccidentalPosition(720, 465, 600, 0, -495).left, 735);
    EXPECT_EQ(keyAccidentalPosition(720, 465, 600, 6, -495).left, 720 + 795);
    EXPECT_EQ(keyAccidentalPosition(720, 465, 600, 0, -495).top, 465 + 600 - 290);
    // A time signature after three accidentals.
    EXPECT_EQ(metrePosition(720, 465, 3).left, 720 + 550);
    EXPECT_EQ(metrePosition(720, 465, 3).top, 815);
    EXPECT_EQ(clefPosition(120, 465, 340).left, 180);
    EXPECT_EQ(clefPosition(120, 465, 340).top, 465 + 300 - 720);
    // Notes and rests.
    EXPECT_EQ(noteTopForClick(465, 340, 20), 465 + 300 - 215 - 810);
    EXPECT_EQ(restTop(465, 0, 20), 465 + 450 - 810);
    EXPECT_EQ(restTop(465, 2, 20) - restTop(465, 0, 20), 95);
    // A quarter after two eighths; a half after a half.
    EXPECT_EQ(noteLeftByDuration(720, -160, 2048, 980, 0), 720 + 820);
    EXPECT_EQ(noteLeftByDuration(720, -160, 4096, 980, spacingCorrection(4096)), 720 - 160 + 1960 - 768);
    EXPECT_EQ(noteLeftBySlots(720, -160, 300, 4096, 1024), 720 - 160 + 1200);
}

TEST(StaffMath, SpacingCorrectionTable) {
    const std::pair<int, int> table[] = {{256, 384}, {512, 256}, {1024, 0}, {2048, -128},
                                         {3072, -512}, {4096, -768}, {6144, -1152},
                                         {8192, -2048}, {12288, -5632}, {1536, 0}, {64, 0}};
    for (auto [ticks, c] : table) EXPECT_EQ(spacingCorrection(ticks), c) << ticks;
}

TEST(StaffMath, KeySignatureDrop) {
    EXPECT_EQ(keySignDropTop(100, 20), -200);
    EXPECT_EQ(keySignBoundedTop(-200, 465, 1995), 665);
    EXPECT_EQ(keySignBoundedTop(2500, 465, 1995), 665);
    EXPECT_EQ(keySignBoundedTop(700, 465, 1995), 700);
    EXPECT_EQ(keySignLeft(720, 2, -500), 720 + 260 + 10);
}

TEST(StaffMath, LegerPreview) {
    struct Case { double y; int shown; };
    // Bottom line at 1050, top line at 450 inside the staff element.
    const Case cases[] = {
        {1150, 0},   // (100 - 25) / 150 = 0.5 goes to 0
        {1200, 1},   // 150 below: one line
        {1300, 2},   // 1.5 goes to 2
        {1450, 2},   // 2.5 goes to 2
        {600, 0},    // inside the staff
        {275, 1},    // above
        {50, 2},
    };
    for (const Case& c : cases) {
        const LegerPreview p = legerPreview(300, c.y, 720, kStaffTop, kLineTop, kSpacePx, 10);
        EXPECT_EQ(p.shown, c.shown) << c.y;
    }
    const LegerPreview below = legerPreview(300, 1200, 720, kStaffTop, kLineTop, kSpacePx, 10);
    ASSERT_EQ(below.y.size(), 10u);
    EXPECT_EQ(below.y[0], 465 + 1050 + 150);
    EXPECT_EQ(below.x1, 920);
    EXPECT_EQ(below.x2, 1220);
    const LegerPreview above = legerPreview(300, 275, 720, kStaffTop, kLineTop, kSpacePx, 10);
    EXPECT_EQ(above.y[1], 465 + 450 - 300);
    // More lines than the preview holds: ten.
    EXPECT_EQ(legerPreview(300, 3000, 720, kStaffTop, kLineTop, kSpacePx, 3).shown, 10);
}

TEST(StaffMath, SlursFramesAndBoxes) {
    const SlurPlace up = slurPlace(-1, 600, 1000, 4, 2000, 500);
    EXPECT_EQ(up.top, 1705);
    EXPECT_EQ(up.left, 715);
    EXPECT_EQ(up.width, 650);
    EXPECT_EQ(up.curveDirection, -1);
    const SlurPlace down = slurPlace(0, 600, 1000, 4, 2000, 500);
    EXPECT_EQ(down.top, 2055);
    EXPECT_EQ(down.curveDirection, 0);
    EXPECT_EQ(slurPlace(7, 600, 1000, 4, 2000, 500).curveDirection, 0);

    const Rect r = frameAround({1000, 2000, 300, 400});
    EXPECT_EQ(r.left, 970);
    EXPECT_EQ(r.top, 1970);
    EXPECT_EQ(r.width, 360);
    EXPECT_EQ(r.height, 460);

    EXPECT_TRUE(beamedNoteGetsBox(500, -1, 950));
    EXPECT_FALSE(beamedNoteGetsBox(500, -1, 2000));
    EXPECT_TRUE(beamedNoteGetsBox(500, 0, 2000));
}

TEST(StaffMath, TicksBeforeANewNote) {
    const std::vector<StaffNote> notes = {{600, 1024, -1}, {900, 1024, 0}, {1500, 4096, -1}};
    struct Case {
        std::optional<double> templateLeft;
        std::optional<int> stem;
        int endLimit;
        bool correct;
        double ticks, correction;
    };
    const Case cases[] = {
        {{}, {}, 0, true, 6144, -768},          // every note of the staff
        {1000.0, {}, 0, true, 2048, 0},         // only the notes left of the click
        {500.0, {}, 0, true, 0, 0},             // left of every note: P = 0
        {{}, -1, 0, false, 5120, 0},            // one stem direction
        {{}, {}, 2048, false, 5120, 0},         // the note ending at 2048 is skipped
        {{}, {}, 0, false, 6144, 0},
    };
    for (const Case& c : cases) {
        const TicksBefore t = ticksBefore(notes, c.templateLeft, c.stem, c.endLimit, c.correct);
        EXPECT_EQ(t.ticks, c.ticks);
        EXPECT_EQ(t.correction, c.correction);
    }
}

TEST(StaffMath, FreePlacesAndWalking) {
    // A note already at a place's left + 180 takes it.
    EXPECT_EQ(firstFreePlace({1000, 2000, 3000}, {1180}, 180), 2);
    EXPECT_EQ(firstFreePlace({1000, 2000, 3000}, {}, 180), 1);
    EXPECT_EQ(firstFreePlace({1000, 2000}, {1180, 2180}, 180), 0);  // all taken: none
    EXPECT_EQ(firstFreePlace({}, {}, 180), 0);

    const std::vector<int> loaded = {2, 5};
    int c = 0;
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) seen.push_back(c = nextLoaded(c, loaded));
    EXPECT_EQ(seen, (std::vector<int>{2, 5, 2, 5}));
    EXPECT_EQ(nextLoaded(0, {}), 0);
}
