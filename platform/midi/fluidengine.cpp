#include "fluidengine.h"

#include "platform/clock.h"
#include "platform/midi/fluidsynthlib.h"
#include "platform/midi/sf2subset.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <algorithm>

namespace platform {
namespace {
Q_LOGGING_CATEGORY(lcFluid, "tonvale.fluidsynth", QtWarningMsg)

void logToQt(int level, const char* message, void*) {
    if (level <= FLUID_ERR) qCInfo(lcFluid, "%s", message);
    else qCDebug(lcFluid, "%s", message);
}

constexpr int SongDrumChannel = FluidSynthEngine::SongChannelBase + 9;
bool isDrumChannel(int channel) { return channel % 16 == 9; }
} // namespace

QString generalMidiSoundfont() {
    static const char* const candidates[] = {
        "/usr/share/sounds/sf2/FluidR3_GM.sf2",
        "/usr/share/sounds/sf2/TimGM6mb.sf2",
    };
    for (const char* path : candidates)
        if (QFileInfo(QString::fromLatin1(path)).isFile()) return QString::fromLatin1(path);
    return QString();
}

void routeFluidSynthLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, logToQt, nullptr);
    });
}

QStringList defaultAudioDrivers() { return {QStringLiteral("pulseaudio"), QStringLiteral("alsa")}; }

void AudioDriverDeleter::operator()(fluid_audio_driver_t* d) const {
    if (d) delete_fluid_audio_driver(d);
}

// ---- loading ----

FluidSynthEngine::FluidSynthEngine() : FluidSynthEngine(Options()) {}

FluidSynthEngine::FluidSynthEngine(const Options& options) : options_(options) {
    soundfont_ = options.soundfont.isEmpty() ? generalMidiSoundfont() : options.soundfont;
    if (options.background) {
        loader_ = std::thread([this] { runLoader(); });
    } else {
        loadSynth();
        loadSoundfont();
        stage_ = 2;
    }
}

FluidSynthEngine::~FluidSynthEngine() {
    {
        std::lock_guard<std::mutex> lock(stageMutex_);
        quit_ = true;
        jobs_.clear();
    }
    stageChanged_.notify_all();
    if (loader_.joinable()) loader_.join();
    audio_.reset();  // the audio threads go before what they render
    pulse_.reset();
    if (renderer_) delete_fluid_file_renderer(renderer_);
    if (!lazySubset_.isEmpty()) Sf2File::forgetUnread(lazySubset_);
    if (sequencer_) delete_fluid_sequencer(sequencer_);
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
}

namespace {
std::mutex g_sharedMutex;
std::weak_ptr<FluidSynthEngine> g_shared;  // owned by the program's sound
} // namespace

std::shared_ptr<FluidSynthEngine> FluidSynthEngine::shared() {
    std::lock_guard<std::mutex> lock(g_sharedMutex);
    return g_shared.lock();
}

void FluidSynthEngine::setShared(const std::weak_ptr<FluidSynthEngine>& engine) {
    std::lock_guard<std::mutex> lock(g_sharedMutex);
    g_shared = engine;
}

void FluidSynthEngine::loadSynth() {
    if (!loadFluidSynth()) return;
    routeFluidSynthLog();
    file_ = soundfont_.isEmpty() ? nullptr : Sf2File::open(soundfont_);
    if (!file_) return;
    settings_ = new_fluid_settings();
    if (!settings_) return;
    fluid_settings_setnum(settings_, "synth.sample-rate", sampleRate_);
    // Only the samples of the presets in use are read, and only the presets asked for are
    // built (Sf2File), so a large soundfont costs little memory and time.
    fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
    // Locking would make resident at once the sample pages a lazy subset leaves unread.
    fluid_settings_setint(settings_, "synth.lock-memory", 0);
    fluid_settings_setint(settings_, "synth.midi-channels", MidiChannels);
    // Each voice the synth keeps ready costs about 16 KB. The program's densest music (the
    // splash fugue with its releases) needs 22 voices at once; 64 leaves room to spare, as on
    // a hardware General MIDI module.
    fluid_settings_setint(settings_, "synth.polyphony", Polyphony);
    fluid_settings_setnum(settings_, "synth.gain", 0.7);
    fluid_settings_setint(settings_, "audio.period-size", options_.periodSize);
    fluid_settings_setint(settings_, "audio.periods", options_.periods);
    if (!options_.wavFile.isEmpty()) {
        fluid_settings_setstr(settings_, "audio.file.name", QDir::toNativeSeparators(options_.wavFile).toLocal8Bit().constData());
        fluid_settings_setstr(settings_, "audio.file.type", "wav");
        fluid_settings_setstr(settings_, "audio.file.format", "s16");
        fluid_settings_setstr(settings_, "audio.file.endian", "little");
    }
    synth_ = new_fluid_synth(settings_);
    if (!synth_) return;
    fluid_synth_add_sfloader(synth_, Sf2File::newSubsetLoader(settings_));
    fluid_synth_set_channel_type(synth_, SongDrumChannel, CHANNEL_TYPE_DRUM);
    fluid_synth_bank_select(synth_, SongDrumChannel, 128);
    // The sequencer runs on the synth's sample clock: scheduled messages land on the exact
    // sample, whatever the threads are doing.
    sequencer_ = new_fluid_sequencer2(0);
    if (sequencer_) synthDest_ = fluid_sequencer_register_fluidsynth(sequencer_, synth_);
    if (options_.background && !options_.openOutput.isEmpty()) {
        std::lock_guard<std::mutex> lock(outputMutex_);
        for (const QString& name : options_.openOutput)
            if (openAudio(name)) break;
    }
}

void FluidSynthEngine::loadSoundfont() {
    if (!synth_ || !file_) return;
    // The piano: every melodic channel starts on it. Other presets come when asked for.
    std::set<Sf2File::Preset> base;
    if (file_->hasPreset({0, 0})) base.insert({0, 0});
    else if (!file_->presets().empty()) base.insert(*file_->presets().begin());
    // The piano's 88 keys are megabytes of samples, most of which a lesson never plays: each
    // is read before the first note that needs it. Pinned, so its buffers stay put.
    const QString name = file_->subset(base, true);
    const int id = fluid_synth_sfload(synth_, name.toLocal8Bit().constData(), 1);
    bool pinned = id != FLUID_FAILED;
    for (const auto& p : base)
        pinned = pinned && fluid_synth_pin_preset(synth_, id, p.first, p.second) == FLUID_OK;
    Sf2File::endLazyReading(name);
    if (id == FLUID_FAILED) {
        Sf2File::forgetUnread(name);
        return;
    }
    std::lock_guard<std::mutex> lock(presetMutex_);
    // Unpinned buffers could move: then everything is read now, as without a lazy subset.
    if (pinned) lazySubset_ = name;
    else Sf2File::readUnread(name);
    for (const auto& p : base) loaded_.insert({p.first, p.second});
    soundfontLoaded_ = true;
}

void FluidSynthEngine::runLoader() {
    loadSynth();
    {
        std::lock_guard<std::mutex> lock(stageMutex_);
        stage_ = 1;
    }
    stageChanged_.notify_all();
    loadSoundfont();
    {
        std::lock_guard<std::mutex> lock(stageMutex_);
        stage_ = 2;
    }
    stageChanged_.notify_all();
    std::unique_lock<std::mutex> lock(stageMutex_);
    while (!quit_) {
        if (jobs_.empty()) {
            stageChanged_.wait(lock);
            continue;
        }
        if (std::chrono::steady_clock::now() < jobs_.front().due) {
            stageChanged_.wait_until(lock, jobs_.front().due);
            continue;
        }
        std::function<void()> job = std::move(jobs_.front().run);
        jobs_.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
}

void FluidSynthEngine::waitFor(int stage) {
    std::unique_lock<std::mutex> lock(stageMutex_);
    stageChanged_.wait(lock, [&] { return stage_ >= stage; });
}

bool FluidSynthEngine::hasSynth() {
    waitFor(1);
    return synth_ != nullptr;
}

bool FluidSynthEngine::isReady() {
    waitFor(2);
    return soundfontLoaded_;
}

fluid_synth_t* FluidSynthEngine::synth() {
    waitFor(1);
    return synth_;
}

void FluidSynthEngine::post(std::function<void()> job) { postAfter(0, std::move(job)); }

void FluidSynthEngine::postAfter(int ms, std::function<void()> job) {
    if (!loader_.joinable()) {
        job();
        return;
    }
    {
        std::lock_guard<std::mutex> lock(stageMutex_);
        if (quit_) return;
        const auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        auto at = std::upper_bound(jobs_.begin(), jobs_.end(), due, [](const auto& t, const Job& j) { return t < j.due; });
        jobs_.insert(at, Job{due, std::move(job)});
    }
    stageChanged_.notify_all();
}

// ---- presets ----

FluidSynthEngine::Preset FluidSynthEngine::presetFor(int channel) const {
    return {isDrumChannel(channel) ? 128 : bank_[channel], program_[channel]};
}

void FluidSynthEngine::track(quint32 message, int channelBase) {
    const int channel = int(message & 0x0F) + channelBase;
    if (channel >= MidiChannels) return;
    const int d1 = int((message >> 8) & 0x7F), d2 = int((message >> 16) & 0x7F);
    if ((message & 0xF0) == 0xB0 && d1 == 0) bank_[channel] = d2;
    if ((message & 0xF0) == 0xC0) program_[channel] = d1;
}

std::set<FluidSynthEngine::Preset> FluidSynthEngine::needed(const std::vector<quint32>& messages, int channelBase,
                                                            std::vector<std::pair<Preset, quint32>>* notes) {
    std::lock_guard<std::mutex> lock(presetMutex_);
    int bank[MidiChannels], program[MidiChannels];
    std::copy(std::begin(bank_), std::end(bank_), bank);
    std::copy(std::begin(program_), std::end(program_), program);
    std::set<Preset> out;
    for (quint32 m : messages) {
        const int channel = int(m & 0x0F) + channelBase;
        if (channel >= MidiChannels) continue;
        const int status = int(m & 0xF0), d1 = int((m >> 8) & 0x7F), d2 = int((m >> 16) & 0x7F);
        if (status == 0xB0 && d1 == 0) bank[channel] = d2;
        if (status == 0xC0) program[channel] = d1;
        if (status == 0xC0 || (status == 0x90 && d2 > 0))
            out.insert({isDrumChannel(channel) ? 128 : bank[channel], program[channel]});
        if (notes && status == 0x90 && d2 > 0)
            notes->push_back({{isDrumChannel(channel) ? 128 : bank[channel], program[channel]}, m});
    }
    for (auto it = out.begin(); it != out.end();) it = loaded_.count(*it) ? out.erase(it) : std::next(it);
    return out;
}

void FluidSynthEngine::ensure(const std::set<Preset>& presets) {
    if (presets.empty() || !synth_ || !file_) return;
    std::lock_guard<std::mutex> lock(presetMutex_);
    std::set<Sf2File::Preset> wanted;
    for (const Preset& p : presets)
        if (!loaded_.count(p) && file_->hasPreset({p.bank, p.program})) wanted.insert({p.bank, p.program});
    for (const Preset& p : presets) loaded_.insert(p);  // absent ones are not looked for again
    if (wanted.empty()) return;
    const QString name = file_->subset(wanted);
    if (fluid_synth_sfload(synth_, name.toLocal8Bit().constData(), 0) == FLUID_FAILED) return;
    // Channels already set to one of these presets fell back to another: give them theirs.
    fluid_synth_program_reset(synth_);
}

void FluidSynthEngine::loadSamples(const std::vector<std::pair<Preset, quint32>>& notes, int channelBase) {
    if (lazySubset_.isEmpty() || notes.empty()) return;
    std::vector<Sf2File::Note> wanted;
    wanted.reserve(notes.size());
    for (const auto& [preset, m] : notes)
        wanted.push_back({{preset.bank, preset.program}, isDrumChannel(int(m & 0x0F) + channelBase),
                          int((m >> 8) & 0x7F), int((m >> 16) & 0x7F)});
    file_->loadSamples(lazySubset_, wanted);
}

void FluidSynthEngine::prepare(const std::vector<quint32>& messages, int channelBase) {
    if (!isReady()) return;
    std::vector<std::pair<Preset, quint32>> notes;
    ensure(needed(messages, channelBase, &notes));
    loadSamples(notes, channelBase);
}

std::set<FluidSynthEngine::Preset> FluidSynthEngine::loadedPresets() {
    std::lock_guard<std::mutex> lock(presetMutex_);
    std::set<Preset> out;
    for (const Preset& p : loaded_)
        if (file_ && file_->hasPreset({p.bank, p.program})) out.insert(p);
    return out;
}

// ---- sending ----

void FluidSynthEngine::send(quint32 message, int channelBase) {
    if (!isReady()) return;
    std::vector<std::pair<Preset, quint32>> notes;
    ensure(needed({message}, channelBase, &notes));
    loadSamples(notes, channelBase);
    {
        std::lock_guard<std::mutex> lock(presetMutex_);
        track(message, channelBase);
    }
    sendNow(message, channelBase);
    wakeOutput(false);
}

void FluidSynthEngine::sendNow(quint32 message, int channelBase) {
    const int status = int(message & 0xFF);
    const int d1 = int((message >> 8) & 0x7F);
    const int d2 = int((message >> 16) & 0x7F);
    const int channel = (status & 0x0F) + channelBase;
    if (channel >= MidiChannels) return;
    switch (status & 0xF0) {
    case 0x80: fluid_synth_noteoff(synth_, channel, d1); break;
    case 0x90:
        if (d2 == 0) fluid_synth_noteoff(synth_, channel, d1);
        else fluid_synth_noteon(synth_, channel, d1, d2);
        break;
    case 0xA0: fluid_synth_key_pressure(synth_, channel, d1, d2); break;
    case 0xB0: fluid_synth_cc(synth_, channel, d1, d2); break;
    case 0xC0: fluid_synth_program_change(synth_, channel, d1); break;
    case 0xD0: fluid_synth_channel_pressure(synth_, channel, d1); break;
    case 0xE0: fluid_synth_pitch_bend(synth_, channel, d1 | (d2 << 7)); break;
    default: break;  // system messages are not short channel messages
    }
}

void FluidSynthEngine::silence(int channelBase) {
    if (!hasSynth()) return;
    for (int c = channelBase; c < channelBase + 16 && c < MidiChannels; ++c) fluid_synth_all_sounds_off(synth_, c);
}

void FluidSynthEngine::resetSongChannels() {
    if (!hasSynth()) return;
    std::lock_guard<std::mutex> lock(presetMutex_);
    for (int c = SongChannelBase; c < MidiChannels; ++c) {
        fluid_synth_all_sounds_off(synth_, c);
        fluid_synth_cc(synth_, c, 121, 0);  // reset all controllers
        fluid_synth_cc(synth_, c, 7, 100);
        fluid_synth_cc(synth_, c, 10, 64);
        if (isDrumChannel(c)) fluid_synth_bank_select(synth_, c, 128);
        else fluid_synth_cc(synth_, c, 0, 0);
        fluid_synth_pitch_bend(synth_, c, 8192);
        bank_[c] = 0;
        program_[c] = 0;
        if (soundfontLoaded_) fluid_synth_program_change(synth_, c, 0);
    }
}

// ---- output ----

qint32 FluidSynthEngine::acquireOutput(const QStringList& drivers) {
    if (!hasSynth()) return MidiNoDriver;
    std::lock_guard<std::mutex> lock(outputMutex_);
    ++outputChanges_;
    if (!hasAudio() && !options_.offline) {
        for (const QString& name : drivers)
            if (openAudio(name)) break;
        if (!hasAudio()) return MidiNoDriver;
    }
    ++outputUsers_;
    return MidiOk;
}

void FluidSynthEngine::releaseOutput() {
    quint64 change = 0;
    {
        std::lock_guard<std::mutex> lock(outputMutex_);
        if (outputUsers_ > 0) --outputUsers_;
        if (outputUsers_ > 0 || !hasAudio()) return;
        change = ++outputChanges_;
    }
    postAfter(OutputGraceMs, [this, change] {
        AudioDriverPtr closing;
        std::unique_ptr<PulseOutput> closingPulse;
        {
            std::lock_guard<std::mutex> lock(outputMutex_);
            if (outputUsers_ == 0 && outputChanges_ == change) {
                closing = std::move(audio_);
                closingPulse = std::move(pulse_);
            }
        }
        // Deleted outside the lock: stopping the audio thread may take a moment.
    });
}

bool FluidSynthEngine::hasOutput() const {
    std::lock_guard<std::mutex> lock(outputMutex_);
    return hasAudio() || (options_.offline && outputUsers_ > 0);
}

PulseOutput* FluidSynthEngine::pulseOutput() {
    std::lock_guard<std::mutex> lock(outputMutex_);
    return pulse_.get();
}

bool FluidSynthEngine::openAudio(const QString& driver) {
    if (driver == QLatin1String("pulseaudio")) {
        pulse_ = PulseOutput::open(synth_, sampleRate_, [this] { return timedPending(); }, options_.pulse);
        return pulse_ != nullptr;
    }
    if (fluid_settings_setstr(settings_, "audio.driver", driver.toLatin1().constData()) == FLUID_FAILED)
        return false;  // not built into this FluidSynth
    audio_.reset(new_fluid_audio_driver(settings_, synth_));
    return audio_ != nullptr;
}

void FluidSynthEngine::wakeOutput(bool scheduled) {
    std::lock_guard<std::mutex> lock(outputMutex_);
    if (pulse_) pulse_->wake(scheduled);
}

bool FluidSynthEngine::timedPending() {
    return sequencer_ && int(scheduledUntil_.load() - fluid_sequencer_get_tick(sequencer_)) > 0;
}

// ---- scheduling ----

int FluidSynthEngine::newSource() {
    if (!hasSynth() || !sequencer_) return -1;
    return fluid_sequencer_register_client(sequencer_, "tonvale", nullptr, nullptr);
}

void FluidSynthEngine::schedule(int source, const std::vector<TimedMessage>& messages, int channelBase) {
    if (messages.empty() || source < 0 || !isReady() || !sequencer_) return;
    std::vector<quint32> plain;
    plain.reserve(messages.size());
    for (const TimedMessage& m : messages) plain.push_back(m.message);
    std::vector<std::pair<Preset, quint32>> notes;
    ensure(needed(plain, channelBase, &notes));
    loadSamples(notes, channelBase);
    scheduleLoaded(source, messages, plain, channelBase);
    // Woken once they wait: the output takes the buffer for timed messages.
    wakeOutput(true);
}

void FluidSynthEngine::scheduleLoaded(int source, const std::vector<TimedMessage>& messages,
                                      const std::vector<quint32>& plain, int channelBase) {
    std::lock_guard<std::mutex> lock(scheduleMutex_);
    const unsigned int tickNow = fluid_sequencer_get_tick(sequencer_);
    const qint64 nowMs = Clock::instance().nowMs();
    auto& mine = scheduled_[source];
    unsigned int latest = tickNow;
    fluid_event_t* ev = new_fluid_event();
    for (const TimedMessage& m : messages) {
        const quint32 msg = m.message;
        const int status = int(msg & 0xF0), d1 = int((msg >> 8) & 0x7F), d2 = int((msg >> 16) & 0x7F);
        const int channel = int(msg & 0x0F) + channelBase;
        if (channel >= MidiChannels) continue;
        fluid_event_set_source(ev, fluid_seq_id_t(source));
        fluid_event_set_dest(ev, synthDest_);
        switch (status) {
        case 0x80: fluid_event_noteoff(ev, channel, short(d1)); break;
        case 0x90:
            if (d2 == 0) fluid_event_noteoff(ev, channel, short(d1));
            else fluid_event_noteon(ev, channel, short(d1), short(d2));
            break;
        case 0xA0: fluid_event_key_pressure(ev, channel, short(d1), short(d2)); break;
        case 0xB0: fluid_event_control_change(ev, channel, short(d1), short(d2)); break;
        case 0xC0: fluid_event_program_change(ev, channel, short(d1)); break;
        case 0xD0: fluid_event_channel_pressure(ev, channel, short(d1)); break;
        case 0xE0: fluid_event_pitch_bend(ev, channel, d1 | (d2 << 7)); break;
        default: continue;
        }
        const unsigned int tick = tickNow + unsigned(std::max<qint64>(0, m.timeMs - nowMs));
        fluid_sequencer_send_at(sequencer_, ev, tick, 1);
        mine.push_back({tick, m});
        latest = std::max(latest, tick);
    }
    delete_fluid_event(ev);
    if (int(latest - scheduledUntil_.load()) > 0) scheduledUntil_ = latest;
    std::lock_guard<std::mutex> presets(presetMutex_);
    for (quint32 m : plain) track(m, channelBase);
}

std::vector<TimedMessage> FluidSynthEngine::unschedule(int source) {
    std::vector<TimedMessage> dropped;
    if (source < 0 || !sequencer_) return dropped;
    std::lock_guard<std::mutex> lock(scheduleMutex_);
    fluid_sequencer_remove_events(sequencer_, fluid_seq_id_t(source), -1, -1);
    // Read after the removal: whatever came due before it may have sounded, so counts as sent.
    const unsigned int tick = fluid_sequencer_get_tick(sequencer_);
    for (const auto& [t, m] : scheduled_[source])
        if (t > tick) dropped.push_back(m);
    scheduled_.erase(source);
    unsigned int latest = tick;
    for (const auto& [other, list] : scheduled_)
        for (const auto& e : list) latest = std::max(latest, e.first);
    scheduledUntil_ = latest;
    return dropped;
}

bool FluidSynthEngine::hasScheduled(int source) {
    if (source < 0 || !sequencer_) return false;
    std::lock_guard<std::mutex> lock(scheduleMutex_);
    auto it = scheduled_.find(source);
    if (it == scheduled_.end()) return false;
    const unsigned int tick = fluid_sequencer_get_tick(sequencer_);
    auto& list = it->second;
    list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& e) { return e.first <= tick; }), list.end());
    return !list.empty();
}

qint64 FluidSynthEngine::synthMs() {
    if (!hasSynth() || !sequencer_) return 0;
    return fluid_sequencer_get_tick(sequencer_);
}

// ---- offline ----

void FluidSynthEngine::renderOffline(qint64 ms) {
    const qint64 frames = ms * sampleRate_ / 1000;
    for (qint64 done = 0; done < frames;) {
        const int n = renderBlock();
        if (n <= 0) return;
        done += n;
    }
}

int FluidSynthEngine::renderBlock() {
    if (!hasSynth()) return 0;
    if (!options_.wavFile.isEmpty()) {
        if (!renderer_) {
            QDir().mkpath(QFileInfo(options_.wavFile).absolutePath());
            renderer_ = new_fluid_file_renderer(synth_);
            if (!renderer_) return 0;
        }
        return fluid_file_renderer_process_block(renderer_) == FLUID_OK ? options_.periodSize : 0;
    }
    constexpr int Block = 512;
    float left[Block], right[Block];
    fluid_synth_write_float(synth_, Block, left, 0, 1, right, 0, 1);
    return Block;
}

void FluidSynthEngine::finishWav() {
    if (renderer_) delete_fluid_file_renderer(renderer_);
    renderer_ = nullptr;
}

bool renderToWav(const std::vector<TimedMessage>& messages, const QString& wavFile, int tailMs,
                 const QString& soundfont) {
    FluidSynthEngine::Options options;
    options.soundfont = soundfont;
    options.wavFile = wavFile;
    options.periodSize = 64;  // one block = 1.45 ms: the grid on which messages land
    FluidSynthEngine engine(options);
    if (!engine.isReady()) return false;
    QDir().mkpath(QFileInfo(wavFile).absolutePath());
    fluid_file_renderer_t* renderer = new_fluid_file_renderer(engine.synth());
    if (!renderer) return false;

    const qint64 origin = messages.empty() ? 0 : messages.front().timeMs;
    const qint64 rate = engine.sampleRate();
    const qint64 block = options.periodSize;
    qint64 rendered = 0;  // frames written so far
    bool ok = true;
    auto renderUntil = [&](qint64 ms) {
        const qint64 frames = ms * rate / 1000;
        while (ok && rendered + block <= frames) {
            ok = fluid_file_renderer_process_block(renderer) == FLUID_OK;
            rendered += block;
        }
    };
    qint64 last = 0;
    for (const TimedMessage& m : messages) {
        last = qMax(last, m.timeMs - origin);
        renderUntil(last);
        engine.send(m.message);
    }
    renderUntil(last + qMax(0, tailMs));
    delete_fluid_file_renderer(renderer);
    return ok;
}

} // namespace platform
