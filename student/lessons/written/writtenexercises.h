#pragma once
// The builders of the two written lessons: an empty row of bar staves with a clef and a time
// signature (the melody lesson also names the key above it), one speaker button, and the
// melody or rhythm the student will hear, held in the note table and never drawn. The student
// writes it with the staff editor and the palettes; the markers (writtenscorers.h) compare.
#include "student/lessons/lessoncontext.h"

namespace common { class Random; }

namespace lessons {
class NoteTable;
}

namespace lessons::written {

// A metre the written lessons use, and how much wider its bars are drawn.
struct WrittenMetre {
    int pulses = 3;        // TimePulses
    int unit = 2;          // beat unit (NoteValue)
    int widthFactor = 8;   // each bar is 200 twips x this wider than the staff template
    bool operator==(const WrittenMetre& o) const { return pulses == o.pulses && unit == o.unit; }
};
inline constexpr WrittenMetre kFourFour{3, 2, 8};
inline constexpr WrittenMetre kThreeFour{2, 2, 4};
inline constexpr WrittenMetre kTwoFour{1, 2, 1};
inline constexpr WrittenMetre kSixEight{4, 3, 4};

// ---- Lesson 2 ----
struct MelodyLevel {
    WrittenMetre metre;
    int barCount = 3;   // staff segments: the first holds clef and metre, the rest are bars
    int notes = 4;
    int stepRange = 3;
    int maxLeap = 3;
    int startMask = 1;
    int shortest = 1000;
    bool allowRepeat = false;
};
// The metre and bars of `currentLevel` (the shown level plus one; below 2 counts as 2), drawn
// from `random`, with the melody's parameters.
MelodyLevel melodyLevel(int currentLevel, common::Random& random);
// The key (sharps positive, flats negative) drawn for `currentLevel`.
int melodyKey(int currentLevel, common::Random& random);

// Whether notes 1..notes of `table` end within the bars of `barCount` staff segments (the
// first holds the clef) of a metre of `pulses`.
bool fitsBars(const NoteTable& table, int notes, int barCount, int pulses);

// The melody of a level: the generator's, drawn again (bounded) while it breaks the
// generator's rules or overruns its bars. When no draw comes out whole the student is told
// "Failed to create Melody!" and the last draw stands.
std::vector<TimedNote> writtenMelody(const MelodyLevel& level, common::Random& random, QWidget* owner = nullptr);

// ---- Lesson 4 ----
struct RhythmLevel {
    WrittenMetre metre;
    int barCount = 3;
    int notes = 7;
    int shortest = 500;
};
// By the shown level; a level outside 1..5 builds as level 6.
RhythmLevel rhythmLevel(int shownLevel, common::Random& random);

// The rhythm of a level, over `level.barCount` staff segments.
std::vector<TimedNote> writtenRhythm(const RhythmLevel& level, common::Random& random);

// Lays out staves 1..barCount (a short head staff, then one staff per bar), their bar lines
// (the last one final; every fifth from `doubleAt` double, 0 for none) and the clef, as both
// lessons do. The staff template must be where the lesson frame's reset leaves it.
void layBarStaves(LessonContext& ctx, int barCount, const WrittenMetre& metre, int clef, double clefTop,
                  int doubleAt);

// The builders the lesson table runs for lessons 2 and 4 (and the Go button for the next set).
void NewMelodyExercise(LessonContext& ctx);
void NewRhythmExercise(LessonContext& ctx);

} // namespace lessons::written
