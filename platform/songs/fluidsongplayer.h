#pragma once
// Songs on the program's FluidSynth engine: the file is read here and its messages are
// scheduled on the engine's sequencer, on the songs' own channels (16..31), so a song plays
// beside the MIDI port without touching the port's programs or controllers, and every song
// starts on channels as fresh as a new synth's. The song starts once the engine's soundfont
// is loaded: playing never waits for it.
// Offline, the song is rendered on demand (to a WAV file or nowhere) instead of played on a
// device, so tests hear it without a sound card.
#include "platform/midi/fluidengine.h"
#include "platform/songs/smf.h"
#include "platform/songs/songplayer.h"

#include <memory>
#include <mutex>

namespace platform {

class FluidSongPlayer : public SongPlayer {
public:
    struct Options {
        QStringList audioDrivers = defaultAudioDrivers();
        bool offline = false;   // no audio device: renderOffline() drives the song
        QString wavFile;        // offline: the rendering is written here when set
        QString soundfont;      // empty: the General MIDI soundfont
        // The engine to play on; nullptr: one of the player's own, made at the first open.
        std::shared_ptr<FluidSynthEngine> engine;
    };
    FluidSongPlayer();
    explicit FluidSongPlayer(const Options& options);
    ~FluidSongPlayer() override;

    int open(const QString& path) override;
    int play() override;
    int close() override;
    bool isOpen() const override;
    // Judged by the song's length on the synth's clock, not by whether notes still ring.
    bool isPlaying() const override;

    int currentTick() const;  // of the song's own ticks
    int totalTicks() const;   // known once the song started

    // Offline only: renders the started song until its end (at most maxMs), then tailMs more
    // for the last notes to ring out; returns the milliseconds the song ran.
    qint64 renderOffline(qint64 maxMs, qint64 tailMs = 0);

private:
    std::shared_ptr<FluidSynthEngine> engine();
    void start(quint64 generation);


    Options options_;
    std::shared_ptr<FluidSynthEngine> engine_;
    int source_ = -1;
    mutable std::mutex mutex_;   // the start runs on the engine's loader thread
    bool open_ = false;
    bool started_ = false;       // play() was called
    bool scheduled_ = false;     // its messages are on the sequencer
    bool holdingOutput_ = false;
    quint64 generation_ = 0;     // a start for an older generation is dropped
    qint64 startMs_ = 0;         // the synth's clock when it started
    SmfSong song_;

    // What a start waiting on the engine's thread reaches the player through: gone with it.
    struct Link {
        std::mutex mutex;
        FluidSongPlayer* player = nullptr;
    };
    std::shared_ptr<Link> link_;
};

} // namespace platform
