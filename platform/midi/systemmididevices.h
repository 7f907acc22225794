#pragma once
// The machine's MIDI outputs: the "MIDI Mapper" (FluidSynth) as device -1 and the ALSA
// sequencer's output ports as devices 0..n-1.
#include "platform/midi/fluidengine.h"
#include "platform/midi/midiout.h"

#include <memory>

namespace platform {

class SystemMidiDevices : public MidiDevices {
public:
    // engine: the mapper's; nullptr = the program's shared engine, asked for at each open and
    // never kept, so the device list (a static) holds no engine after main() returns.
    explicit SystemMidiDevices(const QStringList& audioDrivers = defaultAudioDrivers(),
                               std::shared_ptr<FluidSynthEngine> engine = nullptr);
    ~SystemMidiDevices() override;

    QStringList outputDevices() override;
    std::unique_ptr<MidiOut> open(int deviceId, qint32* result) override;

private:
    QStringList audioDrivers_;
    QStringList names_;                          // as last listed: device numbers refer to these
    std::shared_ptr<FluidSynthEngine> engine_;
};

} // namespace platform
