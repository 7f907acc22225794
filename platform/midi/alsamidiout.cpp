#include "alsamidiout.h"

#include "platform/runtimelibrary.h"

#include <QFileInfo>
#include <rtmidi_c.h>

#include <mutex>
#include <vector>

namespace platform {
namespace {
const char* const ClientName = "Tonvale";

// RtMidi's C interface: it catches the library's exceptions and reports them in the
// wrapper's `ok` and `msg` instead.
struct RtMidiLib {
    decltype(&rtmidi_out_create) outCreate = nullptr;
    decltype(&rtmidi_out_free) outFree = nullptr;
    decltype(&rtmidi_get_port_count) portCount = nullptr;
    decltype(&rtmidi_get_port_name) portName = nullptr;
    decltype(&rtmidi_open_port) openPort = nullptr;
    decltype(&rtmidi_close_port) closePort = nullptr;
    decltype(&rtmidi_out_send_message) send = nullptr;
};

// Null when the library or one of its functions is missing (then there are no ports).
const RtMidiLib* rtmidi() {
    static const RtMidiLib* const lib = []() -> const RtMidiLib* {
        void* handle = openRuntimeLibrary({"librtmidi.so.6", "librtmidi.so"});
        if (!handle) return nullptr;
        static RtMidiLib found;
        bool all = true;
        auto find = [&](auto& fn, const char* name) { all = findFunction(handle, fn, name) && all; };
        find(found.outCreate, "rtmidi_out_create");
        find(found.outFree, "rtmidi_out_free");
        find(found.portCount, "rtmidi_get_port_count");
        find(found.portName, "rtmidi_get_port_name");
        find(found.openPort, "rtmidi_open_port");
        find(found.closePort, "rtmidi_close_port");
        find(found.send, "rtmidi_out_send_message");
        return all ? &found : nullptr;  // an older library stays open, unused
    }();
    return lib;
}

struct ClientDeleter {
    void operator()(RtMidiWrapper* client) const { rtmidi()->outFree(client); }
};
using Client = std::unique_ptr<RtMidiWrapper, ClientDeleter>;

Client newClient() {
    // Without the sequencer device there is nothing to list; asking RtMidi anyway only makes
    // it and ALSA write their complaints to stderr before it fails.
    if (!QFileInfo::exists(QStringLiteral("/dev/snd/seq"))) return nullptr;
    const RtMidiLib* lib = rtmidi();
    if (!lib) return nullptr;
    Client client(lib->outCreate(RTMIDI_API_LINUX_ALSA, ClientName));
    if (client && !client->ok) client.reset();  // the sequencer did not answer: no ports
    return client;
}

QStringList namesOf(RtMidiWrapper* client) {
    QStringList names;
    const unsigned int count = rtmidi()->portCount(client);
    for (unsigned int i = 0; i < count; ++i) {
        int length = 0;
        std::vector<char> name;
        if (rtmidi()->portName(client, i, nullptr, &length) >= 0 && length > 0) {
            name.resize(size_t(length));
            if (rtmidi()->portName(client, i, name.data(), &length) < 0) name.clear();
        }
        // A port that vanished while listing keeps its place, nameless, so the numbers hold.
        names << (name.empty() ? QString() : QString::fromUtf8(name.data()).trimmed());
    }
    return names;
}
} // namespace

bool AlsaMidiOut::libraryFound() { return rtmidi() != nullptr; }

QStringList AlsaMidiOut::portNames() {
    Client client = newClient();
    return client ? namesOf(client.get()) : QStringList();
}

std::unique_ptr<MidiOut> AlsaMidiOut::open(int port, const QString& expectedName, qint32* result) {
    auto fail = [result](qint32 rc) {
        if (result) *result = rc;
        return std::unique_ptr<MidiOut>();
    };
    Client client = newClient();
    if (!client) return fail(MidiNoDriver);
    const QStringList names = namesOf(client.get());
    if (!expectedName.isEmpty() && (port < 0 || port >= names.size() || names[port] != expectedName))
        port = int(names.indexOf(expectedName));
    if (port < 0 || port >= names.size()) return fail(MidiBadDeviceId);
    client->ok = true;
    rtmidi()->openPort(client.get(), unsigned(port), (std::string(ClientName) + " out").c_str());
    if (!client->ok) return fail(MidiAllocated);
    if (result) *result = MidiOk;
    return std::unique_ptr<MidiOut>(new AlsaMidiOut(client.release()));
}

AlsaMidiOut::AlsaMidiOut(RtMidiWrapper* out) : out_(out) {}

AlsaMidiOut::~AlsaMidiOut() { close(); }

bool AlsaMidiOut::isOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return out_ != nullptr;
}

qint32 AlsaMidiOut::shortMessage(quint32 message) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!out_) return MidiInvalidHandle;
    const std::vector<quint8> bytes = shortMessageBytes(message);
    rtmidi()->send(out_, bytes.data(), int(bytes.size()));
    return MidiOk;
}

qint32 AlsaMidiOut::close() {
    stopScheduling();
    std::lock_guard<std::mutex> lock(mutex_);
    if (!out_) return MidiInvalidHandle;
    rtmidi()->closePort(out_);
    rtmidi()->outFree(out_);
    out_ = nullptr;
    return MidiOk;
}

} // namespace platform
