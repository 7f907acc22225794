#pragma once
// Lesson 1, "1. Identify these intervals.": eight intervals drawn by level, each with its
// speaker and answer line on the lesson frame; the student names each on the interval
// palette.
#include "student/lessons/lessoncontext.h"

namespace lessons {

// One drawn question: the key's tonic, the interval in semitones and whether the answer is
// "below".
struct IntervalQuestion {
    qint16 tonic = 0;
    qint16 interval = 0;
    bool below = false;
};
// Draws one question at shown level `level` from the program's random source.
IntervalQuestion drawIntervalQuestion(int level);

// NewIntervalExercise: builds a set at the state's level (CurrentLevel - 1 shown).
void NewIntervalExercise(LessonContext& ctx);

} // namespace lessons
