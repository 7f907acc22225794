#include "fluidsynthmidiout.h"

#include <map>
#include <mutex>

namespace platform {
namespace {
// Engines with an open mapper connection: two audio drivers must never pull from one synth.
std::mutex g_busyMutex;
std::map<const FluidSynthEngine*, bool> g_busy;

bool claim(const FluidSynthEngine* e) {
    std::lock_guard<std::mutex> lock(g_busyMutex);
    bool& busy = g_busy[e];
    if (busy) return false;
    busy = true;
    return true;
}
void release(const FluidSynthEngine* e) {
    std::lock_guard<std::mutex> lock(g_busyMutex);
    g_busy.erase(e);
}
} // namespace

std::unique_ptr<MidiOut> FluidSynthMidiOut::open(const std::shared_ptr<FluidSynthEngine>& engine,
                                                 const QStringList& audioDrivers, qint32* result) {
    qint32 rc = MidiOk;
    std::unique_ptr<MidiOut> out;
    if (!engine || !engine->isReady()) {
        rc = MidiNoDriver;
    } else if (!claim(engine.get())) {
        rc = MidiAllocated;
    } else if (AudioDriverPtr audio = openAudioOutput(*engine, audioDrivers)) {
        out.reset(new FluidSynthMidiOut(engine, std::move(audio)));
    } else {
        release(engine.get());
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
    if (!audio_) return MidiInvalidHandle;
    audio_.reset();       // stops the audio thread before the synth is touched again
    engine_->silence();   // notes left on must not sound when the mapper opens again
    release(engine_.get());
    return MidiOk;
}

} // namespace platform
