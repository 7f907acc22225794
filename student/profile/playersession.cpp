#include "playersession.h"

namespace tonvale {

PlayerSession& PlayerSession::instance() {
    static PlayerSession session;
    return session;
}

void PlayerSession::reset() {
    static_cast<common::LessonProgressTable&>(*this) = common::LessonProgressTable();
    for (int lesson = 1; lesson <= 7; ++lesson) LessonProgress[5][lesson] = QString::number(kExerciseCounts[lesson]);
    PlayerName.clear();
    PlayerPassword.clear();
    PasswordResult.clear();
    UpperBound = 90;
    LowerBound = 80;
    IntervalStyle = 3;
    PracticeMode = false;
}

} // namespace tonvale
