#pragma once
// MIDI output devices. A MidiDevices service lists the output devices and opens one of them;
// an open device is a MidiOut connection that takes short messages. Device -1 is the
// "MIDI Mapper" (a software synthesizer), 0..n-1 are the output ports in enumeration order.
// Tests and benchmarks install a RecorderMidiDevices (recordermidiout.h) through
// MidiDevices::setInstance, so nothing here ever needs a sound card.
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>
#include <vector>

namespace platform {

// Result codes of open, close and send; 0 is success.
enum MidiResult : qint32 {
    MidiOk = 0,
    MidiError = 1,          // unspecified failure of the device
    MidiBadDeviceId = 2,    // no such device number
    MidiAllocated = 4,      // the device is already in use
    MidiInvalidHandle = 5,  // the connection is closed
    MidiNoDriver = 6,       // no driver/output behind the device (no sound card, no soundfont)
    MidiNoMemory = 7,
};

// A short message packed the way the port builds it: status in the low byte, first data byte
// in the second, second data byte in the third, high byte 0.
inline quint32 packShortMessage(quint8 status, quint8 data1 = 0, quint8 data2 = 0) {
    return quint32(status) | (quint32(data1) << 8) | (quint32(data2) << 16);
}
// The bytes that go on the wire for a packed short message (1 to 3 bytes, by status).
std::vector<quint8> shortMessageBytes(quint32 message);

// One open connection to an output device. Destroying an open connection closes it.
class MidiOut {
public:
    virtual ~MidiOut() = default;
    virtual qint32 shortMessage(quint32 message) = 0;  // MidiInvalidHandle once closed
    virtual qint32 close() = 0;                        // MidiInvalidHandle when closed already
    virtual bool isOpen() const = 0;
};

class MidiDevices {
public:
    static constexpr int Mapper = -1;

    virtual ~MidiDevices() = default;
    // Product names of the output devices 0..n-1 (the mapper is not listed).
    virtual QStringList outputDevices() = 0;
    // Opens device `deviceId` (-1 = the mapper). On failure returns nullptr and sets *result to
    // a non-zero MidiResult; on success *result is MidiOk. Never throws.
    virtual std::unique_ptr<MidiOut> open(int deviceId, qint32* result) = 0;

    // The service the program uses: the system's devices unless a test installed another.
    // Nothing is opened or enumerated until the first call on it.
    static MidiDevices& instance();
    static void setInstance(MidiDevices* devices);  // nullptr restores the system devices
};

// Installs a devices service for the lifetime of the guard.
class MidiDevicesOverride {
public:
    explicit MidiDevicesOverride(MidiDevices* d) { MidiDevices::setInstance(d); }
    ~MidiDevicesOverride() { MidiDevices::setInstance(nullptr); }
};

} // namespace platform
