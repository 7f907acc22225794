#pragma once
// SetupAnswerPalettes: fits the palettes to the lesson shown (which buttons are hidden or
// disabled, the windows' widths and places). It only hides, disables, sizes and places, in
// the tool state; the windows show it when they open.
#include "lessoncontext.h"

namespace lessons {

void SetupAnswerPalettes(LessonContext& ctx);

} // namespace lessons
