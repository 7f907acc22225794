#include "paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#ifndef TONVALE_BUILD_SHARE_DIR
#define TONVALE_BUILD_SHARE_DIR ""
#endif

namespace platform {
namespace {
QString g_data;
QString g_share;

QString stripLead(QString name) {
    name.replace('\\', '/');
    while (name.startsWith('/')) name.remove(0, 1);
    return name;
}
} // namespace

QString Paths::dataFolder() {
    QString dir = g_data;
    if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dir.isEmpty()) dir = QDir::homePath() + "/.local/share/" + QCoreApplication::applicationName().toLower();
    QDir().mkpath(dir);
    return dir;
}

void Paths::setDataFolder(const QString& dir) { g_data = dir; }

QString Paths::shareFolder() {
    if (!g_share.isEmpty()) return g_share;
    const QString env = qEnvironmentVariable("TONVALE_SHARE_DIR");
    if (!env.isEmpty()) return env;
    const QString built = QStringLiteral(TONVALE_BUILD_SHARE_DIR);
    if (!built.isEmpty() && QDir(built).exists()) return built;
    return QCoreApplication::applicationDirPath() + "/../share/tonvale";
}

void Paths::setShareFolder(const QString& dir) { g_share = dir; }

QString Paths::dataFile(const QString& name) { return dataFolder() + "/" + stripLead(name); }
QString Paths::shareFile(const QString& name) { return shareFolder() + "/" + stripLead(name); }

} // namespace platform
