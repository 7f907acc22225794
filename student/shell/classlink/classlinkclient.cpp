#include "classlinkclient.h"

#include <QSysInfo>

#include "common/basic.h"
#include "common/storedtext/storedtext.h"
#include "common/storedtext/getvalue.h"
#include "platform/clock.h"
#include "platform/paths.h"

namespace classlink {
namespace {

const QByteArray kLineEnd("\r\n");

// Lets events run (socket events among them) while busy() holds, for at most ms.
template <class Busy>
void waitWhile(Busy busy, int ms) {
    platform::Clock& clock = platform::Clock::instance();
    const qint64 end = clock.nowMs() + ms;
    while (busy()) {
        const qint64 left = end - clock.nowMs();
        if (left <= 0) break;
        clock.sleepPumping(int(qMin<qint64>(left, 5)));
    }
}

} // namespace

int portFromText(const QString& text) {
    const double port = basic::roundHalfEven(basic::Val(text));
    return port >= 1 && port <= 65535 ? int(port) : kDefaultPort;
}

ServerAddress readClientConfig(const QString& path) {
    ServerAddress address;
    QString text;
    if (!common::LoadStoredText(path, text) || text.isEmpty()) return address;
    QString key;
    address.hostText = common::GetValue(text, key);
    address.portText = common::GetValue(text, key);
    address.host = address.hostText;
    address.port = portFromText(address.portText);
    address.fromFile = true;
    return address;
}

bool writeClientConfig(const QString& path, const QString& hostText, const QString& portText) {
    return common::SaveStoredText(path, QStringLiteral("computer=") + hostText + common::CRLF +
                                            QStringLiteral("port=") + portText + common::CRLF);
}

ClassLinkClient::ClassLinkClient(QObject* parent) : QObject(parent), tcpClient_(new platform::StreamSocket(this)) {
    tcpClient_->setObjectName(QStringLiteral("tcpClient"));
    connect(tcpClient_, &platform::StreamSocket::readyRead, this, &ClassLinkClient::tcpClient_DataArrival);
    connect(tcpClient_, &platform::StreamSocket::connected, this, &ClassLinkClient::reportStatus);
    connect(tcpClient_, &platform::StreamSocket::disconnected, this, &ClassLinkClient::reportStatus);
    connect(tcpClient_, &platform::StreamSocket::errorOccurred, this, [this](platform::StreamSocket::Error) {
        connectFailed_ = true;
        connectError_ = tcpClient_->errorString();
    });
}

ClassLinkClient::~ClassLinkClient() { tcpClient_->disconnect(this); }

QString ClassLinkClient::dataFolder() const {
    return dataFolder_.isEmpty() ? platform::Paths::dataFolder() : dataFolder_;
}

QString ClassLinkClient::computerName() const {
    const QString name = computerName_ ? computerName_() : QSysInfo::machineHostName();
    return name.left(256);
}

bool ClassLinkClient::isConnected() const { return tcpClient_->state() == platform::StreamSocket::State::Connected; }

bool ClassLinkClient::stillResolving() const { return tcpClient_->state() == platform::StreamSocket::State::HostLookup; }

QString ClassLinkClient::statusText() const {
    return isConnected() ? QStringLiteral("Connected") : QStringLiteral("Disconnected");
}

void ClassLinkClient::reportStatus() { emit statusChanged(isConnected(), statusText()); }

void ClassLinkClient::ConnectToServer(int waitMs) {
    const ServerAddress address = readClientConfig(dataFolder() + "/" + kConfigFile);
    connectTo(address.host, address.port, waitMs);
    reportStatus();
}

void ClassLinkClient::connectTo(const QString& host, int port, int waitMs) {
    tcpClient_->abort();
    buffer_.clear();
    connectFailed_ = false;
    connectError_.clear();
    tcpClient_->connectToHost(host, quint16(port));
    waitWhile([this] {
        const auto state = tcpClient_->state();
        return state == platform::StreamSocket::State::HostLookup || state == platform::StreamSocket::State::Connecting;
    }, waitMs);
}

void ClassLinkClient::closeConnection() {
    tcpClient_->abort();
    buffer_.clear();
}

void ClassLinkClient::SendToServer(const QString& text) {
    if (!isConnected()) return;
    const QByteArray line = text.toUtf8() + kLineEnd;
    if (tcpClient_->bytesToWrite() + line.size() > kMaxUnsentBytes) {
        // The server goes on asking without reading the answers: not a class server to serve.
        tcpClient_->abort();
        return;
    }
    tcpClient_->write(line);
    tcpClient_->flush();
}

QString ClassLinkClient::SendReceive(const QString& text) {
    if (!isConnected()) return serverReply_;
    serverReply_.clear();
    SendToServer(text);
    waitWhile([this] { return isConnected() && serverReply_.isEmpty(); }, kSendReceiveWaitMs);
    return serverReply_;
}

QString ClassLinkClient::GetData() const {
    QString stored;
    if (!common::ReadTextFile(dataFolder() + "/" + kProfileFile, stored)) return QString();
    return stored;
}

void ClassLinkClient::tcpClient_DataArrival() {
    buffer_ += tcpClient_->readAll();
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = buffer_.indexOf(kLineEnd, start);
        if (end < 0) break;
        if (end - start > kMaxMessageBytes) break;
        const QString line = QString::fromUtf8(buffer_.constData() + start, end - start);
        start = end + kLineEnd.size();
        handleMessage(line);
        if (tcpClient_->state() == platform::StreamSocket::State::Unconnected) {
            buffer_.clear();
            return;
        }
    }
    buffer_.remove(0, start);
    if (buffer_.size() > kMaxMessageBytes) {
        // Nothing the server says is this long: the stream is not ours.
        buffer_.clear();
        tcpClient_->abort();
    }
}

void ClassLinkClient::handleMessage(const QString& data) {
    const int marker = data.indexOf(QLatin1String(":<"));
    const QString command = marker >= 0 ? data.left(marker) : QString();
    if (command == QLatin1String("@@CLOSE_SOCKET")) {
        // The server's word that it has let us go: nothing to answer.
    } else if (command == QLatin1String("@@CLOSE_SERVER")) {
        tcpClient_->disconnectFromHost();
    } else if (command == QLatin1String("@@GET_DATA")) {
        SendToServer(QStringLiteral("@@GET_DATA:>") + GetData());
    } else if (command == QLatin1String("@@COMPUTERNAME")) {
        SendToServer(QStringLiteral("@@COMPUTERNAME:>") + computerName());
    } else if (command == QLatin1String("@@PRODUCTNAME")) {
        SendToServer(QStringLiteral("@@PRODUCTNAME:>") + QLatin1String(kProductAnswer));
    } else {
        SendToServer(command + QStringLiteral(":>NOT FOUND"));
    }
    serverReply_ = marker >= 0 ? data.mid(marker + 2) : QString();
    if (serverReply_.isEmpty()) serverReply_ = data;
}

} // namespace classlink
