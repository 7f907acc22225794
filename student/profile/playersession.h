#pragma once
// The program-wide player state of the student program: who is playing, the answer of the
// last password question, the player's settings and progress. The profile store writes it
// from the player dialogs and saves it back; the lesson list reads it.
#include "common/storedtext/storedtext.h"

#include <QString>

namespace tonvale {

// What the password dialog answers when it is cancelled; every caller compares against it.
inline const QString kCancelSentinel = QStringLiteral("aborting71825");
// Accepted instead of a player's own password for deleting (any letter case) and importing
// (exact letter case), never for logging in.
inline const QString kMasterPassword = QStringLiteral("curator");
// Exercises per lesson 1..7 (index 0 unused).
inline constexpr int kExerciseCounts[8] = {0, 9, 13, 12, 8, 6, 4, 12};

// Names and passwords are each the value of one profile line, so a one-line box keeps only
// the first line of what is pasted into it (a line break would split or forge a block).
inline QString firstLine(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == QLatin1Char('\r') || text[i] == QLatin1Char('\n')) return text.left(i);
    return text;
}

// The progress grid `LessonProgress` (field 1..5, lesson 0..7) and the per-lesson numbers
// `AverageScore`, `CompletedLevel`, `AttemptCount` come from the shared table, so the record
// parser fills the session directly.
class PlayerSession : public common::LessonProgressTable {
public:
    static PlayerSession& instance();
    // Back to the state of a program that has just started (tests call it between cases).
    void reset();

    QString PlayerName;        // empty while no player is chosen
    QString PlayerPassword;
    QString PasswordResult;    // the text entered, "" after a mismatch, or kCancelSentinel
    int UpperBound = 90;       // score bounds in percent
    int LowerBound = 80;
    int IntervalStyle = 3;     // 1 symbols, 2 letters, 3 words
    bool PracticeMode = false; // the check mark of the Practice Mode menu item

    PlayerSession() { reset(); }
};

} // namespace tonvale
