#pragma once
// The "MIDI Mapper": a FluidSynth synth with the General MIDI soundfont, heard through the
// desktop's default audio output.
#include "platform/midi/fluidengine.h"
#include "platform/midi/midiout.h"

namespace platform {

class FluidSynthMidiOut : public MidiOut {
public:
    // Opens the mapper on `engine` (created on first use by the caller and kept, so reopening
    // does not load the soundfont again). Fails with MidiNoDriver when the engine has no
    // soundfont or no audio output opens, and with MidiAllocated while another connection
    // on the same engine is open.
    static std::unique_ptr<MidiOut> open(const std::shared_ptr<FluidSynthEngine>& engine,
                                         const QStringList& audioDrivers, qint32* result);
    ~FluidSynthMidiOut() override;

    qint32 shortMessage(quint32 message) override;
    qint32 close() override;
    bool isOpen() const override { return audio_ != nullptr; }

private:
    FluidSynthMidiOut(std::shared_ptr<FluidSynthEngine> engine, AudioDriverPtr audio);
    std::shared_ptr<FluidSynthEngine> engine_;
    AudioDriverPtr audio_;
};

} // namespace platform
