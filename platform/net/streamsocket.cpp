#include "streamsocket.h"

#include <QDir>
#include <QFile>
#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include <arpa/inet.h>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

#include "platform/clock.h"

namespace platform {

// The handle a lookup worker holds: the client it reports to, cleared (under the mutex) the
// moment the client stops waiting for it, so a late result goes nowhere.
struct StreamSocket::Lookup {
    std::mutex mutex;
    StreamSocket* client = nullptr;
};

namespace {

// Most bytes taken in or sent out per event, so one busy connection cannot hold the loop.
constexpr qsizetype kChunk = 64 * 1024;
constexpr qsizetype kMostPerEvent = 1024 * 1024;

std::vector<StreamSocket::Address> resolve(const std::string& host, quint16 port, int flags, std::string* why) {
    std::vector<StreamSocket::Address> out;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(port);
    int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    if (rc == EAI_BADFLAGS && (flags & AI_ADDRCONFIG)) {
        hints.ai_flags = flags & ~AI_ADDRCONFIG;
        rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    }
    if (rc != 0) {
        if (why) *why = ::gai_strerror(rc);
        return out;
    }
    for (const addrinfo* a = list; a; a = a->ai_next) {
        if (a->ai_family != AF_INET && a->ai_family != AF_INET6) continue;
        StreamSocket::Address address{a->ai_family, std::string(reinterpret_cast<const char*>(a->ai_addr), a->ai_addrlen)};
        bool seen = false;
        for (const auto& o : out) seen = seen || (o.family == address.family && o.bytes == address.bytes);
        if (!seen) out.push_back(std::move(address));
    }
    ::freeaddrinfo(list);
    return out;
}

struct ErrnoText {
    StreamSocket::Error error;
    QString text;
};

ErrnoText describe(int code) {
    switch (code) {
    case ECONNREFUSED: return {StreamSocket::Error::ConnectionRefused, QStringLiteral("Connection refused")};
    case ETIMEDOUT: return {StreamSocket::Error::Timeout, QStringLiteral("Connection timed out")};
    case ENETUNREACH: return {StreamSocket::Error::NetworkUnreachable, QStringLiteral("Network unreachable")};
    case EHOSTUNREACH: return {StreamSocket::Error::NetworkUnreachable, QStringLiteral("Host unreachable")};
    case ECONNRESET:
    case EPIPE: return {StreamSocket::Error::RemoteHostClosed, QStringLiteral("The remote host closed the connection")};
    default: return {StreamSocket::Error::Other, QString::fromLocal8Bit(std::strerror(code))};
    }
}

} // namespace

std::vector<StreamSocket::Address> StreamSocket::systemResolve(const std::string& host, quint16 port, std::string* why) {
    return resolve(host, port, AI_ADDRCONFIG, why);
}

StreamSocket::StreamSocket(QObject* parent) : QObject(parent), resolver_(&StreamSocket::systemResolve) {}

StreamSocket::~StreamSocket() {
    cancelLookup();
    closeSocket();
}

void StreamSocket::setError(Error error, const QString& text) {
    error_ = error;
    errorString_ = text;
}

void StreamSocket::connectToHost(const QString& host, quint16 port) {
    abort();
    setError(Error::None, QString());
    readBuffer_.clear();

    // An address written out needs no lookup.
    const QByteArray literal = host.toUtf8();
    std::vector<Address> addresses = resolve(literal.toStdString(), port, AI_NUMERICHOST, nullptr);
    if (!addresses.empty()) {
        startConnecting(std::move(addresses));
        return;
    }

    QByteArray name = QUrl::toAce(host);
    if (name.isEmpty()) name = literal;
    state_ = State::HostLookup;
    auto lookup = std::make_shared<Lookup>();
    lookup->client = this;
    lookup_ = lookup;
    try {
        std::thread([lookup, resolver = resolver_, name = name.toStdString(), port] {
            std::vector<Address> found;
            std::string why;
            try {
                found = resolver(name, port, &why);
            } catch (...) {
                found.clear();
            }
            std::lock_guard<std::mutex> lock(lookup->mutex);
            if (!lookup->client) return;
            // Posted while the client cannot go (its destructor takes this mutex); should it go
            // before the event is delivered, the event goes with it.
            QMetaObject::invokeMethod(
                lookup->client,
                [lookup, found = std::move(found), why]() mutable {
                    StreamSocket* client;
                    {
                        std::lock_guard<std::mutex> lock(lookup->mutex);
                        client = lookup->client;
                    }
                    if (client) client->lookupDone(lookup, std::move(found), why);
                },
                Qt::QueuedConnection);
        }).detach();
    } catch (const std::exception&) {
        lookup_.reset();
        state_ = State::Unconnected;
        setError(Error::Other, QStringLiteral("Cannot start the host name lookup"));
        emit errorOccurred(error_);
    }
}

void StreamSocket::lookupDone(const std::shared_ptr<Lookup>& lookup, std::vector<Address> addresses, const std::string&) {
    if (lookup != lookup_ || state_ != State::HostLookup) return;
    cancelLookup();
    if (addresses.empty()) {
        fail(Error::HostNotFound, QStringLiteral("Host not found"));
        return;
    }
    startConnecting(std::move(addresses));
}

void StreamSocket::startConnecting(std::vector<Address> addresses) {
    state_ = State::Connecting;
    addresses_ = std::move(addresses);
    nextAddress_ = 0;
    lastConnectErrno_ = 0;
    connectNext();
}

static bool localAddress(const QString& path, StreamSocket::Address* out) {
    const QByteArray bytes = QFile::encodeName(path);
    sockaddr_un address{};
    if (bytes.isEmpty() || size_t(bytes.size()) >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    const size_t length = offsetof(sockaddr_un, sun_path) + size_t(bytes.size()) + 1;
    *out = StreamSocket::Address{AF_UNIX, std::string(reinterpret_cast<const char*>(&address), length)};
    return true;
}

void StreamSocket::connectToLocalServer(const QString& name) {
    abort();
    setError(Error::None, QString());
    Address address;
    if (!localAddress(LocalServer::socketPath(name), &address)) {
        const ErrnoText why = describe(ENAMETOOLONG);
        fail(why.error, why.text);
        return;
    }
    startConnecting({address});
}

void StreamSocket::adopt(int fd) {
    abort();
    setError(Error::None, QString());
    fd_ = fd;
    writeNotifier_ = new QSocketNotifier(qintptr(fd), QSocketNotifier::Write, this);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &StreamSocket::canWrite);
    connectionMade(false);
}

void StreamSocket::cancelLookup() {
    if (!lookup_) return;
    {
        std::lock_guard<std::mutex> lock(lookup_->mutex);
        lookup_->client = nullptr;
    }
    lookup_.reset();
}

void StreamSocket::connectNext() {
    while (nextAddress_ < addresses_.size()) {
        const Address& a = addresses_[nextAddress_++];
        const int fd = ::socket(a.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            lastConnectErrno_ = errno;
            continue;
        }
        int rc;
        do {
            rc = ::connect(fd, reinterpret_cast<const sockaddr*>(a.bytes.data()), socklen_t(a.bytes.size()));
        } while (rc < 0 && errno == EINTR);
        if (rc == 0 || errno == EINPROGRESS) {
            fd_ = fd;
            writeNotifier_ = new QSocketNotifier(qintptr(fd), QSocketNotifier::Write, this);
            connect(writeNotifier_, &QSocketNotifier::activated, this, &StreamSocket::canWrite);
            if (rc == 0) {
                connectionMade(true);
            } else {
                if (!connectTimer_) {
                    connectTimer_ = new QTimer(this);
                    connectTimer_->setSingleShot(true);
                    connect(connectTimer_, &QTimer::timeout, this, &StreamSocket::checkConnectDeadline);
                }
                connectDeadline_ = Clock::instance().nowMs() + connectTimeoutMs_;
                connectTimer_->start(connectTimeoutMs_);
            }
            return;
        }
        lastConnectErrno_ = errno;
        ::close(fd);
    }
    addresses_.clear();
    const ErrnoText why = describe(lastConnectErrno_ ? lastConnectErrno_ : ECONNREFUSED);
    fail(why.error, why.text);
}

void StreamSocket::checkConnectDeadline() {
    if (state_ != State::Connecting) return;
    const qint64 left = connectDeadline_ - Clock::instance().nowMs();
    if (left > 0) {
        connectTimer_->start(int(qMin<qint64>(left, 60000)));
        return;
    }
    closeSocket();
    lastConnectErrno_ = ETIMEDOUT;
    connectNext();
}

void StreamSocket::connectionMade(bool announce) {
    if (connectTimer_) connectTimer_->stop();
    addresses_.clear();
    state_ = State::Connected;
    readNotifier_ = new QSocketNotifier(qintptr(fd_), QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &StreamSocket::canRead);
    writeNotifier_->setEnabled(bytesToWrite() > 0);
    if (announce) emit connected();
}

void StreamSocket::canRead() {
    if (fd_ < 0 || state_ != State::Connected) return;
    const quint64 generation = generation_;
    qsizetype taken = 0;
    int problem = 0;
    bool ended = false;
    while (taken < kMostPerEvent) {
        const qsizetype before = readBuffer_.size();
        readBuffer_.resize(before + kChunk);
        const ssize_t n = ::recv(fd_, readBuffer_.data() + before, size_t(kChunk), 0);
        readBuffer_.resize(before + (n > 0 ? n : 0));
        if (n > 0) {
            taken += n;
            continue;
        }
        if (n == 0) {
            ended = true;
        } else if (errno == EINTR) {
            continue;
        } else if (errno != EAGAIN && errno != EWOULDBLOCK) {
            problem = errno;
        }
        break;
    }
    if (taken > 0) {
        emit readyRead();
        if (generation != generation_) return;  // closed or reconnected meanwhile
    }
    if (ended) {
        fail(Error::RemoteHostClosed, QStringLiteral("The remote host closed the connection"));
    } else if (problem) {
        const ErrnoText why = describe(problem);
        fail(why.error, why.text);
    }
}

void StreamSocket::canWrite() {
    if (fd_ < 0) return;
    if (state_ == State::Connecting) {
        int code = 0;
        socklen_t length = sizeof code;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &code, &length) < 0) code = errno;
        if (code == 0) {
            connectionMade(true);
        } else {
            closeSocket();
            lastConnectErrno_ = code;
            connectNext();
        }
        return;
    }
    flush();
}

bool StreamSocket::flush() {
    if (fd_ < 0 || (state_ != State::Connected && state_ != State::Closing)) return false;
    bool wrote = false;
    qsizetype sent = 0;
    while (bytesToWrite() > 0 && sent < kMostPerEvent) {
        const ssize_t n = ::send(fd_, writeBuffer_.constData() + writeOffset_, size_t(bytesToWrite()), MSG_NOSIGNAL);
        if (n > 0) {
            writeOffset_ += n;
            sent += n;
            wrote = true;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        const ErrnoText why = describe(n < 0 ? errno : EPIPE);
        fail(why.error, why.text);
        return wrote;
    }
    if (writeOffset_ == writeBuffer_.size()) {
        writeBuffer_.clear();
        writeOffset_ = 0;
    } else if (writeOffset_ > kMostPerEvent && writeOffset_ > writeBuffer_.size() / 2) {
        writeBuffer_.remove(0, writeOffset_);
        writeOffset_ = 0;
    }
    if (state_ == State::Closing && bytesToWrite() == 0) {
        closeSocket();
        state_ = State::Unconnected;
        emit disconnected();
        return wrote;
    }
    writeNotifier_->setEnabled(bytesToWrite() > 0);
    return wrote;
}

qint64 StreamSocket::write(const QByteArray& bytes) {
    if (state_ != State::Connected) return -1;
    writeBuffer_ += bytes;
    if (bytesToWrite() > 0) writeNotifier_->setEnabled(true);
    return bytes.size();
}

QByteArray StreamSocket::read(qint64 most) {
    QByteArray out = readBuffer_.left(most);
    readBuffer_.remove(0, out.size());
    return out;
}

QByteArray StreamSocket::readAll() {
    QByteArray out;
    out.swap(readBuffer_);
    return out;
}

void StreamSocket::disconnectFromHost() {
    if (state_ == State::Connected && bytesToWrite() > 0) {
        state_ = State::Closing;
        readNotifier_->setEnabled(false);
        writeNotifier_->setEnabled(true);
        return;
    }
    if (state_ != State::Closing) abort();
}

void StreamSocket::abort() {
    cancelLookup();
    const bool wasConnected = state_ == State::Connected || state_ == State::Closing;
    closeSocket();
    addresses_.clear();
    state_ = State::Unconnected;
    readBuffer_.clear();
    writeBuffer_.clear();
    writeOffset_ = 0;
    if (wasConnected) emit disconnected();
}

void StreamSocket::fail(Error error, const QString& text) {
    const bool wasConnected = state_ == State::Connected || state_ == State::Closing;
    closeSocket();
    addresses_.clear();
    state_ = State::Unconnected;
    writeBuffer_.clear();
    writeOffset_ = 0;
    setError(error, text);
    const quint64 generation = generation_;
    emit errorOccurred(error);
    if (wasConnected && generation == generation_) emit disconnected();
}

void StreamSocket::closeSocket() {
    if (connectTimer_) connectTimer_->stop();
    // The notifiers may be the very sender of the signal being handled: they go later.
    for (QSocketNotifier* n : {readNotifier_, writeNotifier_}) {
        if (!n) continue;
        n->setEnabled(false);
        n->disconnect(this);
        n->deleteLater();
    }
    readNotifier_ = writeNotifier_ = nullptr;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    ++generation_;
}

LocalServer::LocalServer(QObject* parent) : QObject(parent) {}

LocalServer::~LocalServer() { close(); }

QString LocalServer::socketPath(const QString& name) {
    return name.startsWith(QLatin1Char('/')) ? name : QDir::cleanPath(QDir::tempPath()) + QLatin1Char('/') + name;
}

bool LocalServer::removeServer(const QString& name) {
    const QString path = socketPath(name);
    return !QFile::exists(path) || QFile::remove(path);
}

bool LocalServer::listen(const QString& name) {
    close();
    const QString path = socketPath(name);
    struct stat existing;
    if (::lstat(QFile::encodeName(path).constData(), &existing) == 0) return false;   // the name is taken

    // Bound in a private folder and given this user's rights there, then moved into place: the
    // socket is never reachable by others, not even for a moment.
    QByteArray folder = QFile::encodeName(path) + ".XXXXXX";
    if (!::mkdtemp(folder.data())) return false;
    const QString privatePath = QFile::decodeName(folder) + QStringLiteral("/s");
    StreamSocket::Address address;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    bool ok = fd >= 0 && localAddress(privatePath, &address) &&
              ::bind(fd, reinterpret_cast<const sockaddr*>(address.bytes.data()), socklen_t(address.bytes.size())) == 0 &&
              ::chmod(QFile::encodeName(privatePath).constData(), S_IRUSR | S_IWUSR | S_IXUSR) == 0 &&
              ::listen(fd, SOMAXCONN) == 0 &&
              ::rename(QFile::encodeName(privatePath).constData(), QFile::encodeName(path).constData()) == 0;
    if (!ok) {
        if (fd >= 0) ::close(fd);
        ::unlink(QFile::encodeName(privatePath).constData());
    }
    ::rmdir(folder.constData());
    if (!ok) return false;
    fd_ = fd;
    path_ = path;
    notifier_ = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &LocalServer::acceptAll);
    return true;
}

void LocalServer::close() {
    for (StreamSocket* socket : pending_) delete socket;
    pending_.clear();
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
    QFile::remove(path_);
    path_.clear();
}

StreamSocket* LocalServer::nextPendingConnection() {
    if (pending_.empty()) return nullptr;
    StreamSocket* socket = pending_.front();
    pending_.erase(pending_.begin());
    return socket;
}

void LocalServer::acceptAll() {
    bool any = false;
    while (fd_ >= 0) {
        const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR) continue;
            break;
        }
        auto* socket = new StreamSocket(this);
        socket->adopt(fd);
        pending_.push_back(socket);
        any = true;
    }
    if (any) emit newConnection();
}

} // namespace platform
