#include "profileimport.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "classdatabase.h"
#include "common/storedtext/storedtext.h"

namespace classserver {
namespace {

// Reads up to 9 decimal digits at pos; false when there are none or too many.
bool readNumber(const QString& s, int& pos, int* value) {
    const int start = pos;
    int v = 0;
    while (pos < s.size() && s.at(pos).isDigit() && s.at(pos).unicode() < 128) {
        if (pos - start >= 9) return false;
        v = v * 10 + (s.at(pos).unicode() - '0');
        ++pos;
    }
    if (pos == start) return false;
    *value = v;
    return true;
}

bool readLetter(const QString& s, int& pos, QChar letter) {
    if (pos < s.size() && s.at(pos).toUpper() == letter) {
        ++pos;
        return true;
    }
    return false;
}

// "lesson" keys carry the number as the student program writes it: no sign, no leading zero.
// The key's letters, like every profile key's, compare without regard to case.
int lessonNumberOfKey(const QString& key) {
    static const QString prefix = QStringLiteral("lesson");
    if (!key.startsWith(prefix, Qt::CaseInsensitive)) return 0;
    const QString digits = key.mid(prefix.size());
    if (digits.isEmpty() || digits.size() > 5 || digits.at(0) == QLatin1Char('0')) return 0;
    int pos = 0, n = 0;
    if (!readNumber(digits, pos, &n) || pos != digits.size()) return 0;
    return n;
}

} // namespace

bool parseLessonRecord(const QString& record, LessonResult* out) {
    int pos = 0;
    int level = 0, average = 0, highest = 0, attempts = 0;
    if (!readLetter(record, pos, 'L') || !readNumber(record, pos, &level)) return false;
    if (!readLetter(record, pos, 'S') || !readNumber(record, pos, &average)) return false;
    if (readLetter(record, pos, 'M') && !readNumber(record, pos, &highest)) return false;
    if (readLetter(record, pos, 'Q') && !readNumber(record, pos, &attempts)) return false;
    if (pos != record.size() || level < 1) return false;
    out->level = level - 1;
    out->average = average;
    out->highest = highest;
    out->attempts = attempts;
    return true;
}

QVector<PlayerRecord> parseProfile(const QString& text, int lessonCount, int maxPlayers, int* skipped) {
    QVector<PlayerRecord> players;
    QSet<QString> seen;
    PlayerRecord current;
    int over = 0;
    bool inBlock = false;
    bool named = false;
    const QStringView all(text);
    const QLatin1String lineEnd("\r\n");
    qsizetype at = 0;
    // Lines are looked at in place: a long text is never copied line by line.
    while (at <= all.size()) {
        qsizetype end = all.indexOf(lineEnd, at);
        if (end < 0) end = all.size();
        const QStringView line = all.mid(at, end - at);
        at = end + 2;
        // Blocks open and close as the student program's own reader sees them.
        if (common::isBeginLine(line)) {
            current = PlayerRecord();
            inBlock = true;
            named = false;
            continue;
        }
        if (!inBlock) continue;
        if (common::isEndLine(line)) {
            if (named && !seen.contains(current.name)) {
                if (players.size() < maxPlayers) {
                    seen.insert(current.name);
                    players.push_back(current);
                } else {
                    ++over;
                }
            }
            inBlock = false;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        const QStringView key = line.left(eq);
        const QStringView value = line.mid(eq + 1);
        if (common::isKey(key, "name")) {
            if (!named && !value.isEmpty()) {
                current.name = value.toString();
                named = true;
            }
            continue;
        }
        // Nothing belongs to a player before its name; past the limit only the names count.
        if (!named || players.size() >= maxPlayers) continue;
        // The first password line is the player's, as the student program reads it.
        if (common::isKey(key, "password")) {
            if (current.hasPassword) continue;
            current.hasPassword = true;
            current.password = value.toString();
            continue;
        }
        if (key.size() > 11 || value.isEmpty() || value.size() > 64) continue;
        const int n = lessonNumberOfKey(key.toString());
        if (n < 1 || n > lessonCount) continue;
        LessonResult result;
        if (parseLessonRecord(value.toString(), &result)) current.lessons.insert(n, result);
    }
    if (skipped) *skipped = over;
    return players;
}

ImportResult importProfile(const QString& dbPath, const QString& plainText, const QString& computerName,
                           const QString& productText, const std::atomic<bool>* cancel) {
    ImportResult result;
    const Product product = productFromText(productText);
    const int base = productBase(product);
    const int count = lessonCount(product);
    const QVector<PlayerRecord> players = parseProfile(plainText, count, kMaxPlayersPerProfile, &result.skipped);

    DbConnection connection(dbPath);
    if (!connection.isOpen()) {
        result.error = connection.errorText();
        return result;
    }
    QSqlDatabase& db = connection.db();
    if (!db.transaction()) {
        result.error = db.lastError().text();
        return result;
    }
    const LessonCatalogue& catalogue = LessonCatalogue::instance();
    bool ok = true;
    {
        QSqlQuery find(db), addStudent(db), addLesson(db), setPassword(db), setLesson(db);
        QString error;
        auto fail = [&](QSqlQuery& q) {
            error = q.lastError().text();
            return false;
        };
        auto prepare = [&](QSqlQuery& q, const char* sql) { return q.prepare(QLatin1String(sql)) || fail(q); };
        ok = prepare(find, "SELECT StudentID FROM Student WHERE StudentName = ? AND ComputerName = ? "
                           "AND ClassID BETWEEN ? AND ? ORDER BY StudentID LIMIT 1") &&
             prepare(addStudent, "INSERT INTO Student (StudentName, ComputerName, ClassID) VALUES (?, ?, ?)") &&
             prepare(addLesson, "INSERT OR IGNORE INTO Lesson (StudentID, LessonNumber, LessonName, Difficulty, "
                                "TotExercises, LLevel, Average, HighestLevel, Attempts) "
                                "VALUES (?, ?, ?, ?, ?, 0, 0, 0, 0)") &&
             prepare(setPassword, "UPDATE Student SET Password = ? WHERE StudentID = ?") &&
             prepare(setLesson, "UPDATE Lesson SET LLevel = ?, Average = ?, HighestLevel = ?, Attempts = ? "
                                "WHERE StudentID = ? AND LessonNumber = ?");
        for (const PlayerRecord& player : players) {
            if (!ok) break;
            if (cancel && cancel->load()) {
                ok = false;
                result.cancelled = true;
                break;
            }
            find.addBindValue(player.name);
            find.addBindValue(computerName);
            find.addBindValue(base);
            find.addBindValue(base + 10);
            if (!find.exec()) { ok = fail(find); break; }
            qint64 studentId = 0;
            if (find.next()) {
                studentId = find.value(0).toLongLong();
                find.finish();
            } else {
                find.finish();
                addStudent.addBindValue(player.name);
                addStudent.addBindValue(computerName);
                addStudent.addBindValue(base);
                if (!addStudent.exec()) { ok = fail(addStudent); break; }
                studentId = addStudent.lastInsertId().toLongLong();
            }
            for (int k = 1; k <= count && ok; ++k) {
                const bool listed = catalogue.has(product, k);
                const CatalogueEntry e = catalogue.entry(product, k);
                addLesson.addBindValue(studentId);
                addLesson.addBindValue(k);
                addLesson.addBindValue(listed ? QVariant(e.name) : QVariant());
                addLesson.addBindValue(listed ? QVariant(e.difficulty) : QVariant());
                addLesson.addBindValue(listed ? QVariant(e.exercises) : QVariant());
                if (!addLesson.exec()) ok = fail(addLesson);
            }
            if (ok && player.hasPassword) {
                setPassword.addBindValue(player.password);
                setPassword.addBindValue(studentId);
                if (!setPassword.exec()) ok = fail(setPassword);
            }
            for (auto it = player.lessons.cbegin(); ok && it != player.lessons.cend(); ++it) {
                setLesson.addBindValue(it->level);
                setLesson.addBindValue(it->average);
                setLesson.addBindValue(it->highest);
                setLesson.addBindValue(it->attempts);
                setLesson.addBindValue(studentId);
                setLesson.addBindValue(it.key());
                if (!setLesson.exec()) ok = fail(setLesson);
            }
        }
        result.error = error;
    }
    if (ok && db.commit()) {
        result.ok = true;
        result.players = players.size();
    } else {
        if (ok) result.error = db.lastError().text();
        db.rollback();
    }
    return result;
}

} // namespace classserver
