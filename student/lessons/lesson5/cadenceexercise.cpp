#include "cadenceexercise.h"

#include "student/lessons/elementpool.h"
#include "student/lessons/itemset.h"
#include "student/lessons/musicmath.h"

#include "common/random.h"

namespace lessons {

namespace {

const QString kInstruction =
    QStringLiteral("You have 3 chances to listen to the cadence. Click the speaker button to play it.");
const QString kCadencePalette = QStringLiteral("frmFloatingCadence");

// The key of an item by shown level: sharps positive, flats negative.
int drawKey(int level) {
    common::Random& random = common::Random::instance();
    if (level == 1) return random.choose(3) - 1;
    if (level >= 2 && level <= 5) return random.choose(4) - 1;
    if (level == 6 || level == 7) return random.choose(5) - 2;
    if (level == 8 || level == 9) return random.choose(7) - 3;
    return random.choose(14) - 7;
}

} // namespace

const ItemMetre& cadenceLessonMetre(int draw) {
    static const ItemMetre kMetres[4] = {{3, 2, 3, 250}, {2, 2, 4, 250}, {1, 2, 6, 250}, {4, 3, 5, 500}};
    return kMetres[draw >= 0 && draw <= 3 ? draw : 0];
}

int cadenceLessonOptions(int level) {
    switch (level) {
    case 1: return 3;
    case 2: return 7;
    case 3: return 15;
    case 4:
    case 5: return 31;
    default: return 127;
    }
}

MelodySpec itemMelodySpec(const ItemMetre& metre, int cadenceOptions) {
    MelodySpec spec;
    spec.noteCount = 10;
    spec.barCount = metre.bars;
    spec.maxLeap = 5;
    spec.stepRange = 8;
    spec.allowRepeat = false;
    spec.pulses = metre.pulses;
    spec.shortestDuration = metre.shortest;
    spec.startMask = 21;   // the tonic, a third or a fifth up
    spec.cadenceOptions = cadenceOptions;
    return spec;
}

void LoadItemMetre(LessonContext& ctx, int i, const ItemMetre& metre, int column) {
    NotationArrays& a = ctx.arrays;
    if (!a.tmMeter.load(i)) return;
    a.tmMeter.ZOrder(i, 0);
    put(a.tmMeter[i], "Pulses", metre.pulses);
    put(a.tmMeter[i], "NoteValue", metre.noteValue);
    ctx.LoadedFlags.set(column, i, true);
    a.tmMeter.setTag(i, QStringLiteral("2"));
}

void NewCadenceExercise(LessonContext& ctx) {
    ExerciseState& s = ctx.state;
    NotationArrays& a = ctx.arrays;
    common::Random& random = common::Random::instance();
    s.tools.setMousePointer(kPointerDefault);
    s.ExerciseRunning = true;
    UnloadLesson(5, a, ctx.LoadedFlags);
    LoadItemInstruction(ctx, kInstruction);

    const int level = s.CurrentLevel - 1;
    ItemTables& t = s.items;
    for (auto& notes : t.ItemNoteTable) notes.clear();
    for (int i = 1; i <= ExerciseState::kItems; ++i) {
        LoadItemControls(ctx, i);
        random.seedFromClock();
        const ItemMetre& metre = cadenceLessonMetre(random.choose(4));
        random.seedFromClock();
        const int key = drawKey(level);
        random.seedFromClock();
        LoadItemMetre(ctx, i, metre, 5);
        t.ItemTonic[size_t(i)] = KeyToTonicOffset(key);
        MakeItemMelody(ctx, i, itemMelodySpec(metre, cadenceLessonOptions(level)));
    }
    PlaceItemNavigation(ctx);
    FinishItemSet(ctx, 5);

    // Which answers the level allows belongs to the set: the palette shows it whenever it opens.
    const bool perfectOnly = level <= 4;
    s.tools.setLessonEnabled(kCadencePalette, 1, perfectOnly);
    s.tools.setLessonEnabled(kCadencePalette, 2, !perfectOnly);
    s.tools.setLessonEnabled(kCadencePalette, 3, !perfectOnly);
}

} // namespace lessons
