#pragma once
// The server end of the class link: listens for student programs, keeps one socket slot per
// connection, asks each client one question at a time (several clients may be asked at once)
// and hands back the answer, and tells every client to hang up at shut-down.
//
// Wire: every message, both ways, is one line ending in CR LF. A request is a command word and
// ":<" (the server sends no argument); an answer is the command word, ":>" and the payload.
// A receiver buffers per connection and acts on whole lines only.
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>
#include <functional>
#include <map>

class QTcpServer;
class QTcpSocket;

namespace classserver {

inline constexpr int kDefaultPort = 2001;
// How long one request waits for its answer, and shut-down for its clients to hang up.
inline constexpr int kRequestTimeoutMs = 5000;
inline constexpr int kShutdownTimeoutMs = 5000;
// Longest message a connection may send; only the answer to "@@GET_DATA" may be longer.
inline constexpr qsizetype kMaxMessageBytes = 64 * 1024;
inline constexpr qsizetype kMaxDataAnswerBytes = 16 * 1024 * 1024;
// Connections one computer may hold at once: several student programs may share a computer,
// never dozens, and every connection costs every poll a question.
inline constexpr int kMaxConnectionsPerAddress = 32;

// Protocol words.
inline constexpr char kComputerName[] = "@@COMPUTERNAME";
inline constexpr char kProductName[] = "@@PRODUCTNAME";
inline constexpr char kGetData[] = "@@GET_DATA";
inline constexpr char kCloseServer[] = "@@CLOSE_SERVER";
inline constexpr char kCloseSocket[] = "@@CLOSE_SOCKET";
// What a request that got no answer in time stands for.
inline constexpr char kNotFound[] = "@@NOTFOUND";

enum class ListenResult { Listening, PortInUse, Failed };
enum class Reply { Answered, TimedOut, Disconnected };

class ClassServer : public QObject {
    Q_OBJECT
public:
    using ReplyHandler = std::function<void(Reply, const QString& answer)>;
    // The message as it arrived, unconverted, and where its payload begins: for answers too long
    // to convert or copy on the window's thread.
    using RawReplyHandler = std::function<void(Reply, const QByteArray& message, qsizetype payloadAt)>;

    explicit ClassServer(QObject* parent = nullptr);
    ~ClassServer() override;

    // Starts listening (port 0: any free port, read back with port()). A listener already open
    // keeps listening until the new one does, and stays when the new port is refused; asking
    // again for the port and address already listened on changes nothing.
    ListenResult listen(quint16 port, const QHostAddress& address = QHostAddress::Any);
    void stopListening();
    bool isListening() const;
    quint16 port() const;
    QString listenErrorText() const { return listenError_; }

    // Socket slots: index 0 is the listener and never a slot; 1..highestSlot() serve clients.
    // There are 10 at first; a connection that finds none free adds one at the end. A
    // connection from an address that already holds maxConnectionsPerAddress() is closed at once.
    int highestSlot() const { return int(peers_.size()) - 1; }
    bool slotInUse(int slot) const;
    bool isConnected(int slot) const;
    int clientCount() const;
    int currentSocket() const { return currentSocket_; }
    // A room simulated on one computer (the benchmarks) needs more than a classroom's share.
    void setMaxConnectionsPerAddress(int limit) { maxPerAddress_ = limit; }
    int maxConnectionsPerAddress() const { return maxPerAddress_; }
    // Bytes held for a message still arriving on a slot.
    qsizetype bufferedBytes(int slot) const { return slotInUse(slot) ? peers_[slot].buffer.size() : 0; }
    // Closes the connection of a slot and frees it.
    void dropSlot(int slot);

    // Sends command & ":<" to the client of a slot and calls done once: with the payload of the
    // first message on that socket that names the command, or TimedOut after the deadline (each
    // request has its own), or Disconnected when the connection goes first. A client has at
    // most one request outstanding; false (and no call) when its slot already has one, or has
    // no connected client. Requests to different slots run side by side.
    bool request(int slot, const QString& command, ReplyHandler done);
    // The same, handing over the payload's bytes.
    bool requestRaw(int slot, const QString& command, RawReplyHandler done);
    bool busy() const { return !pending_.empty(); }
    bool busy(int slot) const { return pending_.count(slot) > 0; }
    // Forgets the outstanding request of a slot (or of every slot) without calling its handler;
    // its answer, should it come, is dropped like any late one.
    void cancelRequest(int slot);
    void cancelRequest();

    // What a person knows a connection by: the computer name it last gave (setPeerName), or
    // else its address. Empty for a free slot.
    QString peerLabel(int slot) const;
    void setPeerName(int slot, const QString& name);

    // Tells every connected client "@@CLOSE_SERVER:<", waits until each has hung up or the
    // shut-down deadline passes, then closes every socket and the listener and emits
    // shutdownFinished(). New connections are refused from the start of it.
    void beginShutdown();
    bool isShuttingDown() const { return shuttingDown_; }

    void setRequestTimeoutMs(int ms) { requestTimeoutMs_ = ms; }
    void setShutdownTimeoutMs(int ms) { shutdownTimeoutMs_ = ms; }

signals:
    void clientConnected(int slot);
    void clientDisconnected(int slot);
    void shutdownFinished();

private:
    struct Peer {
        QTcpSocket* socket = nullptr;
        QByteArray buffer;             // the start of a message still arriving
        QHash<QString, int> owed;      // answers still due for requests that timed out
        qsizetype discarded = -1;      // bytes so far of a late profile being thrown away, or -1
        QString name;                  // the computer name it last gave
    };
    struct Pending {
        QString command;
        ReplyHandler done;
        RawReplyHandler raw;
        QTimer* deadline = nullptr;
    };

    void acceptConnections();
    void readClient(int slot);
    void handleMessage(int slot, QByteArray line);
    void clientGone(int slot);
    bool send(int slot, const QString& command, ReplyHandler done, RawReplyHandler raw);
    const Pending* pendingOf(int slot) const;
    void complete(int slot, Reply reply, QByteArray message = QByteArray(), qsizetype payloadAt = 0);
    void requestTimedOut(int slot, QTimer* deadline);
    void finishShutdownIfDone();
    void finishShutdown();
    void sendLine(QTcpSocket* socket, const QString& text);
    qsizetype messageLimit(int slot, const QByteArray& data, qsizetype start) const;
    bool lateDataAnswerAt(int slot, const QByteArray& data, qsizetype start) const;
    void discardFrom(int slot, const QByteArray& data, qsizetype start, qsizetype before);
    void owe(int slot, const QString& command);
    void release(int slot, bool graceful);

    QTcpServer* makeListener();

    QTcpServer* listener_ = nullptr;
    QString listenError_;
    QVector<Peer> peers_;
    int currentSocket_ = 0;
    int maxPerAddress_ = kMaxConnectionsPerAddress;
    std::map<int, Pending> pending_;   // by slot
    QTimer shutdownTimer_;
    int requestTimeoutMs_ = kRequestTimeoutMs;
    int shutdownTimeoutMs_ = kShutdownTimeoutMs;
    bool shuttingDown_ = false;
    bool shutdownDone_ = false;
};

} // namespace classserver
