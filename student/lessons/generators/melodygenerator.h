#pragma once
// CreateMelody: one random tonal melody in the note table, moving mostly by step in runs of
// one direction and ending on a two-chord cadence chosen from the allowed ones; the cadence
// the last two notes fit is recorded so the cadence lesson can sound and mark it.
//
// Pitches are drawn as scale steps of the major key (0 the tonic, 7 the tonic an octave up)
// and written as semitones above the tonic. The generator draws nothing and plays nothing,
// and never reseeds: the builders do, so one seeded stream replays a whole set.
#include "notetable.h"

#include <QString>
#include <array>
#include <vector>

class QWidget;
namespace common { class Random; }

namespace lessons {

// Degree sets: bit d stands for degree d (0 do .. 6 ti). Bit 7 is never a degree, so the
// tonic belongs to vi alone; I and IV are used as they stand.
namespace degreeset {
constexpr int V = 0x52;
constexpr int IV = 0xA8;
constexpr int I = 0x94;
constexpr int V7 = 0x5A;
constexpr int vi = 0x25;
} // namespace degreeset

// Cadence options, as the lessons pass them.
namespace cadence {
constexpr int VI = 1, IVI = 2, IV = 4, IVV = 8, Vvi = 16, V7vi = 32, V7I = 64;
} // namespace cadence

struct MelodySpec {
    int noteCount = 0;          // N
    int barCount = 0;           // staff segments: the first holds clef and metre
    int maxLeap = 5;            // a move spans at most maxLeap - 1 steps
    int stepRange = 8;          // steps available from the start step
    bool allowRepeat = false;   // permissive rules until the first repeated note
    int pulses = 3;             // the metre's Pulses
    int shortestDuration = 250;
    int startMask = 1;          // bit b - 1 lets the range start b - 1 steps above the tonic
    int cadenceOptions = 1;
    std::vector<int> excludedSteps;
};

// The cadence the last two notes fit: its name, and per chord (elements 1 and 2) the
// voicing and kind the cadence chord player takes (kinds 1 major, 2 minor, 5 dominant 7th).
struct CadenceRecord {
    QString name;
    std::array<int, 3> positions{};
    std::array<int, 3> kinds{};
    bool isEmpty() const { return name.isEmpty(); }
    void clear() { *this = CadenceRecord{}; }
    bool operator==(const CadenceRecord& o) const {
        return name == o.name && positions == o.positions && kinds == o.kinds;
    }
};

// Semitones above the tonic of scale step x (0..14); -1 outside.
int stepSemitones(int step);

// Generates into rows 1..N of the table (grown to N rows when smaller). Returns whether an
// attempt kept every rule; after ten failed attempts the table holds the last one. The
// record is cleared first and names only a cadence the final last two notes form.
bool generateMelody(const MelodySpec& spec, NoteTable& table, CadenceRecord& record,
                    common::Random& random);

// generateMelody, telling the student "Failed to create Melody!" when it gives up.
bool CreateMelody(const MelodySpec& spec, NoteTable& table, CadenceRecord& record,
                  common::Random& random, QWidget* owner = nullptr);

} // namespace lessons
