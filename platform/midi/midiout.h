#pragma once
// MIDI output devices. A MidiDevices service lists the output devices and opens one of them;
// an open device is a MidiOut connection that takes short messages, at once or at given
// times. Device -1 is the "MIDI Mapper" (a software synthesizer), 0..n-1 are the output
// ports in enumeration order.
// Tests and benchmarks install a RecorderMidiDevices (recordermidiout.h) through
// MidiDevices::setInstance, so nothing here ever needs a sound card.
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>
#include <vector>

namespace platform {

class TimedSender;

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

// A short message at a time in milliseconds: on platform::Clock's monotonic milliseconds
// when scheduled on a device, else any origin (only differences count).
struct TimedMessage {
    qint64 timeMs = 0;
    quint32 message = 0;
    bool operator==(const TimedMessage& o) const { return timeMs == o.timeMs && message == o.message; }
};

// One open connection to an output device. Destroying an open connection closes it.
// shortMessage may be called from any thread: the scheduled messages go out on another
// thread than the program's own sends.
class MidiOut {
public:
    MidiOut();
    virtual ~MidiOut();
    MidiOut(const MidiOut&) = delete;
    MidiOut& operator=(const MidiOut&) = delete;

    virtual qint32 shortMessage(quint32 message) = 0;  // MidiInvalidHandle once closed
    virtual qint32 close() = 0;                        // MidiInvalidHandle when closed already
    virtual bool isOpen() const = 0;

    // Gets ready to send these messages on time (a synthesizer loads the sounds they need);
    // may take a while. Callers time a sequence from after it.
    virtual void prepare(const std::vector<TimedMessage>&) {}
    // Sends each message when platform::Clock reaches its time (messages already due go out
    // at once), in time order, messages of one time in the order given; returns at once.
    // By default a worker thread sleeps to each absolute time and sends; a device with a
    // scheduler of its own uses that instead. Nothing goes out once the device is closed.
    virtual void sendAt(const std::vector<TimedMessage>& messages);
    // Drops every scheduled message that has not gone out yet and returns them (time order).
    // Once it returns, no scheduled message goes out any more.
    virtual std::vector<TimedMessage> cancelScheduled();
    // Scheduled messages are still waiting to go out.
    virtual bool hasScheduled() const;

protected:
    // Stops the default worker (pending messages dropped). Devices call it before they tear
    // down what shortMessage uses, in close() and in their destructors.
    void stopScheduling();

private:
    std::unique_ptr<TimedSender> timed_;  // created at the first sendAt
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
