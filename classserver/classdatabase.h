#pragma once
// The class database: one SQLite file (products, classes, students, lessons) that the server
// handles as its document. Every operation opens a connection of its own and closes it before
// it returns, so nothing of the database stays open between operations.
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

// Makes the working copy from the template. A working copy already there is first kept beside
// it with ".bak" added to its name (default.mdb.bak). Every file appears whole (written aside,
// then renamed), so an interrupted start leaves the old or the new working copy, never a cut one. Returns
// false with a reason when the template is missing or a copy fails; the working copy then
// stays as it was.
bool makeWorkingCopy(const QString& templatePath, const QString& workingPath, QString* error = nullptr);

// Copies a file so that the target is replaced whole or not at all.
bool copyFileAtomically(const QString& from, const QString& to, QString* error = nullptr);

} // namespace classserver
