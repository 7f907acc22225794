#include "answeritems.h"

#include "intervalnaming.h"

#include "student/profile/playersession.h"

#include <cmath>

namespace lessons {
namespace {

// The answer element of item i: lblLetter(i), or in the time-signature lesson tmMeter(i + 8).
void switchItem(LessonContext& ctx, int i, bool on) {
    NotationArrays& a = ctx.arrays;
    if (LineControl* line = a.LineBase[i]) line->setDrawMode(on ? 13 : 16);
    if (QPushButton* speaker = a.cmdSpeaker[i]) speaker->setEnabled(on);
    if (ctx.state.CurrentLesson == 6) {
        // The student's time signature stays in view; only the current one takes clicks.
        if (ctx.LoadedFlags.get(1, i + 8))
            if (QWidget* metre = a.tmMeter[i + 8]) metre->setEnabled(on);
    } else if (ctx.LoadedFlags.get(1, i)) {
        if (QLabel* label = a.lblLetter[i]) label->setEnabled(on);
    }
}

void moveTo(LessonContext& ctx, int item) {
    switchItem(ctx, ctx.state.CurrentItem, false);
    ctx.state.CurrentItem = qint16(item);
    switchItem(ctx, item, true);
}

} // namespace

bool isItemLesson(int lesson) { return lesson == 1 || lesson == 3 || lesson == 5 || lesson == 6; }

void cmdNext_Click(LessonContext& ctx) {
    if (!isItemLesson(ctx.state.CurrentLesson) || ctx.state.CurrentItem >= ExerciseState::kItems) return;
    moveTo(ctx, ctx.state.CurrentItem + 1);
}

void cmdPrevious_Click(LessonContext& ctx) {
    if (!isItemLesson(ctx.state.CurrentLesson) || ctx.state.CurrentItem <= 1) return;
    moveTo(ctx, ctx.state.CurrentItem - 1);
}

void lblLetter_MouseDown(LessonContext& ctx, int index, double x, double y) {
    ExerciseState& s = ctx.state;
    if (!isItemLesson(s.CurrentLesson)) return;
    const QString intervals = QStringLiteral("frmIntervals");
    int quality = 0;
    for (int b = 3; b <= 7 && !quality; ++b)
        if (s.tools.pressed(intervals, b)) quality = b - 2;
    if (quality) {
        if (QLabel* label = ctx.arrays.lblLetter[index])
            label->setText(ModifyInterval(ctx.session.IntervalStyle, quality, label->text()));
    } else if (s.tools.MousePointer() == kPointerEraser && index == s.CurrentItem) {
        ctx.arrays.lblLetter.unloadDeferred(index);
        ctx.LoadedFlags.set(1, index, false);
        bool anyLeft = false;
        for (int k = 1; k <= ctx.arrays.LineBase.ubound() && !anyLeft; ++k) anyLeft = ctx.LoadedFlags.get(1, k);
        if (!anyLeft) s.tools.setMousePointer(kPointerDefault);
    }
    s.SetMouseDown(true);
    s.DragX = qint32(std::nearbyint(x));
    s.DragY = qint32(std::nearbyint(y));
}

} // namespace lessons
