#pragma once
// A small stream socket on the system's calls, driven by the event loop: TCP to a host and port,
// or a local socket by name. The student program keeps the toolkit's network library (and the
// security and proxy libraries behind it) out of every start, for the few connections it makes.
//
// Name lookups run on a worker thread of their own, so the event loop never waits for them.
// A lookup that ends after abort() or after the client is gone is dropped unseen.
// Writes are buffered and sent as the peer takes them; nothing here blocks.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;
class QTimer;

namespace platform {

class StreamSocket : public QObject {
    Q_OBJECT
public:
    enum class State { Unconnected, HostLookup, Connecting, Connected, Closing };
    Q_ENUM(State)
    enum class Error {
        None,
        ConnectionRefused,
        RemoteHostClosed,
        HostNotFound,
        Timeout,
        NetworkUnreachable,
        Other,
    };
    Q_ENUM(Error)

    // One resolved address, as the system's socket calls take it.
    struct Address {
        int family = 0;
        std::string bytes;   // the sockaddr, port included
    };
    // Turns a host name into addresses; on failure returns none and may set *why. Runs on the
    // lookup worker, never on the client's thread.
    using Resolver = std::function<std::vector<Address>(const std::string& host, quint16 port, std::string* why)>;

    explicit StreamSocket(QObject* parent = nullptr);
    ~StreamSocket() override;

    // Dotted IPv4 and IPv6 addresses connect at once; a name is looked up first.
    void connectToHost(const QString& host, quint16 port);
    // A local server by name (see LocalServer::socketPath); at once, without a lookup.
    void connectToLocalServer(const QString& name);
    // Sends what is still buffered, then closes; at once when nothing is.
    void disconnectFromHost();
    // Closes at once and drops both buffers; a lookup under way is forgotten.
    void abort();

    State state() const { return state_; }
    Error error() const { return error_; }
    QString errorString() const { return errorString_; }

    // Queues bytes for sending (only while connected); returns how many were taken.
    qint64 write(const QByteArray& bytes);
    // Sends as much of the queue as the peer takes now; true when anything went.
    bool flush();
    qint64 bytesToWrite() const { return qint64(writeBuffer_.size()) - writeOffset_; }
    qint64 bytesAvailable() const { return readBuffer_.size(); }
    QByteArray readAll();
    QByteArray read(qint64 most);
    QByteArray peek(qint64 most) const { return readBuffer_.left(most); }

    // How long each address may take to answer before the next is tried (30 s unless set).
    void setConnectTimeoutMs(int ms) { connectTimeoutMs_ = ms; }
    // Replaces the system's name lookup (tests make it slow or fail on purpose).
    void setResolver(Resolver resolver) { resolver_ = std::move(resolver); }
    static std::vector<Address> systemResolve(const std::string& host, quint16 port, std::string* why);

signals:
    void connected();
    void disconnected();
    void readyRead();
    void errorOccurred(platform::StreamSocket::Error error);

private:
    friend class LocalServer;
    // Takes over a socket already connected (one a server accepted).
    void adopt(int fd);
    struct Lookup;
    void startConnecting(std::vector<Address> addresses);
    void lookupDone(const std::shared_ptr<Lookup>& lookup, std::vector<Address> addresses, const std::string& why);
    void connectNext();
    void connectionMade(bool announce);
    void tryNextOrFail(Error error, int code);
    void canRead();
    void canWrite();
    void checkConnectDeadline();
    void fail(Error error, const QString& text);
    void closeSocket();
    void cancelLookup();
    void setError(Error error, const QString& text);

    State state_ = State::Unconnected;
    Error error_ = Error::None;
    QString errorString_;
    int fd_ = -1;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    QTimer* connectTimer_ = nullptr;
    qint64 connectDeadline_ = 0;
    int connectTimeoutMs_ = 30000;
    std::vector<Address> addresses_;
    size_t nextAddress_ = 0;
    int lastConnectErrno_ = 0;
    std::shared_ptr<Lookup> lookup_;
    Resolver resolver_;
    QByteArray readBuffer_;
    QByteArray writeBuffer_;
    qsizetype writeOffset_ = 0;
    // Bumped whenever the socket goes, so a handler that emitted a signal can tell whether the
    // receiver closed or reconnected it meanwhile.
    quint64 generation_ = 0;
};

// Listens for local connections under a name, for this user only. Another program with the
// same name finds it; a socket file left behind by one that died is replaced by listen().
class LocalServer : public QObject {
    Q_OBJECT
public:
    explicit LocalServer(QObject* parent = nullptr);
    ~LocalServer() override;

    // The socket file a name stands for: itself when it is a path, else in the temporary folder.
    static QString socketPath(const QString& name);
    // Removes a socket file nobody should be listening on any more.
    static bool removeServer(const QString& name);

    bool listen(const QString& name);
    void close();
    bool isListening() const { return fd_ >= 0; }
    bool hasPendingConnections() const { return !pending_.empty(); }
    // A connected socket, child of this server, or nullptr.
    StreamSocket* nextPendingConnection();

signals:
    void newConnection();

private:
    void acceptAll();

    int fd_ = -1;
    QString path_;
    QSocketNotifier* notifier_ = nullptr;
    std::vector<StreamSocket*> pending_;
};

} // namespace platform
