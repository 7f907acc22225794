#include "lessoncatalogue.h"

namespace lessons {

const LessonInfo& lessonInfo(int lesson) {
    static const LessonInfo table[kLessonCount + 1] = {
        {"", 0, 0, 0},
        {"1. Identify these intervals.", 9, 3, 11},
        {"2. Playback or Write the following melodies.", 13, 2, 14},
        {"3. Identify these chords.", 12, 4, 14},
        {"4. Playback or Write the following rhythms.", 8, 1, 10},
        {"5. Identify the following cadences.", 6, 5, 8},
        {"6. Identify the following time signatures.", 4, 7, 6},
        {"7. Play the following rhythms.", 12, 1, 14},
    };
    return table[lesson >= 1 && lesson <= kLessonCount ? lesson : 0];
}

QString lessonTitle(int lesson) { return QString::fromLatin1(lessonInfo(lesson).title); }

} // namespace lessons
