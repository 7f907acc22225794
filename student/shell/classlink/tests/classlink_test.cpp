// The student program's end of the class link, against a plain listening socket.
#include "waituntil.h"
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

#include "common/storedtext/storedtext.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "student/shell/classlink/classlinkclient.h"
#include "student/shell/classlink/frmconfig.h"

using namespace classlink;

namespace {

// A class server stand-in: takes one connection and collects the lines it receives.
class Listener {
public:
    Listener() {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            peer = server.nextPendingConnection();
            QObject::connect(peer, &QTcpSocket::readyRead, [this] {
                buffer += peer->readAll();
                int end;
                while ((end = buffer.indexOf("\r\n")) >= 0) {
                    lines << QString::fromUtf8(buffer.left(end));
                    buffer.remove(0, end + 2);
                    if (onLine) onLine(lines.back());
                }
            });
        });
    }
    quint16 port() const { return server.serverPort(); }
    bool waitPeer() { return waitUntil([this] { return peer != nullptr; }); }
    void send(const QByteArray& bytes) {
        peer->write(bytes);
        peer->flush();
    }
    // Sends one request line and waits for one more line to come back.
    QString ask(const QByteArray& request) {
        const int before = lines.size();
        send(request + "\r\n");
        if (!waitUntil([&] { return lines.size() > before; }, 3000)) return "<nothing>";
        return lines.back();
    }

    QTcpServer server;
    QTcpSocket* peer = nullptr;
    QByteArray buffer;
    QStringList lines;
    std::function<void(const QString&)> onLine;
};

quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();  // closed again when probe goes
}

class ClassLinkClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        client.setDataFolder(folder.path());
        client.setComputerNameSource([] { return QStringLiteral("LAB7"); });
    }
    void connectTo(Listener& l) {
        writeClientConfig(folder.path() + "/Client.cfg", "127.0.0.1", QString::number(l.port()));
        client.ConnectToServer();
        ASSERT_TRUE(client.isConnected());
        ASSERT_TRUE(l.waitPeer());
    }
    QTemporaryDir folder;
    ClassLinkClient client;
};

} // namespace

TEST(ClassLinkConfig, DefaultsValuesAndPortFallback) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/Client.cfg";
    ServerAddress a = readClientConfig(path);
    EXPECT_EQ(a.host, "HOSTCOMPUTERNAME");
    EXPECT_EQ(a.port, 2001);
    EXPECT_FALSE(a.fromFile);

    ASSERT_TRUE(writeClientConfig(path, "teacher-pc", " 2003"));
    QString plain;
    ASSERT_TRUE(common::LoadStoredText(path, plain));
    EXPECT_EQ(plain, "computer=teacher-pc\r\nport= 2003\r\n");
    a = readClientConfig(path);
    EXPECT_EQ(a.host, "teacher-pc");
    EXPECT_EQ(a.port, 2003);
    EXPECT_EQ(a.portText, " 2003");

    // The keys are not looked at.
    ASSERT_TRUE(common::SaveStoredText(path, "server=other\r\nx=2010\r\n"));
    a = readClientConfig(path);
    EXPECT_EQ(a.host, "other");
    EXPECT_EQ(a.port, 2010);

    const struct { const char* text; int port; } ports[] = {
        {"2001", 2001}, {"65535", 65535}, {"0", 2001}, {"65536", 2001}, {"-80", 2001},
        {"abc", 2001}, {"", 2001}, {"2002.5", 2002}, {"2003.5", 2004}, {"80x", 80},
    };
    for (const auto& t : ports) EXPECT_EQ(portFromText(t.text), t.port) << t.text;
}

TEST_F(ClassLinkClientTest, AnswersEveryRequestOnItsOwnLine) {
    Listener server;
    connectTo(server);
    EXPECT_EQ(server.ask("@@PRODUCTNAME:<"), "@@PRODUCTNAME:>Tonvale 1.2");
    EXPECT_EQ(server.ask("@@COMPUTERNAME:<"), "@@COMPUTERNAME:>LAB7");
    EXPECT_EQ(server.ask("@@GET_DATA:<"), "@@GET_DATA:>");  // no profile yet
    EXPECT_EQ(server.ask("@@SOMETHING:<arg"), "@@SOMETHING:>NOT FOUND");
    EXPECT_EQ(server.ask("hello"), ":>NOT FOUND");
    EXPECT_EQ(client.ServerReply(), "hello");
    client.setComputerNameSource([] { return QString(); });
    EXPECT_EQ(server.ask("@@COMPUTERNAME:<"), "@@COMPUTERNAME:>");

    // Two requests in one piece get two answers, in order.
    const int before = server.lines.size();
    server.send("@@PRODUCTNAME:<\r\n@@COMPUTERNAME:<\r\n");
    ASSERT_TRUE(waitUntil([&] { return server.lines.size() == before + 2; }));
    EXPECT_EQ(server.lines.mid(before), QStringList({"@@PRODUCTNAME:>Tonvale 1.2", "@@COMPUTERNAME:>"}));
}

TEST_F(ClassLinkClientTest, ARequestSplitAcrossReadsIsAnsweredWhenItsLineEnds) {
    Listener server;
    connectTo(server);
    server.send("@@PRODUCT");
    QElapsedTimer pause;
    pause.start();
    waitUntil([&] { return pause.elapsed() > 50; });
    EXPECT_TRUE(server.lines.isEmpty());
    server.send("NAME:<\r");
    server.send("\n@@COMPUTER");
    ASSERT_TRUE(waitUntil([&] { return server.lines.size() == 1; }));
    server.send("NAME:<\r\n");
    ASSERT_TRUE(waitUntil([&] { return server.lines.size() == 2; }));
    EXPECT_EQ(server.lines, QStringList({"@@PRODUCTNAME:>Tonvale 1.2", "@@COMPUTERNAME:>LAB7"}));
}

TEST_F(ClassLinkClientTest, SendsTheProfileExactlyAsStored) {
    ASSERT_TRUE(common::SaveStoredText(folder.path() + "/Tonvale.txt", "begin\r\nname=Ann\r\nend\r\n"));
    QFile file(folder.path() + "/Tonvale.txt");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();  // a quote, the stored text, a quote, CR LF
    const QString stored = QString::fromLatin1(bytes.mid(1, bytes.size() - 4));
    Listener server;
    connectTo(server);
    EXPECT_EQ(server.ask("@@GET_DATA:<"), "@@GET_DATA:>" + stored);
}

TEST_F(ClassLinkClientTest, ClosingWordsOfTheServer) {
    Listener server;
    connectTo(server);
    // "disconnected" is kept and nothing is answered.
    server.send("@@CLOSE_SOCKET:<disconnected\r\n");
    EXPECT_TRUE(waitUntil([&] { return client.ServerReply() == "disconnected"; }));
    QSignalSpy status(&client, &ClassLinkClient::statusChanged);
    server.send("@@CLOSE_SERVER:<\r\n");
    EXPECT_TRUE(waitUntil([&] { return !client.isConnected(); }));
    EXPECT_TRUE(waitUntil([&] { return status.count() > 0; }));
    EXPECT_EQ(status.last().at(1).toString(), "Disconnected");
    EXPECT_EQ(server.lines, QStringList());
}

TEST_F(ClassLinkClientTest, AnOverlongMessageClosesTheConnection) {
    Listener server;
    connectTo(server);
    server.send(QByteArray(kMaxMessageBytes + 100, 'z'));
    EXPECT_TRUE(waitUntil([&] { return !client.isConnected(); }));
    EXPECT_TRUE(server.lines.isEmpty());
}

TEST_F(ClassLinkClientTest, AServerThatAsksButNeverReadsIsLeftBeforeTheAnswersPileUp) {
    // A profile of about 1 MiB as stored.
    QString plain;
    for (int i = 0; plain.size() < 768 * 1024; ++i) plain += "begin\r\nname=Player " + QString::number(i) + "\r\nend\r\n";
    ASSERT_TRUE(common::SaveStoredText(folder.path() + "/Tonvale.txt", plain));
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    writeClientConfig(folder.path() + "/Client.cfg", "127.0.0.1", QString::number(server.serverPort()));
    client.ConnectToServer();
    ASSERT_TRUE(client.isConnected());
    ASSERT_TRUE(waitUntil([&] { return server.hasPendingConnections(); }));
    QTcpSocket* peer = server.nextPendingConnection();
    peer->setReadBufferSize(1);  // takes nothing of what the client sends
    QByteArray requests;
    for (int i = 0; i < 80; ++i) requests += "@@GET_DATA:<\r\n";
    peer->write(requests);
    peer->flush();
    // Unchecked, the client would hold some 80 MiB of answers.
    ASSERT_TRUE(waitUntil([&] { return !client.isConnected() || client.tcpClient()->bytesToWrite() > 48 * 1024 * 1024; },
                          20000));
    EXPECT_FALSE(client.isConnected());
    EXPECT_LE(client.tcpClient()->bytesToWrite(), kMaxUnsentBytes);
    EXPECT_EQ(client.statusText(), "Disconnected");
}

TEST_F(ClassLinkClientTest, ConnectReportsItsStatus) {
    Listener server;
    QSignalSpy status(&client, &ClassLinkClient::statusChanged);
    connectTo(server);
    ASSERT_FALSE(status.isEmpty());
    EXPECT_EQ(status.last().at(0).toBool(), true);
    EXPECT_EQ(status.last().at(1).toString(), "Connected");

    writeClientConfig(folder.path() + "/Client.cfg", "127.0.0.1", QString::number(closedPort()));
    client.ConnectToServer();
    EXPECT_FALSE(client.isConnected());
    EXPECT_EQ(status.last().at(1).toString(), "Disconnected");
    EXPECT_EQ(client.statusText(), "Disconnected");
}

TEST_F(ClassLinkClientTest, SendReceiveWaitsForTheNextMessageButNotForever) {
    Listener server;
    connectTo(server);
    server.onLine = [&](const QString& line) {
        if (line == "@@CLOSE_SOCKET:>") server.send("@@CLOSE_SOCKET:<disconnected\r\n");
    };
    EXPECT_EQ(client.SendReceive("@@CLOSE_SOCKET:>"), "disconnected");

    server.onLine = nullptr;
    platform::VirtualClock clock;
    platform::ClockOverride guard(&clock);
    const qint64 start = clock.nowMs();
    EXPECT_EQ(client.SendReceive("@@ANYONE:>"), "");
    EXPECT_GE(clock.nowMs() - start, kSendReceiveWaitMs);
    EXPECT_LT(clock.nowMs() - start, kSendReceiveWaitMs + 50);
    // Not connected: nothing is sent and the last reply stays.
    client.closeConnection();
    EXPECT_EQ(client.SendReceive("@@ANYONE:>"), "");
}

TEST_F(ClassLinkClientTest, SettingsDialogShowsTheStoredAddress) {
    {
        frmConfig dialog(client);
        EXPECT_EQ(dialog.objectName(), "frmConfig");
        EXPECT_EQ(dialog.windowTitle(), "Configure Network");
        EXPECT_EQ(dialog.txtComputer->text(), "HOSTCOMPUTERNAME");
        EXPECT_EQ(dialog.txtPort->text(), "2001");
    }
    writeClientConfig(folder.path() + "/Client.cfg", "teacher", " 2003");
    frmConfig dialog(client);
    EXPECT_EQ(dialog.txtComputer->text(), "teacher");
    EXPECT_EQ(dialog.txtPort->text(), " 2003");
    dialog.cmdCancel->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(readClientConfig(folder.path() + "/Client.cfg").host, "teacher");
}

TEST_F(ClassLinkClientTest, SettingsOkLeavesTheOldServerAndJoinsTheNewOne) {
    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride guard(&dialogs);
    Listener oldServer, newServer;
    oldServer.onLine = [&](const QString& line) {
        if (line == "@@CLOSE_SOCKET:>") {
            oldServer.send("@@CLOSE_SOCKET:<disconnected\r\n");
            oldServer.peer->disconnectFromHost();
        }
    };
    connectTo(oldServer);
    dialogs.modalHandlers["frmConfig"] = [&](QDialog& d) {
        auto& dialog = static_cast<frmConfig&>(d);
        dialog.txtComputer->setText("127.0.0.1");
        dialog.txtPort->setText(QString::number(newServer.port()));
        dialog.cmdOK->click();
        return d.result();
    };
    QSignalSpy status(&client, &ClassLinkClient::statusChanged);
    EXPECT_EQ(showNetworkSettings(client, nullptr), QDialog::Accepted);
    EXPECT_EQ(dialogs.modalsShown, QStringList({"frmConfig"}));
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(oldServer.lines, QStringList({"@@CLOSE_SOCKET:>"}));
    EXPECT_TRUE(client.isConnected());
    EXPECT_TRUE(newServer.waitPeer());
    EXPECT_EQ(status.last().at(1).toString(), "Connected");
    const ServerAddress saved = readClientConfig(folder.path() + "/Client.cfg");
    EXPECT_EQ(saved.host, "127.0.0.1");
    EXPECT_EQ(saved.port, newServer.port());
}

TEST_F(ClassLinkClientTest, SettingsOkReportsAFailedConnectionAndSavesAllTheSame) {
    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride guard(&dialogs);
    const quint16 port = closedPort();
    frmConfig dialog(client);
    dialog.txtComputer->setText("127.0.0.1");
    dialog.txtPort->setText(QString::number(port));
    dialog.cmdOK->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].title, "Connection Error");
    EXPECT_EQ(dialogs.shown[0].style, platform::OkOnly | platform::Critical);
    EXPECT_FALSE(dialogs.shown[0].text.isEmpty());
    EXPECT_FALSE(client.isConnected());
    EXPECT_EQ(dialog.windowTitle(), "Connecting .......");
    EXPECT_EQ(readClientConfig(folder.path() + "/Client.cfg").port, port);
}
