#include "classserver.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace classserver {
namespace {
const QByteArray kLineEnd("\r\n");
constexpr int kInitialSlots = 10;
} // namespace

ClassServer::ClassServer(QObject* parent) : QObject(parent) {
    listener_ = makeListener();
    peers_.resize(kInitialSlots + 1);
    shutdownTimer_.setSingleShot(true);
    connect(&shutdownTimer_, &QTimer::timeout, this, &ClassServer::finishShutdown);
}

ClassServer::~ClassServer() {
    pending_.clear();
    for (Peer& p : peers_) {
        if (!p.socket) continue;
        p.socket->disconnect(this);
        p.socket->abort();
        delete p.socket;
        p.socket = nullptr;
    }
}

QTcpServer* ClassServer::makeListener() {
    auto* listener = new QTcpServer(this);
    connect(listener, &QTcpServer::newConnection, this, &ClassServer::acceptConnections);
    return listener;
}

ListenResult ClassServer::listen(quint16 port, const QHostAddress& address) {
    listenError_.clear();
    if (listener_->isListening() && port != 0 && listener_->serverPort() == port &&
        listener_->serverAddress() == address)
        return ListenResult::Listening;
    QTcpServer* next = makeListener();
    if (!next->listen(address, port)) {
        listenError_ = next->errorString();
        const bool inUse = next->serverError() == QAbstractSocket::AddressInUseError;
        delete next;
        return inUse ? ListenResult::PortInUse : ListenResult::Failed;
    }
    listener_->close();
    listener_->deleteLater();
    listener_ = next;
    if (shuttingDown_) listener_->close();
    return ListenResult::Listening;
}

void ClassServer::stopListening() { listener_->close(); }
bool ClassServer::isListening() const { return listener_->isListening(); }
quint16 ClassServer::port() const { return listener_->serverPort(); }

bool ClassServer::slotInUse(int slot) const {
    return slot >= 1 && slot < peers_.size() && peers_[slot].socket != nullptr;
}

bool ClassServer::isConnected(int slot) const {
    return slotInUse(slot) && peers_[slot].socket->state() == QAbstractSocket::ConnectedState;
}

QString ClassServer::peerLabel(int slot) const {
    if (!slotInUse(slot)) return QString();
    if (!peers_[slot].name.isEmpty()) return peers_[slot].name;
    QHostAddress address = peers_[slot].socket->peerAddress();
    bool mapped = false;
    const QHostAddress v4(address.toIPv4Address(&mapped));
    return (mapped ? v4 : address).toString();
}

void ClassServer::setPeerName(int slot, const QString& name) {
    if (slotInUse(slot)) peers_[slot].name = name;
}

const ClassServer::Pending* ClassServer::pendingOf(int slot) const {
    const auto it = pending_.find(slot);
    return it == pending_.end() ? nullptr : &it->second;
}

int ClassServer::clientCount() const {
    int n = 0;
    for (int i = 1; i < peers_.size(); ++i)
        if (peers_[i].socket) ++n;
    return n;
}

void ClassServer::acceptConnections() {
    while (listener_->hasPendingConnections()) {
        QTcpSocket* socket = listener_->nextPendingConnection();
        if (!socket) break;
        // The server owns its connections, not the listener: a move to another port deletes the
        // listener, and the student programs already connected must stay.
        socket->setParent(this);
        if (shuttingDown_) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        int sameAddress = 0;
        for (const Peer& p : peers_)
            if (p.socket && p.socket->peerAddress().isEqual(socket->peerAddress())) ++sameAddress;
        if (sameAddress >= maxPerAddress_) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        int slot = 0;
        for (int i = 1; i < peers_.size(); ++i) {
            if (!peers_[i].socket) {
                slot = i;
                break;
            }
        }
        if (slot == 0) {
            peers_.append(Peer());
            slot = int(peers_.size()) - 1;
        }
        peers_[slot].socket = socket;
        // Read in pieces, so a long answer arrives between other events rather than in one go.
        socket->setReadBufferSize(256 * 1024);
        currentSocket_ = slot;
        connect(socket, &QTcpSocket::readyRead, this, [this, slot] { readClient(slot); });
        connect(socket, &QTcpSocket::disconnected, this, [this, slot] { clientGone(slot); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, slot, socket](QAbstractSocket::SocketError) {
            if (slotInUse(slot) && peers_[slot].socket == socket && socket->state() != QAbstractSocket::ConnectedState)
                clientGone(slot);
        });
        emit clientConnected(slot);
        if (slotInUse(slot) && socket->bytesAvailable() > 0) readClient(slot);
    }
}

qsizetype ClassServer::messageLimit(int slot, const QByteArray& data, qsizetype start) const {
    static const QByteArray dataAnswer = QByteArray(kGetData) + ":>";
    const Peer& peer = peers_[slot];
    const Pending* pending = pendingOf(slot);
    const bool asked = (pending && pending->command == QLatin1String(kGetData)) ||
                       peer.owed.value(QString::fromLatin1(kGetData)) > 0;
    if (asked && data.size() - start >= dataAnswer.size() &&
        std::equal(dataAnswer.begin(), dataAnswer.end(), data.begin() + start))
        return kMaxDataAnswerBytes;
    return kMaxMessageBytes;
}

// A profile sent after its request timed out is dropped whole when it ends (see handleMessage).
bool ClassServer::lateDataAnswerAt(int slot, const QByteArray& data, qsizetype start) const {
    static const QByteArray dataAnswer = QByteArray(kGetData) + ":>";
    return peers_[slot].owed.value(QString::fromLatin1(kGetData)) > 0 && data.size() - start >= dataAnswer.size() &&
           std::equal(dataAnswer.begin(), dataAnswer.end(), data.begin() + start);
}

// Throws away the bytes of a late profile from start on, counting them (with `before` bytes of
// it thrown away earlier); a CR at the end is kept, as it may begin the line end.
void ClassServer::discardFrom(int slot, const QByteArray& data, qsizetype start, qsizetype before) {
    const bool cr = data.size() > start && data.endsWith('\r');
    peers_[slot].discarded = before + (data.size() - start) - (cr ? 1 : 0);
    peers_[slot].buffer = cr ? QByteArray("\r") : QByteArray();
}

void ClassServer::readClient(int slot) {
    if (!slotInUse(slot)) return;
    QTcpSocket* socket = peers_[slot].socket;
    QByteArray data = std::move(peers_[slot].buffer);
    peers_[slot].buffer = QByteArray();
    // Only the newly read bytes can hold a line end not seen before.
    qsizetype from = qMax<qsizetype>(0, data.size() - 1);
    // An asked profile may be long: its room is taken once, as it begins to arrive, rather than
    // doubled (and copied) again and again as it grows.
    static const QByteArray dataAnswer = QByteArray(kGetData) + ":>";
    const Pending* pending = pendingOf(slot);
    if (data.isEmpty() && pending && pending->command == QLatin1String(kGetData) &&
        peers_[slot].discarded < 0 && socket->peek(dataAnswer.size()) == dataAnswer)
        data.reserve(kMaxDataAnswerBytes + dataAnswer.size() + 2);
    const qint64 available = socket->bytesAvailable();
    if (available > 0) {
        const qsizetype before = data.size();
        data.resize(before + available);
        const qint64 got = socket->read(data.data() + before, available);
        data.resize(before + qMax<qint64>(0, got));
    }
    qsizetype start = 0;
    if (peers_[slot].discarded >= 0) {
        // The rest of a late profile: only where it ends matters.
        const qsizetype before = peers_[slot].discarded;
        const qsizetype end = data.indexOf(kLineEnd, from);
        if (before + (end < 0 ? data.size() : end) > kMaxDataAnswerBytes) {
            release(slot, false);
            return;
        }
        if (end < 0) {
            discardFrom(slot, data, 0, before);
            return;
        }
        peers_[slot].discarded = -1;
        start = end + kLineEnd.size();
        handleMessage(slot, QByteArray(kGetData) + ":>");  // the answer it was, without its payload
    }
    for (;;) {
        if (!slotInUse(slot) || peers_[slot].socket != socket) return;  // dropped meanwhile
        const qsizetype end = data.indexOf(kLineEnd, qMax(from, start));
        const qsizetype length = (end < 0 ? data.size() : end) - start;
        if (length > messageLimit(slot, data, start)) {
            release(slot, false);
            return;
        }
        if (end < 0) break;
        if (start == 0 && end + kLineEnd.size() == data.size()) {
            // All that arrived is this one line (a profile, typically): handed over as it is.
            data.truncate(end);
            handleMessage(slot, std::move(data));
            data = QByteArray();
            start = 0;
            if (!slotInUse(slot) || peers_[slot].socket != socket) return;
            break;
        }
        QByteArray line = data.mid(start, end - start);
        start = end + kLineEnd.size();
        handleMessage(slot, std::move(line));
    }
    // A late profile is never used: it need not be held while it arrives.
    if (lateDataAnswerAt(slot, data, start)) {
        discardFrom(slot, data, start, 0);
        return;
    }
    peers_[slot].buffer = data.mid(start);
}

void ClassServer::handleMessage(int slot, QByteArray line) {
    if (shuttingDown_) return;
    static const QByteArray marker(":>");
    const qsizetype at = line.indexOf(marker);
    const QString command = at >= 0 ? QString::fromUtf8(line.left(at)) : QString();
    if (command == QLatin1String(kCloseSocket)) {
        if (isConnected(slot)) sendLine(peers_[slot].socket, QString::fromLatin1(kCloseSocket) + ":<disconnected");
        release(slot, true);
        return;
    }
    if (at < 0) return;
    Peer& peer = peers_[slot];
    auto owed = peer.owed.find(command);
    if (owed != peer.owed.end()) {
        // The answer to a request that already timed out: it answers nothing asked now.
        if (--owed.value() <= 0) peer.owed.erase(owed);
        return;
    }
    const Pending* pending = pendingOf(slot);
    if (pending && pending->command == command) complete(slot, Reply::Answered, std::move(line), at + marker.size());
}

void ClassServer::sendLine(QTcpSocket* socket, const QString& text) {
    socket->write(text.toUtf8() + kLineEnd);
    socket->flush();
}

bool ClassServer::send(int slot, const QString& command, ReplyHandler done, RawReplyHandler raw) {
    if (busy(slot) || shuttingDown_ || !isConnected(slot)) return false;
    // Each request its own deadline: a silent client holds up only its own questions.
    auto* deadline = new QTimer(this);
    deadline->setSingleShot(true);
    deadline->setTimerType(Qt::PreciseTimer);
    connect(deadline, &QTimer::timeout, this, [this, slot, deadline] { requestTimedOut(slot, deadline); });
    pending_[slot] = Pending{command, std::move(done), std::move(raw), deadline};
    deadline->start(requestTimeoutMs_);
    sendLine(peers_[slot].socket, command + ":<");
    return true;
}

bool ClassServer::requestRaw(int slot, const QString& command, RawReplyHandler done) {
    return send(slot, command, nullptr, std::move(done));
}

bool ClassServer::request(int slot, const QString& command, ReplyHandler done) {
    return send(slot, command, std::move(done), nullptr);
}

// The answer to a request given up on may still come; it must not answer a later question,
// and what has arrived of it need not be kept.
void ClassServer::owe(int slot, const QString& command) {
    if (!slotInUse(slot)) return;
    Peer& peer = peers_[slot];
    peer.owed[command] += 1;
    const QByteArray held = peer.buffer;
    if (peer.discarded < 0 && lateDataAnswerAt(slot, held, 0)) discardFrom(slot, held, 0, 0);
}

void ClassServer::cancelRequest(int slot) {
    const auto it = pending_.find(slot);
    if (it == pending_.end()) return;
    const QString command = it->second.command;
    it->second.deadline->stop();
    it->second.deadline->deleteLater();
    pending_.erase(it);
    owe(slot, command);
}

void ClassServer::cancelRequest() {
    while (!pending_.empty()) cancelRequest(pending_.begin()->first);
}

void ClassServer::complete(int slot, Reply reply, QByteArray message, qsizetype payloadAt) {
    const auto it = pending_.find(slot);
    if (it == pending_.end()) return;
    Pending pending = std::move(it->second);
    pending_.erase(it);
    // Gone before the handler runs, which may ask this client its next question.
    pending.deadline->stop();
    pending.deadline->deleteLater();
    if (pending.raw) pending.raw(reply, message, payloadAt);
    else if (pending.done) pending.done(reply, QString::fromUtf8(QByteArrayView(message).sliced(payloadAt)));
}

void ClassServer::requestTimedOut(int slot, QTimer* deadline) {
    const Pending* pending = pendingOf(slot);
    if (!pending || pending->deadline != deadline) return;
    owe(slot, pending->command);
    complete(slot, Reply::TimedOut, QByteArray());
}

void ClassServer::clientGone(int slot) { release(slot, false); }

void ClassServer::dropSlot(int slot) { release(slot, false); }

void ClassServer::release(int slot, bool graceful) {
    if (!slotInUse(slot)) return;
    QTcpSocket* socket = peers_[slot].socket;
    peers_[slot] = Peer();
    socket->disconnect(this);
    if (graceful && socket->state() == QAbstractSocket::ConnectedState) {
        // Let the last words go out before the socket goes away.
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        socket->disconnectFromHost();
        if (socket->state() == QAbstractSocket::UnconnectedState) socket->deleteLater();
    } else {
        socket->abort();
        socket->deleteLater();
    }
    complete(slot, Reply::Disconnected, QByteArray());
    emit clientDisconnected(slot);
    if (shuttingDown_) finishShutdownIfDone();
}

void ClassServer::beginShutdown() {
    if (shuttingDown_) return;
    shuttingDown_ = true;
    cancelRequest();
    listener_->close();
    for (int i = 1; i < peers_.size(); ++i) {
        if (!slotInUse(i)) continue;
        if (isConnected(i)) sendLine(peers_[i].socket, QString::fromLatin1(kCloseServer) + ":<");
        else release(i, false);
    }
    if (clientCount() == 0) {
        QTimer::singleShot(0, this, &ClassServer::finishShutdown);
        return;
    }
    shutdownTimer_.start(shutdownTimeoutMs_);
}

void ClassServer::finishShutdownIfDone() {
    if (clientCount() == 0 && !shutdownDone_) {
        shutdownTimer_.stop();
        QTimer::singleShot(0, this, &ClassServer::finishShutdown);
    }
}

void ClassServer::finishShutdown() {
    if (shutdownDone_) return;
    shutdownDone_ = true;
    shutdownTimer_.stop();
    for (int i = 1; i < peers_.size(); ++i) release(i, false);
    listener_->close();
    emit shutdownFinished();
}

} // namespace classserver
