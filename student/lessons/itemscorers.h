#pragma once
// The item lessons' marking: each right item of lessons 1, 3, 5 and 6 is worth 12.5 points
// and its answer turns yellow (labels) or stays black (time signatures); a wrong one turns
// cyan or red. Items without an answer get nothing. Lesson 7 marks the played taps against
// the written rhythm.
#include "lessoncontext.h"

#include <QString>

namespace lessons {

inline constexpr quint32 kRightLabel = 0x00FFFF;   // yellow (red in the low byte)
inline constexpr quint32 kWrongLabel = 0xFFFF00;   // cyan
inline constexpr quint32 kRightSymbol = 0;         // black
inline constexpr quint32 kWrongSymbol = 255;       // red

// Whether `text` names an interval of `semitones` in naming style `style` (1 symbols,
// 2 letters, 3 words): quality and number, or "Tri-Tone" for 6.
bool ValidatePlayedInterval(int style, int semitones, const QString& text);

void ScoreIntervals(LessonContext& ctx);
void ScoreChords(LessonContext& ctx);
void ScoreCadences(LessonContext& ctx);
void ScoreTimeSignatures(LessonContext& ctx);
void ScorePlayedRhythm(LessonContext& ctx);

// Answer label colours as the platform stores them (red in the low byte).
void setLabelBackColor(QLabel* label, quint32 oleColor);
quint32 labelBackColor(const QLabel* label);

} // namespace lessons
