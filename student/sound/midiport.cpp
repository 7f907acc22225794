#include "midiport.h"

#include "platform/clock.h"
#include "platform/dialogs.h"

#include <algorithm>
#include <map>

namespace sound {
namespace {
bool isDataByte(int v) { return v >= 0 && v <= 127; }
bool isChannel(int c) { return c >= 0 && c <= 15; }
using Lock = std::lock_guard<std::recursive_mutex>;
} // namespace

const QString MidiPort::ProgramTitle = QStringLiteral("Tonvale");

MidiPort::MidiPort(platform::MidiDevices* devices) : devices_(devices) {}

MidiPort::~MidiPort() { CloseMIDI(); }

platform::MidiDevices& MidiPort::devices() const {
    return devices_ ? *devices_ : platform::MidiDevices::instance();
}

void MidiPort::load() {
    buildDeviceMenu();
    mnuDevice_Click(0);
    MidiChannel = 0;
    MidiNoteOffset = 60;
    MidiVelocity = 127;
}

void MidiPort::buildDeviceMenu() { menu_.build(devices().outputDevices()); }

void MidiPort::mnuDevice_Click(int index) {
    if (!menu_.contains(index)) return;
    menu_.setChecked(DeviceMenu::indexOf(deviceId_), false);
    menu_.setChecked(index, true);
    deviceId_ = DeviceMenu::deviceIdOf(index);
    CloseMIDI();
    const qint32 rc = OpenMIDI();
    if (rc != platform::MidiOk)
        platform::Dialogs::instance().messageBox("Couldn't open midi out, rc = " + QString::number(rc),
                                                 platform::OkOnly, ProgramTitle);
}

qint32 MidiPort::OpenMIDI() {
    Lock lock(mutex_);
    // A second open without a close would otherwise leave the first connection holding
    // its device until the program ends.
    if (out_) closeLocked();
    qint32 rc = platform::MidiError;
    out_ = devices().open(deviceId_, &rc);
    if (!out_ && rc == platform::MidiOk) rc = platform::MidiError;
    forgetSounding();
    return rc;
}

qint32 MidiPort::CloseMIDI() {
    Lock lock(mutex_);
    return closeLocked();
}

qint32 MidiPort::closeLocked() {
    stopTimelineLocked();  // its note-offs still reach the device
    if (!out_) return platform::MidiInvalidHandle;
    const qint32 rc = out_->close();
    out_.reset();
    forgetSounding();
    return rc;
}

void MidiPort::send(quint32 message) {
    if (capturing_) {
        captured_.messages.push_back({captured_.lengthMs, message});
        return;
    }
    // Notes sent while nothing is open are lost, as on a device that failed to open.
    if (out_) out_->shortMessage(message);
}

bool MidiPort::noteOn(int key, int channel) {
    if (!isDataByte(key) || !isChannel(channel) || !isDataByte(MidiVelocity)) return false;
    send(platform::packShortMessage(quint8(0x90 + channel), quint8(key), quint8(MidiVelocity)));
    sounding_[size_t(key)].push_back(qint8(channel));
    return true;
}

// The note-off goes to `preferred` when a note-on of the key sounds there, else to the channel
// of the key's latest note-on still sounding, else to `preferred`.
void MidiPort::noteOff(int key, int preferred) {
    if (!isDataByte(key)) return;
    std::vector<qint8>& channels = sounding_[size_t(key)];
    int channel = preferred;
    auto it = std::find(channels.rbegin(), channels.rend(), qint8(preferred));
    if (it == channels.rend() && !channels.empty()) it = channels.rbegin();
    if (it != channels.rend()) {
        channel = *it;
        channels.erase(std::next(it).base());
    }
    if (!isChannel(channel)) return;
    send(platform::packShortMessage(quint8(0x80 + channel), quint8(key), 0));
}

void MidiPort::forgetSounding() {
    for (auto& channels : sounding_) channels.clear();
    for (auto& channels : liveSounding_) channels.clear();
}

void MidiPort::StartNote(qint16 note) {
    Lock lock(mutex_);
    const int key = int(MidiNoteOffset) + int(note);
    if (!isDataByte(key) || !isChannel(MidiChannel) || !isDataByte(MidiVelocity)) return;
    if (MidiChannel == PercussionChannel) send(0xC9);  // program 0 (the standard kit)
    noteOn(key, MidiChannel);
}

void MidiPort::StopNote(qint16 note) {
    Lock lock(mutex_);
    noteOff(int(MidiNoteOffset) + int(note), MidiChannel);
}

void MidiPort::StartChannelNote(qint16 channel, qint16 note) {
    Lock lock(mutex_);
    const int key = int(MidiNoteOffset) + int(note);
    if (!isDataByte(key) || !isChannel(channel) || !isDataByte(MidiVelocity)) return;
    if (channel == PercussionChannel) send(0xC9);
    noteOn(key, channel);
}

void MidiPort::StopChannelNote(qint16 channel, qint16 note) {
    Lock lock(mutex_);
    noteOff(int(MidiNoteOffset) + int(note), channel);
}

void MidiPort::KeyStartNote(qint16 key) {
    if (key == NoKey) return;
    Lock lock(mutex_);
    PianoKeys& keys = pianoKeys();
    if (!keys.hasKey(key) || keys.value(key) == 1) return;
    keys.setValue(key, 1);
    noteOn(PianoBaseKey + key, MidiChannel);
}

void MidiPort::KeyStopNote(qint16 key) {
    if (key == NoKey) return;
    Lock lock(mutex_);
    PianoKeys& keys = pianoKeys();
    if (!keys.hasKey(key)) return;
    keys.setValue(key, 0);
    noteOff(PianoBaseKey + key, MidiChannel);
}

void MidiPort::setPianoKeys(PianoKeys* keys) { keys_ = keys; }

// ---- timeline ----

void MidiPort::beginCapture() {
    Lock lock(mutex_);
    if (!capturing_) liveSounding_ = sounding_;
    else sounding_ = liveSounding_;  // the discarded capture's notes never sounded
    capturing_ = true;
    captured_ = Timeline();
}

bool MidiPort::isCapturing() const {
    Lock lock(mutex_);
    return capturing_;
}

Timeline MidiPort::endCapture() {
    Lock lock(mutex_);
    if (!capturing_) return Timeline();
    capturing_ = false;
    sounding_ = liveSounding_;
    Timeline t = std::move(captured_);
    captured_ = Timeline();
    return t;
}

void MidiPort::Wait(int ms) {
    if (ms <= 0) return;
    {
        Lock lock(mutex_);
        if (capturing_) {
            captured_.lengthMs += ms;
            return;
        }
    }
    platform::Clock::instance().sleepMs(ms);
}

qint64 MidiPort::playTimeline(const Timeline& timeline) {
    Lock lock(mutex_);
    stopTimelineLocked();
    if (out_) out_->prepare(timeline.messages);  // a synthesizer loads its sounds before the time starts
    const qint64 start = platform::Clock::instance().nowMs();
    playing_.clear();
    playing_.reserve(timeline.messages.size());
    for (const platform::TimedMessage& m : timeline.messages) playing_.push_back({start + m.timeMs, m.message});
    playingEnd_ = start + std::max<qint64>(0, timeline.lengthMs);
    timelineActive_ = true;
    if (out_) out_->sendAt(playing_);
    return playingEnd_;
}

bool MidiPort::timelinePlaying() const {
    Lock lock(mutex_);
    if (!timelineActive_) return false;
    return platform::Clock::instance().nowMs() < playingEnd_ || (out_ && out_->hasScheduled());
}

void MidiPort::stopTimeline() {
    Lock lock(mutex_);
    stopTimelineLocked();
}

void MidiPort::stopTimelineLocked() {
    if (!timelineActive_) return;
    timelineActive_ = false;
    const size_t dropped = out_ ? out_->cancelScheduled().size() : 0;
    const size_t sent = playing_.size() - std::min(dropped, playing_.size());
    // The notes of the timeline still sounding: note-ons minus note-offs per channel and key.
    std::map<std::pair<int, int>, int> on;
    for (size_t i = 0; i < sent; ++i) {
        const quint32 m = playing_[i].message;
        const int status = int(m & 0xF0), channel = int(m & 0x0F), key = int((m >> 8) & 0x7F);
        const bool noteOn = status == 0x90 && ((m >> 16) & 0x7F) != 0;
        if (noteOn) ++on[{channel, key}];
        else if ((status == 0x80 || status == 0x90) && on[{channel, key}] > 0) --on[{channel, key}];
    }
    playing_.clear();
    if (!out_) return;
    for (const auto& [note, count] : on)
        for (int i = 0; i < count; ++i)
            out_->shortMessage(platform::packShortMessage(quint8(0x80 + note.first), quint8(note.second), 0));
}

} // namespace sound
