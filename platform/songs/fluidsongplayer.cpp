#include "fluidsongplayer.h"

#include "platform/clock.h"

#include <QFile>

namespace platform {

FluidSongPlayer::FluidSongPlayer() : FluidSongPlayer(Options()) {}

FluidSongPlayer::FluidSongPlayer(const Options& options)
    : options_(options), engine_(options.engine), link_(std::make_shared<Link>()) {
    link_->player = this;
}

FluidSongPlayer::~FluidSongPlayer() {
    {
        std::lock_guard<std::mutex> lock(link_->mutex);
        link_->player = nullptr;
    }
    close();
}

std::shared_ptr<FluidSynthEngine> FluidSongPlayer::engine() {
    if (!engine_) {
        FluidSynthEngine::Options e;
        e.soundfont = options_.soundfont;
        if (options_.offline) {
            e.wavFile = options_.wavFile;
            e.periodSize = 512;  // 11.6 ms a block offline
        }
        engine_ = std::make_shared<FluidSynthEngine>(e);
    }
    return engine_;
}

int FluidSongPlayer::open(const QString& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (open_) return SongInUse;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return SongFileError;
    const QByteArray data = file.readAll();
    SmfSong song;
    if (!readSmf(std::vector<uint8_t>(data.begin(), data.end()), &song)) return SongFileError;
    if (!engine()->hasSynth()) return SongNoDevice;
    if (source_ < 0) source_ = engine_->newSource();
    song_ = std::move(song);
    open_ = true;
    started_ = scheduled_ = false;
    return SongOk;
}

int FluidSongPlayer::play() {
    quint64 generation = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!open_) return SongNotOpen;
        if (started_) return SongOk;
        if (!options_.offline) {
            // No sound card or sound server: the song stays silent.
            if (engine_->acquireOutput(options_.audioDrivers) != MidiOk) return SongNoDevice;
            holdingOutput_ = true;
        }
        started_ = true;
        generation = ++generation_;
    }
    engine_->post([link = link_, generation] {
        std::lock_guard<std::mutex> lock(link->mutex);
        if (link->player) link->player->start(generation);
    });
    return SongOk;
}

void FluidSongPlayer::start(quint64 generation) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (generation != generation_ || !open_) return;  // closed meanwhile
    std::vector<quint32> plain;
    plain.reserve(song_.events.size());
    for (const SmfSong::Event& e : song_.events) plain.push_back(e.message);
    engine_->resetSongChannels();
    engine_->prepare(plain, FluidSynthEngine::SongChannelBase);  // the song's instruments, before its time starts
    const qint64 now = Clock::instance().nowMs();
    std::vector<TimedMessage> timed;
    timed.reserve(song_.events.size());
    for (const SmfSong::Event& e : song_.events) timed.push_back({now + qint64(e.ms + 0.5), e.message});
    startMs_ = engine_->synthMs();
    engine_->schedule(source_, timed, FluidSynthEngine::SongChannelBase);
    scheduled_ = true;
}

int FluidSongPlayer::close() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_) return SongNotOpen;
    ++generation_;
    engine_->unschedule(source_);
    engine_->silence(FluidSynthEngine::SongChannelBase);
    if (holdingOutput_) engine_->releaseOutput();
    if (options_.offline) engine_->finishWav();
    holdingOutput_ = false;
    open_ = started_ = scheduled_ = false;
    return SongOk;
}

bool FluidSongPlayer::isOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
}

bool FluidSongPlayer::isPlaying() const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_ || !started_) return false;
    if (!scheduled_) return true;  // waiting for the soundfont
    return double(engine_->synthMs() - startMs_) < song_.lengthMs;
}

int FluidSongPlayer::currentTick() const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_ || !scheduled_) return 0;
    return int(qMin<uint32_t>(song_.tickAt(double(engine_->synthMs() - startMs_)), song_.endTick));
}

int FluidSongPlayer::totalTicks() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_ && started_ ? int(song_.endTick) : 0;
}

qint64 FluidSongPlayer::renderOffline(qint64 maxMs, qint64 tailMs) {
    if (!options_.offline || !isPlaying()) return 0;
    const qint64 rate = engine_->sampleRate();
    const qint64 maxFrames = maxMs * rate / 1000;
    qint64 frames = 0;
    while (isPlaying() && frames < maxFrames) {
        const int n = engine_->renderBlock();
        if (n <= 0) break;
        frames += n;
    }
    const qint64 ran = frames * 1000 / rate;
    engine_->renderOffline(tailMs);
    return ran;
}

} // namespace platform
