#pragma once
// The "MIDI Mapper": the channels 0..15 of the program's FluidSynth engine, heard through the
// desktop's default audio output. Scheduled messages go to the engine's sequencer, which
// plays them on the synth's own sample clock.
#include "platform/midi/fluidengine.h"
#include "platform/midi/midiout.h"

namespace platform {

class FluidSynthMidiOut : public MidiOut {
public:
    // Opens the mapper on `engine`. Fails with MidiNoDriver when the engine has no synth (no
    // soundfont) or no audio output opens, and with MidiAllocated while another connection
    // on the same engine is open. Waits for the engine's synth, not for its soundfont.
    static std::unique_ptr<MidiOut> open(const std::shared_ptr<FluidSynthEngine>& engine,
                                         const QStringList& audioDrivers, qint32* result);
    ~FluidSynthMidiOut() override;

    // Waits for the soundfont first, so a note sent before it is loaded still sounds.
    qint32 shortMessage(quint32 message) override;
    qint32 close() override;
    bool isOpen() const override { return open_; }

    void prepare(const std::vector<TimedMessage>& messages) override;
    void sendAt(const std::vector<TimedMessage>& messages) override;
    std::vector<TimedMessage> cancelScheduled() override;
    bool hasScheduled() const override;

private:
    explicit FluidSynthMidiOut(std::shared_ptr<FluidSynthEngine> engine);
    std::shared_ptr<FluidSynthEngine> engine_;
    int source_ = -1;
    std::atomic<bool> open_{true};
};

} // namespace platform
