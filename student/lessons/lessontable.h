#pragma once
// The lessons as rows of one table: each lesson's exercise builder, its scorer's own marking
// and its question sequence. Unloading goes through the one unloader table of the element
// pool (elementpool.h), which the lesson switch and every builder use. A lesson whose row is
// not filled builds, marks and plays nothing. The main window keeps a copy of the table
// (tests may replace a row); lessons add their rows in lessontable.cpp.
#include "lessoncontext.h"

#include <array>
#include <functional>

namespace sound { class MidiPort; }

namespace lessons {

struct LessonEntry {
    // Builds a new exercise set at state.CurrentLevel, first unloading the previous one.
    std::function<void(LessonContext& ctx)> build;
    // The marking between the scorers' common head and tail: adds to state.ExerciseScore and
    // colours the answers.
    std::function<void(LessonContext& ctx)> mark;
    // The question of speaker `index`, played into the port (which captures it).
    std::function<void(LessonContext& ctx, sound::MidiPort& port, int index)> play;
};

class LessonTable {
public:
    LessonTable();   // the program's rows
    // Lessons 1..7; any other number gives an empty row.
    const LessonEntry& row(int lesson) const;
    void setRow(int lesson, LessonEntry row);

private:
    std::array<LessonEntry, 8> rows_;
};

} // namespace lessons
