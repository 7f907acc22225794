#include "answerpalettes.h"

namespace lessons {
namespace {

void hide(ToolState& t, const QString& palette, int from, int to) {
    for (int i = from; i <= to; ++i) t.setVisible(palette, i, false);
}

} // namespace

void SetupAnswerPalettes(LessonContext& ctx) {
    // The canvas keeps the size the window's layout gives it (never below the lessons' own
    // 14460 x 8025 twips), so nothing is resized here.
    ToolState& t = ctx.state.tools;
    const QString intervals = QStringLiteral("frmIntervals"), notes = QStringLiteral("frmFloatingNotes"),
                  misc = QStringLiteral("frmFloatingMisc"), rests = QStringLiteral("frmFloatingRests"),
                  accidentals = QStringLiteral("frmFloatingAccidentals"), time = QStringLiteral("frmTime");
    switch (ctx.state.CurrentLesson) {
    case 1:
        t.setEnabled(intervals, 5, false);
        t.setEnabled(intervals, 6, false);
        t.setVisible(intervals, 20, false);
        t.setWindowWidth(intervals, 10000);
        break;
    case 2:
    case 4:
        hide(t, accidentals, 1, 2);
        t.setWindowWidth(accidentals, 4000);
        hide(t, misc, 1, 9);
        t.setEnabled(misc, 12, false);
        t.setVisible(misc, 13, false);
        t.setWindowWidth(misc, 2360);
        t.setWindowTop(misc, t.placedTop(time));
        t.setWindowLeft(misc, 1590);
        hide(t, rests, 1, 2);
        t.setWindowWidth(rests, 4700);
        t.setWindowTop(rests, t.placedTop(misc));
        t.setWindowLeft(rests, 8000);
        break;
    case 3:
        hide(t, intervals, 7, 14);
        hide(t, intervals, 16, 19);
        t.setVisible(intervals, 21, false);
        t.setWindowWidth(intervals, 4160);
        t.setWindowLeft(intervals, 5000);
        break;
    case 5:
        // Only the note palette's eraser stays.
        hide(t, notes, 2, 16);
        t.setWindowWidth(notes, 700);
        break;
    case 6:
        t.setWindowLeft(time, 4700);
        t.setWindowTop(time, t.placedTop(notes));
        t.ButtonUp();
        hide(t, notes, 2, 16);
        t.setWindowWidth(notes, 700);
        break;
    default:
        break;
    }
}

} // namespace lessons
