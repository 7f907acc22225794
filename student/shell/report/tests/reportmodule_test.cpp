// The report module's loader: a module that is missing or not a library is told in a message
// box, and nothing is shown.
#include "student/shell/report/reportmodule.h"

#include "platform/dialogs.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace report {
namespace {

TEST(ReportModuleLoader, AMissingOrBrokenModuleIsToldInAMessageBox) {
    QTemporaryDir empty, broken;
    QFile fake(broken.filePath("libtonvale_report.so"));
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write("not a library");
    fake.close();

    struct Case {
        QStringList folders;
        QString reason;  // part of the message's second line
    };
    const Case cases[] = {
        {{empty.path()}, "libtonvale_report.so is not installed beside the program."},
        {{empty.path(), broken.path()}, "libtonvale_report.so"},
    };
    for (const Case& c : cases) {
        QString why;
        ReportModule* module = loadReportModule(c.folders, &why);
        EXPECT_EQ(module, nullptr);
        EXPECT_TRUE(why.contains(c.reason)) << why.toStdString();

        platform::ScriptedDialogs dialogs;
        platform::DialogsOverride guard(&dialogs);
        openStudentReport("Ann", nullptr, module, why);
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_EQ(dialogs.shown[0].title, "Student Report");
        EXPECT_EQ(dialogs.shown[0].text, "The student report could not be made.\r\n" + why);
        EXPECT_TRUE(dialogs.modalsShown.isEmpty());
    }
}

} // namespace
} // namespace report
