#include "intervalexercise.h"

#include "student/lessons/elementpool.h"
#include "student/lessons/itemset.h"
#include "student/lessons/musicmath.h"

#include "common/random.h"

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
    s.ExerciseRunning = true;
    s.tools.setLessonFramePointer(kPointerCross);
    s.tools.setMousePointer(kPointerDefault);
    common::Random::instance().seedFromClock();
    UnloadLesson(1, ctx.arrays, ctx.LoadedFlags);
    LoadItemInstruction(ctx, kInstruction);

    const int level = s.CurrentLevel - 1;
    for (int i = 1; i <= ExerciseState::kItems; ++i) {
        LoadItemControls(ctx, i);
        const IntervalQuestion q = drawIntervalQuestion(level);
        s.items.ItemTonic[size_t(i)] = q.tonic;
        s.items.ItemInterval[size_t(i)] = q.interval;
        s.items.ItemBelow[size_t(i)] = q.below;
    }
    PlaceItemNavigation(ctx);
    FinishItemSet(ctx, 1);
}

} // namespace lessons
