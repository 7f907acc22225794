// The class server's window: its menus and toolbar, start-up, Refresh and shut-down.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTcpServer>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include "classserver/classserver.h"
#include "classserver/frmhallbrin.h"
#include "common/about/frmabout.h"
#include <QLabel>
#include <QPushButton>
#include "common/storedtext/storedtext.h"
#include "fakeclient.h"
#include "platform/dialogs.h"
#include "platform/vexel/vexel.h"
#include "student/shell/classlink/classlinkclient.h"
#include "testoutput.h"
#include "testsupport.h"
#include "windowfixture.h"

using namespace classserver;
using namespace testsupport;

namespace {

// Counts the rebuilds of the roster tree and list.
class CountingHallbrin : public frmHallbrin {
public:
    using frmHallbrin::frmHallbrin;
    int treeBuilds = 0;
    int listBuilds = 0;

protected:
    void UpdateTreeView() override { ++treeBuilds; }
    void UpdateListView() override { ++listBuilds; }
};

QStringList shownCaptions(const QList<QAction*>& actions) {
    QStringList out;
    for (QAction* a : actions)
        if (a->isVisible()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

class HallbrinWindow : public ::testing::Test {
protected:
    void SetUp() override {
        putTemplate(share.path());
    }
    std::unique_ptr<frmHallbrin> makeWindow(std::optional<quint16> port = quint16(0)) {
        auto w = std::make_unique<frmHallbrin>(scratchOptions(data.path(), share.path(), port));
        w->server().setRequestTimeoutMs(2000);
        w->server().setShutdownTimeoutMs(2000);
        return w;
    }
    std::unique_ptr<classlink::ClassLinkClient> student(const QString& computer, const QString& profile, quint16 port) {
        auto c = std::make_unique<classlink::ClassLinkClient>();
        folders.push_back(std::make_unique<QTemporaryDir>());
        c->setDataFolder(folders.back()->path());
        c->setComputerNameSource([computer] { return computer; });
        common::SaveStoredText(folders.back()->path() + "/Tonvale.txt", profile);
        classlink::writeClientConfig(folders.back()->path() + "/Client.cfg", "127.0.0.1", QString::number(port));
        c->ConnectToServer();
        return c;
    }

    QTemporaryDir data;
    QTemporaryDir share;
    std::vector<std::unique_ptr<QTemporaryDir>> folders;
    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride guard{&dialogs};
};

} // namespace

TEST_F(HallbrinWindow, MenusAndToolbarAreLaidOutAsTheInstructorSeesThem) {
    auto w = makeWindow();
    EXPECT_EQ(w->windowTitle(), "Hallbrin 2.1");
    EXPECT_EQ(shownCaptions(w->menuBar()->actions()),
              QStringList({"&File", "&Edit", "&View", "&Configure", "&Help"}));
    EXPECT_EQ(shownCaptions(w->mnuFile->actions()),
              QStringList({"&New", "&Open...", "&Save...", "Save &As...", "-", "&Exit"}));
    EXPECT_EQ(shownCaptions(w->mnuEdit->actions()), QStringList({"&Edit..."}));
    EXPECT_EQ(shownCaptions(w->mnuView->actions()), QStringList({"&Connections...", "Re&port...", "-", "&Refresh!"}));
    EXPECT_EQ(shownCaptions(w->mnuConfig->actions()), QStringList({"&Network...", "Customize &Report..."}));
    EXPECT_EQ(shownCaptions(w->mnuHelp->actions()), QStringList({"&Help Contents...", "-", "&About..."}));
    EXPECT_EQ(shownCaptions(w->mnuPopup->actions()), QStringList({"&Edit...", "Re&port..."}));
    EXPECT_EQ(w->mnuPopup->title(), "Popup");
    EXPECT_FALSE(w->menuBar()->actions().contains(w->mnuPopup->menuAction()));
    ASSERT_EQ(w->toolbarButtons.size(), 5);
    QStringList keys;
    for (QAction* b : w->toolbarButtons) keys << b->data().toString();
    EXPECT_EQ(keys, QStringList({"New", "Open", "Save", "", "Report"}));
    EXPECT_EQ(w->tvwLesson->objectName(), "tvwLesson");
    EXPECT_EQ(w->lvwLesson->objectName(), "lvwLesson");
    w->show();
    EXPECT_TRUE(w->grab().save(testOutputPath("hallbrin_window.png")));
}

TEST_F(HallbrinWindow, LoadMakesTheWorkingCopyAndListens) {
    const QString old = data.path() + "/default.mdb";
    ASSERT_TRUE(makeWorkingCopy(share.path() + "/templates/default.mdb", old));
    {
        DbConnection c(old);
        QSqlQuery q(c.db());
        ASSERT_TRUE(q.exec("INSERT INTO Student (StudentName, ComputerName, ClassID) VALUES ('Ann', 'LAB1', 11)"));
    }
    auto w = makeWindow();
    w->Form_Load();
    EXPECT_EQ(w->DatabasePath, data.path() + "/default.mdb");
    EXPECT_EQ(count(w->DatabasePath, "Class"), 78);
    EXPECT_EQ(count(w->DatabasePath, "Student"), 0);
    // The last session's work is kept beside it, and the teacher is told where.
    const QStringList kept = keptCopies(data.path());
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(rows(kept[0], "SELECT StudentName FROM Student"), QStringList({"Ann"}));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.contains(kept[0])) << dialogs.shown[0].text.toStdString();
    EXPECT_NE(w->listeningPort(), 0);
    // No class or student is selected yet: no report can be asked for.
    EXPECT_FALSE(w->mnuViewReport->isEnabled());
    EXPECT_FALSE(w->mnuConfigReport->isEnabled());
    EXPECT_FALSE(w->mnuPopupReport->isEnabled());
    EXPECT_FALSE(w->toolbarButtons.at(4)->isEnabled());
    EXPECT_FALSE(w->mnuEditEdit->isEnabled());
}

// A session's work that was never saved outlasts the start after a crash and the start after
// that: the untouched working copy of the second session is not kept.
TEST_F(HallbrinWindow, UnsavedWorkOutlastsTwoRestarts) {
    const struct { const char* what; std::function<void(frmHallbrin&)> work; QStringList students; const char* classId14; } cases[] = {
        {"a poll", [this](frmHallbrin& w) {
             auto lab = student("LAB1", block("Ann", "a", {"lesson3=L3S80M5Q2"}), w.listeningPort());
             ASSERT_TRUE(waitUntil([&] { return w.server().clientCount() == 1; }));
             QSignalSpy done(&w, &frmHallbrin::pollFinished);
             w.mnuRefresh_Click();
             ASSERT_TRUE(waitUntil([&] { return done.count() == 1; }));
         }, {"Ann|LAB1|11"}, "Class 3"},
        {"a class edited", [](frmHallbrin& w) {
             ASSERT_TRUE(execSql(w.DatabasePath, "UPDATE Class SET ClassName = 'Strings' WHERE ClassID = 14"));
         }, {}, "Strings"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(data.path() + "/default.mdb");
        for (const QString& old : keptCopies(data.path())) QFile::remove(old);
        dialogs.shown.clear();
        {
            // The session works, and is killed: its shut-down never runs.
            auto w = makeWindow();
            w->Form_Load();
            c.work(*w);
        }
        QString backup;
        {
            // The next start keeps the work aside and says where; then File > Exit.
            auto w = makeWindow();
            w->Form_Load();
            EXPECT_EQ(count(w->DatabasePath, "Student"), 0);
            ASSERT_EQ(keptCopies(data.path()).size(), 1);
            backup = keptCopies(data.path())[0];
            ASSERT_EQ(dialogs.shown.size(), 1);
            EXPECT_TRUE(dialogs.shown[0].text.contains(backup)) << dialogs.shown[0].text.toStdString();
            w->show();
            w->mnuFileExit->trigger();
            ASSERT_TRUE(waitUntil([&] { return !w->isVisible(); }, 5000));
            EXPECT_EQ(dialogs.shown.size(), 1);
        }
        {
            // And the start after that still has it, and keeps nothing more.
            auto w = makeWindow();
            w->Form_Load();
            EXPECT_EQ(dialogs.shown.size(), 1);
        }
        EXPECT_EQ(keptCopies(data.path()), QStringList({backup}));
        EXPECT_EQ(rows(backup, "SELECT StudentName, ComputerName, ClassID FROM Student"), c.students);
        EXPECT_EQ(scalar(backup, "SELECT ClassName FROM Class WHERE ClassID = 14").toString().toStdString(), c.classId14);
    }
}

// The day that used to lose work: a crash, a restart, File > New with students connected (its
// own poll leaves nothing to ask about), Exit, a restart; then the teacher opens the kept file
// of the crash, works in it, and starts again. Nothing of it is lost: every piece of work is
// in a kept file, and none was replaced.
TEST_F(HallbrinWindow, WorkThatWasNeverSavedIsNeverReplaced) {
    const QString names = "SELECT StudentName FROM Student ORDER BY StudentName";
    {
        // A session imports Ann and is killed.
        auto w = makeWindow();
        w->Form_Load();
        auto ann = student("LAB1", block("Ann", "a"), w->listeningPort());
        ASSERT_TRUE(waitUntil([&] { return w->server().clientCount() == 1; }));
        QSignalSpy done(w.get(), &frmHallbrin::pollFinished);
        w->mnuRefresh_Click();
        ASSERT_TRUE(waitUntil([&] { return done.count() == 1; }));
    }
    QString crashed;
    {
        // The restart keeps Ann's work and names the file. New, with Bea connected, asks nothing
        // and polls her in; Exit asks nothing either.
        auto w = makeWindow();
        w->Form_Load();
        w->show();
        ASSERT_EQ(keptCopies(data.path()).size(), 1);
        crashed = keptCopies(data.path())[0];
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_TRUE(dialogs.shown[0].text.contains(crashed)) << dialogs.shown[0].text.toStdString();
        auto bea = student("LAB2", block("Bea", "b"), w->listeningPort());
        ASSERT_TRUE(waitUntil([&] { return w->server().clientCount() == 1; }));
        QSignalSpy done(w.get(), &frmHallbrin::pollFinished);
        w->mnuFileNew->trigger();
        ASSERT_TRUE(waitUntil([&] { return done.count() == 1; }));
        EXPECT_EQ(rows(w->DatabasePath, names), QStringList({"Bea"}));
        w->mnuFileExit->trigger();
        ASSERT_TRUE(waitUntil([&] { return !w->isVisible(); }, 5000));
        EXPECT_EQ(dialogs.shown.size(), 1);
    }
    QString newPoll;
    {
        // The next start keeps Bea's poll in a file of its own. The teacher opens the crash's
        // file; Open's poll brings Cy into it, and a class gets its name.
        dialogs.shown.clear();
        auto w = makeWindow();
        w->Form_Load();
        w->show();
        QStringList kept = keptCopies(data.path());
        ASSERT_EQ(kept.size(), 2);
        kept.removeAll(crashed);
        ASSERT_EQ(kept.size(), 1);
        newPoll = kept[0];
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_TRUE(dialogs.shown[0].text.contains(newPoll)) << dialogs.shown[0].text.toStdString();
        auto cy = student("LAB3", block("Cy", "c"), w->listeningPort());
        ASSERT_TRUE(waitUntil([&] { return w->server().clientCount() == 1; }));
        QSignalSpy done(w.get(), &frmHallbrin::pollFinished);
        dialogs.files = {crashed};
        w->mnuFileOpen->trigger();
        ASSERT_TRUE(waitUntil([&] { return done.count() == 1; }));
        EXPECT_EQ(w->DatabasePath, crashed);
        ASSERT_TRUE(execSql(w->DatabasePath, "UPDATE Class SET ClassName = 'Strings' WHERE ClassID = 14"));
        w->mnuFileExit->trigger();
        ASSERT_TRUE(waitUntil([&] { return !w->isVisible(); }, 5000));
    }
    {
        auto w = makeWindow();
        w->Form_Load();
    }
    EXPECT_EQ(rows(crashed, names), QStringList({"Ann", "Cy"}));
    EXPECT_EQ(scalar(crashed, "SELECT ClassName FROM Class WHERE ClassID = 14").toString().toStdString(), "Strings");
    EXPECT_EQ(rows(newPoll, names), QStringList({"Bea"}));
    EXPECT_EQ(keptCopies(data.path()).size(), 2);
}

// Student programs connect once at their start and never again: the server listens before it
// says anything at start-up, and takes connections while its notice is open.
TEST_F(HallbrinWindow, StudentsConnectWhileTheStartUpNoticeIsOpen) {
    const QString old = data.path() + "/default.mdb";
    ASSERT_TRUE(makeWorkingCopy(share.path() + "/templates/default.mdb", old));
    ASSERT_TRUE(execSql(old, "INSERT INTO Student (StudentName, ComputerName, ClassID) VALUES ('Ann', 'LAB1', 11)"));
    struct NoticeDialogs : platform::ScriptedDialogs {
        std::function<void()> whileShown;
        int messageBox(const QString& text, int style, const QString& title, QWidget* owner) override {
            if (whileShown) whileShown();
            return ScriptedDialogs::messageBox(text, style, title, owner);
        }
    } notice;
    platform::DialogsOverride guard(&notice);
    auto w = makeWindow();
    int connectedDuringNotice = 0;
    notice.whileShown = [&] {
        if (w->listeningPort() == 0) return;
        FakeClient early(w->listeningPort());
        if (early.waitConnected() && waitUntil([&] { return w->server().clientCount() == 1; })) ++connectedDuringNotice;
    };
    w->Form_Load();
    ASSERT_EQ(notice.shown.size(), 1);
    EXPECT_EQ(notice.shown[0].title, "Class Database");
    EXPECT_EQ(connectedDuringNotice, 1);
}

TEST_F(HallbrinWindow, PortComesFromServerCfg) {
    QTcpServer probe;  // a port that is free right now
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    QFile cfg(data.path() + "/Server.cfg");
    ASSERT_TRUE(cfg.open(QIODevice::WriteOnly));
    cfg.write("\"port=" + QByteArray::number(port) + "\r\n\"\r\n");
    cfg.close();
    auto w = makeWindow(std::nullopt);
    w->Form_Load();
    EXPECT_EQ(w->listeningPort(), port);
}

TEST_F(HallbrinWindow, StartUpSaysWhatWentWrong) {
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    auto w = makeWindow(taken.serverPort());
    w->Form_Load();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Port in use. Please choose another.");
    EXPECT_EQ(dialogs.shown[0].title, "Connection Error");
    EXPECT_EQ(dialogs.shown[0].style, platform::OkOnly | platform::Exclamation);
    EXPECT_EQ(w->listeningPort(), 0);

    dialogs.shown.clear();
    QFile::remove(share.path() + "/templates/default.mdb");
    HallbrinOptions o;
    o.dataFolder = data.path();
    o.shareFolder = share.path();
    o.port = 0;
    o.address = QHostAddress("192.0.2.1");  // not an address of this machine
    frmHallbrin other(o);
    other.Form_Load();
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_TRUE(dialogs.shown[0].text.contains("missing")) << dialogs.shown[0].text.toStdString();
    EXPECT_EQ(dialogs.shown[1].text, "Unable to listen on port 0");
    EXPECT_EQ(dialogs.shown[1].title, "Connection Error");
}

TEST_F(HallbrinWindow, RefreshImportsAndLocksTheDocumentCommandsWhileItRuns) {
    auto w = makeWindow();
    w->Form_Load();
    auto a = student("LAB1", block("Ann", "a", {"lesson3=L3S80M5Q2"}), w->listeningPort());
    auto b = student("LAB2", block("Bob", "b"), w->listeningPort());
    ASSERT_TRUE(waitUntil([&] { return w->server().clientCount() == 2; }));
    QSignalSpy done(w.get(), &frmHallbrin::pollFinished);
    w->mnuRefresh->trigger();
    for (QAction* locked : {w->mnuFileNew, w->mnuFileOpen, w->mnuFileSave, w->mnuFileSaveAs, w->toolbarButtons.at(0),
                            w->toolbarButtons.at(1)})
        EXPECT_FALSE(locked->isEnabled()) << locked->objectName().toStdString();
    // Refresh! stops it, and Exit stops it before it goes on.
    EXPECT_TRUE(w->mnuRefresh->isEnabled());
    EXPECT_TRUE(w->mnuFileExit->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return done.count() == 1; }));
    EXPECT_TRUE(w->mnuRefresh->isEnabled());
    EXPECT_TRUE(w->mnuFileExit->isEnabled());
    EXPECT_TRUE(w->DataChanged);
    EXPECT_EQ(rows(w->DatabasePath, "SELECT StudentName, ComputerName FROM Student ORDER BY StudentName"),
              QStringList({"Ann|LAB1", "Bob|LAB2"}));
}

TEST_F(HallbrinWindow, ClosingAsksToSaveThenSendsEveryClientAway) {
    auto w = makeWindow();
    w->Form_Load();
    w->show();
    auto a = student("LAB1", block("Ann", "a"), w->listeningPort());
    auto b = student("LAB2", block("Bob", "b"), w->listeningPort());
    ASSERT_TRUE(waitUntil([&] { return w->server().clientCount() == 2; }));
    QSignalSpy done(w.get(), &frmHallbrin::pollFinished);
    w->mnuRefresh_Click();
    ASSERT_TRUE(waitUntil([&] { return done.count() == 1; }));

    dialogs.answers = {platform::AnsCancel};
    w->close();
    pump(100);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Do you want to Save default.mdb");
    EXPECT_EQ(dialogs.shown[0].title, "Save File");
    EXPECT_EQ(dialogs.shown[0].style, platform::YesNoCancel);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(a->isConnected());
    EXPECT_TRUE(b->isConnected());

    // Exit asks, and after No the close asks once more, now with Cancel.
    dialogs.answers = {platform::AnsNo, platform::AnsNo};
    w->mnuFileExit->trigger();
    ASSERT_TRUE(waitUntil([&] { return !w->isVisible(); }, 5000));
    ASSERT_EQ(dialogs.shown.size(), 3);
    EXPECT_EQ(dialogs.shown[1].text, "Do you want to Save default.mdb");
    EXPECT_EQ(dialogs.shown[1].style, platform::YesNo);
    EXPECT_EQ(dialogs.shown[2].style, platform::YesNoCancel);
    EXPECT_FALSE(a->isConnected());
    EXPECT_FALSE(b->isConnected());
    EXPECT_EQ(a->ServerReply(), "@@CLOSE_SERVER:<");
    EXPECT_EQ(w->server().clientCount(), 0);
}

TEST_F(HallbrinWindow, ClosingWithoutResultsAsksNothing) {
    auto w = makeWindow();
    w->Form_Load();
    w->show();
    w->close();
    ASSERT_TRUE(waitUntil([&] { return !w->isVisible(); }, 5000));
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(HallbrinWindow, ACloseThatCutsAPollShortStillShowsWhatItImported) {
    CountingHallbrin w(scratchOptions(data.path(), share.path()));
    w.server().setRequestTimeoutMs(60000);
    w.Form_Load();
    w.show();
    auto a = student("LAB1", block("Ann", "a"), w.listeningPort());
    ASSERT_TRUE(waitUntil([&] { return w.server().clientCount() == 1; }));
    FakeClient silent(w.listeningPort());  // keeps the poll waiting on its answer
    ASSERT_TRUE(waitUntil([&] { return w.server().clientCount() == 2; }));
    w.mnuRefresh_Click();
    ASSERT_TRUE(waitUntil([&] { return silent.requests.size() == 1; }));
    ASSERT_TRUE(waitUntil([&] { return count(w.DatabasePath, "Student") == 1; }));
    EXPECT_EQ(rows(w.DatabasePath, "SELECT StudentName FROM Student"), QStringList({"Ann"}));
    pump(50);
    EXPECT_EQ(w.statusBar()->currentMessage(), "Refreshing: 1 of 2 answered");
    const int trees = w.treeBuilds, lists = w.listBuilds;

    dialogs.answers = {platform::AnsCancel};
    w.close();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.poll().isRunning());
    EXPECT_TRUE(w.mnuRefresh->isEnabled());
    EXPECT_TRUE(w.mnuFileSaveAs->isEnabled());
    // Ann was imported before the poll stopped: the tree and list show her, and the status bar
    // says how far it came.
    EXPECT_EQ(w.treeBuilds, trees + 1);
    EXPECT_EQ(w.listBuilds, lists + 1);
    EXPECT_EQ(w.statusBar()->currentMessage(), "Refresh stopped: 1 of 2 programs answered; 1 player imported.");
}

// A frozen computer (a laptop gone to sleep) is named when it does not answer. The teacher need
// not wait for it: Esc or a second Refresh! stops the waiting, and what has come is imported.
TEST_F(HallbrinWindow, RefreshCountsAsItGoesNamesTheSilentAndStopsOnRequest) {
    auto w = makeWindow();
    w->Form_Load();
    w->show();
    w->activateWindow();
    std::vector<std::unique_ptr<FakeClient>> room;
    for (int i = 1; i <= 3; ++i) {
        room.push_back(std::make_unique<FakeClient>(w->listeningPort()));
        room.back()->onRequest = FakeClient::answering(QString("PC-%1").arg(i), "Tonvale 1.2",
                                                       platform::Vexel::EncodeText(block(QString("S%1").arg(i), "pw"),
                                                                                   platform::kStoredTextKey));
        ASSERT_TRUE(waitUntil([&] { return w->server().clientCount() == i; }));
    }
    QSignalSpy done(w.get(), &frmHallbrin::pollFinished);
    w->mnuRefresh->trigger();
    ASSERT_TRUE(waitUntil([&] { return done.count() == 1; }));
    EXPECT_EQ(w->statusBar()->currentMessage(), "Refresh: 3 of 3 programs answered; 3 players imported.");

    room[1]->onRequest = nullptr;  // PC-2 freezes
    w->mnuRefresh->trigger();
    ASSERT_TRUE(waitUntil([&] { return w->statusBar()->currentMessage() == "Refreshing: 2 of 3 answered"; }));
    ASSERT_TRUE(waitUntil([&] { return done.count() == 2; }));
    EXPECT_EQ(w->statusBar()->currentMessage(),
              "Refresh: 2 of 3 programs answered; 2 players imported; no answer from PC-2.");

    const struct { const char* how; std::function<void()> stop; } stops[] = {
        {"Esc", [&] { QTest::keyClick(w.get(), Qt::Key_Escape); }},
        {"a second Refresh!", [&] { w->mnuRefresh->trigger(); }},
    };
    for (const auto& s : stops) {
        SCOPED_TRACE(s.how);
        ASSERT_TRUE(execSql(w->DatabasePath, "DELETE FROM Lesson"));
        ASSERT_TRUE(execSql(w->DatabasePath, "DELETE FROM Student"));
        w->DataChanged = false;
        const int before = done.count();
        w->mnuRefresh->trigger();
        ASSERT_TRUE(waitUntil([&] { return w->statusBar()->currentMessage() == "Refreshing: 2 of 3 answered"; }));
        pump(50);
        // PC-3 has answered, and waits to be imported after PC-2.
        EXPECT_EQ(rows(w->DatabasePath, "SELECT StudentName FROM Student"), QStringList({"S1"}));
        s.stop();
        ASSERT_TRUE(waitUntil([&] { return done.count() == before + 1; }, 1000));
        EXPECT_FALSE(w->poll().isRunning());
        EXPECT_EQ(w->statusBar()->currentMessage(), "Refresh stopped: 2 of 3 programs answered; 2 players imported.");
        EXPECT_EQ(rows(w->DatabasePath, "SELECT StudentName FROM Student ORDER BY StudentID"), QStringList({"S1", "S3"}));
        EXPECT_TRUE(w->DataChanged);
        EXPECT_FALSE(w->server().busy());
        EXPECT_TRUE(w->mnuFileNew->isEnabled());
    }
}

TEST_F(HallbrinWindow, RefreshSaysWhatItImportedAndShowsWhatFailed) {
    auto w = makeWindow();
    w->server().setRequestTimeoutMs(300);
    w->Form_Load();
    QString many;
    for (int i = 0; i < 1002; ++i) many += block(QString("P%1").arg(i), "pw");
    auto big = student("LAB9", many, w->listeningPort());
    ASSERT_TRUE(waitUntil([&] { return w->server().clientCount() == 1; }));
    FakeClient junk(w->listeningPort());
    junk.onRequest = FakeClient::answering("JUNK", "Tonvale 1.2", "not a stored profile");
    ASSERT_TRUE(waitUntil([&] { return w->server().clientCount() == 2; }));
    // Two programs of one computer that never answer are named once.
    FakeClient silent(w->listeningPort()), asleep(w->listeningPort());
    ASSERT_TRUE(waitUntil([&] { return w->server().clientCount() == 4; }));
    QSignalSpy done(w.get(), &frmHallbrin::pollFinished);
    w->mnuRefresh->trigger();
    ASSERT_TRUE(waitUntil([&] { return done.count() == 1; }, 20000));
    const QLocale l;
    EXPECT_EQ(w->statusBar()->currentMessage(),
              QString("Refresh: 2 of 4 programs answered; %1 players imported; 2 players skipped; no answer from "
                      "127.0.0.1 (2). LAB9 sent more than %1 players: 2 not read. Nothing of JUNK was imported.")
                  .arg(l.toString(1000)));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].title, "Refresh");
    EXPECT_TRUE(dialogs.shown[0].text.contains("JUNK: its profile could not be read")) << dialogs.shown[0].text.toStdString();
    EXPECT_EQ(count(w->DatabasePath, "Student"), 1000);
}

TEST_F(HallbrinWindow, AboutBoxNamesTheServer) {
    auto w = makeWindow();
    QString title, version, description;
    dialogs.modalHandlers["frmAbout"] = [&](QDialog& d) {
        auto& about = static_cast<common::FrmAbout&>(d);
        title = about.windowTitle();
        version = about.lblVersion->text();
        description = about.lblDescription->text();
        EXPECT_EQ(about.lblTitle->text(), "Hallbrin");
        EXPECT_FALSE(about.picIcon->pixmap().isNull());
        about.cmdOK->click();
        return about.result();
    };
    w->mnuHelpAbout->trigger();
    EXPECT_EQ(title, "About Hallbrin");
    EXPECT_EQ(version, "Version 2.3.0");
    EXPECT_TRUE(description.startsWith("Hallbrin Version 2.3")) << description.toStdString();
}
