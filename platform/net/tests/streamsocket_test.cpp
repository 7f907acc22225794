// The TCP client on the system's sockets, against the toolkit's own listening socket.
#include "waituntil.h"
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/net/streamsocket.h"

using platform::StreamSocket;
using State = StreamSocket::State;

namespace {

int openFiles() { return int(QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size()); }
int threads() { return int(QDir("/proc/self/task").entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size()); }

quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// A peer that takes one connection.
struct Peer {
    explicit Peer(const QHostAddress& address = QHostAddress::LocalHost) { listening = server.listen(address, 0); }
    bool accept() {
        if (!waitUntil([&] { return server.hasPendingConnections(); })) return false;
        socket.reset(server.nextPendingConnection());
        return true;
    }
    QTcpServer server;
    std::unique_ptr<QTcpSocket> socket;
    bool listening = false;
};

// A name lookup that waits until the test lets it go.
struct HeldLookup {
    std::mutex mutex;
    std::condition_variable wake;
    bool released = false;
    void release() {
        std::lock_guard<std::mutex> lock(mutex);
        released = true;
        wake.notify_all();
    }
    StreamSocket::Resolver resolver(quint16 answerPort) {
        return [this, answerPort](const std::string&, quint16, std::string*) {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [this] { return released; });
            return StreamSocket::systemResolve("127.0.0.1", answerPort, nullptr);
        };
    }
};

void pump(int ms) {
    QElapsedTimer t;
    t.start();
    waitUntil([&] { return t.elapsed() >= ms; }, ms + 1000);
}

} // namespace

TEST(StreamSocket, ConnectsByAddressAndByNameBothWays) {
    const struct { const char* host; QHostAddress listen; bool lookup; } cases[] = {
        {"127.0.0.1", QHostAddress::LocalHost, false},
        {"::1", QHostAddress::LocalHostIPv6, false},
        {"localhost", QHostAddress::LocalHost, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        Peer peer(c.listen);
        if (!peer.listening) continue;  // no IPv6 loopback here
        StreamSocket client;
        QSignalSpy connected(&client, &StreamSocket::connected);
        client.connectToHost(c.host, peer.server.serverPort());
        EXPECT_EQ(client.state(), c.lookup ? State::HostLookup : State::Connecting) ;
        ASSERT_TRUE(waitUntil([&] { return client.state() == State::Connected; }));
        EXPECT_EQ(connected.count(), 1);
        ASSERT_TRUE(peer.accept());

        client.write("hello\r\n");
        ASSERT_TRUE(waitUntil([&] { return peer.socket->bytesAvailable() >= 7; }));
        EXPECT_EQ(peer.socket->readAll(), "hello\r\n");
        peer.socket->write("ans");
        peer.socket->flush();
        ASSERT_TRUE(waitUntil([&] { return client.bytesAvailable() == 3; }));
        peer.socket->write("wer");
        peer.socket->flush();
        ASSERT_TRUE(waitUntil([&] { return client.bytesAvailable() == 6; }));
        EXPECT_EQ(client.readAll(), "answer");
        EXPECT_EQ(client.bytesAvailable(), 0);
    }
}

TEST(StreamSocket, ARefusedOrUnknownServerEndsUnconnectedWithItsReason) {
    StreamSocket client;
    QSignalSpy errors(&client, &StreamSocket::errorOccurred);
    QSignalSpy connected(&client, &StreamSocket::connected);
    QSignalSpy disconnected(&client, &StreamSocket::disconnected);
    client.connectToHost("127.0.0.1", closedPort());
    ASSERT_TRUE(waitUntil([&] { return client.state() == State::Unconnected; }, 2000));
    EXPECT_EQ(client.error(), StreamSocket::Error::ConnectionRefused);
    EXPECT_EQ(client.errorString(), "Connection refused");
    EXPECT_EQ(errors.count(), 1);

    client.setResolver([](const std::string&, quint16, std::string*) { return std::vector<StreamSocket::Address>(); });
    client.connectToHost("no-such-computer", 2001);
    EXPECT_EQ(client.state(), State::HostLookup);
    ASSERT_TRUE(waitUntil([&] { return client.state() == State::Unconnected; }));
    EXPECT_EQ(client.error(), StreamSocket::Error::HostNotFound);
    EXPECT_EQ(client.errorString(), "Host not found");
    EXPECT_EQ(errors.count(), 2);
    EXPECT_EQ(connected.count() + disconnected.count(), 0);
    EXPECT_EQ(client.write("x"), -1);
}

TEST(StreamSocket, APeerThatClosesIsReadToTheEndThenDisconnected) {
    Peer peer;
    StreamSocket client;
    QByteArray got;
    QStringList events;
    QObject::connect(&client, &StreamSocket::readyRead, [&] { got += client.readAll(); });
    QObject::connect(&client, &StreamSocket::errorOccurred, [&] { events << "error:" + client.errorString(); });
    QObject::connect(&client, &StreamSocket::disconnected, [&] { events << "disconnected"; });
    client.connectToHost("127.0.0.1", peer.server.serverPort());
    ASSERT_TRUE(peer.accept());
    ASSERT_TRUE(waitUntil([&] { return client.state() == State::Connected; }));
    peer.socket->write("last words\r\n");
    peer.socket->disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return client.state() == State::Unconnected; }));
    EXPECT_EQ(got, "last words\r\n");
    EXPECT_EQ(events, QStringList({"error:The remote host closed the connection", "disconnected"}));
    EXPECT_EQ(client.error(), StreamSocket::Error::RemoteHostClosed);
}

TEST(StreamSocket, ALargeWriteIsQueuedNotWaitedForAndArrivesWhole) {
    Peer peer;
    StreamSocket client;
    client.connectToHost("127.0.0.1", peer.server.serverPort());
    ASSERT_TRUE(waitUntil([&] { return client.state() == State::Connected; }));
    ASSERT_TRUE(peer.accept());
    QByteArray data(24 * 1024 * 1024, '\0');
    for (qsizetype i = 0; i < data.size(); ++i) data[i] = char(i * 7 / 5);
    // The peer reads nothing yet: a write that waited for it would never come back.
    EXPECT_EQ(client.write(data), data.size());
    client.flush();
    EXPECT_GT(client.bytesToWrite(), 0);
    // Closing keeps what is queued and sends it first.
    client.disconnectFromHost();
    EXPECT_EQ(client.state(), State::Closing);
    QSignalSpy disconnected(&client, &StreamSocket::disconnected);
    QByteArray received;
    ASSERT_TRUE(waitUntil([&] {
        received += peer.socket->readAll();
        return received.size() >= data.size() && client.state() == State::Unconnected;
    }, 20000));
    EXPECT_TRUE(received == data);
    EXPECT_EQ(client.bytesToWrite(), 0);
    EXPECT_EQ(disconnected.count(), 1);
    EXPECT_TRUE(waitUntil([&] { return peer.socket->state() == QAbstractSocket::UnconnectedState || peer.socket->atEnd(); }));
}

TEST(StreamSocket, ALookupAbortedOrOutlivedIsHarmless) {
    Peer peer;
    const int threadsBefore = threads();
    HeldLookup held;
    {
        // Aborted: its late answer changes nothing.
        StreamSocket client;
        client.setResolver(held.resolver(peer.server.serverPort()));
        QSignalSpy connected(&client, &StreamSocket::connected);
        QSignalSpy errors(&client, &StreamSocket::errorOccurred);
        client.connectToHost("teacher", 2001);
        EXPECT_EQ(client.state(), State::HostLookup);
        client.abort();
        EXPECT_EQ(client.state(), State::Unconnected);

        // A new connection while the old lookup still runs is the one that counts.
        HeldLookup second;
        client.setResolver(second.resolver(closedPort()));
        client.connectToHost("other", 2001);
        held.release();
        pump(100);
        EXPECT_EQ(client.state(), State::HostLookup);
        EXPECT_EQ(connected.count() + errors.count(), 0);
        EXPECT_FALSE(peer.server.hasPendingConnections());
        second.release();
        ASSERT_TRUE(waitUntil([&] { return client.state() == State::Unconnected; }));
        EXPECT_EQ(client.error(), StreamSocket::Error::ConnectionRefused);
    }
    // Gone before its lookup ends.
    HeldLookup third;
    auto client = std::make_unique<StreamSocket>();
    client->setResolver(third.resolver(peer.server.serverPort()));
    client->connectToHost("teacher", 2001);
    client.reset();
    third.release();
    pump(100);
    EXPECT_FALSE(peer.server.hasPendingConnections());
    // No lookup thread stays behind.
    EXPECT_TRUE(waitUntil([&] { return threads() <= threadsBefore; }));
}

TEST(StreamSocket, NoSocketIsLeftOpen) {
    Peer peer;
    pump(10);
    const int before = openFiles();
    const quint16 refused = closedPort();
    for (int i = 0; i < 20; ++i) {
        StreamSocket client;
        client.connectToHost("127.0.0.1", refused);
        ASSERT_TRUE(waitUntil([&] { return client.state() == State::Unconnected; }));
        client.connectToHost("127.0.0.1", peer.server.serverPort());
        ASSERT_TRUE(waitUntil([&] { return client.state() == State::Connected; }));
        ASSERT_TRUE(peer.accept());
        if (i % 2) client.abort();
        peer.socket.reset();
        pump(1);
    }
    peer.socket.reset();
    pump(10);
    EXPECT_EQ(openFiles(), before);
}

TEST(LocalServer, ListensForThisUserOnlyAndTidiesUp) {
    const QString name = "streamsocket-test-" + QString::number(QCoreApplication::applicationPid());
    const QString path = platform::LocalServer::socketPath(name);
    EXPECT_EQ(path, QDir::cleanPath(QDir::tempPath()) + "/" + name);
    platform::LocalServer server;
    ASSERT_TRUE(server.listen(name));
    EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
              QFile::Permissions());
    platform::LocalServer second;
    EXPECT_FALSE(second.listen(name));  // the name is taken

    StreamSocket client;
    client.connectToLocalServer(name);
    EXPECT_EQ(client.state(), State::Connected);
    client.write("ping");
    client.flush();
    ASSERT_TRUE(waitUntil([&] { return server.hasPendingConnections(); }));
    StreamSocket* accepted = server.nextPendingConnection();
    ASSERT_TRUE(waitUntil([&] { return accepted->bytesAvailable() == 4; }));
    EXPECT_EQ(accepted->peek(2), "pi");
    EXPECT_EQ(accepted->read(2), "pi");
    EXPECT_EQ(accepted->readAll(), "ng");

    server.close();
    EXPECT_FALSE(QFileInfo::exists(path));
    client.connectToLocalServer(name);
    EXPECT_EQ(client.state(), State::Unconnected);
}
