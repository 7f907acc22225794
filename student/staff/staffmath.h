#pragma once
// The staff editor's arithmetic: where each kind of symbol lands on a staff, the 75-twip
// vertical grid, a note's stem, leger lines and line flag for its height, the leger-line
// preview, the letters of the steps by clef, and the positions of slurs, key signatures and
// frames. Plain functions over twips, so the exact cases (a sharp at +15, then 130 apart; a
// slur at 1705) are checked without any window, and the editor only applies the results.
#include <QString>
#include <optional>
#include <vector>

namespace staffedit {

// One staff step is 75 twips; a line space 150; top to bottom line 600.
constexpr int kStep = 75;
constexpr int kLineSpace = 150;

// The click snapped down to a step after moving it 15 twips down: Int((y + 15) / 75) * 75.
double snapClick(double y);

// Ticks of the note values of a `Note` (0 whole .. 5 thirty-second), for palette buttons 3..8.
// The spacing correction added for each earlier note of a staff, by that note's duration.
int spacingCorrection(int noteValueTicks);

// ---- Adders (all positions relative to the window, in twips) ----
// A note's top for a click at `y` inside a staff whose top is `staffTop`.
double noteTopForClick(double staffTop, double y, int noteTopPixels);
// A rest's top: whole rests stand 95 twips higher than the others.
double restTop(double staffTop, int noteName, int noteTopPixels);
// A note's left when it follows the earlier notes by their durations: `ticksBefore` (P) and
// the spacing correction `correction` (C).
double noteLeftByDuration(double staffLeft, double leftOffset, double ticksBefore, int quarterWidth,
                          double correction);
// A note's left by slots of its own duration.
double noteLeftBySlots(double staffLeft, double leftOffset, double slotWidth, double rhythmicOffset,
                       int noteValueTicks);
struct Point { double left = 0, top = 0; };
Point clefPosition(double staffLeft, double staffTop, double y);
// The k-th accidental (from 0) of a key signature built by clicks.
Point keyAccidentalPosition(double staffLeft, double staffTop, double y, int k, double keyLeftOffset);
// A time signature after `accidentals` key-signature accidentals.
Point metrePosition(double staffLeft, double staffTop, int accidentals);
// A key-signature accidental's left from its place in the signature (drop and realign).
double keySignLeft(double staffLeft, int place, double offset);
// The top of a dropped key-signature accidental, before the bounds check.
double keySignDropTop(double top, double y);
// The bounds check: outside the staff element the accidental goes back 200 twips below its top.
double keySignBoundedTop(double top, double staffTop, double staffHeight);

// ---- Leger-line preview ----
struct LegerPreview {
    int shown = 0;      // lines 1..shown are visible, the rest hidden
    double x1 = 0, x2 = 0;
    std::vector<double> y;  // y of line i (index i - 1) for i = 1..count
};
// `x`, `y` relative to the staff element; `count` is the leger array's upper bound.
LegerPreview legerPreview(double x, double y, double staffLeft, double staffTop, int lineTopPx,
                          int lineSpacePx, int count);

// ---- Snapping a note onto the staff ----
struct NoteFitInput {
    double staffTop = 0;
    int lineTopPx = 0, lineSpacePx = 0;
    int templateNoteTopPx = 0;  // NoteTop of the template note (element 0)
    int noteTopPx = 0;          // NoteTop of the note itself
    double left = 0, top = 0;   // the note's place now
    double x = 0, y = 0;        // the mouse, relative to the note
    double dragX = 0, dragY = 0;
    bool moving = false;        // a drag or placement is armed and no eraser
};
struct NoteFit {
    double left = 0, top = 0;
    std::optional<int> stemDirection;  // set only where the height decides it
    std::optional<int> legerLines;
    std::optional<bool> lineNote;
    int step = 0;                      // 0 = bottom line, +1 per 75 twips up
};
NoteFit fitNote(const NoteFitInput& in);
// The `top` a note control has when its head sits on the staff's bottom line.
int bottomLineRef(double staffTop, int lineTopPx, int lineSpacePx, int templateNoteTopPx);

// ---- Letters ----
// The letter of a step (0 = bottom line) for clef 0 treble, 1 bass, 2 C clef (tenor or alto);
// "" outside steps -7..16 or for another clef.
QString letterForStep(int clef, bool tenor, int step);
// Is a C clef at `clefTop` in tenor position on a staff at `staffTop`?
bool clefInTenorPosition(double clefTop, double staffTop, int lineTopPx);

// ---- Slurs ----
struct SlurPlace { double left = 0, top = 0, width = 0; int curveDirection = 0; };
SlurPlace slurPlace(int direction, double noteLeft, double noteTop, int noteLeftPx,
                    double templateTop, double templateWidth);

// ---- Frame and check boxes ----
struct Rect { double left = 0, top = 0, width = 0, height = 0; };
Rect frameAround(const Rect& r);
// Does a beamed note whose stem stands at its beam's left get a check box?
bool beamedNoteGetsBox(double noteTop, int stemDirection, double beamTop);

// ---- Counting the notes before a new one ----
struct StaffNote {
    double left = 0;
    int ticks = 0;          // NoteValue()
    int stemDirection = -1;
};
struct TicksBefore { double ticks = 0; double correction = 0; };
// P and C of the note adder over a staff's loaded notes: with `templateLeft` only the notes
// left of it count; else with `stemFilter` only those with that stem. A note whose end
// (its ticks + the running total) equals `endLimit` is skipped.
TicksBefore ticksBefore(const std::vector<StaffNote>& notes, std::optional<double> templateLeft,
                        std::optional<int> stemFilter, int endLimit, bool correctSpacing);

// ---- Whole notes on a row of places ----
// The first place (1-based) whose left no loaded note stands on (note left - offset); 0 when
// every place is taken.
int firstFreePlace(const std::vector<double>& placeLefts, const std::vector<double>& noteLefts,
                   double offset);

// ---- Walking elements ----
// The loaded element after `current`, wrapping to the first; 0 when none is loaded.
int nextLoaded(int current, const std::vector<int>& loaded);

} // namespace staffedit
