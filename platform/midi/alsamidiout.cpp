#include "alsamidiout.h"

#include <QFileInfo>
#include <RtMidi.h>

namespace platform {
namespace {
const char* const ClientName = "Tonvale";

// RtMidi reports through this callback instead of throwing once it is installed.
void ignoreError(RtMidiError::Type, const std::string&, void* failed) {
    if (failed) *static_cast<bool*>(failed) = true;
}

std::unique_ptr<RtMidiOut> newClient() {
    // Without the sequencer device there is nothing to list; asking RtMidi anyway only makes
    // it and ALSA write their complaints to stderr before it throws.
    if (!QFileInfo::exists(QStringLiteral("/dev/snd/seq"))) return nullptr;
    try {
        return std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, ClientName);
    } catch (...) {
        return nullptr;  // no sequencer device: no ports
    }
}
} // namespace

QStringList AlsaMidiOut::portNames() {
    QStringList names;
    std::unique_ptr<RtMidiOut> client = newClient();
    if (!client) return names;
    bool failed = false;
    client->setErrorCallback(ignoreError, &failed);
    const unsigned int count = client->getPortCount();
    for (unsigned int i = 0; i < count; ++i)
        names << QString::fromStdString(client->getPortName(i)).trimmed();
    return names;
}

std::unique_ptr<MidiOut> AlsaMidiOut::open(int port, const QString& expectedName, qint32* result) {
    auto fail = [result](qint32 rc) {
        if (result) *result = rc;
        return std::unique_ptr<MidiOut>();
    };
    std::unique_ptr<RtMidiOut> client = newClient();
    if (!client) return fail(MidiNoDriver);
    bool failed = false;
    client->setErrorCallback(ignoreError, &failed);
    const int count = int(client->getPortCount());
    auto nameOf = [&](int i) { return QString::fromStdString(client->getPortName(unsigned(i))).trimmed(); };
    if (!expectedName.isEmpty() && (port < 0 || port >= count || nameOf(port) != expectedName)) {
        port = -1;
        for (int i = 0; i < count && port < 0; ++i)
            if (nameOf(i) == expectedName) port = i;
    }
    if (port < 0 || port >= count) return fail(MidiBadDeviceId);
    client->openPort(unsigned(port), std::string(ClientName) + " out");
    if (failed || !client->isPortOpen()) return fail(MidiAllocated);
    if (result) *result = MidiOk;
    return std::unique_ptr<MidiOut>(new AlsaMidiOut(std::move(client)));
}

AlsaMidiOut::AlsaMidiOut(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {
    out_->setErrorCallback(ignoreError, &failed_);  // the opener's flag goes out of scope
}

AlsaMidiOut::~AlsaMidiOut() { close(); }

bool AlsaMidiOut::openLocked() const { return out_ && out_->isPortOpen(); }

bool AlsaMidiOut::isOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return openLocked();
}

qint32 AlsaMidiOut::shortMessage(quint32 message) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!openLocked()) return MidiInvalidHandle;
    const std::vector<quint8> bytes = shortMessageBytes(message);
    out_->sendMessage(bytes.data(), bytes.size());
    return MidiOk;
}

qint32 AlsaMidiOut::close() {
    stopScheduling();
    std::lock_guard<std::mutex> lock(mutex_);
    if (!openLocked()) return MidiInvalidHandle;
    out_->closePort();
    out_.reset();
    return MidiOk;
}

} // namespace platform
