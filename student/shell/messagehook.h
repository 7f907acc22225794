#pragma once
// Lets another program on this machine close and reopen Tonvale's MIDI output while the
// main window exists. Messages arrive on a local socket named after the program and its
// data folder (so two instances with separate data folders never meet); each message is a
// kind and a block of 8-bit text, framed as kind (uint32, big-endian), byte count (uint32,
// big-endian), bytes. Kind 3 carries the commands "openmidi" and "closemidi".
#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

namespace platform {
class LocalServer;
class StreamSocket;
}

namespace shell {

inline constexpr quint32 kMidiCommandKind = 3;
// The receiving buffer's size: a longer message is refused whole, never cut or overflowed.
inline constexpr int kCopyDataBufferBytes = 255;

enum class HookCommand { None, OpenMidi, CloseMidi };

// What one message asks for: kind 3 only; the command is the text before the first NUL byte
// (or all of it), compared exactly; more than kCopyDataBufferBytes bytes is refused (None).
HookCommand interpretCopyData(quint32 kind, const QByteArray& data);

// "<program>-<16 hex digits of the data folder's hash>".
QString hookServerName(const QString& programName, const QString& dataFolder);

class MessageHook : public QObject {
    Q_OBJECT
public:
    explicit MessageHook(std::function<void(HookCommand)> handler, QObject* parent = nullptr);
    ~MessageHook() override;

    // Starts listening under `name`. False (and no hook) when another live program holds
    // the name; a name left behind by a program that died is taken over.
    bool HookMainWindow(const QString& name);
    void UnhookMainWindow();
    bool isHooked() const;
    QString serverName() const { return name_; }

private:
    void acceptConnections();
    void readFrom(platform::StreamSocket* socket);

    std::function<void(HookCommand)> handler_;
    platform::LocalServer* server_ = nullptr;
    QString name_;
};

// The sending side, for tools and tests: connects, writes one framed message and flushes it.
// False when nobody listens under the name.
bool sendCopyData(const QString& serverName, quint32 kind, const QByteArray& data);

} // namespace shell
