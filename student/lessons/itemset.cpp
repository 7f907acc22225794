#include "itemset.h"

#include "exerciseflow.h"

#include "common/random.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace lessons {

namespace {
// Calls of the generator per item: each gives up on fewer than one melody in a thousand.
constexpr int kItemMelodyCalls = 3;
} // namespace

void LoadItemInstruction(LessonContext& ctx, const QString& text) {
    LabelArray& as = ctx.arrays.lblAs;
    if (!as.load(1)) return;
    as[1]->setText(text);
    as.setTop(1, 300);
    // The label grows to its text, as an auto-sized label does (its size hint counts the
    // label's own margins, which the bare text advance leaves out; measured in the font it will
    // be drawn with).
    as[1]->ensurePolished();
    const int textWidth = qMax(as[1]->sizeHint().width(), QFontMetrics(as[1]->font()).horizontalAdvance(text) + 4);
    if (as.Width(1) < textWidth * common::kTwipsPerPixel) as.setWidth(1, textWidth * common::kTwipsPerPixel);
    as.setVisible(1, true);
}

void LoadItemControls(LessonContext& ctx, int i) {
    NotationArrays& a = ctx.arrays;
    const int c = (i - 1) % 4, r = (i - 1) / 4;
    ctx.state.ItemPlayCount[size_t(i)] = 0;
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
}

void PlaceItemNavigation(LessonContext& ctx) {
    ctx.state.CurrentItem = 1;
    auto place = [](QWidget* w, double left, double top) {
        if (!w) return;
        w->move(common::twipsToPixels(left), common::twipsToPixels(top));
        w->show();
    };
    place(ctx.frame.cmdPrevious, 6500, 3500);
    place(ctx.frame.cmdNext, 7500, 3500);
}

void FinishItemSet(LessonContext& ctx, int deadlineLesson) {
    ExerciseState& s = ctx.state;
    if (!ctx.window.practiceMode()) announceTestSet(ctx, s.CurrentLesson == deadlineLesson);
    s.ExerciseScore = 0;
    if (ctx.frame.lblScore) ctx.frame.lblScore->setText(QStringLiteral("0%"));
    if (ctx.frame.cmdGo) ctx.frame.cmdGo->setEnabled(false);
    if (ctx.frame.lblLevel) ctx.frame.lblLevel->setText(QString::number(s.CurrentLevel - 1));
    ctx.window.UpdateMenu();
}

void MakeItemMelody(LessonContext& ctx, int i, const MelodySpec& spec) {
    NoteTable table(spec.noteCount);
    CadenceRecord record;
    common::Random& random = common::Random::instance();
    for (int call = 1; call <= kItemMelodyCalls; ++call) {
        table.redim(spec.noteCount);
        const bool ok = call < kItemMelodyCalls ? generateMelody(spec, table, record, random)
                                                : CreateMelody(spec, table, record, random, ctx.window.owner());
        if (ok && !record.isEmpty()) break;
    }
    ItemTables& t = ctx.state.items;
    std::vector<TimedNote>& notes = t.ItemNoteTable[size_t(i)];
    notes.clear();
    for (int j = 1; j <= spec.noteCount; ++j)
        notes.push_back({qint16(table.pitch(j)), qint16(table.duration(j))});
    t.ItemCadenceName[size_t(i)] = record.name;
    for (int n = 1; n <= 2; ++n) {
        t.ItemCadencePositions[size_t(i)][size_t(n)] = qint16(record.positions[size_t(n)]);
        t.ItemCadenceKinds[size_t(i)][size_t(n)] = qint16(record.kinds[size_t(n)]);
    }
}

} // namespace lessons
