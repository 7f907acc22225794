#include "intervalexercise.h"

#include "student/lessons/elementpool.h"
#include "student/lessons/exerciseflow.h"
#include "student/lessons/musicmath.h"

#include "common/random.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace lessons {
namespace {

// An interval and its direction: semitones, true when the answer is "below".
struct Choice {
    qint16 interval;
    bool below;
};

// Per shown level 1..7: the keys (draw `keys`, minus `flats`) and the intervals by the second
// draw r, entry r; entry 0 is what a draw of 0 gives.
struct LevelTable {
    int keys, flats;
    std::vector<Choice> choices;
};

const LevelTable& levelTable(int level) {
    static const LevelTable kLevels[7] = {
        {5, 1, {{7, true}, {4, true}}},
        {6, 2, {{7, false}, {4, true}, {7, true}, {12, true}, {3, false}}},
        {7, 3, {{12, false}, {3, true}, {4, true}, {5, true}, {7, true}, {12, false}, {3, false}, {7, false}}},
        {7, 3,
         {{12, false}, {3, true}, {4, true}, {5, true}, {7, true}, {8, true}, {9, true}, {12, true}, {3, false},
          {4, false}, {7, false}}},
        {9, 4,
         {{12, false}, {2, true}, {3, true}, {4, true}, {5, true}, {7, true}, {8, true}, {9, true}, {12, true},
          {3, false}, {4, false}, {5, false}, {7, false}, {8, false}}},
        {10, 4,
         {{12, false}, {1, true}, {2, true}, {3, true}, {4, true}, {5, true}, {7, true}, {8, true}, {9, true},
          {12, true}, {3, false}, {4, false}, {5, false}, {7, false}}},
        {12, 6,
         {{12, false}, {1, true}, {2, true}, {3, true}, {4, true}, {5, true}, {7, true}, {8, true}, {9, true},
          {10, true}, {12, true}, {2, false}, {3, false}, {4, false}}},
    };
    return kLevels[std::clamp(level, 1, 7) - 1];
}

const QString kInstruction =
    QStringLiteral("You have 3 chances to listen to the interval. Click the speaker button to play it.");

} // namespace

IntervalQuestion drawIntervalQuestion(int level) {
    common::Random& random = common::Random::instance();
    IntervalQuestion q;
    if (level >= 1 && level <= 7) {
        const LevelTable& t = levelTable(level);
        q.tonic = KeyToTonicOffset(random.choose(t.keys) - t.flats);
        const Choice c = t.choices[size_t(random.choose(int(t.choices.size())))];
        q.interval = c.interval;
        q.below = c.below;
        return q;
    }
    q.tonic = KeyToTonicOffset(random.choose(15) - 7);
    q.interval = qint16(random.choose(12) + 1);
    // From level 8 the tritone always falls; beyond it, it may rise too.
    q.below = (level == 8 && q.interval == 6) ? true : random.choose(2) == 1;
    return q;
}

void NewIntervalExercise(LessonContext& ctx) {
    ExerciseState& s = ctx.state;
    NotationArrays& a = ctx.arrays;
    s.ExerciseRunning = true;
    s.tools.setLessonFramePointer(kPointerCross);
    s.tools.setMousePointer(kPointerDefault);
    common::Random::instance().seedFromClock();
    UnloadLesson(1, a, ctx.LoadedFlags);

    if (a.lblAs.load(1)) {
        a.lblAs[1]->setText(kInstruction);
        a.lblAs.setTop(1, 300);
        // The label grows to its text, as an auto-sized label does (measured in the font it
        // will be drawn with).
        a.lblAs[1]->ensurePolished();
        const int textWidth = QFontMetrics(a.lblAs[1]->font()).horizontalAdvance(kInstruction) + 4;
        if (a.lblAs.Width(1) < textWidth * common::kTwipsPerPixel) a.lblAs.setWidth(1, textWidth * common::kTwipsPerPixel);
        a.lblAs.setVisible(1, true);
    }

    const int level = s.CurrentLevel - 1;
    for (int i = 1; i <= ExerciseState::kItems; ++i) {
        const int c = (i - 1) % 4, r = (i - 1) / 4;
        s.ItemPlayCount[size_t(i)] = 0;
        if (a.cmdSpeaker.load(i)) {
            a.cmdSpeaker.Move(i, a.cmdSpeaker.Left(0) - 5000 + 3000 * c, a.cmdSpeaker.Top(0) - 1000 + 1000 * r);
            a.cmdSpeaker[i]->setEnabled(i == 1);
            a.cmdSpeaker.setVisible(i, true);
        }
        if (a.LineBase.load(i)) {
            const double x = 3000 * c + 800, y = 1000 * r + 1600;
            a.LineBase[i]->setEnds(x, y, x + 2200, y);
            a.LineBase[i]->setDrawMode(i > 1 ? 16 : 13);
            a.LineBase.setVisible(i, true);
        }
        const IntervalQuestion q = drawIntervalQuestion(level);
        s.items.ItemTonic[size_t(i)] = q.tonic;
        s.items.ItemInterval[size_t(i)] = q.interval;
        s.items.ItemBelow[size_t(i)] = q.below;
    }

    s.CurrentItem = 1;
    auto place = [](QWidget* w, double left, double top) {
        if (!w) return;
        w->move(common::twipsToPixels(left), common::twipsToPixels(top));
        w->show();
    };
    place(ctx.frame.cmdPrevious, 6500, 3500);
    place(ctx.frame.cmdNext, 7500, 3500);

    if (!ctx.window.practiceMode()) announceTestSet(ctx, s.CurrentLesson == 1);

    s.ExerciseScore = 0;
    if (ctx.frame.lblScore) ctx.frame.lblScore->setText(QStringLiteral("0%"));
    if (ctx.frame.cmdGo) ctx.frame.cmdGo->setEnabled(false);
    if (ctx.frame.lblLevel) ctx.frame.lblLevel->setText(QString::number(level));
    ctx.window.UpdateMenu();
}

} // namespace lessons
