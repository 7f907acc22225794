#pragma once
// How an exercise set runs once a lesson is shown: the start of a set in test mode (the
// announcement, the deadline, the countdown), the next set, marking (DoScore with the
// scorers' common head and tail and the level update), and the countdown itself.
#include "lessoncontext.h"

#include <QString>

namespace lessons {

// Test time: the deadline lies two minutes ahead and the countdown runs to a minute past it.
inline constexpr qint64 kDeadlineAheadMs = 2 * 60 * 1000;
inline constexpr qint64 kCountdownPastDeadlineMs = 60 * 1000;

// What every builder does when a test-mode set starts: "Starting lesson n exercise L" (its
// Help button opens the lesson's help and leaves the box up), then, when `setDeadline`, the
// deadline two minutes ahead on the monotonic clock, and the countdown runs.
void announceTestSet(LessonContext& ctx, bool setDeadline = true);

// cmdGo_Click: the next set of the lesson shown (practice mode asks "Skip to next exercise?").
void cmdGo_Click(LessonContext& ctx);

// DoScore: marks the running set now (Stop, the countdown, quitting). An attempt is counted
// only for a running set in test mode, so practice sets and marking a set again never move
// the attempts or the average.
void DoScore(LessonContext& ctx);
// The level, average and highest level after a running set is marked (the scorers' tail).
void RecordExerciseResult(LessonContext& ctx);

// Timer1's tick: the time left shown as hh:mm:ss, and the time-out (the set is marked) when
// none is left, on a late tick too. While a question sounds the time-out waits for its end.
void Timer1_Timer(LessonContext& ctx);
// The countdown's text for the time left: whole seconds rounded up, "00:00:00" when none.
QString countdownText(qint64 remainingMs);
qint64 remainingMs(const ExerciseState& state);

// The practice button's blink: the next picture (4 on, 5 off, 6 bright) for the blink step,
// which it advances.
int practiceBlinkImage(int& blinkStep);

} // namespace lessons
