#include "chordexercise.h"

#include "student/lessons/elementpool.h"
#include "student/lessons/itemset.h"
#include "student/lessons/musicmath.h"

#include "common/random.h"

namespace lessons {

namespace {

// By shown level 1..11 (any other level: the last row): the qualities drawn (1..kinds), the
// inversions drawn (0: root position only) and the doubled top tone.
struct ChordLevel {
    int kinds, inversions;
    bool doubleTop;
};
const ChordLevel& chordLevel(int level) {
    static const ChordLevel kLevels[12] = {
        {2, 4, true},  {3, 0, false}, {4, 0, false}, {4, 2, false}, {4, 3, false}, {5, 0, true},
        {6, 0, true},  {7, 0, true},  {8, 0, true},  {8, 2, true},  {8, 3, true},  {8, 4, true},
    };
    return kLevels[level >= 1 && level <= 11 ? level - 1 : 11];
}

const QString kInstruction =
    QStringLiteral("You have 2 chances to listen to the chord. Click the speaker button to play it.");

} // namespace

ChordQuestion drawChordQuestion(int level) {
    common::Random& random = common::Random::instance();
    ChordQuestion q;
    // Fifteen keys from one flat up, where every key past seven sharps gives C.
    q.root = KeyToTonicOffset(random.choose(15) - 1);
    const ChordLevel& row = chordLevel(level);
    q.kind = qint16(random.choose(row.kinds) + 1);
    q.inversion = row.inversions ? qint16(random.choose(row.inversions)) : qint16(0);
    q.doubleTop = row.doubleTop;
    return q;
}

void NewChordExercise(LessonContext& ctx) {
    ExerciseState& s = ctx.state;
    s.ExerciseRunning = true;
    s.tools.setLessonFramePointer(kPointerCross);
    s.tools.setMousePointer(kPointerDefault);
    common::Random::instance().seedFromClock();
    UnloadLesson(3, ctx.arrays, ctx.LoadedFlags);
    LoadItemInstruction(ctx, kInstruction);

    const int level = s.CurrentLevel - 1;
    ItemTables& t = s.items;
    for (int i = 1; i <= ExerciseState::kItems; ++i) {
        LoadItemControls(ctx, i);
        const ChordQuestion q = drawChordQuestion(level);
        t.ItemTonic[size_t(i)] = q.root;
        t.ItemChordKind[size_t(i)] = q.kind;
        t.ItemInversion[size_t(i)] = q.inversion;
        // One value for the set: the last item's is the one in force.
        t.DoubleTopNote = q.doubleTop;
    }
    PlaceItemNavigation(ctx);
    FinishItemSet(ctx, 3);
}

} // namespace lessons
