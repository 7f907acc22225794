#pragma once
// Lesson 6, "6. Identify the following time signatures.": eight melodies in drawn metres and
// keys, heard with their bar accents; the student sets each item's time signature on the Time
// palette. Each item's metre is kept, hidden, as the answer key.
#include "student/lessons/lesson5/cadenceexercise.h"

namespace lessons {

// The time-signature lesson's tables by shown level and draw.
int timeLessonMetreCount(int level);          // metres drawn: 2, 3 or 4
const ItemMetre& timeLessonMetre(int draw);   // draw 0..3: 4/4, 3/4, 2/4, 6/8
int timeLessonOptions(int level);             // allowed cadences

// NewTimeSignatureExercise: builds a set at the state's level (CurrentLevel - 1 shown).
void NewTimeSignatureExercise(LessonContext& ctx);

} // namespace lessons
