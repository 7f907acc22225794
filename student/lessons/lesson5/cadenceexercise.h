#pragma once
// Lesson 5, "5. Identify the following cadences.": eight short melodies in drawn metres and
// keys, each ending in a cadence the student names on the Cadences palette.
#include "student/lessons/lessoncontext.h"

#include "student/lessons/generators/melodygenerator.h"

namespace lessons {

// A metre an item lesson draws: the Metre control's Pulses and NoteValue, the bars passed to
// the melody generator (staff segments, the first holding clef and metre) and its shortest note.
struct ItemMetre {
    int pulses, noteValue, bars, shortest;
};

// The cadence lesson's tables by shown level and draw.
const ItemMetre& cadenceLessonMetre(int draw);   // draw 0..3: 4/4, 3/4, 2/4, 6/8
int cadenceLessonOptions(int level);              // allowed cadences
// The ten-note melody every item lesson asks of the generator in a metre.
MelodySpec itemMelodySpec(const ItemMetre& metre, int cadenceOptions);
// Item `i`'s metre, never shown (playback reads its beat from it), marked loaded in `column`.
void LoadItemMetre(LessonContext& ctx, int i, const ItemMetre& metre, int column);

// NewCadenceExercise: builds a set at the state's level (CurrentLevel - 1 shown).
void NewCadenceExercise(LessonContext& ctx);

} // namespace lessons
