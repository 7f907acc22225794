#pragma once
// FluidSynth pieces shared by the "MIDI Mapper", the song player and offline rendering:
// the General MIDI soundfont, a synth loaded with it, the desktop audio output and rendering
// of timed short messages to a WAV file. Nothing here starts before it is first asked for.
#include "platform/midi/midiout.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <atomic>
#include <fluidsynth.h>
#include <memory>
#include <vector>

namespace platform {

// The General MIDI soundfont by explicit path: FluidR3_GM.sf2, else TimGM6mb.sf2, else empty.
// (The distribution's default-GM.sf2 link moves when soundfont packages come and go.)
QString generalMidiSoundfont();

// Sends FluidSynth's own log lines to the "tonvale.fluidsynth" debug category instead of stderr.
void routeFluidSynthLog();

// A synth with its settings and the General MIDI soundfont loaded.
class FluidSynthEngine {
public:
    struct Options {
        QString soundfont;        // empty: generalMidiSoundfont()
        QString wavFile;          // set: settings prepared for the file renderer (WAV, 16-bit)
        int periodSize = 256;     // frames per audio period; with 2 periods about 12 ms at 44.1 kHz
        int periods = 2;
    };
    FluidSynthEngine();
    explicit FluidSynthEngine(const Options& options);
    ~FluidSynthEngine();
    FluidSynthEngine(const FluidSynthEngine&) = delete;
    FluidSynthEngine& operator=(const FluidSynthEngine&) = delete;

    bool isReady() const { return synth_ != nullptr; }
    QString soundfont() const { return soundfont_; }
    fluid_settings_t* settings() const { return settings_; }
    fluid_synth_t* synth() const { return synth_; }
    int sampleRate() const { return sampleRate_; }

    // Plays one packed short message (note on/off, program change, controller, pitch bend...).
    void send(quint32 message);
    // Silences every channel at once (used when a connection or song closes).
    void silence();

    // One live output at a time: two audio drivers must never pull from one synth.
    bool claim() { return !claimed_.exchange(true); }
    void release() { claimed_ = false; }

private:
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    QString soundfont_;
    int sampleRate_ = 44100;
    std::atomic<bool> claimed_{false};
};

// The audio drivers tried in turn for the desktop's default output: PulseAudio (also what a
// PipeWire desktop serves), then ALSA's default device.
QStringList defaultAudioDrivers();

struct AudioDriverDeleter {
    void operator()(fluid_audio_driver_t* d) const;
};
using AudioDriverPtr = std::unique_ptr<fluid_audio_driver_t, AudioDriverDeleter>;

// Starts audio output for the engine with the first driver of `drivers` that opens; nullptr
// when none does (no sound card, no sound server). Never blocks waiting for a device.
AudioDriverPtr openAudioOutput(FluidSynthEngine& engine, const QStringList& drivers = defaultAudioDrivers());

// Renders the messages offline through FluidSynth into a WAV file (16-bit stereo, 44.1 kHz):
// the first message sounds at 0 s, the others at their distance from it, then `tailMs` more
// so releases ring out. No audio device is used. Returns false when the soundfont or the
// file cannot be had.
bool renderToWav(const std::vector<TimedMessage>& messages, const QString& wavFile, int tailMs = 1000,
                 const QString& soundfont = QString());

} // namespace platform
