#pragma once
// A scripted class-link client on a raw socket, for answers no real student program gives.
#include <QHostAddress>
#include <QObject>
#include <QStringList>
#include <QTcpSocket>
#include <QTimer>
#include <functional>

#include "testsupport.h"

namespace testsupport {

class FakeClient : public QObject {
public:
    // Called with the command of each request line ("@@GET_DATA"); the default answers nothing.
    std::function<void(FakeClient&, const QString& command)> onRequest;
    QStringList requests;   // every line received, in order
    QTcpSocket socket;

    explicit FakeClient(quint16 port) {
        connect(&socket, &QTcpSocket::readyRead, this, [this] {
            buffer_ += socket.readAll();
            int end;
            while ((end = buffer_.indexOf("\r\n")) >= 0) {
                const QString line = QString::fromUtf8(buffer_.left(end));
                buffer_.remove(0, end + 2);
                requests << line;
                const int marker = line.indexOf(":<");
                if (onRequest) onRequest(*this, marker >= 0 ? line.left(marker) : line);
            }
        });
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
    bool waitConnected() {
        return waitUntil([this] { return socket.state() == QAbstractSocket::ConnectedState; });
    }
    void send(const QByteArray& bytes) {
        if (socket.state() != QAbstractSocket::ConnectedState) return;
        socket.write(bytes);
        socket.flush();
    }
    void sendLater(int ms, const QByteArray& bytes) {
        QTimer::singleShot(ms, this, [this, bytes] { send(bytes); });
    }
    bool closed() const { return socket.state() == QAbstractSocket::UnconnectedState; }

    // Answers every request the way a student program does, with the given values.
    static std::function<void(FakeClient&, const QString&)> answering(const QString& computer, const QString& product,
                                                                      const QString& stored) {
        return [=](FakeClient& c, const QString& command) {
            if (command == "@@COMPUTERNAME") c.send(("@@COMPUTERNAME:>" + computer + "\r\n").toUtf8());
            else if (command == "@@PRODUCTNAME") c.send(("@@PRODUCTNAME:>" + product + "\r\n").toUtf8());
            else if (command == "@@GET_DATA") c.send(("@@GET_DATA:>" + stored + "\r\n").toUtf8());
            else if (command == "@@CLOSE_SERVER") c.socket.disconnectFromHost();
        };
    }

private:
    QByteArray buffer_;
};

} // namespace testsupport
