#include "classdatabase.h"

#include "common/storedtext/storedtext.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace classserver {
namespace {
QAtomicInteger<quint64> g_connectionSerial;
} // namespace

DbConnection::DbConnection(const QString& path)
    : name_(QStringLiteral("classdb-%1").arg(g_connectionSerial.fetchAndAddRelaxed(1))) {
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    if (!db_.isValid()) {
        error_ = QStringLiteral("The SQLite driver is not available.");
        return;
    }
    // mode=rw: an absent file is an error, not a new empty database.
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setQuery(QStringLiteral("mode=rw"));
    // A writer elsewhere (an import on its worker) holds the file only briefly: wait for it.
    db_.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    db_.setDatabaseName(url.toString(QUrl::FullyEncoded));
    if (!db_.open()) {
        error_ = db_.lastError().text();
        return;
    }
    QSqlQuery pragma(db_);
    if (!pragma.exec(QStringLiteral("PRAGMA foreign_keys = ON"))) {
        error_ = pragma.lastError().text();
        db_.close();
        return;
    }
    open_ = true;
}

DbConnection::~DbConnection() {
    if (db_.isValid()) db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

bool copyFileAtomically(const QString& from, const QString& to, QString* error) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        if (error) *error = source.errorString();
        return false;
    }
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError) {
        if (error) *error = source.errorString();
        return false;
    }
    return common::writeFileAtomic(to, bytes, error);
}

namespace {

bool syncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

const char* const kSideFiles[] = {"-journal", "-wal", "-shm"};

} // namespace

bool removeDatabaseFiles(const QString& path) {
    for (const char* side : kSideFiles) QFile::remove(path + QLatin1String(side));
    return !QFileInfo::exists(path) || QFile::remove(path);
}

bool copyDatabase(const QString& from, const QString& to, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (!QFileInfo(from).isFile()) return fail(QStringLiteral("%1 does not exist.").arg(from));
    const QFileInfo target(to);
    const QString temp = target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                         QStringLiteral(".tmp-%1").arg(g_connectionSerial.fetchAndAddRelaxed(1));
    removeDatabaseFiles(temp);
    {
        DbConnection source(from);
        if (!source.isOpen()) return fail(source.errorText());
        QSqlQuery vacuum(source.db());
        // Reading the source first rolls back what a crash left half written.
        if (!vacuum.prepare(QStringLiteral("VACUUM INTO ?"))) return fail(vacuum.lastError().text());
        vacuum.addBindValue(temp);
        if (!vacuum.exec()) {
            const QString why = vacuum.lastError().text();
            vacuum = QSqlQuery();
            removeDatabaseFiles(temp);
            return fail(why);
        }
    }
    if (!syncFile(temp)) {
        removeDatabaseFiles(temp);
        return fail(QStringLiteral("%1 could not be written to disk.").arg(to));
    }
    // The old target's journal belongs to the old file: it must not be replayed into this one.
    for (const char* side : kSideFiles) QFile::remove(target.absoluteFilePath() + QLatin1String(side));
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        removeDatabaseFiles(temp);
        return fail(why);
    }
    syncFolder(target.absolutePath());
    return true;
}

bool isClassDatabase(const QString& path, QString* why) {
    auto fail = [why](const QString& reason) {
        if (why) *why = reason;
        return false;
    };
    const QFileInfo info(path);
    if (!info.exists()) return fail(QStringLiteral("The file does not exist."));
    if (!info.isFile()) return fail(QStringLiteral("It is not a file."));
    DbConnection c(path);
    if (!c.isOpen()) return fail(c.errorText());
    QSqlQuery q(c.db());
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        return fail(QStringLiteral("It is not a class database (%1).").arg(q.lastError().text()));
    QStringList tables;
    while (q.next()) tables << q.value(0).toString();
    for (const char* table : {"Product", "Class", "Student", "Lesson"})
        if (!tables.contains(QLatin1String(table)))
            return fail(QStringLiteral("It is not a class database: the table %1 is missing.").arg(QLatin1String(table)));
    return true;
}

bool sameFile(const QString& a, const QString& b) {
    auto canonical = [](const QString& path) {
        const QFileInfo info(path);
        const QString file = info.canonicalFilePath();
        if (!file.isEmpty()) return file;
        const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
        return (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
    };
    return canonical(a) == canonical(b);
}

bool holdsOnlyTemplateRows(const QString& path, const QString& templatePath) {
    DbConnection c(path);
    if (!c.isOpen()) return false;
    QSqlQuery q(c.db());
    QUrl original = QUrl::fromLocalFile(QFileInfo(templatePath).absoluteFilePath());
    original.setQuery(QStringLiteral("mode=ro"));
    if (!q.prepare(QStringLiteral("ATTACH DATABASE ? AS original"))) return false;
    q.addBindValue(original.toString(QUrl::FullyEncoded));
    if (!q.exec()) return false;
    auto tables = [&q](const char* schema) {
        QStringList names;
        if (q.exec(QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' "
                                  "ORDER BY name")
                       .arg(QLatin1String(schema))))
            while (q.next()) names << q.value(0).toString();
        return names;
    };
    const QStringList names = tables("main");
    bool same = !names.isEmpty() && names == tables("original");
    for (const QString& name : names) {
        if (!same) break;
        const QString table = QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                              QLatin1Char('"');
        // Same count, and no row of the copy missing from the template.
        same = q.exec(QStringLiteral("SELECT (SELECT COUNT(*) FROM main.%1) = (SELECT COUNT(*) FROM original.%1) AND "
                                     "NOT EXISTS (SELECT * FROM main.%1 EXCEPT SELECT * FROM original.%1)")
                          .arg(table)) &&
               q.next() && q.value(0).toInt() == 1;
    }
    q.finish();
    q.exec(QStringLiteral("DETACH DATABASE original"));
    return same;
}

QString backupPathFor(const QString& workingPath, const QDateTime& at) {
    const QFileInfo working(workingPath);
    const QString stem = working.absolutePath() + QLatin1Char('/') + working.completeBaseName() + QLatin1Char('-') +
                         at.toString(QStringLiteral("yyyy-MM-dd-HHmm"));
    const QString suffix = (working.suffix().isEmpty() ? QString() : QLatin1Char('.') + working.suffix()) +
                           QStringLiteral(".bak");
    QString path = stem + suffix;
    for (int n = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = stem + QLatin1Char('-') + QString::number(n) + suffix;
    return path;
}

QString keepWorkingCopy(const QString& workingPath, const QString& templatePath, QString* warning,
                        const QDateTime& at) {
    // A copy nobody worked in is not worth keeping.
    if (!QFileInfo::exists(workingPath) || holdsOnlyTemplateRows(workingPath, templatePath)) return QString();
    const QString backup = backupPathFor(workingPath, at);
    QString why;
    if (copyDatabase(workingPath, backup, &why)) return backup;
    if (warning)
        *warning = QStringLiteral("The previous class database %1 could not be kept as %2: %3")
                       .arg(workingPath, QFileInfo(backup).fileName(), why);
    return QString();
}

bool makeWorkingCopy(const QString& templatePath, const QString& workingPath, QString* error, QString* backupWarning,
                     QString* keptAs) {
    if (!QFileInfo(templatePath).isFile()) {
        if (error) *error = QStringLiteral("The class database template %1 is missing.").arg(templatePath);
        return false;
    }
    QDir().mkpath(QFileInfo(workingPath).absolutePath());
    const QString kept = keepWorkingCopy(workingPath, templatePath, backupWarning);
    if (keptAs) *keptAs = kept;
    // Whatever journal the old copy left must never meet the template.
    for (const char* side : kSideFiles) {
        const QString file = workingPath + QLatin1String(side);
        if (QFileInfo::exists(file) && !QFile::remove(file)) {
            if (error) *error = QStringLiteral("%1 could not be removed.").arg(file);
            return false;
        }
    }
    return copyFileAtomically(templatePath, workingPath, error);
}

} // namespace classserver
