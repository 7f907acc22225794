#pragma once
// Where the notes the program writes into a bar stand: the rhythm lesson 7 shows and what the
// piano and the drum pad write in lessons 2 and 4. Notes are written one after another, each
// where the notes already in the bar leave room for it:
// - by its place in the bar, the bar's room shared out in proportion to time;
// - but never nearer the note before it than their ink allows (a flag or dots that stand out
//   to the right of the head before, an accidental to the left of the head after), with
//   clear paper between;
// - and never so far on that the rest of the bar, were it all sixteenths, could not stand
//   before the bar line.
// The extents are those of the lessons' 28-point notes with the template's NoteLeft of 15
// pixels; all places are the element's left in twips.
#include "student/lessons/loadedflags.h"
#include "student/lessons/notationarrays.h"

#include <optional>

namespace lessons {

// Room kept at the start of the first bar for the time signature (lesson 7 writes it there)
// or the key signature the student writes (lesson 2): either ends some 40 pixels in.
inline constexpr double kFirstBarReserve = 900;

// A note or rest as its neighbours see it.
struct SpacedNote {
    qint32 onset = 0;      // ticks from the bar's start
    qint32 ticks = 2048;   // its length
    bool rest = false;
    int value = 2;         // Note: 0 whole .. 4 sixteenth
    int accidental = 0;    // AccidentalName before the head, 0 none
    bool dots = false;
    // Its flag shows: a short note with no beam yet. Whether a later note beams with it is
    // the spacing's to judge.
    bool unbeamed = false;
};

// The bar a note is written into: its staff element's left and width, whether it is the
// first bar, its length and its beat in ticks.
struct BarRoom {
    double staffLeft = 0, staffWidth = 0;
    bool firstBar = false;
    qint32 barTicks = 8192, beatTicks = 2048;
};

// The left of `next` in `bar`, after `previous` standing at `previousLeft` (nothing: the
// bar holds no note yet).
double spacedLeft(const BarRoom& bar, const std::optional<std::pair<double, SpacedNote>>& previous,
                  const SpacedNote& next);

// The same for the bar on staff element `staff`, after the last note or rest already
// written there (loaded NoteSymbol elements whose Tag names the staff).
double spacedLeftOnStaff(const NotationArrays& a, const LoadedFlags& loaded, int staff, const BarRoom& bar,
                         const SpacedNote& next);

} // namespace lessons
