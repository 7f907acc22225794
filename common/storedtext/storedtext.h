#pragma once
// Stored-text files and the key=value grammar that the student program writes and the class
// server reads: a file is one quoted record of transformed text; the plain text is CR LF
// lines, settings are key=value lines and players are "begin".."end" blocks.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVector>

#include <array>

namespace common {

// The one line break of every stored text, message and settings file.
inline const QString CRLF = QStringLiteral("\r\n");

// ---- Files -------------------------------------------------------------------------------

// Replaces path with data so that a reader (or a crash) sees either the old file whole or
// the new one whole: writes a temporary file in the same folder, flushes and syncs it,
// renames it over path and syncs the folder. On failure the old file is untouched, the
// temporary is removed, and *error (when given) says why.
bool writeFileAtomic(const QString& path, const QByteArray& data, QString* error = nullptr);

// The hidden temporary files that writeFileAtomic makes (".<name>.tmp-<8 hex digits>").
bool isAtomicTemporaryName(const QString& fileName);
// Removes from folder the temporaries that a killed writer left behind; one that a live
// writer still holds is left alone. Returns how many were removed.
int removeStaleTemporaries(const QString& folder);

enum class StoredTextStatus {
    Ok,           // read (and decoded); an empty file is Ok with the empty text
    Missing,      // no such file
    Unreadable,   // exists but could not be opened or read
    Undecodable,  // read, but the transform refused it (cut, altered or not ours)
};

// Reads a stored text file: its quoted items joined, then decoded. text is set only on Ok.
StoredTextStatus readStoredText(const QString& path, QString& text);

// The items of a stored text file joined without the transform (comma or line end between
// items; a quoted item runs to the next quote and loses its quotes; blanks around an
// unquoted item are dropped). A quote that is never closed means the file was cut short:
// *complete (when given) is then false.
QString joinFileItems(const QByteArray& bytes, bool* complete = nullptr);

// True with the plain text; False (text unchanged) when the file is missing, unreadable, cut
// short or does not decode.
bool LoadStoredText(const QString& path, QString& text);
// Writes text as one quoted stored record followed by CR LF, atomically. False when the file
// could not be written (*error, when given, says why); the old file then stays as it was.
bool SaveStoredText(const QString& path, const QString& text, QString* error = nullptr);
// The stored text itself (not decoded), as the class link sends it; False as for
// LoadStoredText except that the text is not decoded.
bool ReadTextFile(const QString& path, QString& text);
// Writes text as one quoted record (a double quote, the text, a double quote, CR LF) with no
// transform, atomically, so ReadTextFile gives back a text that holds no double quote. The
// class server's settings files (Server.cfg, Report.cfg) are such files. False when the file
// could not be written; the old file then stays as it was.
bool WriteTextFile(const QString& path, const QString& text);

// ---- Plain-text grammar ------------------------------------------------------------------

// Keys of profile lines compare without regard to letter case, in every reader and in the
// save alike: "Name=Ann" and "NAME=Ann" are name lines as "name=Ann" is, "UPPER=85" is the
// upper bound. The program writes its keys in lower case. Values compare exactly.
bool isKey(QStringView key, const char* name);
bool isKey(QStringView key, QStringView name);
// The lesson 1..7 of a key "lesson1".."lesson7" (in any letter case); 0 for any other key.
int lessonOfKey(QStringView key);

// Cuts the "begin".."end" block that holds the line `search` ("name=" & a player name).
// The line must be a whole line of the block: its key matches ignoring letter case, its
// value matches exactly, so "name=Ann" never finds "name=Anna" or "name=ann". A block is
// named by its first line of that key: a later name line in it names no one, so "name=Bob"
// never finds Ann's block, whatever lines it holds. Of two blocks of one name the first is
// found.
// start is the 1-based position of the block's "begin" line and length runs through the
// "end" line and its CR LF; when no such block exists the result is empty, start is -1 and
// length 0.
QString ExtractBlock(qint32& start, qint32& length, const QString& text, const QString& search);
// The same search starting at a 1-based position (blocks that begin before it are skipped).
QString ExtractBlockFrom(qint32 from, qint32& start, qint32& length, const QString& text,
                         const QString& search);

// The lines that open and close a block: no "=", and SplitKeyValue calls them "begin" / "end".
bool isBeginLine(QStringView line);
bool isEndLine(QStringView line);

// key := before the first "=", value := after it; without "=": "begin" for a line holding
// "begin", "end" for a 3-character line holding "end" (letter case ignored), else empty.
void SplitKeyValue(const QString& line, QString& key, QString& value);

// One key=value line of a block.
struct KeyValueLine {
    QString key;
    QString value;
};
// The key=value lines of the player's own block in a profile text (the block ExtractBlock
// finds with "name=" & player), in their order, every one of them the player's wherever it
// stands; lines without "=" are left out. Empty when the player has no block.
QVector<KeyValueLine> playerBlockLines(const QString& text, const QString& player);

// items := "" at index 0, then each line of text that is not blank, as it stands, to the
// end of the text. An empty text leaves items as they were.
void SplitToArray(const QString& text, QStringList& items, const QString& delimiter);

// The progress grid and the numbers behind it, per lesson 0..7 (field 0 and lesson 0 unused
// by the records). Field 1 level shown, 2 completion %, 3 average %, 4 attempts, 5 exercises.
struct LessonProgressTable {
    std::array<std::array<QString, 8>, 6> LessonProgress{};
    std::array<int, 8> AverageScore{};
    std::array<int, 8> CompletedLevel{};
    std::array<int, 8> AttemptCount{};
};

// Parses a lesson record "L<level>S<average>M<completed>Q<attempts>" of lesson 1..7 into
// the table; level receives the record's level. A lesson outside 0..7 changes nothing.
void ParseScoreRecord(LessonProgressTable& table, qint16 lesson, qint16 exerciseCount,
                      const QString& record, qint16& level);

// The leading whole number of a text (blanks, an optional sign, digits), 0 when there is
// none; held to the 16-bit range the records are kept in.
int leadingWholeNumber(const QString& text);

} // namespace common
