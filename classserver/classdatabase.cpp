#include "classdatabase.h"

#include "common/storedtext/storedtext.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

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
    db_.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
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

bool makeWorkingCopy(const QString& templatePath, const QString& workingPath, QString* error) {
    if (!QFileInfo(templatePath).isFile()) {
        if (error) *error = QStringLiteral("The class database template %1 is missing.").arg(templatePath);
        return false;
    }
    QDir().mkpath(QFileInfo(workingPath).absolutePath());
    if (QFileInfo::exists(workingPath)) {
        const QString backup = workingPath + ".bak";
        if (!copyFileAtomically(workingPath, backup, error)) return false;
    }
    return copyFileAtomically(templatePath, workingPath, error);
}

} // namespace classserver
