#include "lessontable.h"

#include "itemscorers.h"
#include "playback.h"
#include "lesson1/intervalexercise.h"
#include "lesson3/chordexercise.h"
#include "lesson5/cadenceexercise.h"
#include "lesson6/timesignatureexercise.h"
#include "written/writtenexercises.h"
#include "written/writtenscorers.h"
#include "lesson7/rhythmplayexercise.h"

namespace lessons {

LessonTable::LessonTable() {
    rows_[1] = {NewIntervalExercise, ScoreIntervals, playInterval};                 // intervals
    rows_[2] = {written::NewMelodyExercise, written::ScoreMelody, playMelody};       // melodies
    rows_[3] = {NewChordExercise, ScoreChords, playChord};                           // chords
    rows_[4] = {written::NewRhythmExercise, written::ScoreRhythm, playRhythm};       // rhythms to write
    rows_[5] = {NewCadenceExercise, ScoreCadences, playCadence};                     // cadences
    rows_[6] = {NewTimeSignatureExercise, ScoreTimeSignatures, playTimeSignature};   // time signatures
    rows_[7] = {NewRhythmPlayExercise, ScorePlayedRhythm, {}};                       // rhythms to play
}

const LessonEntry& LessonTable::row(int lesson) const {
    static const LessonEntry none;
    return lesson >= 1 && lesson <= 7 ? rows_[size_t(lesson)] : none;
}

void LessonTable::setRow(int lesson, LessonEntry row) {
    if (lesson >= 1 && lesson <= 7) rows_[size_t(lesson)] = std::move(row);
}

} // namespace lessons
