// The connections view: which known computers have a student program connected now.
#include <QPushButton>

#include "classserver/frmconnections.h"
#include "classserver/pictures.h"
#include "fakeclient.h"
#include "windowfixture.h"

using namespace classserver;
using namespace testsupport;

namespace {

std::function<void(FakeClient&, const QString&)> namedAs(const QString& computer) {
    return [computer](FakeClient& c, const QString& command) {
        if (command == "@@COMPUTERNAME") c.send(("@@COMPUTERNAME:>" + computer + "\r\n").toUtf8());
    };
}

QStringList shownRows(const FrmConnections& dlg) {
    QStringList out;
    for (int i = 0; i < dlg.lvwConnections->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* r = dlg.lvwConnections->topLevelItem(i);
        out << r->text(0) + "|" + r->text(1);
    }
    return out;
}

} // namespace

TEST_F(WindowFixture, ConnectionsMarkTheComputersThatAnswer) {
    w->server().setRequestTimeoutMs(300);
    addStudent(db, "Ann", "LAB1", 11);
    addStudent(db, "Bob", "LAB1", 12);   // one computer, one row
    addStudent(db, "Cid", "LAB2", 11);
    addStudent(db, "Dan", "LAB3", 0);
    const quint16 port = w->listeningPort();
    FakeClient lab1(port), silent(port), stranger(port), lab3(port);
    lab1.onRequest = namedAs("LAB1");
    stranger.onRequest = namedAs("NEWPC");
    lab3.onRequest = namedAs("LAB3");
    ASSERT_TRUE(waitUntil([&] { return w->server().clientCount() == 4; }));

    QStringList afterLoad, afterHangUp;
    QVector<platform::ShownMessage> loadMessages;
    dialogs.modalHandlers["frmConnections"] = [&](QDialog& d) {
        auto& dlg = static_cast<FrmConnections&>(d);
        EXPECT_EQ(dlg.windowTitle(), "Connections");
        EXPECT_TRUE(waitUntil([&] { return !dlg.isAsking() && dlg.lvwConnections->topLevelItemCount() > 0; }, 5000));
        afterLoad = shownRows(dlg);
        loadMessages = dialogs.shown;
        dialogs.shown.clear();
        // LAB3 hangs up; Refresh marks it disconnected and says nothing of the stranger.
        lab3.socket.disconnectFromHost();
        EXPECT_TRUE(waitUntil([&] { return w->server().clientCount() == 3; }));
        dlg.cmdRefresh->click();
        EXPECT_TRUE(dlg.isAsking());
        dlg.cmdRefresh->click();  // ignored while asking
        EXPECT_TRUE(waitUntil([&] { return !dlg.isAsking(); }, 5000));
        afterHangUp = shownRows(dlg);
        EXPECT_EQ(dlg.row("LAB1")->icon(0).cacheKey(), imgConnections(1).cacheKey());
        EXPECT_EQ(dlg.row("LAB2")->icon(0).cacheKey(), imgConnections(2).cacheKey());
        dlg.cmdOK->click();
        return dlg.result();
    };
    w->mnuViewConnections->trigger();
    EXPECT_EQ(afterLoad, QStringList({"LAB1|Connected", "LAB2|Disconnected", "LAB3|Connected"}));
    // The stranger is named; the silent program is not (it gave no name).
    ASSERT_EQ(loadMessages.size(), 1);
    EXPECT_EQ(loadMessages[0].title, "New Computer Found");
    EXPECT_EQ(loadMessages[0].style, platform::OkOnly | platform::Information);
    EXPECT_EQ(loadMessages[0].text, "There is no record of a computer named NEWPC\r\nClick Refresh, from the View menu, "
                                    "to obtain new information about this computer");
    EXPECT_EQ(afterHangUp, QStringList({"LAB1|Connected", "LAB2|Disconnected", "LAB3|Disconnected"}));
    EXPECT_TRUE(dialogs.shown.isEmpty());
    // Every connected program was asked once on load and once on Refresh.
    EXPECT_EQ(lab1.requests, QStringList({"@@COMPUTERNAME:<", "@@COMPUTERNAME:<"}));
    EXPECT_EQ(silent.requests.size(), 2);
    EXPECT_FALSE(w->server().busy());
}

TEST_F(WindowFixture, ConnectionsClosedWhileAskingLetTheQuestionGo) {
    w->server().setRequestTimeoutMs(5000);
    FakeClient silent(w->listeningPort());
    ASSERT_TRUE(waitUntil([&] { return w->server().clientCount() == 1; }));
    dialogs.modalHandlers["frmConnections"] = [&](QDialog& d) {
        auto& dlg = static_cast<FrmConnections&>(d);
        EXPECT_TRUE(waitUntil([&] { return silent.requests.size() == 1; }));
        EXPECT_TRUE(dlg.isAsking());
        dlg.cmdOK->click();
        return dlg.result();
    };
    w->mnuViewConnections->trigger();
    // The server is free for the next question at once; a late answer reaches nobody.
    EXPECT_FALSE(w->server().busy());
    silent.send("@@COMPUTERNAME:>LATE\r\n");
    pump(50);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(WindowFixture, ConnectionsAskEveryProgramAtOnce) {
    // Two sleeping laptops ahead of an awake one must not keep it unmarked until they time out.
    w->server().setRequestTimeoutMs(60000);
    addStudent(db, "Ann", "LAB1", 11);
    const quint16 port = w->listeningPort();
    FakeClient asleep1(port), asleep2(port), lab1(port);
    lab1.onRequest = namedAs("LAB1");
    ASSERT_TRUE(waitUntil([&] { return w->server().clientCount() == 3; }));
    dialogs.modalHandlers["frmConnections"] = [&](QDialog& d) {
        auto& dlg = static_cast<FrmConnections&>(d);
        EXPECT_TRUE(waitUntil([&] { return lab1.requests.size() == 1 && !dlg.row("LAB1")->text(1).startsWith("Dis"); }));
        EXPECT_EQ(asleep1.requests.size(), 1);
        EXPECT_EQ(asleep2.requests.size(), 1);
        EXPECT_TRUE(dlg.isAsking());
        dlg.cmdOK->click();
        return dlg.result();
    };
    w->mnuViewConnections->trigger();
    EXPECT_FALSE(w->server().busy());
}
