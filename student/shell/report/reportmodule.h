#pragma once
// The student report is a module of its own, loaded on its first use: it is the one part of
// Tonvale that needs Qt Sql and Qt Print Support, and linked, both would be loaded and
// relocated with every start. The module carries its own copies of the services it uses, so
// each call hands it the program's: the dialogs (scripted ones in tests), the folders and the
// report's date.
#include <QDate>
#include <QString>
#include <QStringList>

class QWidget;
namespace platform { class Dialogs; }

namespace report {

struct ReportHost {
    platform::Dialogs* dialogs = nullptr;
    QString dataFolder;
    QString shareFolder;
    QDate today;
};

class ReportModule {
public:
    virtual ~ReportModule() = default;
    // showStudentReport (studentreport.h) with the program's services.
    virtual void showStudentReport(const ReportHost& host, const QString& playerName, QWidget* owner) = 0;
};

// The module's one export, an extern "C" function of this type and name.
using ReportModuleEntry = ReportModule* (*)();
inline constexpr char kReportModuleEntry[] = "tonvaleReportModule";

// The module from the first of folders that holds one ("libtonvale_report.so"); it stays
// loaded. Null, and *why, when none is there or it does not load.
ReportModule* loadReportModule(const QStringList& folders, QString* why);

// The program's side of ShowStudentReport and the player dialog's View: the module is found
// beside the program (or in the build tree) and loaded once. When it cannot be loaded, a
// message box says so and nothing else happens.
void openStudentReport(const QString& playerName, QWidget* owner);
// The same with a module already looked for (null: why it is missing).
void openStudentReport(const QString& playerName, QWidget* owner, ReportModule* module, const QString& why);

} // namespace report
