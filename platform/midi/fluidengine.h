#pragma once
// The FluidSynth engine behind the "MIDI Mapper" and the songs: one synth with the General
// MIDI soundfont, its sequencer and the desktop audio output, plus offline rendering of timed
// short messages to a WAV file.
//
// One engine serves the whole program: the MIDI port plays on channels 0..15, songs on
// channels 16..31 (their channel + 16), so a song can never change a program or controller
// of the port's channels. The audio output is shared too: it is open while the port is open
// or a song plays.
//
// Loading is lazy and may run on a worker thread, started as soon as the application object
// exists: the synth comes first (what opening the port needs), then the soundfont. Only the
// presets that are asked for are read: the piano at first, any other preset when a program
// change, a note on a drum channel or a song needs it (see Sf2File). Whoever needs the
// soundfont waits for it there, so nothing sent early is lost. The piano's samples are read
// key by key, before the first note that plays each (a lazy subset).
#include "platform/midi/midiout.h"
#include "platform/midi/pulseoutput.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <fluidsynth.h>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace platform {

class Sf2File;

// The General MIDI soundfont by explicit path: FluidR3_GM.sf2, else TimGM6mb.sf2, else empty.
// (The distribution's default-GM.sf2 link moves when soundfont packages come and go.)
QString generalMidiSoundfont();

// Sends FluidSynth's own log lines to the "tonvale.fluidsynth" debug category instead of stderr.
void routeFluidSynthLog();

// The audio drivers tried in turn for the desktop's default output: PulseAudio (also what a
// PipeWire desktop serves; the engine's own stream, PulseOutput), then ALSA's default device
// (FluidSynth's driver, like any other name).
QStringList defaultAudioDrivers();

struct AudioDriverDeleter {
    void operator()(fluid_audio_driver_t* d) const;
};
using AudioDriverPtr = std::unique_ptr<fluid_audio_driver_t, AudioDriverDeleter>;

class FluidSynthEngine {
public:
    static constexpr int PortChannels = 16;      // channels 0..15
    static constexpr int SongChannelBase = 16;   // songs: channels 16..31
    static constexpr int MidiChannels = 32;
    static constexpr int Polyphony = 64;         // voices sounding at once

    struct Options {
        QString soundfont;          // empty: generalMidiSoundfont()
        QString wavFile;            // set: renderOffline() writes here (WAV, 16-bit stereo)
        int periodSize = 128;       // frames per audio period of FluidSynth's drivers and offline blocks
        int periods = 2;
        PulseOutput::Buffering pulse;   // the PulseAudio stream's buffering
        bool background = false;    // load on a worker thread started by the constructor
        bool offline = false;       // no audio device: outputs open without one, renderOffline() sounds
        QStringList openOutput;     // background: audio drivers of an output opened ahead
    };
    FluidSynthEngine();
    explicit FluidSynthEngine(const Options& options);
    ~FluidSynthEngine();
    FluidSynthEngine(const FluidSynthEngine&) = delete;
    FluidSynthEngine& operator=(const FluidSynthEngine&) = delete;

    // The engine of the program's mapper and songs: the one the program's sound holds
    // (platform::ProgramSound, which main() makes right after the application object and ends
    // before it returns); nullptr while there is none, so a test never starts a synthesizer
    // unasked. Only watched here: no static outlives main() holding an engine.
    static std::shared_ptr<FluidSynthEngine> shared();
    // The program's sound names its engine here, and an empty pointer as it ends.
    static void setShared(const std::weak_ptr<FluidSynthEngine>& engine);

    // Waits for the synth (not the soundfont): true when it is there and the soundfont file
    // is a readable SoundFont.
    bool hasSynth();
    // Waits for the whole load: true when the soundfont is loaded.
    bool isReady();
    QString soundfont() const { return soundfont_; }
    int sampleRate() const { return sampleRate_; }
    fluid_synth_t* synth();  // waits like hasSynth(); nullptr without one

    // ---- audio output (one driver, shared; counted) ----
    // Opens the output on the first of `drivers` that works (or takes the one opened ahead);
    // MidiOk, or MidiNoDriver when none opens or there is no synth.
    qint32 acquireOutput(const QStringList& drivers);
    // The last release closes the output a little later on the loader thread, so a song that
    // starts as the port closes (the splash at start-up) takes the output over instead of
    // waiting for the sound server to open a new one.
    void releaseOutput();
    static constexpr int OutputGraceMs = 500;
    bool hasOutput() const;
    // The PulseAudio stream, when that is the output (tests and benchmarks read it).
    PulseOutput* pulseOutput();

    // The port's one connection at a time.
    bool claim() { return !claimed_.exchange(true); }
    void release() { claimed_ = false; }

    // ---- messages ----
    // A packed short message now, on the channels from `channelBase` (0 the port's, 16 the
    // songs'); waits for the soundfont and loads the preset it needs first.
    void send(quint32 message, int channelBase = 0);
    // All sounds off on the port's channels, or on the songs'.
    void silence(int channelBase = 0);
    // The songs' channels as on a fresh synth: sounds off, controllers, bank, program, bend.
    void resetSongChannels();
    // Loads the presets these messages need, so that scheduled ones sound on time.
    void prepare(const std::vector<quint32>& messages, int channelBase = 0);

    // ---- scheduling on the synth's own (audio) time ----
    // A source of scheduled messages (the port, a song).
    int newSource();
    // Schedules the messages (times on platform::Clock) at the matching moments of the
    // synth's sample clock; channels from `channelBase`. Loads their presets first.
    void schedule(int source, const std::vector<TimedMessage>& messages, int channelBase = 0);
    // Drops what `source` still has pending and returns it; once it returns none of them sounds.
    std::vector<TimedMessage> unschedule(int source);
    bool hasScheduled(int source);
    // The synth's sample clock in ms (it moves while audio is rendered).
    qint64 synthMs();

    // ---- offline ----
    // Renders `ms` of audio without a device: into the WAV file when one was given, else nowhere.
    void renderOffline(qint64 ms);
    // Renders one block offline; returns its frames (0 when nothing can be rendered).
    int renderBlock();
    // Finishes the WAV file rendered so far (the next rendering starts it anew).
    void finishWav();

    // Runs `job` on the loader thread once the soundfont is loaded (at once, on this thread,
    // for an engine that loads in the foreground).
    void post(std::function<void()> job);

    struct Preset {
        int bank = 0, program = 0;
        bool operator<(const Preset& o) const { return bank != o.bank ? bank < o.bank : program < o.program; }
        bool operator==(const Preset& o) const { return bank == o.bank && program == o.program; }
    };
    // Presets read so far (tests and benchmarks).
    std::set<Preset> loadedPresets();

private:
    void loadSynth();
    void loadSoundfont();
    void runLoader();
    void waitFor(int stage);
    void postAfter(int ms, std::function<void()> job);
    Preset presetFor(int channel) const;
    void track(quint32 message, int channelBase);
    void ensure(const std::set<Preset>& presets);
    std::set<Preset> needed(const std::vector<quint32>& messages, int channelBase,
                            std::vector<std::pair<Preset, quint32>>* notes = nullptr);
    void loadSamples(const std::vector<std::pair<Preset, quint32>>& notes, int channelBase);
    void sendNow(quint32 message, int channelBase);
    bool openAudio(const QString& driver);   // outputMutex_ held
    bool hasAudio() const { return audio_ || pulse_; }
    void wakeOutput(bool scheduled);
    bool timedPending();
    void scheduleLoaded(int source, const std::vector<TimedMessage>& messages, const std::vector<quint32>& plain,
                        int channelBase);

    Options options_;
    QString soundfont_;
    int sampleRate_ = 44100;
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    fluid_sequencer_t* sequencer_ = nullptr;
    fluid_seq_id_t synthDest_ = -1;
    fluid_file_renderer_t* renderer_ = nullptr;
    std::shared_ptr<Sf2File> file_;
    QString lazySubset_;  // the first presets, their samples read as notes need them

    // Stages: 0 nothing, 1 synth, 2 soundfont; waiters sleep on stageChanged_.
    std::mutex stageMutex_;
    std::condition_variable stageChanged_;
    int stage_ = 0;
    bool soundfontLoaded_ = false;
    std::thread loader_;
    struct Job {
        std::chrono::steady_clock::time_point due;
        std::function<void()> run;
    };
    std::deque<Job> jobs_;                // in the order of their times
    bool quit_ = false;

    std::mutex presetMutex_;          // presets loaded and the channels' bank and program
    std::set<Preset> loaded_;
    int bank_[MidiChannels] = {};
    int program_[MidiChannels] = {};

    mutable std::mutex outputMutex_;
    AudioDriverPtr audio_;
    std::unique_ptr<PulseOutput> pulse_;
    int outputUsers_ = 0;
    quint64 outputChanges_ = 0;       // a pending close applies only if nothing happened since
    std::atomic<bool> claimed_{false};

    std::mutex scheduleMutex_;        // what each source has scheduled, in sequencer ticks
    std::map<int, std::vector<std::pair<unsigned int, TimedMessage>>> scheduled_;
    std::map<int, fluid_seq_id_t> sources_;
    std::atomic<unsigned int> scheduledUntil_{0};   // the latest tick a scheduled message waits for
};

// Renders the messages offline through FluidSynth into a WAV file (16-bit stereo, 44.1 kHz):
// the first message sounds at 0 s, the others at their distance from it, then `tailMs` more
// so releases ring out. No audio device is used. Returns false when the soundfont or the
// file cannot be had.
bool renderToWav(const std::vector<TimedMessage>& messages, const QString& wavFile, int tailMs = 1000,
                 const QString& soundfont = QString());

} // namespace platform
