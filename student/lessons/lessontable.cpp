#include "lessontable.h"

namespace lessons {

LessonTable::LessonTable() {
    // rows_[1] intervals, [2] melodies, [3] chords, [4] rhythms to write, [5] cadences,
    // [6] time signatures, [7] rhythms to play.
}

const LessonEntry& LessonTable::row(int lesson) const {
    static const LessonEntry none;
    return lesson >= 1 && lesson <= 7 ? rows_[size_t(lesson)] : none;
}

void LessonTable::setRow(int lesson, LessonEntry row) {
    if (lesson >= 1 && lesson <= 7) rows_[size_t(lesson)] = std::move(row);
}

} // namespace lessons
