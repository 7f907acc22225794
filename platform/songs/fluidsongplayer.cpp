#include "fluidsongplayer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <vector>

namespace platform {
namespace {
const int OfflineBlock = 512;  // frames rendered per step offline (11.6 ms)
} // namespace

FluidSongPlayer::FluidSongPlayer() : FluidSongPlayer(Options()) {}

FluidSongPlayer::FluidSongPlayer(const Options& options) : options_(options) {}

FluidSongPlayer::~FluidSongPlayer() { close(); }

int FluidSongPlayer::open(const QString& path) {
    if (player_) return SongInUse;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return SongFileError;
    const QByteArray data = file.readAll();
    if (data.size() < 14 || !data.startsWith("MThd")) return SongFileError;

    if (!engine_) {
        FluidSynthEngine::Options e;
        e.soundfont = options_.soundfont;
        if (options_.offline) {
            e.wavFile = options_.wavFile;
            e.periodSize = OfflineBlock;
        }
        engine_ = std::make_shared<FluidSynthEngine>(e);
    }
    if (!engine_->isReady()) return SongNoDevice;

    player_ = new_fluid_player(engine_->synth());
    if (!player_) return SongNoDevice;
    // The player keeps its own copy of the file's bytes.
    if (fluid_player_add_mem(player_, data.constData(), size_t(data.size())) != FLUID_OK) {
        delete_fluid_player(player_);
        player_ = nullptr;
        return SongFileError;
    }
    started_ = false;
    return SongOk;
}

int FluidSongPlayer::play() {
    if (!player_) return SongNotOpen;
    if (started_) return SongOk;
    if (options_.offline) {
        if (!options_.wavFile.isEmpty() && !renderer_) {
            QDir().mkpath(QFileInfo(options_.wavFile).absolutePath());
            renderer_ = new_fluid_file_renderer(engine_->synth());
            if (!renderer_) return SongNoDevice;
        }
    } else {
        audio_ = openAudioOutput(*engine_, options_.audioDrivers);
        if (!audio_) return SongNoDevice;  // no sound card or sound server: the song stays silent
    }
    if (fluid_player_play(player_) != FLUID_OK) {
        audio_.reset();
        return SongFileError;
    }
    started_ = true;
    return SongOk;
}

int FluidSongPlayer::close() {
    if (!player_) return SongNotOpen;
    audio_.reset();  // the audio thread drives the player: stop it first
    fluid_player_stop(player_);
    delete_fluid_player(player_);
    player_ = nullptr;
    if (renderer_) {
        delete_fluid_file_renderer(renderer_);
        renderer_ = nullptr;
    }
    engine_->silence();
    started_ = false;
    return SongOk;
}

bool FluidSongPlayer::isPlaying() const {
    if (!player_ || !started_) return false;
    if (fluid_player_get_status(player_) != FLUID_PLAYER_PLAYING) return false;
    const int total = fluid_player_get_total_ticks(player_);
    return total <= 0 || fluid_player_get_current_tick(player_) < total;
}

int FluidSongPlayer::currentTick() const { return player_ ? fluid_player_get_current_tick(player_) : 0; }

int FluidSongPlayer::totalTicks() const { return player_ ? fluid_player_get_total_ticks(player_) : 0; }

void FluidSongPlayer::renderFrames(int frames) {
    if (renderer_) {
        fluid_file_renderer_process_block(renderer_);
        return;
    }
    std::vector<float> buffer(size_t(frames) * 2);
    fluid_synth_write_float(engine_->synth(), frames, buffer.data(), 0, 2, buffer.data(), 1, 2);
}

qint64 FluidSongPlayer::renderOffline(qint64 maxMs, qint64 tailMs) {
    if (!options_.offline || !player_ || !started_) return 0;
    const qint64 rate = engine_->sampleRate();
    const qint64 maxFrames = maxMs * rate / 1000;
    qint64 frames = 0;
    while (isPlaying() && frames < maxFrames) {
        renderFrames(OfflineBlock);
        frames += OfflineBlock;
    }
    const qint64 ran = frames * 1000 / rate;
    for (qint64 tail = 0; tail < tailMs * rate / 1000; tail += OfflineBlock) renderFrames(OfflineBlock);
    return ran;
}

} // namespace platform
