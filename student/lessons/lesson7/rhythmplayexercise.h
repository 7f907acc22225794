#pragma once
// Lesson 7, "7. Play the following rhythms.": a short rhythm written on a percussion staff,
// which the student plays back on the drum pad. The builder writes the rhythm the way a
// student's clicks would (note and rest palette buttons, the staff editor's adder, selection
// and beams by beat), then empties the tap table and restarts the capture clocks.
#include "student/lessons/lessoncontext.h"

namespace lessons {

// The metre and size of a set at an internal level (the shown level plus one).
struct RhythmPlayLevel {
    int metre = 0;        // 0 4/4, 1 3/4, 2 2/4, 3 6/8
    int segments = 3;     // staff segments: the clef's and one per bar
    int notes = 5;
    int shortest = 500;   // ms: the generator's shortest duration
};
// Draws what the level leaves to chance from common::Random.
RhythmPlayLevel drawRhythmPlayLevel(int currentLevel);

// The rest that fills `remaining` ticks of the last bar first, by the metre's Pulses: its
// template Note value, rest palette button and dots.
struct RestChoice {
    int note = 3;
    int button = 6;
    int dots = 0;
};
RestChoice restForRemaining(qint32 remaining, int pulses);

// NewRhythmPlayExercise: one set at ctx.state.CurrentLevel.
void NewRhythmPlayExercise(LessonContext& ctx);

} // namespace lessons
