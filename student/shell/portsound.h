#pragma once
// The sound seam on the real MIDI output port and song player. The devices and the song
// player are the platform services, so tests and benchmarks install recorders there.
#include "soundseam.h"

#include "student/sound/midiport.h"
#include "student/sound/songs.h"

namespace shell {

class PortSound : public SoundSeam {
public:
    explicit PortSound(platform::MidiDevices* devices = nullptr) : port_(devices) {}
    void load() override { port_.load(); }
    QStringList deviceCaptions() override { return port_.deviceNames(); }
    void mnuDevice_Click(int index) override { port_.mnuDevice_Click(index); }
    int checkedDevice() const override { return port_.checkedDevice(); }
    qint32 OpenMIDI() override { return port_.OpenMIDI(); }
    qint32 CloseMIDI() override { return port_.CloseMIDI(); }
    void PlaySong(const QString& path) override { sound::PlaySong(path); }
    void CloseSong() override { sound::CloseSong(); }
    sound::MidiPort* port() override { return &port_; }

private:
    sound::MidiPort port_;
};

} // namespace shell
