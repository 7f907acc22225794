#include "fluidsynthmidiout.h"

namespace platform {

std::unique_ptr<MidiOut> FluidSynthMidiOut::open(const std::shared_ptr<FluidSynthEngine>& engine,
                                                 const QStringList& audioDrivers, qint32* result) {
    qint32 rc = MidiOk;
    std::unique_ptr<MidiOut> out;
    if (!engine || !engine->hasSynth()) {
        rc = MidiNoDriver;
    } else if (!engine->claim()) {
        rc = MidiAllocated;
    } else if (engine->acquireOutput(audioDrivers) == MidiOk) {
        out.reset(new FluidSynthMidiOut(engine));
    } else {
        engine->release();
        rc = MidiNoDriver;
    }
    if (result) *result = rc;
    return out;
}

FluidSynthMidiOut::FluidSynthMidiOut(std::shared_ptr<FluidSynthEngine> engine)
    : engine_(std::move(engine)), source_(engine_->newSource()) {}

FluidSynthMidiOut::~FluidSynthMidiOut() { close(); }

qint32 FluidSynthMidiOut::shortMessage(quint32 message) {
    if (!open_) return MidiInvalidHandle;
    engine_->send(message);
    return MidiOk;
}

void FluidSynthMidiOut::prepare(const std::vector<TimedMessage>& messages) {
    if (!open_) return;
    std::vector<quint32> plain;
    for (const TimedMessage& m : messages) plain.push_back(m.message);
    engine_->prepare(plain);
}

void FluidSynthMidiOut::sendAt(const std::vector<TimedMessage>& messages) {
    if (open_) engine_->schedule(source_, messages);
}

std::vector<TimedMessage> FluidSynthMidiOut::cancelScheduled() { return engine_->unschedule(source_); }

bool FluidSynthMidiOut::hasScheduled() const { return open_ && engine_->hasScheduled(source_); }

qint32 FluidSynthMidiOut::close() {
    if (!open_.exchange(false)) return MidiInvalidHandle;
    engine_->unschedule(source_);
    engine_->silence();   // notes left on must not sound when the mapper opens again
    engine_->releaseOutput();
    engine_->release();
    return MidiOk;
}

} // namespace platform
