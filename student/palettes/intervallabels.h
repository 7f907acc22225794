#pragma once
// The interval labels: the answer label of the current item built from the interval palette's
// clicks (lesson 1: size, quality and direction; lesson 3: size and quality or "dom7"), and
// two labelling operations the palette offers that place a label above the first free line.
// Labels are elements of the caller's label array (lblLetter) placed above the caller's lines
// (LineBase) and flagged in the table of loaded elements.
#include "student/lessons/lessoncontext.h"

namespace palettes {

void AddIntervalName(lessons::LessonContext& ctx, lessons::LabelArray& labels, lessons::LineArray& lines, int size,
                     int quality, int direction);
void AddIntervalSizeLabel(lessons::LessonContext& ctx, lessons::LabelArray& labels, lessons::LineArray& lines, int size,
                          int quality);
void AddIntervalNumber(lessons::LessonContext& ctx, lessons::LabelArray& labels, lessons::LineArray& lines, int size);
void AddChordQualityLabel(lessons::LessonContext& ctx, lessons::LabelArray& labels, lessons::LineArray& lines,
                          int quality);

// The size and quality codes read back from a caption in a naming style.
int sizeFromCaption(int style, const QString& caption);
// Also clears `size` for a tritone caption.
int qualityFromCaption(int style, const QString& caption, int& size);
int directionFromCaption(const QString& caption);

} // namespace palettes
