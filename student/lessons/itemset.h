#pragma once
// What the item lessons' builders (chords, cadences, time signatures) share with the interval
// lesson's layout: the instruction, eight speaker buttons and answer lines in two rows of four
// (only item 1's speaker enabled and line shown), the Previous and Next buttons, and the end
// of a build (the test-mode announcement, the score, level and menus). The cadence and
// time-signature lessons also share how an item's melody is made and kept.
#include "lessoncontext.h"

#include "student/lessons/generators/melodygenerator.h"

#include <QString>

namespace lessons {

// lblAs(1) with the instruction, 300 twips from the top.
void LoadItemInstruction(LessonContext& ctx, const QString& text);
// cmdSpeaker(i) and LineBase(i) of item i, and its play count back to 0.
void LoadItemControls(LessonContext& ctx, int item);
// CurrentItem 1, cmdPrevious and cmdNext placed and shown.
void PlaceItemNavigation(LessonContext& ctx);
// The build's end: in test mode the announcement (the deadline only while `deadlineLesson`
// is shown), then the score at 0, Go disabled, the shown level and the menus.
void FinishItemSet(LessonContext& ctx, int deadlineLesson);

// Makes item i's melody and keeps it with its cadence for playback and marking. A melody
// without a cadence is made again (bounded); only the last call tells the student when the
// generator gives up.
void MakeItemMelody(LessonContext& ctx, int item, const MelodySpec& spec);

} // namespace lessons
