#pragma once
// A stand-in for the machine's MIDI outputs that records what the program does with them:
// opens, closes and every short message, each with the time of platform::Clock (so a
// VirtualClock gives exact times). Scheduled messages (sendAt) are logged at once, stamped with
// their due times, without waiting: the log is kept in time order, so it reads as the wire
// would see it; cancelling drops those whose time the clock has not reached. It lists whatever
// output names it is given, and any device can be made to fail its open, so tests see menus
// of 0, 1 or many devices and failed opens.
#include "platform/midi/fluidengine.h"
#include "platform/midi/midiout.h"

#include <map>
#include <memory>
#include <vector>

namespace platform {

struct MidiLogEntry {
    enum Kind { Open, Close, Message };
    Kind kind = Message;
    qint64 timeMs = 0;
    int deviceId = 0;
    quint32 message = 0;    // Message: the packed short message
    qint32 result = 0;      // Open, Close: the result code given
    int connection = 0;     // Message, Close: which connection, 1, 2, ... in the order opened
    bool scheduled = false; // a message given to sendAt, stamped with its due time
};

class RecorderMidiDevices : public MidiDevices {
public:
    explicit RecorderMidiDevices(const QStringList& outputs = QStringList());
    ~RecorderMidiDevices() override;

    QStringList outputDevices() override;
    std::unique_ptr<MidiOut> open(int deviceId, qint32* result) override;

    // What outputDevices() lists (devices 0..n-1).
    void setOutputs(const QStringList& outputs);
    // Makes every later open of `deviceId` fail with `result` (MidiOk makes it work again).
    void setOpenResult(int deviceId, qint32 result);

    // Everything that happened, in time order (equal times in the order they came).
    const std::vector<MidiLogEntry>& log() const;
    // Only the short messages that reached an open device, with their times.
    std::vector<TimedMessage> messages() const;
    // Connections open now.
    int openConnections() const;
    void clearLog();

    struct State;
private:
    std::shared_ptr<State> state_;  // shared with the connections, which may outlive this
};

} // namespace platform
