#pragma once
// Lesson 3, "3. Identify these chords.": eight chords drawn by level, each with its speaker and
// answer line; the student names each quality on the interval palette cut down to its chord
// buttons.
#include "student/lessons/lessoncontext.h"

namespace lessons {

// One drawn chord: its root (semitones from C), quality (1 major .. 8 minor seventh),
// inversion 0..3 and whether the triad players double the top tone.
struct ChordQuestion {
    qint16 root = 0;
    qint16 kind = 1;
    qint16 inversion = 0;
    bool doubleTop = false;
};
// Draws one chord at shown level `level` from the program's random source: the key first,
// then the quality, then (where the level asks for one) the inversion.
ChordQuestion drawChordQuestion(int level);

// NewChordExercise: builds a set at the state's level (CurrentLevel - 1 shown).
void NewChordExercise(LessonContext& ctx);

} // namespace lessons
