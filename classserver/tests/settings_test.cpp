// Network settings (Server.cfg) and report options (Report.cfg).
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>

#include "classserver/frmconfig.h"
#include "classserver/reportoptions.h"
#include "classserver/catalogue.h"
#include "classserver/serverconfig.h"
#include "fakeclient.h"
#include "common/basic.h"
#include "common/storedtext/storedtext.h"
#include "common/helpwindow.h"
#include "platform/paths.h"
#include "windowfixture.h"
#include <QTextBrowser>

using namespace classserver;
using namespace testsupport;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool accepts(quint16 port) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    return s.waitForConnected(1000);
}

class Settings : public WindowFixture {
protected:
    // Opens the network settings, types a port and presses OK, then Cancel if it is still open.
    void typePort(const QString& text) {
        shownPort.clear();
        dialogs.modalHandlers["frmConfig"] = [&, text](QDialog& d) {
            auto& dlg = static_cast<FrmConfig&>(d);
            shownPort = dlg.txtPort->text();
            shownName = dlg.lblName->text();
            dlg.txtPort->setText(text);
            dlg.cmdOK->click();
            if (dlg.result() != QDialog::Accepted) dlg.cmdCancel->click();
            return dlg.result();
        };
        w->mnuConfigNetwork->trigger();
    }
    QString shownPort, shownName;
};

} // namespace

TEST_F(Settings, OkListensOnTheTypedPortAndKeepsItOnlyThen) {
    FrmConfig::computerName = [] { return QStringLiteral("TEACHER-PC"); };
    const QString cfg = w->serverConfigPath();
    quint16 listening = w->listeningPort();
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    const quint16 p1 = freePort(), p2 = freePort();
    const struct {
        QString text;
        quint16 port;          // listened on afterwards (0: the one before)
        QByteArray file;       // Server.cfg afterwards ("" unchanged)
        const char* message;   // shown, or none
    } cases[] = {
        {QString::number(p1), p1, "\"port=" + QByteArray::number(p1) + "\r\n\"\r\n", nullptr},
        {" " + QString::number(p2), p2, "\"port= " + QByteArray::number(p2) + "\r\n\"\r\n", nullptr},
        {"abc", 0, "", "Please enter a port number from 1 to 65535."},
        {"70000", 0, "", "Please enter a port number from 1 to 65535."},
        {"0", 0, "", "Please enter a port number from 1 to 65535."},
        {QString::number(taken.serverPort()), 0, "", "Port in use. Please choose another."},
    };
    FakeClient early(listening);
    early.onRequest = FakeClient::answering("LAB1", "Tonvale 1.2", "");
    ASSERT_TRUE(waitUntil([&] { return w->server().clientCount() == 1; }));
    bool first = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const QByteArray before = fileBytes(cfg);
        dialogs.shown.clear();
        typePort(c.text);
        // The dialog shows the computer's name and the stored port (2001 before any).
        EXPECT_EQ(shownName, "TEACHER-PC");
        if (first) {
            EXPECT_EQ(shownPort, "2001");
        }
        first = false;
        if (c.message) {
            ASSERT_EQ(dialogs.shown.size(), 1);
            EXPECT_EQ(dialogs.shown[0].text, c.message);
            EXPECT_EQ(fileBytes(cfg), before);
            EXPECT_EQ(w->listeningPort(), listening);
            EXPECT_TRUE(accepts(listening));
        } else {
            EXPECT_TRUE(dialogs.shown.isEmpty());
            EXPECT_EQ(fileBytes(cfg), c.file);
            EXPECT_EQ(w->listeningPort(), c.port);
            EXPECT_TRUE(accepts(c.port));
            EXPECT_FALSE(accepts(listening));
            listening = c.port;
        }
    }
    // A student program connected before the moves was never cut off and still answers (also
    // once the old listeners are gone).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    pump(50);
    EXPECT_FALSE(early.closed());
    EXPECT_EQ(w->server().clientCount(), 1);
    QString answer;
    w->server().request(1, "@@COMPUTERNAME", [&](Reply, const QString& a) { answer = a; });
    EXPECT_TRUE(waitUntil([&] { return answer == "LAB1"; }));
    // The next dialog shows the stored text, blank included; the next start listens there.
    typePort(" " + QString::number(p2));
    EXPECT_EQ(shownPort, " " + QString::number(p2));
    EXPECT_EQ(readServerPort(cfg), p2);
    FrmConfig::computerName = [] { return QSysInfo::machineHostName(); };
}

TEST_F(Settings, HelpOpensTheServersHelpPage) {
    dialogs.modalHandlers["frmConfig"] = [](QDialog& d) {
        static_cast<FrmConfig&>(d).cmdHelp->click();
        return 0;
    };
    w->mnuConfigNetwork->trigger();
    common::HelpWindow* help = common::HelpWindow::current();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->windowTitle(), "Hallbrin Help");
    EXPECT_TRUE(help->isVisible());
    // The page is in the share folder the server was given; the build's own has it.
    EXPECT_TRUE(w->helpPage().endsWith("/help/hallbrin.html"));
    help->close();
    w->openHelp(platform::Paths::shareFolder() + "/help/hallbrin.html");
    EXPECT_TRUE(help->shownFile().endsWith("/help/hallbrin.html")) << help->shownFile().toStdString();
    EXPECT_TRUE(help->browser()->toPlainText().contains("Hallbrin Help"));
    w->mnuHelpContents->trigger();
    EXPECT_EQ(common::HelpWindow::current(), help);
}

TEST(ReportCfg, AClassLineIsItsWholeFirstField) {
    const QString crlf = "\r\n";
    const QString file = "Class 10,Advanced,5," + crlf + "Class 1,Beginner,1,2," + crlf + "Class 3,Advanced," + crlf +
                         "Default,,4,9," + crlf + "Class 4,,999,4,0,x,98," + crlf + "Class 5,,999," + crlf +
                         "Class 6," + crlf + defaultReportText();
    const struct {
        const char* cls;
        bool found;
        bool hasLevel;
        const char* level;
        std::vector<int> lessons;
    } cases[] = {
        {"Class 1", true, true, "Beginner", {1, 2}},   // after "Class 10", never inside it
        {"Class 10", true, true, "Advanced", {5}},
        {"Class 3", true, true, "Advanced", {}},        // level only
        {"Default", true, true, "", {4, 9}},            // lessons only
        {"Class 4", true, true, "", {4, 98}},           // numbers outside 1..98 are passed over
        {"Class 5", true, true, "", {}},
        {"Class 6", true, false, "", {}},               // the line stops after its class
        {"Class 2", false, false, "", {}},
        {"1", false, false, "", {}},                    // the numbered lines are no class lines
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cls);
        const ClassOptions o = findClassOptions(file, c.cls);
        EXPECT_EQ(o.found, c.found);
        EXPECT_EQ(o.hasLevel, c.hasLevel);
        EXPECT_EQ(o.level, c.level);
        std::vector<int> chosen;
        for (int k = 1; k <= 98; ++k)
            if (o.lessons[k]) chosen.push_back(k);
        EXPECT_EQ(chosen, c.lessons);
        EXPECT_EQ(o.anyLesson, !c.lessons.empty());
    }
    // Storing replaces the class's own line in place, or puts a new class first.
    LessonChoice some{};
    some[7] = some[12] = true;
    const QString line = classOptionsLine("Class 1", "Intermediate", some);
    EXPECT_EQ(line, "Class 1,Intermediate,7,12," + crlf);
    const QString stored = storeClassOptions(file, "Class 1", line);
    EXPECT_EQ(stored, QString(file).replace("Class 1,Beginner,1,2,", "Class 1,Intermediate,7,12,"));
    EXPECT_EQ(storeClassOptions(file, "Class 2", "Class 2,,1," + crlf), "Class 2,,1," + crlf + file);
    EXPECT_EQ(defaultReportText().left(5), crlf + "1" + crlf);
    EXPECT_TRUE(defaultReportText().endsWith("98" + crlf));
}

TEST_F(Settings, ReportOptionsEditTheLineOfTheSelectedClass) {
    const qint64 ann = addStudent(db, "Ann", "LAB1", 2);
    w->UpdateTreeView();
    const QString cfg = w->reportConfigPath();
    QString caption;
    std::function<void(FrmReportOptions&)> act;
    dialogs.modalHandlers["frmReportOptions"] = [&](QDialog& d) {
        auto& dlg = static_cast<FrmReportOptions&>(d);
        caption = dlg.windowTitle();
        act(dlg);
        return dlg.result();
    };
    auto selectedLessons = [](FrmReportOptions& dlg) {
        QList<int> out;
        for (int i = 0; i < dlg.lstLessons->count(); ++i)
            if (dlg.lstLessons->item(i)->isSelected()) out << int(basic::Val(dlg.lstLessons->item(i)->text()));
        return out;
    };

    // No Report.cfg: every lesson listed and chosen, "All" pressed; OK writes them all.
    select("Class 2");
    act = [&](FrmReportOptions& dlg) {
        EXPECT_EQ(dlg.lstLessons->count(), 98);
        EXPECT_EQ(selectedLessons(dlg).size(), 98);
        EXPECT_TRUE(dlg.optLevel[0]->isChecked());
        dlg.cmdOK->click();
    };
    w->mnuConfigReport->trigger();
    EXPECT_EQ(caption, "Customize Report Options for Class 2");
    QString text;
    ASSERT_TRUE(common::ReadTextFile(cfg, text));
    QString all = "Class 2,,";
    for (int k = 1; k <= 98; ++k) all += QString::number(k) + ",";
    EXPECT_EQ(text, all + "\r\n");

    // A stored level: its lessons listed, the stored ones chosen; a choice among lessons the
    // level hides is kept.
    ASSERT_TRUE(common::WriteTextFile(cfg, "Class 2,Intermediate,40,41,\r\nClass 20,Advanced,3,\r\n"));
    act = [&](FrmReportOptions& dlg) {
        EXPECT_TRUE(dlg.optLevel[2]->isChecked());
        int intermediate = 0;
        for (int k = 1; k <= 98; ++k) intermediate += LessonCatalogue::instance().Lessons1Difficulty[k] == "Intermediate";
        EXPECT_EQ(dlg.lstLessons->count(), intermediate);
        EXPECT_EQ(selectedLessons(dlg), QList<int>({40, 41}));
        dlg.optLevel[3]->click();                  // Advanced
        dlg.lstLessons->item(0)->setSelected(true);  // lesson 3
        dlg.optLevel[1]->click();                  // Beginner, and OK
        dlg.cmdOK->click();
    };
    w->mnuConfigReport->trigger();
    ASSERT_TRUE(common::ReadTextFile(cfg, text));
    EXPECT_EQ(text, "Class 2,Beginner,3,40,41,\r\nClass 20,Advanced,3,\r\n");
    EXPECT_EQ(w->ReportLevel, "Beginner");

    // A student's class is the one edited; Cancel writes nothing.
    select("AnnLAB1002", ann);
    act = [&](FrmReportOptions& dlg) {
        dlg.cmdRemoveAll_Click();
        dlg.cmdCancel->click();
    };
    w->mnuConfigReport->trigger();
    EXPECT_EQ(caption, "Customize Report Options for Class 2");
    ASSERT_TRUE(common::ReadTextFile(cfg, text));
    EXPECT_EQ(text, "Class 2,Beginner,3,40,41,\r\nClass 20,Advanced,3,\r\n");
}
