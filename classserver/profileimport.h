#pragma once
// Turning one student program's profile text into students and lesson results of the class
// database.
#include <QMap>
#include <QString>
#include <QVector>
#include <atomic>

#include "catalogue.h"

namespace classserver {

struct LessonResult {
    double level = 0;    // level as stored: the record's level minus one
    double average = 0;
    double highest = 0;  // exercises completed
    double attempts = 0;
};

struct PlayerRecord {
    QString name;
    bool hasPassword = false;
    QString password;
    QMap<int, LessonResult> lessons;  // by lesson number
};

// Reads a lesson record "L" level "S" average ["M" completed] ["Q" attempts] (letters in either
// case, decimal digits). A record that is cut, carries other characters, or gives a level below
// 1 is refused (false) so that no made-up numbers reach the database.
bool parseLessonRecord(const QString& record, LessonResult* out);

// Players one profile may bring: a classroom computer holds far fewer, and a text of more
// would only make one import hold the class database for long.
inline constexpr int kMaxPlayersPerProfile = 1000;

// Splits a profile text (CR LF lines) into its players, reading blocks and keys as the student
// program does (common/storedtext: "begin", "end" and every key in any letter case; the first
// password line counts). A player is a block from "begin" to "end" with a non-empty "name="
// line; lines before the name, blocks without "end", lesson keys
// other than "lesson" with a number 1..lessonCount written without leading zeros, empty values
// (but an empty password) and malformed records are passed over. When a name comes twice, the
// first block counts, as it is the one the student program itself reads. Players after the
// first maxPlayers are not read; *skipped (when given) counts them.
QVector<PlayerRecord> parseProfile(const QString& text, int lessonCount, int maxPlayers = kMaxPlayersPerProfile,
                                   int* skipped = nullptr);

struct ImportResult {
    bool ok = false;        // the transaction was committed
    bool cancelled = false; // stopped on request; nothing was written
    int players = 0;        // players found in the text (and written)
    int skipped = 0;        // players past the limit, not written
    QString error;
};

// Writes the players of one plain profile text, polled from one computer with one product
// text, into the database at dbPath: each player is found as the student with that name and
// computer in the product's class block, or becomes a student of the product's Default class;
// every catalogue lesson gets its row; password and lesson results overwrite the stored ones.
// All of it is one transaction: on any failure nothing of this text stays. Runs on any
// thread (with a connection of its own); setting *cancel makes it stop between players and
// roll back.
ImportResult importProfile(const QString& dbPath, const QString& plainText, const QString& computerName,
                           const QString& productText, const std::atomic<bool>* cancel = nullptr);

} // namespace classserver
