#include "reportmodule.h"
#include "reportoptions.h"

#include "common/storedtext/storedtext.h"
#include "platform/dialogs.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace report {

ReportModule* loadReportModule(const QStringList& folders, QString* why) {
    const QString file = QStringLiteral(TONVALE_REPORT_MODULE_FILE);
    QString reason = QStringLiteral("%1 is not installed beside the program.").arg(file);
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(file);
        if (!QFileInfo::exists(path)) continue;
        QLibrary library(path);  // never unloaded: the module's objects live as long as the program
        const auto entry = reinterpret_cast<ReportModuleEntry>(library.resolve(kReportModuleEntry));
        if (ReportModule* module = entry ? entry() : nullptr) return module;
        reason = library.errorString();
    }
    if (why) *why = reason;
    return nullptr;
}

void openStudentReport(const QString& playerName, QWidget* owner) {
    static QString why;
    static ReportModule* const module = loadReportModule(
        {QCoreApplication::applicationDirPath(), QStringLiteral(TONVALE_REPORT_MODULE_DIR)}, &why);
    openStudentReport(playerName, owner, module, why);
}

void openStudentReport(const QString& playerName, QWidget* owner, ReportModule* module, const QString& why) {
    if (!module) {
        platform::Dialogs::instance().messageBox("The student report could not be made." + common::CRLF + why,
                                                 platform::OkOnly | platform::Exclamation, "Student Report", owner);
        return;
    }
    ReportHost host;
    host.dialogs = &platform::Dialogs::instance();
    host.dataFolder = platform::Paths::dataFolder();
    host.shareFolder = platform::Paths::shareFolder();
    host.today = reportToday();
    module->showStudentReport(host, playerName, owner);
}

} // namespace report
