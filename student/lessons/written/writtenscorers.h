#pragma once
// The markers of the two written lessons: what the student wrote on the staves against the
// melody (lesson 2) or rhythm (lesson 4) the builder left in the note table. Each runs between
// the scoring cycle's common head and tail: it adds each right note's share to the score,
// deducts for bars that do not add up, for faulty rests and (melodies) a wrong key signature,
// colours every faulty symbol red with its fault as tool tip, and rounds the score.
#include "student/lessons/lessoncontext.h"

#include <QString>

namespace lessons::written {

void ScoreMelody(LessonContext& ctx);
void ScoreRhythm(LessonContext& ctx);

// Whether the key signature written on staff `staff` is the one of `keyScale` (-7..7) for the
// clef `ClefSymbol(clefIndex)`: one kind of sign, each accidental on its line or space in
// order, as many as the key has. Accidentals found there are cleared first. An accidental
// whose slot names no written accidental makes the signature wrong. A C clef reads as alto
// when `lessonName` names alto, or neither alto nor tenor, and it stands where an alto clef
// stands; otherwise as tenor.
bool CheckKeySignature(const NotationArrays& a, const LoadedFlags& flags, int staff, int keyScale, int clefIndex,
                       double leftOffset = 0, int rowOffset = 0, const QString& lessonName = QString());

// Whether any written accidental stands on staff `staff`.
bool keySignatureWritten(const NotationArrays& a, const LoadedFlags& flags, int staff);

} // namespace lessons::written
