#pragma once
// Helpers shared by the class server tests: bounded waits, profile texts, scratch databases.
#include "waituntil.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QVariant>

#include "classserver/classdatabase.h"
#include "platform/paths.h"

#include <ostream>

// Readable texts in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace testsupport {

using ::waitUntil;

// Lets events run for ms.
inline void pump(int ms) {
    waitUntil([] { return false; }, ms);
}

// A profile text of CR LF lines.
inline QString lines(const QStringList& l) {
    QString text;
    for (const QString& s : l) text += s + "\r\n";
    return text;
}

// One player's block as the student program writes it.
inline QString block(const QString& name, const QString& password, const QStringList& lessonLines = {}) {
    QStringList l{"begin", "name=" + name, "password=" + password, "upper=89", "lower=79"};
    l += lessonLines;
    l += QStringList{"practice=false", "interval=3", "end"};
    return lines(l);
}

inline QString templatePath() {
    return platform::Paths::shareFolder() + "/" + classserver::kTemplateName;
}

// A fresh working copy of the template in its own folder.
struct ScratchDb {
    QTemporaryDir dir;
    QString path;
    ScratchDb() : path(dir.path() + "/default.mdb") {
        classserver::makeWorkingCopy(templatePath(), path);
    }
};

// The first column of the first row of a query (invalid when there is none).
inline QVariant scalar(const QString& dbPath, const QString& sql, const QVariantList& binds = {}) {
    classserver::DbConnection c(dbPath);
    if (!c.isOpen()) return QVariant();
    QSqlQuery q(c.db());
    q.prepare(sql);
    for (const QVariant& v : binds) q.addBindValue(v);
    if (!q.exec() || !q.next()) return QVariant();
    return q.value(0);
}

inline int count(const QString& dbPath, const QString& table) {
    return scalar(dbPath, "SELECT COUNT(*) FROM " + table).toInt();
}

// Rows of a query as text, fields joined by "|".
inline QStringList rows(const QString& dbPath, const QString& sql, const QVariantList& binds = {}) {
    QStringList out;
    classserver::DbConnection c(dbPath);
    if (!c.isOpen()) return out;
    QSqlQuery q(c.db());
    q.prepare(sql);
    for (const QVariant& v : binds) q.addBindValue(v);
    if (!q.exec()) return out;
    while (q.next()) {
        QStringList fields;
        for (int i = 0; i < q.record().count(); ++i)
            fields << (q.value(i).isNull() ? QStringLiteral("NULL") : q.value(i).toString());
        out << fields.join('|');
    }
    return out;
}

} // namespace testsupport

namespace testsupport {

// Writes rows straight into a class database, for fixtures.
inline qint64 addStudent(const QString& dbPath, const QString& name, const QString& computer, int classId,
                         const QVariant& password = QVariant()) {
    classserver::DbConnection c(dbPath);
    QSqlQuery q(c.db());
    q.prepare("INSERT INTO Student (StudentName, ComputerName, ClassID, Password) VALUES (?, ?, ?, ?)");
    q.addBindValue(name);
    q.addBindValue(computer);
    q.addBindValue(classId);
    q.addBindValue(password);
    if (!q.exec()) return 0;
    return q.lastInsertId().toLongLong();
}

struct LessonFixture {
    int number;
    QVariant name, difficulty, exercises, level, average, highest, attempts;
};

inline bool addLesson(const QString& dbPath, qint64 studentId, const LessonFixture& l) {
    classserver::DbConnection c(dbPath);
    QSqlQuery q(c.db());
    q.prepare("INSERT INTO Lesson (StudentID, LessonNumber, LessonName, Difficulty, TotExercises, LLevel, Average, "
              "HighestLevel, Attempts) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (const QVariant& v : {QVariant(studentId), QVariant(l.number), l.name, l.difficulty, l.exercises, l.level,
                              l.average, l.highest, l.attempts})
        q.addBindValue(v);
    return q.exec();
}

inline bool execSql(const QString& dbPath, const QString& sql, const QVariantList& binds = {}) {
    classserver::DbConnection c(dbPath);
    QSqlQuery q(c.db());
    q.prepare(sql);
    for (const QVariant& v : binds) q.addBindValue(v);
    return q.exec();
}

} // namespace testsupport
