#pragma once
// Output ports of the ALSA sequencer (hardware synthesizers, software synths, MIDI
// interfaces), reached through RtMidi.
#include "platform/midi/midiout.h"

#include <mutex>

class RtMidiOut;

namespace platform {

class AlsaMidiOut : public MidiOut {
public:
    // Names of the sequencer's output ports in enumeration order; empty when the sequencer is
    // not there (no /dev/snd/seq).
    static QStringList portNames();
    // Opens port `port`. `expectedName` is the name the port had when the menu was built:
    // when ports came or went since, the port of that name is opened wherever it now is.
    static std::unique_ptr<MidiOut> open(int port, const QString& expectedName, qint32* result);
    ~AlsaMidiOut() override;

    qint32 shortMessage(quint32 message) override;
    qint32 close() override;
    bool isOpen() const override;

private:
    explicit AlsaMidiOut(std::unique_ptr<RtMidiOut> out);
    bool openLocked() const;
    mutable std::mutex mutex_;  // RtMidi's encoder is not safe for two threads at once
    std::unique_ptr<RtMidiOut> out_;
    bool failed_ = false;
};

} // namespace platform
