// The main window's message hook: which messages act, the local socket it listens on, a
// name already held by another program, and messages too long for the buffer.
#include "student/shell/messagehook.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QUuid>
#include <QtEndian>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace shell {
namespace {

struct CopyDataCase {
    const char* what;
    quint32 kind;
    QByteArray data;
    HookCommand expected;
};

QByteArray padded(const QByteArray& text, int size, char fill = '\0') {
    QByteArray out = text;
    out.append(QByteArray(size - text.size(), fill));
    return out;
}

TEST(MessageHook, WhatEachMessageAsksFor) {
    const CopyDataCase cases[] = {
        {"open", 3, "openmidi", HookCommand::OpenMidi},
        {"close", 3, "closemidi", HookCommand::CloseMidi},
        {"ended by NUL", 3, QByteArray("closemidi\0", 10), HookCommand::CloseMidi},
        {"text after the NUL", 3, QByteArray("openmidi\0closemidi", 18), HookCommand::OpenMidi},
        {"other letter case", 3, "OpenMIDI", HookCommand::None},
        {"other kind", 2, "closemidi", HookCommand::None},
        {"kind 0", 0, "openmidi", HookCommand::None},
        {"longer word", 3, "closemidis", HookCommand::None},
        {"blank before", 3, " openmidi", HookCommand::None},
        {"empty", 3, "", HookCommand::None},
        {"fills the buffer", 3, padded("closemidi", 255), HookCommand::CloseMidi},
        {"one byte over the buffer", 3, padded("closemidi", 256), HookCommand::None},
        {"far over the buffer", 3, padded("openmidi", 100000), HookCommand::None},
        {"no NUL in the buffer", 3, padded("openmidi", 255, 'x'), HookCommand::None},
    };
    for (const CopyDataCase& c : cases) EXPECT_EQ(interpretCopyData(c.kind, c.data), c.expected) << c.what;
}

TEST(MessageHook, NameFollowsProgramAndDataFolder) {
    QTemporaryDir a, b;
    const QString nameA = hookServerName("Tonvale", a.path());
    EXPECT_TRUE(nameA.startsWith("tonvale-"));
    EXPECT_EQ(nameA, hookServerName("tonvale", a.path() + "/./"));
    EXPECT_NE(nameA, hookServerName("tonvale", b.path()));
    EXPECT_NE(nameA, hookServerName("hallbrin", a.path()));
}

class HookTest : public ::testing::Test {
protected:
    QString name_ = "tonvale-test-" + QUuid::createUuid().toString(QUuid::Id128).left(16);
    std::vector<HookCommand> received_;
    MessageHook hook_{[this](HookCommand c) { received_.push_back(c); }};

    // Pumps events until `count` commands arrived or a second passed.
    void waitFor(size_t count) {
        QElapsedTimer t;
        t.start();
        while (received_.size() < count && t.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    void settle() {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 150) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
};

TEST_F(HookTest, CommandsArriveThroughTheSocket) {
    ASSERT_TRUE(hook_.HookMainWindow(name_));
    EXPECT_TRUE(hook_.isHooked());
    EXPECT_EQ(hook_.serverName(), name_);
    ASSERT_TRUE(sendCopyData(name_, 3, "closemidi"));
    waitFor(1);
    ASSERT_TRUE(sendCopyData(name_, 2, "openmidi"));
    ASSERT_TRUE(sendCopyData(name_, 3, QByteArray("openmidi\0", 9)));
    waitFor(2);
    settle();
    EXPECT_EQ(received_, (std::vector<HookCommand>{HookCommand::CloseMidi, HookCommand::OpenMidi}));
}

TEST_F(HookTest, SeveralMessagesOnOneConnection) {
    ASSERT_TRUE(hook_.HookMainWindow(name_));
    QLocalSocket socket;
    socket.connectToServer(name_);
    ASSERT_TRUE(socket.waitForConnected(1000));
    auto frame = [](quint32 kind, const QByteArray& data) {
        uchar header[8];
        qToBigEndian<quint32>(kind, header);
        qToBigEndian<quint32>(quint32(data.size()), header + 4);
        return QByteArray(reinterpret_cast<const char*>(header), 8) + data;
    };
    // Sent in pieces: the hook waits for whole messages.
    const QByteArray bytes = frame(3, "closemidi") + frame(3, "openmidi");
    socket.write(bytes.left(5));
    socket.flush();
    settle();
    socket.write(bytes.mid(5));
    socket.flush();
    waitFor(2);
    EXPECT_EQ(received_, (std::vector<HookCommand>{HookCommand::CloseMidi, HookCommand::OpenMidi}));
}

TEST_F(HookTest, TooLongIsRefusedAndTheHookGoesOn) {
    ASSERT_TRUE(hook_.HookMainWindow(name_));
    ASSERT_TRUE(sendCopyData(name_, 3, padded("closemidi", 256)));
    ASSERT_TRUE(sendCopyData(name_, 3, padded("closemidi", 70000)));
    settle();
    EXPECT_TRUE(received_.empty());
    ASSERT_TRUE(sendCopyData(name_, 3, "closemidi"));
    waitFor(1);
    EXPECT_EQ(received_, std::vector<HookCommand>{HookCommand::CloseMidi});
}

TEST_F(HookTest, NameHeldByAnotherProgramMeansNoHook) {
    ASSERT_TRUE(hook_.HookMainWindow(name_));
    std::vector<HookCommand> second;
    MessageHook other([&second](HookCommand c) { second.push_back(c); });
    EXPECT_FALSE(other.HookMainWindow(name_));
    EXPECT_FALSE(other.isHooked());
    ASSERT_TRUE(sendCopyData(name_, 3, "openmidi"));
    waitFor(1);
    EXPECT_EQ(received_.size(), 1u);
    EXPECT_TRUE(second.empty());
    // Once the first lets go, the name is free.
    hook_.UnhookMainWindow();
    EXPECT_FALSE(hook_.isHooked());
    EXPECT_FALSE(sendCopyData(name_, 3, "openmidi"));
    EXPECT_TRUE(other.HookMainWindow(name_));
}

TEST_F(HookTest, NameLeftBehindByADeadProgramIsTakenOver) {
    // A socket file nobody listens on any more, as a crashed program leaves it.
    const QString path = QDir::tempPath() + "/" + name_;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray p = path.toLocal8Bit();
    ASSERT_LT(size_t(p.size()), sizeof(addr.sun_path));
    memcpy(addr.sun_path, p.constData(), size_t(p.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(path));

    ASSERT_TRUE(hook_.HookMainWindow(name_));
    ASSERT_TRUE(sendCopyData(name_, 3, "closemidi"));
    waitFor(1);
    EXPECT_EQ(received_, std::vector<HookCommand>{HookCommand::CloseMidi});
}

TEST_F(HookTest, NothingListensWithoutAHook) {
    EXPECT_FALSE(hook_.isHooked());
    EXPECT_FALSE(sendCopyData(name_, 3, "closemidi"));
}

} // namespace
} // namespace shell
