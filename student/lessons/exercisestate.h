#pragma once
// The state of the running exercise, one instance owned by the main window and handed by
// reference to the lessons, the staff editor and the palettes (no process globals, so every
// test starts clean): which lesson is shown and at what level, whether a set is running, its
// score and test deadline, the current item and play counts, the answer key the builder left,
// the drag state and the palettes' tool state.
#include "toolstate.h"

#include <QString>
#include <QtGlobal>
#include <array>
#include <vector>

namespace lessons {

// A generated note: pitch in semitones relative to the item's tonic (-20: unpitched, a
// rhythm), duration in milliseconds with 1000 = one quarter note.
struct TimedNote {
    qint16 pitch = 0;
    qint16 ms = 0;
};

// What a builder leaves for playback and the scorers. Items are 1..8; the tables hold 0..20.
struct ItemTables {
    static constexpr int kSize = 21;
    std::array<qint16, kSize> ItemTonic{};      // semitones above MIDI key 60
    std::array<qint16, kSize> ItemInterval{};   // lesson 1: 1..12 semitones
    // Lesson 1's one answer key: true when the right direction word is "below" (the upper
    // tone sounds first). Playback and the scorer read ItemAbove, its negation.
    std::array<bool, kSize> ItemBelow{};
    bool ItemAbove(int i) const { return i >= 0 && i < kSize && !ItemBelow[size_t(i)]; }
    std::array<qint16, kSize> ItemChordKind{};  // lesson 3: 1..8
    std::array<qint16, kSize> ItemInversion{};  // lesson 3: 0..3
    bool DoubleTopNote = false;                 // lesson 3
    std::array<QString, kSize> ItemCadenceName; // lesson 5
    // Lesson 5: position and kind of the cadence's first [1] and second [2] chord.
    std::array<std::array<qint16, 3>, 9> ItemCadencePositions{};
    std::array<std::array<qint16, 3>, 9> ItemCadenceKinds{};
    // Lessons 2 and 4: the melody or rhythm, notes in order (note j of the original is
    // NoteTable[j - 1]), pitches relative to ItemTonic(1).
    std::vector<TimedNote> NoteTable;
    // Lessons 5 and 6: per item 1..8 its notes in order.
    std::array<std::vector<TimedNote>, 9> ItemNoteTable;
};

// What the interval palette has given an item's label so far (codes as in intervalnaming.h,
// 0 = not given). Kept per item and cleared when the item's label is loaded, so a click on one
// item never fills in what the student gave another.
struct IntervalParts {
    qint16 size = 0, quality = 0, direction = 0;
};

class ExerciseState {
public:
    static constexpr int kItems = 8;

    qint16 CurrentLesson = 0;     // 0 the lesson list, 1..7 the lesson shown
    qint16 CurrentLevel = 0;      // the shown level plus one (first level 2)
    bool ExerciseRunning = false;
    double ExerciseScore = 0;     // percent
    qint64 TestDeadline = 0;      // platform::Clock monotonic ms; 0: no countdown
    bool RestartLesson = false;   // practice mode reached the lesson's end level
    qint16 CurrentItem = 1;       // 1..8 in the item lessons
    std::array<qint16, ItemTables::kSize> ItemPlayCount{};
    ItemTables items;
    // A question is sounding: input is refused and a time-out waits for its end.
    bool QuestionSounding = false;

    // Drag state: a palette tool or a symbol drag is armed, and the grab point in twips.
    bool MouseDownFlag = false;
    qint32 DragX = 0, DragY = 0;
    void SetMouseDown(bool flag) { MouseDownFlag = flag; }

    ToolState tools;
    std::array<IntervalParts, ItemTables::kSize> IntervalLabelParts{};
};

} // namespace lessons
