#pragma once
// The answer items of the item lessons (1 intervals, 3 chords, 5 cadences, 6 time
// signatures): moving the current item with Next and Previous, and a click on an answer label
// (a pressed interval quality rewrites it, the armed eraser removes the current item's).
#include "lessoncontext.h"

namespace lessons {

bool isItemLesson(int lesson);
void cmdNext_Click(LessonContext& ctx);
void cmdPrevious_Click(LessonContext& ctx);
// x, y: twips from the label's top left. Runs inside the label's own mouse event, so the
// label is unloaded once the event is over.
void lblLetter_MouseDown(LessonContext& ctx, int index, double x, double y);

} // namespace lessons
