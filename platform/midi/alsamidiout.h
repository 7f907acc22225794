#pragma once
// Output ports of the ALSA sequencer (hardware synthesizers, software synths, MIDI
// interfaces), reached through RtMidi. RtMidi is opened at run time on the first port list
// or open (and only where the sequencer device exists): linked, it would bring its JACK side
// (libjack, Berkeley DB) into every start, on the way to the first window.
#include "platform/midi/midiout.h"

#include <mutex>

struct RtMidiWrapper;

namespace platform {

class AlsaMidiOut : public MidiOut {
public:
    // Names of the sequencer's output ports in enumeration order; empty when the sequencer is
    // not there (no /dev/snd/seq) or RtMidi is not installed.
    static QStringList portNames();
    // RtMidi is installed and has every function used here (it is opened by this call).
    static bool libraryFound();
    // Opens port `port`. `expectedName` is the name the port had when the menu was built:
    // when ports came or went since, the port of that name is opened wherever it now is.
    static std::unique_ptr<MidiOut> open(int port, const QString& expectedName, qint32* result);
    ~AlsaMidiOut() override;

    qint32 shortMessage(quint32 message) override;
    qint32 close() override;
    bool isOpen() const override;

private:
    explicit AlsaMidiOut(RtMidiWrapper* out);
    mutable std::mutex mutex_;  // RtMidi's encoder is not safe for two threads at once
    RtMidiWrapper* out_ = nullptr;  // open while set
};

} // namespace platform
