#include "lessonlist.h"

#include "lessoncatalogue.h"

#include "common/basic.h"
#include "common/storedtext/storedtext.h"
#include "student/profile/playersession.h"
#include "student/profile/profilestore.h"


namespace lessons {
namespace {

// A profile number as the lesson list reads it: the value as a number, rounded half to even;
// nothing when it does not fit the 16-bit fields it goes to.
std::optional<int> profileNumber(const QString& value) {
    const auto n = basic::CInt(basic::Val(value));
    if (!n) return std::nullopt;
    return int(*n);
}

} // namespace

bool readLessonRecord(common::LessonProgressTable& table, const QString& key, const QString& value, qint16& level) {
    const int lesson = common::lessonOfKey(key);
    if (lesson == 0) return false;
    const LessonInfo& info = lessonInfo(lesson);
    level = 2;
    common::ParseScoreRecord(table, qint16(lesson), qint16(info.exercises), value, level);
    if (level < 2 || level > info.endLevel) {
        level = 2;
        table.LessonProgress[1][lesson] = "1";
    }
    return true;
}

void LessonList::setup(tonvale::PlayerSession& s, const QString& profilePath, qint16& currentLevel) {
    currentLevel = 2;

    QString text;
    profileRead_ = common::LoadStoredText(profilePath, text);
    // Results that could not be written yet are the player's all the same.
    if (profileRead_) text = tonvale::ProfileStore::withKept(text, profilePath);

    if (!loadedOnce_ || lastPlayer_ != s.PlayerName) s.PracticeMode = false;
    loadedOnce_ = true;
    lastPlayer_ = s.PlayerName;

    for (int i = 1; i <= kLessonCount; ++i) {
        s.LessonProgress[1][i] = "1";
        s.LessonProgress[2][i] = "0%";
        s.LessonProgress[3][i] = "0%";
        s.LessonProgress[4][i] = "0";
        s.AverageScore[i] = 100;
        s.AttemptCount[i] = 0;
        s.CompletedLevel[i] = 0;
    }
    s.UpperBound = 90;
    s.LowerBound = 80;
    s.IntervalStyle = 3;

    if (profileRead_) {
        // Every line of the player's own block is the player's, its key in any letter case.
        for (const common::KeyValueLine& line : common::playerBlockLines(text, s.PlayerName)) {
            const QString& value = line.value;
            qint16 level = 2;
            if (common::isKey(line.key, "upper")) {
                if (auto n = profileNumber(value)) s.UpperBound = *n;
            } else if (common::isKey(line.key, "lower")) {
                if (auto n = profileNumber(value)) s.LowerBound = *n;
            } else if (common::isKey(line.key, "interval")) {
                if (auto n = profileNumber(value); n && *n >= 1 && *n <= 3) s.IntervalStyle = *n;
            } else if (common::isKey(line.key, "practice")) {
                s.PracticeMode = value == "true";
            } else if (readLessonRecord(s, line.key, value, level)) {
                currentLevel = level;
            }
        }
    }

    for (int i = 1; i <= kLessonCount; ++i) {
        LessonTitle[i] = lessonTitle(i);
        LessonDifficulty[i] = kDifficulty;
        LessonRow& row = rows_[i];
        row.title = LessonTitle[i];
        row.difficulty = LessonDifficulty[i];
        row.level = s.LessonProgress[1][i];
        row.completed = s.LessonProgress[2][i];
        row.average = s.LessonProgress[3][i];
        row.attempts = s.LessonProgress[4][i];
        row.icon = lessonInfo(i).icon;
        row.checked = basic::Val(row.level) > 1;
    }
}

} // namespace lessons
