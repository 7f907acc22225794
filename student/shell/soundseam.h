#pragma once
// What the main window needs of the sound side: the MIDI output port (device menu, open and
// close) and the songs. The window holds one SoundSeam; start-up binds the real port and
// song player, tests bind a recorder.
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace sound { class MidiPort; }

namespace shell {

class SoundSeam {
public:
    virtual ~SoundSeam() = default;
    // The window-load steps: the device menu is built and its first item, the mapper, chosen.
    virtual void load() = 0;
    // Captions of the MIDI menu: "MIDI Mapper", then one per output device.
    virtual QStringList deviceCaptions() = 0;
    // The device menu's command: chooses item `index`, closes the output and opens it on the
    // chosen device, and reports a failed open.
    virtual void mnuDevice_Click(int index) = 0;
    // The checked item of the device menu.
    virtual int checkedDevice() const = 0;
    virtual qint32 OpenMIDI() = 0;
    virtual qint32 CloseMIDI() = 0;
    virtual void PlaySong(const QString& path) = 0;
    virtual void CloseSong() = 0;
    // The port behind it, for the code that plays notes (nullptr when there is none).
    virtual sound::MidiPort* port() { return nullptr; }
};

// No devices but the mapper, and nothing sounds.
class SilentSound : public SoundSeam {
public:
    void load() override { checked_ = 0; }
    QStringList deviceCaptions() override { return {QStringLiteral("MIDI Mapper")}; }
    void mnuDevice_Click(int index) override { checked_ = index; }
    int checkedDevice() const override { return checked_; }
    qint32 OpenMIDI() override { return 0; }
    qint32 CloseMIDI() override { return 0; }
    void PlaySong(const QString&) override {}
    void CloseSong() override {}

private:
    int checked_ = 0;
};

} // namespace shell
