#pragma once
// The marks the analysis palettes place on the main window, each from its palette's file:
// inversion names above lines (Inversion), the cadence answer of the current item (Cadences),
// Roman numerals above lines (Roman Numbers), and the time-signature answer of the current
// item (Time). Positions are twips on the elements' records.
#include "student/lessons/lessoncontext.h"

namespace palettes {

// The inversion's name ("Root", "First", "Second", "Third"; another number keeps the
// template's caption) above the start of the first line that has no label yet; at most one
// label per line. Nothing when the inversion is negative or no line is free.
void AddInversionLabel(lessons::LessonContext& ctx, lessons::LabelArray& labels, lessons::LineArray& lines,
                       int inversion, int column = 4);

// The cadence kinds of the palette's buttons: 0 "Perfect" .. 5 "Deceptive".
QString cadenceCaption(int kind);
// Writes the kind's caption into the current item's answer label, placing the label over the
// item's line the first time.
void AddCadenceLabel(lessons::LessonContext& ctx, lessons::LabelArray& labels, lessons::LineArray& lines, int kind);

// A Roman numeral (1..7; a larger number keeps the template's) with its bottom 15 twips above
// the first line that carries none, `offset` twips right of the line's start. The Ex form
// looks only at the lines of group `group` of `count` lines. Nothing when no line is free.
void AddRomanNumber(lessons::LessonContext& ctx, lessons::ElementArray& numerals, lessons::LineArray& lines,
                    int number, int offset = 0);
void AddRomanNumberEx(lessons::LessonContext& ctx, lessons::ElementArray& numerals, lessons::LineArray& lines,
                      int number, int offset, int count, int group);

// The time palette's signature as the current item's answer (tmMeter(item + 8)), placed over
// the item's line the first time and given the palette's figures every time.
void AddMetreToItemStaff(lessons::LessonContext& ctx, lessons::ElementArray& metres, lessons::LineArray& lines);

} // namespace palettes
