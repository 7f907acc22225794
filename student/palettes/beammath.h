#pragma once
// The arithmetic of a beam over selected notes: how many beam lines each note draws towards
// its neighbours, and how long each stem must be to reach a beam laid at the highest note.
#include <utility>
#include <vector>

namespace palettes {

struct BeamNote {
    int noteName = 3;  // `Note`: 3 eighth, 4 sixteenth, ...
    int ticks = 1024;  // `NoteValue()`, dots included
};

// (towards the left, towards the right) beam lines of each note, left to right. The first
// note draws none to its left, the last none to its right; a middle note follows its
// neighbours' durations.
std::vector<std::pair<int, int>> beamLines(const std::vector<BeamNote>& notes);

// A note's stem length when the beam is laid at the highest note (`topTop`, whose stem keeps
// -10): longer below a beam above (stems up), shorter above a beam below (stems down).
int beamedStemLength(double noteTop, double topNoteTop, bool stemsUp);

} // namespace palettes

namespace palettes {

// One loaded note as the beam command sees it, in index order.
struct BeamCandidate {
    int index = 0;
    bool selected = false;   // ForeColor magenta
    int bar = 0;             // Val(Tag)
    int stemDirection = -1;  // -1 up; anything else counts as down
    double left = 0, top = 0;
    bool hideFlags = false;  // already under a beam
};

enum class BeamRefusal {
    None,
    Quiet,           // nothing to beam, or the run is already beamed: no message
    StemDirections,  // "Invalid Stem Directions"
    Order,           // "Wrong Order of Selection"
    Number,          // "Wrong Number of Selection"
};

struct BeamPlan {
    BeamRefusal refusal = BeamRefusal::Quiet;
    std::vector<int> run;  // the notes to beam, left to right (element indexes)
    int topNote = 0;       // the highest note of the run (the leftmost on a tie)
    int bar = 0;
};

// Which notes the selection beams: the selected notes of the first selected note's bar that
// share its stem direction, which must be neighbours among that bar's notes of that direction.
BeamPlan planBeam(const std::vector<BeamCandidate>& notes);

} // namespace palettes
