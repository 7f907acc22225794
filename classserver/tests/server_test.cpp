// The server end of the class link over loopback: slots, one request at a time, framing,
// matching answers to what was asked, hang-ups and shut-down.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <map>
#include <memory>
#include <optional>

#include "classserver/classserver.h"
#include "fakeclient.h"
#include "student/shell/classlink/classlinkclient.h"

using namespace classserver;
using namespace testsupport;

namespace {

struct Outcome {
    std::optional<Reply> reply;
    QString answer;
};

class ClassServerLink : public ::testing::Test {
protected:
    void SetUp() override {
        server.setRequestTimeoutMs(1000);
        server.setShutdownTimeoutMs(1000);
        ASSERT_EQ(server.listen(0, QHostAddress::LocalHost), ListenResult::Listening);
        ASSERT_NE(server.port(), 0);
    }
    // A fake client, connected and given its slot.
    FakeClient& addFake() {
        const int before = server.clientCount();
        fakes.push_back(std::make_unique<FakeClient>(server.port()));
        EXPECT_TRUE(fakes.back()->waitConnected());
        EXPECT_TRUE(waitUntil([&] { return server.clientCount() == before + 1; }));
        return *fakes.back();
    }
    // Asks and waits for the outcome.
    Outcome ask(int slot, const QString& command) {
        auto outcome = std::make_shared<Outcome>();
        const bool sent = server.request(slot, command, [outcome](Reply r, const QString& a) {
            outcome->reply = r;
            outcome->answer = a;
        });
        EXPECT_TRUE(sent);
        if (sent) {
            EXPECT_TRUE(waitUntil([&] { return outcome->reply.has_value(); }, 8000));
        }
        return *outcome;
    }

    ClassServer server;
    std::vector<std::unique_ptr<FakeClient>> fakes;
};

} // namespace

TEST_F(ClassServerLink, AnAnswerIsThePayloadOfTheAskedCommand) {
    FakeClient& c = addFake();
    c.onRequest = FakeClient::answering("", "Tonvale 1.2", "x");
    const Outcome product = ask(1, kProductName);
    EXPECT_EQ(product.reply, Reply::Answered);
    EXPECT_EQ(product.answer, "Tonvale 1.2");
    EXPECT_EQ(c.requests, QStringList({"@@PRODUCTNAME:<"}));
    // An empty payload is an empty answer, not the whole message.
    const Outcome computer = ask(1, kComputerName);
    EXPECT_EQ(computer.reply, Reply::Answered);
    EXPECT_EQ(computer.answer, "");
}

// Each client has at most one question outstanding; different clients are asked side by side,
// each against its own deadline, and each answer goes to the question of its own socket.
TEST_F(ClassServerLink, OneRequestPerClientIsOutstanding) {
    FakeClient& first = addFake();
    FakeClient& second = addFake();
    addFake();  // never answers
    int asked = 0;
    first.onRequest = [&asked](FakeClient& f, const QString&) {
        f.send("@@COMPUTERNAME:>answer " + QByteArray::number(++asked) + "\r\n");
    };
    EXPECT_TRUE(server.request(1, kComputerName, nullptr));
    EXPECT_TRUE(server.busy());
    EXPECT_TRUE(server.busy(1));
    EXPECT_FALSE(server.request(1, kProductName, nullptr));
    EXPECT_FALSE(server.request(7, kComputerName, nullptr));  // no client there
    server.cancelRequest();
    EXPECT_FALSE(server.busy());
    // The answer to the cancelled request answers nothing asked later.
    const Outcome o = ask(1, kComputerName);
    EXPECT_EQ(o.answer, "answer 2");

    // Three at once: the later slot answers first, the silent one times out on its own.
    second.onRequest = [](FakeClient& f, const QString&) { f.send("@@COMPUTERNAME:>PC-2\r\n"); };
    first.onRequest = [](FakeClient& f, const QString&) { f.sendLater(300, "@@COMPUTERNAME:>PC-1\r\n"); };
    std::map<int, Outcome> outcomes;
    QStringList order;
    for (int slot = 1; slot <= 3; ++slot)
        ASSERT_TRUE(server.request(slot, kComputerName, [&, slot](Reply r, const QString& a) {
            outcomes[slot] = Outcome{r, a};
            order << QString::number(slot);
        }));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(waitUntil([&] { return outcomes.size() == 3; }, 5000));
    EXPECT_LT(clock.elapsed(), 2 * 1000);  // one deadline, not one per silent client
    EXPECT_EQ(order, QStringList({"2", "1", "3"}));
    EXPECT_EQ(outcomes[1].answer, "PC-1");
    EXPECT_EQ(outcomes[2].answer, "PC-2");
    EXPECT_EQ(outcomes[3].reply, Reply::TimedOut);
}

TEST_F(ClassServerLink, AnswersArrivingInPiecesAreJoined) {
    FakeClient& c = addFake();
    c.onRequest = [](FakeClient& f, const QString&) {
        const QByteArray answer = "@@GET_DATA:>" + QByteArray(5000, 'q') + "\r\n";
        for (int i = 0; i < answer.size(); i += 700) f.sendLater(i / 70, answer.mid(i, 700));
    };
    const Outcome o = ask(1, kGetData);
    EXPECT_EQ(o.reply, Reply::Answered);
    EXPECT_EQ(o.answer, QString(5000, 'q'));
}

TEST_F(ClassServerLink, MessagesThatAnswerSomethingElseAreDropped) {
    FakeClient& a = addFake();
    FakeClient& b = addFake();
    // a names another command and sends lines without the marker, b answers unasked; then a
    // answers what was asked.
    a.onRequest = [](FakeClient& f, const QString&) {
        f.send(QByteArray("@@PRODUCTNAME:>Sopranel\r\nno marker\r\n:>\r\n\xff\xfe\x00\x01\r\n", 46));
        f.sendLater(60, "@@COMPUTERNAME:>PC-A\r\n");
    };
    b.sendLater(20, "@@COMPUTERNAME:>PC-B\r\n");
    const Outcome o = ask(1, kComputerName);
    EXPECT_EQ(o.reply, Reply::Answered);
    EXPECT_EQ(o.answer, "PC-A");
}

TEST_F(ClassServerLink, ALateAnswerDoesNotAnswerTheNextRequest) {
    FakeClient& c = addFake();
    int asked = 0;
    // The first answer comes after the deadline; answers keep their order, as a real client's do.
    c.onRequest = [&asked](FakeClient& f, const QString&) {
        ++asked;
        if (asked == 1) f.sendLater(1200, "@@COMPUTERNAME:>late\r\n");
        else f.sendLater(1500, "@@COMPUTERNAME:>fresh\r\n");
    };
    server.setRequestTimeoutMs(300);
    const Outcome first = ask(1, kComputerName);
    EXPECT_EQ(first.reply, Reply::TimedOut);
    server.setRequestTimeoutMs(3000);
    const Outcome second = ask(1, kComputerName);
    EXPECT_EQ(second.reply, Reply::Answered);
    EXPECT_EQ(second.answer, "fresh");
}

TEST_F(ClassServerLink, AClientThatNeverAnswersTimesOut) {
    addFake();
    const Outcome o = ask(1, kComputerName);
    EXPECT_EQ(o.reply, Reply::TimedOut);
    EXPECT_TRUE(server.isConnected(1));
}

TEST_F(ClassServerLink, AClientThatGoesMidAnswerEndsTheWaitAndFreesItsSlot) {
    FakeClient& c = addFake();
    c.onRequest = [](FakeClient& f, const QString&) {
        f.send("@@GET_DATA:>half an ans");
        f.socket.abort();
    };
    const Outcome o = ask(1, kGetData);
    EXPECT_EQ(o.reply, Reply::Disconnected);
    EXPECT_TRUE(waitUntil([&] { return !server.slotInUse(1); }));
}

TEST_F(ClassServerLink, HangUpRequestIsConfirmedAndFreesTheSlotOnly) {
    FakeClient& a = addFake();
    FakeClient& b = addFake();
    a.onRequest = [&b](FakeClient& f, const QString&) {
        b.send("@@CLOSE_SOCKET:>");   // b leaves while a is being asked
        b.send("\r\n");
        f.sendLater(80, "@@COMPUTERNAME:>PC-A\r\n");
    };
    const Outcome o = ask(1, kComputerName);
    EXPECT_EQ(o.reply, Reply::Answered);
    EXPECT_EQ(o.answer, "PC-A");
    EXPECT_TRUE(waitUntil([&] { return b.closed(); }));
    EXPECT_EQ(b.requests, QStringList({"@@CLOSE_SOCKET:<disconnected"}));
    EXPECT_FALSE(server.slotInUse(2));
    EXPECT_TRUE(server.isConnected(1));
}

TEST_F(ClassServerLink, SlotsGrowPastTenAndFreedOnesAreTakenAgain) {
    EXPECT_EQ(server.highestSlot(), 10);
    for (int i = 0; i < 11; ++i) addFake();
    EXPECT_EQ(server.highestSlot(), 11);
    EXPECT_EQ(server.currentSocket(), 11);
    for (int i = 1; i <= 11; ++i) EXPECT_TRUE(server.isConnected(i)) << i;
    fakes[2]->socket.disconnectFromHost();  // the client in slot 3
    EXPECT_TRUE(waitUntil([&] { return !server.slotInUse(3); }));
    addFake();
    EXPECT_EQ(server.currentSocket(), 3);
    EXPECT_EQ(server.highestSlot(), 11);
}

TEST_F(ClassServerLink, OverlongMessagesCloseThatConnectionOnly) {
    FakeClient& flood = addFake();
    FakeClient& calm = addFake();
    calm.onRequest = FakeClient::answering("PC", "Tonvale 1.2", QString(200000, 'd'));
    flood.send(QByteArray(kMaxMessageBytes + 10, 'x'));
    EXPECT_TRUE(waitUntil([&] { return flood.closed(); }));
    EXPECT_FALSE(server.slotInUse(1));
    // A long profile is fine when it is what was asked for.
    const Outcome o = ask(2, kGetData);
    EXPECT_EQ(o.reply, Reply::Answered);
    EXPECT_EQ(o.answer.size(), 200000);
    // The same length under another command is not.
    calm.send("@@PRODUCTNAME:>" + QByteArray(kMaxMessageBytes + 1, 'p') + "\r\n");
    EXPECT_TRUE(waitUntil([&] { return calm.closed(); }));
}

TEST_F(ClassServerLink, ALateProfileIsThrownAwayAsItArrivesNotHeld) {
    FakeClient& c = addFake();
    server.setRequestTimeoutMs(50);
    EXPECT_EQ(ask(1, kGetData).reply, Reply::TimedOut);
    // The late answer comes in pieces; none of it answers anything now.
    const QByteArray late = "@@GET_DATA:>" + QByteArray(3 * 1024 * 1024, 'a');
    c.send(late.left(1024 * 1024));
    c.send(late.mid(1024 * 1024) + "\r");
    ASSERT_TRUE(waitUntil([&] { return c.socket.bytesToWrite() == 0; }));
    pump(100);
    EXPECT_TRUE(server.isConnected(1));
    EXPECT_LE(server.bufferedBytes(1), 1);
    // Its line end, split from it, ends it; what follows is read as usual.
    c.onRequest = FakeClient::answering("", "", "fresh");
    c.send("\n");
    server.setRequestTimeoutMs(5000);
    const Outcome o = ask(1, kGetData);
    EXPECT_EQ(o.reply, Reply::Answered);
    EXPECT_EQ(o.answer, "fresh");
    EXPECT_EQ(server.bufferedBytes(1), 0);
    // A late answer longer than any profile still closes the connection.
    server.setRequestTimeoutMs(50);
    c.onRequest = nullptr;
    EXPECT_EQ(ask(1, kGetData).reply, Reply::TimedOut);
    c.send("@@GET_DATA:>" + QByteArray(kMaxDataAnswerBytes, 'b'));
    EXPECT_TRUE(waitUntil([&] { return c.closed(); }, 10000));
    EXPECT_FALSE(server.slotInUse(1));
}

TEST_F(ClassServerLink, AProfileCutShortByTheDeadlineOrACancelIsNotHeld) {
    FakeClient& c = addFake();
    c.onRequest = [](FakeClient& f, const QString&) { f.send("@@GET_DATA:>" + QByteArray(3 * 1024 * 1024, 'a')); };
    server.setRequestTimeoutMs(1000);
    EXPECT_EQ(ask(1, kGetData).reply, Reply::TimedOut);
    EXPECT_LE(server.bufferedBytes(1), 1);
    c.send("\r\n");
    ASSERT_TRUE(server.request(1, kGetData, nullptr));
    ASSERT_TRUE(waitUntil([&] { return server.bufferedBytes(1) > 1024 * 1024; }));
    server.cancelRequest();
    EXPECT_LE(server.bufferedBytes(1), 1);
    // Its end comes, then a fresh answer.
    c.onRequest = FakeClient::answering("", "", "fresh");
    c.send("\r\n");
    server.setRequestTimeoutMs(5000);
    const Outcome o = ask(1, kGetData);
    EXPECT_EQ(o.reply, Reply::Answered);
    EXPECT_EQ(o.answer, "fresh");
}

TEST_F(ClassServerLink, ShutDownTellsEveryClientAndEndsWhenTheyHaveGone) {
    QTemporaryDir folder;
    classlink::ClassLinkClient real;
    real.setDataFolder(folder.path());
    real.tcpClient()->connectToHost(QStringLiteral("127.0.0.1"), server.port());
    ASSERT_TRUE(waitUntil([&] { return real.isConnected() && server.clientCount() == 1; }));
    FakeClient& polite = addFake();
    polite.onRequest = FakeClient::answering("", "", "");
    QSignalSpy finished(&server, &ClassServer::shutdownFinished);
    server.setShutdownTimeoutMs(60000);  // it must end because they left, not by the deadline
    server.beginShutdown();
    ASSERT_TRUE(waitUntil([&] { return finished.count() == 1; }, 5000));
    EXPECT_TRUE(polite.requests.contains("@@CLOSE_SERVER:<"));
    EXPECT_TRUE(waitUntil([&] { return !real.isConnected(); }));
    EXPECT_EQ(server.clientCount(), 0);
    EXPECT_FALSE(server.isListening());
}

TEST_F(ClassServerLink, ShutDownStopsWaitingForAClientThatStaysAtTheDeadline) {
    FakeClient& stubborn = addFake();
    QSignalSpy finished(&server, &ClassServer::shutdownFinished);
    server.beginShutdown();
    // New connections are refused meanwhile.
    FakeClient late(server.port());
    ASSERT_TRUE(waitUntil([&] { return finished.count() == 1; }, 5000));
    EXPECT_EQ(stubborn.requests, QStringList({"@@CLOSE_SERVER:<"}));
    EXPECT_TRUE(waitUntil([&] { return stubborn.closed(); }));
    EXPECT_EQ(server.clientCount(), 0);
}

TEST_F(ClassServerLink, ASecondServerOnTheSamePortIsToldThePortIsInUse) {
    ClassServer second;
    EXPECT_EQ(second.listen(server.port(), QHostAddress::LocalHost), ListenResult::PortInUse);
    EXPECT_FALSE(second.isListening());
    // An address this machine does not have cannot be listened on at all.
    EXPECT_EQ(second.listen(0, QHostAddress("192.0.2.1")), ListenResult::Failed);
    EXPECT_FALSE(second.listenErrorText().isEmpty());
}

TEST_F(ClassServerLink, OneComputerHoldsAtMost32Connections) {
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    for (int i = 0; i < kMaxConnectionsPerAddress + 1; ++i) {
        sockets.push_back(std::make_unique<QTcpSocket>());
        sockets.back()->connectToHost(QHostAddress::LocalHost, server.port());
    }
    ASSERT_TRUE(waitUntil([&] { return server.clientCount() == kMaxConnectionsPerAddress; }));
    // The one over the limit is closed at once; the others stay.
    ASSERT_TRUE(waitUntil([&] {
        int closed = 0;
        for (auto& s : sockets) closed += s->state() == QAbstractSocket::UnconnectedState;
        return closed == 1;
    }));
    pump(50);
    EXPECT_EQ(server.clientCount(), kMaxConnectionsPerAddress);
    // A connection that goes makes room for the next.
    for (auto& s : sockets)
        if (s->state() == QAbstractSocket::ConnectedState) {
            s->abort();
            break;
        }
    ASSERT_TRUE(waitUntil([&] { return server.clientCount() == kMaxConnectionsPerAddress - 1; }));
    QTcpSocket next;
    next.connectToHost(QHostAddress::LocalHost, server.port());
    ASSERT_TRUE(waitUntil([&] { return server.clientCount() == kMaxConnectionsPerAddress; }));
    pump(50);
    EXPECT_EQ(next.state(), QAbstractSocket::ConnectedState);
}
