#pragma once
// The lesson list's data: reads the current player's block of the profile into the player
// session (score bounds, interval naming, practice mode, per-lesson progress) and gives the
// seven rows the list shows. The window fills its list view from the rows.
#include <QString>
#include <array>

namespace common { struct LessonProgressTable; }
namespace tonvale { class PlayerSession; }

namespace lessons {

// A lesson record line of a player's block ("lesson1".."lesson7", the key in any letter case)
// read into the table as the lesson list shows it; level takes the stored level, and a level
// outside the lesson's levels shows as level 1 and gives 2. False, and nothing read, for any
// other key.
bool readLessonRecord(common::LessonProgressTable& table, const QString& key, const QString& value, qint16& level);

struct LessonRow {
    QString title;
    QString difficulty;
    QString level;       // shown level
    QString completed;   // "33%"
    QString average;     // "75%"
    QString attempts;
    int icon = 0;
    bool checked = false;   // the lesson's level is above 1
};

class LessonList {
public:
    // SetupLessonList's reading. Every per-player value is reset first: the progress of each
    // lesson, the bounds (90/80), the interval naming (3) and the level to start from (2);
    // practice mode also goes back to test mode when the player is not the one read last
    // time. Values out of range in the profile (an interval naming other than 1..3, a stored
    // level outside the lesson's levels) keep their defaults. A profile that cannot be read
    // leaves the defaults, never the previous player's rows. `currentLevel` (the exercise
    // state's level) starts at 2 and takes each stored lesson record's level as it is read.
    void setup(tonvale::PlayerSession& session, const QString& profilePath, qint16& currentLevel);

    // Rows of lessons 1..7 (index 0 unused).
    const std::array<LessonRow, 8>& rows() const { return rows_; }
    bool profileRead() const { return profileRead_; }
    std::array<QString, 8> LessonTitle;
    std::array<QString, 8> LessonDifficulty;

private:
    std::array<LessonRow, 8> rows_;
    bool profileRead_ = false;
    bool loadedOnce_ = false;
    QString lastPlayer_;
};

} // namespace lessons
