// The student report module's entry: the program's services are taken over on each call.
#include "reportmodule.h"
#include "studentreport.h"

#include "platform/dialogs.h"
#include "platform/paths.h"

#include <QtGlobal>

namespace report {
namespace {

class Module : public ReportModule {
public:
    void showStudentReport(const ReportHost& host, const QString& playerName, QWidget* owner) override {
        platform::Dialogs::setInstance(host.dialogs);
        platform::Paths::setDataFolder(host.dataFolder);
        platform::Paths::setShareFolder(host.shareFolder);
        const QDate today = host.today;
        setReportToday([today] { return today; });
        report::showStudentReport(playerName, owner);
    }
};

} // namespace
} // namespace report

extern "C" Q_DECL_EXPORT report::ReportModule* tonvaleReportModule() {
    static report::Module module;
    return &module;
}
