#pragma once
// Songs on FluidSynth's MIDI-file player, with a synth and audio output of their own.
// Offline, the song is rendered on demand (to a WAV file or nowhere) instead of played on a
// device, so tests hear it without a sound card.
#include "platform/midi/fluidengine.h"
#include "platform/songs/songplayer.h"

#include <memory>

namespace platform {

class FluidSongPlayer : public SongPlayer {
public:
    struct Options {
        QStringList audioDrivers = defaultAudioDrivers();
        bool offline = false;   // no audio device: renderOffline() drives the song
        QString wavFile;        // offline: the rendering is written here when set
        QString soundfont;      // empty: the General MIDI soundfont
    };
    FluidSongPlayer();
    explicit FluidSongPlayer(const Options& options);
    ~FluidSongPlayer() override;

    int open(const QString& path) override;
    int play() override;
    int close() override;
    bool isOpen() const override { return player_ != nullptr; }
    // Judged by the player's ticks: its status stays "playing" for a while after the last
    // note while the synth rings out.
    bool isPlaying() const override;

    int currentTick() const;
    int totalTicks() const;  // known once the song started

    // Offline only: renders the started song until its last tick (at most maxMs), then
    // tailMs more for the last notes to ring out; returns the milliseconds the song ran.
    qint64 renderOffline(qint64 maxMs, qint64 tailMs = 0);

private:
    void renderFrames(int frames);

    Options options_;
    std::shared_ptr<FluidSynthEngine> engine_;  // loaded at the first open, then kept
    fluid_player_t* player_ = nullptr;
    AudioDriverPtr audio_;
    fluid_file_renderer_t* renderer_ = nullptr;
    bool started_ = false;
};

} // namespace platform
