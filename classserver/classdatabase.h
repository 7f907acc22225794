#pragma once
// The class database: one SQLite file (products, classes, students, lessons) that the server
// handles as its document. Every operation opens a connection of its own and closes it before
// it returns, so nothing of the database stays open between operations.
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

namespace classserver {

// File names of the class database documents.
inline constexpr char kWorkingCopyName[] = "default.mdb";
inline constexpr char kTemplateName[] = "templates/default.mdb";

// One connection on an existing database file, with foreign keys enforced. A missing file is
// not created: opening fails instead.
class DbConnection {
public:
    explicit DbConnection(const QString& path);
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    bool isOpen() const { return open_; }
    QString errorText() const { return error_; }
    QSqlDatabase& db() { return db_; }

private:
    QString name_;
    QSqlDatabase db_;
    bool open_ = false;
    QString error_;
};

// The name a working copy is kept under when it is replaced, beside it: "default.mdb" kept at
// 09:15 on 11 December 2026 is "default-2026-12-11-0915.mdb.bak", and when a file of that
// name is there already, "default-2026-12-11-0915-2.mdb.bak", "-3" and so on: a kept copy is
// never replaced.
QString backupPathFor(const QString& workingPath, const QDateTime& at);

// Keeps a working copy that holds any work (rows that differ from the template's) under a name
// of its own (backupPathFor) and returns its path. It is opened through SQLite (which rolls
// back a transaction that a crash cut short) and copied whole with VACUUM INTO, so the kept
// copy is a consistent database whatever state a crash left. Empty when there is no working
// copy or it holds nothing but the template's rows; empty too when it cannot be read or
// copied, and *warning (when given) then says why. No kept copy is ever deleted or replaced.
QString keepWorkingCopy(const QString& workingPath, const QString& templatePath, QString* warning = nullptr,
                        const QDateTime& at = QDateTime::currentDateTime());

// Makes the working copy from the template, first keeping the one already there when it holds
// work (keepWorkingCopy; *keptAs, when given, names the kept file, and *backupWarning says why
// it could not be kept). The old copy's -journal, -wal and -shm files are removed before the
// template is put in place, so none is replayed into it. Every file appears whole (written
// aside, then renamed). Returns false with a reason when the template is missing or cannot be
// copied; the working copy then stays as it was.
bool makeWorkingCopy(const QString& templatePath, const QString& workingPath, QString* error = nullptr,
                     QString* backupWarning = nullptr, QString* keptAs = nullptr);

// Whether a class database holds exactly the rows of the template, table by table: a working
// copy in which nothing was done. False when either cannot be read or their tables differ.
bool holdsOnlyTemplateRows(const QString& path, const QString& templatePath);

// Copies a file so that the target is replaced whole or not at all.
bool copyFileAtomically(const QString& from, const QString& to, QString* error = nullptr);

// Copies a class database through SQLite (VACUUM INTO), replacing the target whole or not at
// all. The copy holds every committed row of the source and nothing of a cut transaction.
bool copyDatabase(const QString& from, const QString& to, QString* error = nullptr);

// Removes a database file together with the journal files SQLite may keep beside it.
bool removeDatabaseFiles(const QString& path);

// Whether the file is a class database: it opens and holds the four tables. False with a
// reason a person can read otherwise.
bool isClassDatabase(const QString& path, QString* why = nullptr);

// Whether two paths name the same file (or would, once created).
bool sameFile(const QString& a, const QString& b);

} // namespace classserver
