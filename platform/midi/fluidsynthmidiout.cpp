#include "fluidsynthmidiout.h"

namespace platform {

std::unique_ptr<MidiOut> FluidSynthMidiOut::open(const std::shared_ptr<FluidSynthEngine>& engine,
                                                 const QStringList& audioDrivers, qint32* result) {
    qint32 rc = MidiOk;
    std::unique_ptr<MidiOut> out;
    if (!engine || !engine->isReady()) {
        rc = MidiNoDriver;
    } else if (!engine->claim()) {
        rc = MidiAllocated;
    } else if (AudioDriverPtr audio = openAudioOutput(*engine, audioDrivers)) {
        out.reset(new FluidSynthMidiOut(engine, std::move(audio)));
    } else {
        engine->release();
        rc = MidiNoDriver;
    }
    if (result) *result = rc;
    return out;
}

FluidSynthMidiOut::FluidSynthMidiOut(std::shared_ptr<FluidSynthEngine> engine, AudioDriverPtr audio)
    : engine_(std::move(engine)), audio_(std::move(audio)) {}

FluidSynthMidiOut::~FluidSynthMidiOut() { close(); }

qint32 FluidSynthMidiOut::shortMessage(quint32 message) {
    if (!audio_) return MidiInvalidHandle;
    engine_->send(message);
    return MidiOk;
}

qint32 FluidSynthMidiOut::close() {
    stopScheduling();
    if (!audio_) return MidiInvalidHandle;
    audio_.reset();       // stops the audio thread before the synth is touched again
    engine_->silence();   // notes left on must not sound when the mapper opens again
    engine_->release();
    return MidiOk;
}

} // namespace platform
