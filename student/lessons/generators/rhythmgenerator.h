#pragma once
// CreateRhythm: N unpitched notes that follow the beat of a metre and end inside the band of
// beats the exercise's bars allow. No dotted or longer-than-a-beat value starts off the beat
// and no note crosses one. The generator never reseeds: the builders do.
#include "notetable.h"

namespace common { class Random; }

namespace lessons {

struct RhythmSpec {
    int noteCount = 0;          // N
    int barCount = 0;           // staff segments: the first holds clef and metre
    int pulses = 3;             // the metre's Pulses
    int shortestDuration = 500; // a value none of the five durations counts as 1500
};

// Writes rows 1..N of the table (grown to N rows when smaller): column 2 the duration in ms,
// column 1 NoteTable::kUnpitched. A draw that breaks a rule or overruns the bars is drawn
// again (bounded); returns false, with the last draw in the table, when none came out whole.
bool CreateRhythm(const RhythmSpec& spec, NoteTable& table, common::Random& random);

} // namespace lessons
