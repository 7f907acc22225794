#include "messagehook.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include "platform/clock.h"
#include "platform/net/streamsocket.h"

namespace shell {
namespace {
constexpr int kHeaderBytes = 8;
constexpr int kSendWaitMs = 1000;
} // namespace

HookCommand interpretCopyData(quint32 kind, const QByteArray& data) {
    if (kind != kMidiCommandKind) return HookCommand::None;
    if (data.size() > kCopyDataBufferBytes) return HookCommand::None;
    const qsizetype nul = data.indexOf('\0');
    const QByteArray command = nul < 0 ? data : data.left(nul);
    if (command == "openmidi") return HookCommand::OpenMidi;
    if (command == "closemidi") return HookCommand::CloseMidi;
    return HookCommand::None;
}

QString hookServerName(const QString& programName, const QString& dataFolder) {
    QString folder = QFileInfo(dataFolder).canonicalFilePath();
    if (folder.isEmpty()) folder = QDir::cleanPath(QDir(dataFolder).absolutePath());
    const QByteArray hash = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex();
    return programName.toLower() + "-" + QString::fromLatin1(hash.left(16));
}

MessageHook::MessageHook(std::function<void(HookCommand)> handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {}

MessageHook::~MessageHook() { UnhookMainWindow(); }

bool MessageHook::HookMainWindow(const QString& name) {
    UnhookMainWindow();
    {
        platform::StreamSocket probe;
        probe.connectToLocalServer(name);
        if (probe.state() == platform::StreamSocket::State::Connected) {
            probe.abort();
            return false;   // a live program holds the name
        }
    }
    platform::LocalServer::removeServer(name);   // a socket file left by a program that died
    auto* server = new platform::LocalServer(this);
    if (!server->listen(name)) {
        delete server;
        return false;
    }
    server_ = server;
    name_ = name;
    connect(server_, &platform::LocalServer::newConnection, this, &MessageHook::acceptConnections);
    return true;
}

void MessageHook::UnhookMainWindow() {
    if (!server_) return;
    server_->close();
    delete server_;   // its pending and accepted sockets are its children
    server_ = nullptr;
    name_.clear();
}

bool MessageHook::isHooked() const { return server_ && server_->isListening(); }

void MessageHook::acceptConnections() {
    while (server_ && server_->hasPendingConnections()) {
        platform::StreamSocket* socket = server_->nextPendingConnection();
        connect(socket, &platform::StreamSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &platform::StreamSocket::disconnected, socket, &QObject::deleteLater);
        readFrom(socket);
    }
}

void MessageHook::readFrom(platform::StreamSocket* socket) {
    for (;;) {
        if (socket->bytesAvailable() < kHeaderBytes) return;
        const QByteArray header = socket->peek(kHeaderBytes);
        const quint32 kind = qFromBigEndian<quint32>(header.constData());
        const quint32 length = qFromBigEndian<quint32>(header.constData() + 4);
        if (length > quint32(kCopyDataBufferBytes)) {
            // Refused: the rest of this sender's stream can no longer be framed.
            socket->abort();
            return;
        }
        if (socket->bytesAvailable() < kHeaderBytes + qint64(length)) return;
        socket->read(kHeaderBytes);
        const QByteArray data = socket->read(length);
        const HookCommand command = interpretCopyData(kind, data);
        if (command != HookCommand::None && handler_) handler_(command);
    }
}

bool sendCopyData(const QString& serverName, quint32 kind, const QByteArray& data) {
    platform::StreamSocket socket;
    socket.connectToLocalServer(serverName);
    if (socket.state() != platform::StreamSocket::State::Connected) return false;
    uchar header[kHeaderBytes];
    qToBigEndian<quint32>(kind, header);
    qToBigEndian<quint32>(quint32(data.size()), header + 4);
    QByteArray frame(reinterpret_cast<const char*>(header), kHeaderBytes);
    frame += data;
    socket.write(frame);
    // Sent without the event loop, as the receiver takes it, for at most a second.
    platform::Clock& clock = platform::Clock::instance();
    const qint64 end = clock.nowMs() + kSendWaitMs;
    while (socket.bytesToWrite() > 0 && socket.state() == platform::StreamSocket::State::Connected) {
        socket.flush();
        if (socket.bytesToWrite() == 0 || clock.nowMs() >= end) break;
        clock.sleepMs(1);
    }
    const bool ok = socket.bytesToWrite() == 0 && socket.state() == platform::StreamSocket::State::Connected;
    socket.abort();
    return ok;
}

} // namespace shell
