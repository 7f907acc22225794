#include "midiout.h"

#include "platform/midi/systemmididevices.h"
#include "platform/midi/timedsender.h"

namespace platform {
namespace {
MidiDevices* g_devices = nullptr;
} // namespace

std::vector<quint8> shortMessageBytes(quint32 message) {
    const quint8 status = quint8(message & 0xFF);
    const quint8 d1 = quint8((message >> 8) & 0xFF);
    const quint8 d2 = quint8((message >> 16) & 0xFF);
    if (status < 0x80) return {};  // not a status byte: nothing that could be sent
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0: return {status, d1};
    case 0xF0:
        if (status == 0xF1 || status == 0xF3) return {status, d1};
        if (status == 0xF2) return {status, d1, d2};
        return {status};
    default: return {status, d1, d2};
    }
}

MidiOut::MidiOut() = default;

MidiOut::~MidiOut() = default;

void MidiOut::sendAt(const std::vector<TimedMessage>& messages) {
    if (!isOpen() || messages.empty()) return;
    if (!timed_) timed_ = std::make_unique<TimedSender>([this](quint32 m) { shortMessage(m); });
    timed_->schedule(messages);
}

std::vector<TimedMessage> MidiOut::cancelScheduled() {
    return timed_ ? timed_->cancel() : std::vector<TimedMessage>();
}

bool MidiOut::hasScheduled() const { return timed_ && timed_->hasPending(); }

void MidiOut::stopScheduling() { timed_.reset(); }

MidiDevices& MidiDevices::instance() {
    static SystemMidiDevices system;
    return g_devices ? *g_devices : system;
}

void MidiDevices::setInstance(MidiDevices* devices) { g_devices = devices; }

} // namespace platform
