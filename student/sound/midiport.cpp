#include "midiport.h"

#include "platform/dialogs.h"

#include <algorithm>

namespace sound {
namespace {
bool isDataByte(int v) { return v >= 0 && v <= 127; }
bool isChannel(int c) { return c >= 0 && c <= 15; }
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
    // A second open without a close would otherwise leave the first connection holding
    // its device until the program ends.
    if (out_) CloseMIDI();
    qint32 rc = platform::MidiError;
    out_ = devices().open(deviceId_, &rc);
    if (!out_ && rc == platform::MidiOk) rc = platform::MidiError;
    forgetSounding();
    return rc;
}

qint32 MidiPort::CloseMIDI() {
    if (!out_) return platform::MidiInvalidHandle;
    const qint32 rc = out_->close();
    out_.reset();
    forgetSounding();
    return rc;
}

void MidiPort::send(quint32 message) {
    // Notes sent while nothing is open are lost, as on a device that failed to open.
    if (out_) out_->shortMessage(message);
}

bool MidiPort::noteOn(int key) {
    if (!isDataByte(key) || !isChannel(MidiChannel) || !isDataByte(MidiVelocity)) return false;
    send(platform::packShortMessage(quint8(0x90 + MidiChannel), quint8(key), quint8(MidiVelocity)));
    sounding_[size_t(key)].push_back(qint8(MidiChannel));
    return true;
}

void MidiPort::noteOff(int key) {
    if (!isDataByte(key)) return;
    std::vector<qint8>& channels = sounding_[size_t(key)];
    int channel = MidiChannel;
    auto it = std::find(channels.rbegin(), channels.rend(), qint8(MidiChannel));
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
}

void MidiPort::StartNote(qint16 note) {
    const int key = int(MidiNoteOffset) + int(note);
    if (!isDataByte(key) || !isChannel(MidiChannel) || !isDataByte(MidiVelocity)) return;
    if (MidiChannel == PercussionChannel) send(0xC9);  // program 0 (the standard kit)
    noteOn(key);
}

void MidiPort::StopNote(qint16 note) { noteOff(int(MidiNoteOffset) + int(note)); }

void MidiPort::KeyStartNote(qint16 key) {
    if (key == NoKey) return;
    PianoKeys& keys = pianoKeys();
    if (!keys.hasKey(key) || keys.value(key) == 1) return;
    keys.setValue(key, 1);
    noteOn(PianoBaseKey + key);
}

void MidiPort::KeyStopNote(qint16 key) {
    if (key == NoKey) return;
    PianoKeys& keys = pianoKeys();
    if (!keys.hasKey(key)) return;
    keys.setValue(key, 0);
    noteOff(PianoBaseKey + key);
}

void MidiPort::setPianoKeys(PianoKeys* keys) { keys_ = keys; }

} // namespace sound
