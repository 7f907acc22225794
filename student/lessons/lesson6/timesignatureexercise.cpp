#include "timesignatureexercise.h"

#include "student/lessons/elementpool.h"
#include "student/lessons/itemset.h"
#include "student/lessons/musicmath.h"

#include "common/random.h"

namespace lessons {

namespace {

// The lesson shares the cadence lesson's instruction.
const QString kInstruction =
    QStringLiteral("You have 3 chances to listen to the cadence. Click the speaker button to play it.");

int drawKey(int level) {
    common::Random& random = common::Random::instance();
    if (level == 0 || level == 1) return random.choose(3) - 1;
    if (level >= 2 && level <= 5) return random.choose(4) - 1;
    if (level == 6 || level == 7) return random.choose(5) - 2;
    if (level == 8 || level == 9) return random.choose(7) - 3;
    return random.choose(14) - 7;
}

} // namespace

int timeLessonMetreCount(int level) { return level == 1 ? 2 : level == 2 ? 3 : 4; }

const ItemMetre& timeLessonMetre(int draw) {
    static const ItemMetre kMetres[4] = {{3, 2, 4, 250}, {2, 2, 4, 250}, {1, 2, 5, 250}, {4, 3, 4, 500}};
    return kMetres[draw >= 0 && draw <= 3 ? draw : 0];
}

int timeLessonOptions(int level) {
    switch (level) {
    case 1: return 3;
    case 2: return 7;
    case 3: return 15;
    case 4:
    case 5: return 31;
    default: return 127;
    }
}

void NewTimeSignatureExercise(LessonContext& ctx) {
    ExerciseState& s = ctx.state;
    NotationArrays& a = ctx.arrays;
    common::Random& random = common::Random::instance();
    s.ExerciseRunning = true;
    UnloadLesson(6, a, ctx.LoadedFlags);
    LoadItemInstruction(ctx, kInstruction);

    const int level = s.CurrentLevel - 1;
    const int metres = timeLessonMetreCount(level);
    ItemTables& t = s.items;
    for (auto& notes : t.ItemNoteTable) notes.clear();
    for (int i = 1; i <= ExerciseState::kItems; ++i) {
        LoadItemControls(ctx, i);
        random.seedFromClock();
        const ItemMetre& metre = timeLessonMetre(random.choose(metres));
        random.seedFromClock();
        t.ItemTonic[size_t(i)] = KeyToTonicOffset(drawKey(level));
        random.seedFromClock();
        LoadItemMetre(ctx, i, metre, 1);   // the answer key
        MakeItemMelody(ctx, i, itemMelodySpec(metre, timeLessonOptions(level)));
    }
    PlaceItemNavigation(ctx);
    FinishItemSet(ctx, 6);
}

} // namespace lessons
