#include "messagehook.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QtEndian>

namespace shell {
namespace {
constexpr int kHeaderBytes = 8;
constexpr int kProbeWaitMs = 200;
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
        QLocalSocket probe;
        probe.connectToServer(name);
        if (probe.waitForConnected(kProbeWaitMs)) {
            probe.disconnectFromServer();
            return false;   // a live program holds the name
        }
    }
    QLocalServer::removeServer(name);   // a socket file left by a program that died
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        delete server;
        return false;
    }
    server_ = server;
    name_ = name;
    connect(server_, &QLocalServer::newConnection, this, &MessageHook::acceptConnections);
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
        QLocalSocket* socket = server_->nextPendingConnection();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        readFrom(socket);
    }
}

void MessageHook::readFrom(QLocalSocket* socket) {
    for (;;) {
        if (socket->bytesAvailable() < kHeaderBytes) return;
        uchar header[kHeaderBytes];
        socket->peek(reinterpret_cast<char*>(header), kHeaderBytes);
        const quint32 kind = qFromBigEndian<quint32>(header);
        const quint32 length = qFromBigEndian<quint32>(header + 4);
        if (length > quint32(kCopyDataBufferBytes)) {
            // Refused: the rest of this sender's stream can no longer be framed.
            socket->abort();
            return;
        }
        if (socket->bytesAvailable() < kHeaderBytes + qint64(length)) return;
        socket->skip(kHeaderBytes);
        const QByteArray data = socket->read(length);
        const HookCommand command = interpretCopyData(kind, data);
        if (command != HookCommand::None && handler_) handler_(command);
    }
}

bool sendCopyData(const QString& serverName, quint32 kind, const QByteArray& data) {
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(kProbeWaitMs)) return false;
    uchar header[kHeaderBytes];
    qToBigEndian<quint32>(kind, header);
    qToBigEndian<quint32>(quint32(data.size()), header + 4);
    QByteArray frame(reinterpret_cast<const char*>(header), kHeaderBytes);
    frame += data;
    socket.write(frame);
    const bool ok = socket.waitForBytesWritten(1000) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    return ok;
}

} // namespace shell
