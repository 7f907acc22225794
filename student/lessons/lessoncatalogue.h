#pragma once
// The seven lessons as the lesson list and the exercise flow know them.
#include <QString>

namespace lessons {

inline constexpr int kLessonCount = 7;
inline const QString kDifficulty = QStringLiteral("Incremental");

struct LessonInfo {
    const char* title;
    int exercises;   // passed to the record parser; also the Completed percentage's base
    int icon;        // 1-based image of the lesson list's icons
    int endLevel;    // last internal level (shown level plus one)
};

// Lessons 1..7; anything else gives an empty entry (no title, 0 exercises).
const LessonInfo& lessonInfo(int lesson);
QString lessonTitle(int lesson);

} // namespace lessons
