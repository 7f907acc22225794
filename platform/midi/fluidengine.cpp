#include "fluidengine.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <mutex>

namespace platform {
namespace {
Q_LOGGING_CATEGORY(lcFluid, "tonvale.fluidsynth", QtWarningMsg)

void logToQt(int level, const char* message, void*) {
    if (level <= FLUID_ERR) qCInfo(lcFluid, "%s", message);
    else qCDebug(lcFluid, "%s", message);
}
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

FluidSynthEngine::FluidSynthEngine() : FluidSynthEngine(Options()) {}

FluidSynthEngine::FluidSynthEngine(const Options& options) {
    routeFluidSynthLog();
    soundfont_ = options.soundfont.isEmpty() ? generalMidiSoundfont() : options.soundfont;
    if (soundfont_.isEmpty() || !QFileInfo(soundfont_).isFile()) return;

    settings_ = new_fluid_settings();
    if (!settings_) return;
    fluid_settings_setnum(settings_, "synth.sample-rate", sampleRate_);
    // A soundfont of 150 MB would take the better part of a second to load whole; loading
    // only the samples of the presets in use keeps opening the device quick.
    fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
    fluid_settings_setnum(settings_, "synth.gain", 0.7);
    fluid_settings_setint(settings_, "audio.period-size", options.periodSize);
    fluid_settings_setint(settings_, "audio.periods", options.periods);
    if (!options.wavFile.isEmpty()) {
        fluid_settings_setstr(settings_, "audio.file.name", QDir::toNativeSeparators(options.wavFile).toLocal8Bit().constData());
        fluid_settings_setstr(settings_, "audio.file.type", "wav");
        fluid_settings_setstr(settings_, "audio.file.format", "s16");
        fluid_settings_setstr(settings_, "audio.file.endian", "little");
    }
    synth_ = new_fluid_synth(settings_);
    if (!synth_) return;
    if (fluid_synth_sfload(synth_, soundfont_.toLocal8Bit().constData(), 1) == FLUID_FAILED) {
        delete_fluid_synth(synth_);
        synth_ = nullptr;
    }
}

FluidSynthEngine::~FluidSynthEngine() {
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
}

void FluidSynthEngine::send(quint32 message) {
    if (!synth_) return;
    const int status = int(message & 0xFF);
    const int d1 = int((message >> 8) & 0x7F);
    const int d2 = int((message >> 16) & 0x7F);
    const int channel = status & 0x0F;
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

void FluidSynthEngine::silence() {
    if (synth_) fluid_synth_all_sounds_off(synth_, -1);
}

QStringList defaultAudioDrivers() { return {QStringLiteral("pulseaudio"), QStringLiteral("alsa")}; }

void AudioDriverDeleter::operator()(fluid_audio_driver_t* d) const {
    if (d) delete_fluid_audio_driver(d);
}

AudioDriverPtr openAudioOutput(FluidSynthEngine& engine, const QStringList& drivers) {
    if (!engine.isReady()) return nullptr;
    for (const QString& name : drivers) {
        if (fluid_settings_setstr(engine.settings(), "audio.driver", name.toLatin1().constData()) == FLUID_FAILED)
            continue;  // not built into this FluidSynth
        if (fluid_audio_driver_t* d = new_fluid_audio_driver(engine.settings(), engine.synth()))
            return AudioDriverPtr(d);
    }
    return nullptr;
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
