#pragma once
// The music arithmetic the builders, players and scorers share: the tonic of a key, beats and
// bar lengths on the tick grid (whole note 8192 ticks), the accidental a key signature gives a
// letter, the semitone value of a written note, letters to steps, and hit-testing of control
// arrays. Stateless apart from the key-signature order tables filled at start-up.
#include "notationarrays.h"

#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

namespace lessons {

class StaffSeam;

// The key-signature order tables (entries 1..7; 0 unused): staff step of the k-th sharp or
// flat (0 = top line of a treble staff, +1 per step down) and its letter (C = 0 .. B = 6).
struct KeyTables {
    std::array<int, 8> SharpPositions{};
    std::array<int, 8> SharpSteps{};
    std::array<int, 8> FlatPositions{};
    std::array<int, 8> FlatSteps{};
};
// Filled when the main window initialises (fillKeyTables).
KeyTables& keyTables();
void fillKeyTables();

// Semitones of a key's major tonic from C, folded into -6..6 (G flat +6, F sharp -6); keys
// are -7 (seven flats) .. 7 (seven sharps), anything else 0.
qint16 KeyToTonicOffset(int key);
// Beats per bar of a metre element by its Pulses: 1..6 give 2, 3, 4, 2, 3, 4; else 0.
qint16 GetBeatsPerBar(QObject* metre);
qint16 beatsPerBarForPulses(int pulses);
bool IsNonZero(int value);
// Bar length in quarter notes: (2, 3, 4, 6, 9, 12 units for pulses 1..6) x the unit's ticks
// (8192 .. 512 for units 0..4) / 2048. The product is formed in 32 bits, so every metre
// has its length (12 half notes included); other indexes give 0.
double GetBarLength(qint32 pulses, qint32 unit);
// One beat in ticks: the unit's ticks x 1 (pulses 1..3) or 3 (pulses 4..6); else 0.
double GetBeatTicks(qint32 pulses, qint32 unit);
// Accidental (0 none, 1 sharp, 2 flat) that key signature `key` gives letter `step`
// (1..7 = C..B). A key outside -7..7 gives 0.
qint32 KeyAccidentalForStep(int step, qint32 key);
// The note's own AccidentalName when it has one, else the key's for `step`.
qint32 GetNoteAccidentalFromKey(QObject* note, qint32 step, qint32 key);
// "C" 1 .. "B" 7, exactly (upper case only); anything else 0.
qint16 LetterToStep(const QString& letter);
// White-key semitone value of a staff step counted from the treble staff's bottom line
// (-3: the B below the reference C = 0; 0: E = 5); 0 outside -20..20.
int whiteKeyValue(int step);
// Semitone value of written note `index` (C of its reference octave = 1), as the scorers
// compare it: its step on its staff, lowered 12 steps under a bass clef, then the key's
// accidental for its letter (when a key is given and the note has none of its own), then the
// note's own accidental. `staffIndex` receives the staff the note stands on.
qint16 GetEffectiveAccidental(StaffSeam& staff, int index, ElementArray& notes, QObject* clef, int& staffIndex,
                              std::optional<qint32> key = std::nullopt);
// True when left < x < right and top < y < bottom.
bool PointInRect(qint32 left, qint32 top, qint32 right, qint32 bottom, qint32 x, qint32 y);

// The first element 1..UBound of `controls` whose rectangle (its Left, Top, Left + Width,
// Top + Height - 200 twips) strictly holds the point (x + containerLeft, y + containerTop);
// 0 when none does. Elements that are not loaded (erased ones leave gaps) are skipped.
template <class T>
qint16 ControlAtPoint(qint32 x, qint32 y, double containerLeft, double containerTop,
                      const common::ControlArray<T>& controls) {
    const double px = x + containerLeft, py = y + containerTop;
    for (int i = 1; i <= controls.ubound(); ++i) {
        const common::ElementRecord* r = controls.record(i);
        if (!r) continue;
        if (r->Left < px && px < r->Left + r->Width && r->Top < py && py < r->Top + r->Height - 200)
            return qint16(i);
    }
    return 0;
}

} // namespace lessons
