// From a piano key press to sound: what the student waits for between clicking a key and
// hearing it through the "MIDI Mapper".
//
//   press    the mouse press on a piano key of the main window (offscreen, melody lesson, a
//            note waiting to be written) until FluidSynth has taken the key's note-on: p50,
//            p99 and max over presses, in microseconds (target p99 under 1 ms);
//   render   the synth's render time of one audio period (a piano chord ringing, a click and
//            a drum hit every beat, new notes every half beat), p50 / p99 / max on two cores,
//            for 256- and 128-frame periods, against the period itself;
//   driver   the desktop output opened with the mapper's buffer: period size x periods / rate
//            as the running driver reports it (the configured buffer when no device opens),
//            and the driver's xruns over a few seconds (a callback later than 1.5 periods);
//   offline  a note-on rendered in 128-frame blocks sounds in the first block after it.
//
// The audio latency is the driver's buffer plus the press p99 (target under 6 ms).
//
//   audio_bench [presses]
#include "student/shell/mainwindow.h"

#include "common/random.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/metronometimer.h"
#include "platform/midi/fluidengine.h"
#include "platform/paths.h"
#include "platform/songs/songplayer.h"
#include "student/palettes/paletteregistry.h"
#include "student/shell/classlink/classlinkclient.h"
#include "student/profile/playersession.h"
#include "student/played/playedinputs.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <sched.h>
#include <thread>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

struct Stats {
    double p50 = 0, p99 = 0, max = 0;
};
Stats stats(std::vector<double> v) {
    Stats s;
    if (v.empty()) return s;
    std::sort(v.begin(), v.end());
    auto at = [&](double p) { return v[std::min(v.size() - 1, size_t(p * double(v.size())))]; };
    s.p50 = at(0.5);
    s.p99 = at(0.99);
    s.max = v.back();
    return s;
}

// The mapper's synth without an audio output: every message goes into FluidSynth, and the
// moment a note-on has been handed over is stamped.
class SynthDevices : public platform::MidiDevices {
public:
    explicit SynthDevices(platform::FluidSynthEngine& engine) : engine_(engine) {}
    class Out : public platform::MidiOut {
    public:
        explicit Out(SynthDevices& d) : d_(d) {}
        ~Out() override { stopScheduling(); }
        qint32 shortMessage(quint32 m) override {
            d_.engine_.send(m);
            if ((m & 0xF0) == 0x90 && ((m >> 16) & 0x7F) != 0) d_.lastNoteOn = SteadyClock::now();
            return platform::MidiOk;
        }
        qint32 close() override { return platform::MidiOk; }
        bool isOpen() const override { return true; }

    private:
        SynthDevices& d_;
    };
    QStringList outputDevices() override { return {}; }
    std::unique_ptr<platform::MidiOut> open(int, qint32* result) override {
        *result = platform::MidiOk;
        return std::make_unique<Out>(*this);
    }
    SteadyClock::time_point lastNoteOn;

private:
    platform::FluidSynthEngine& engine_;
};

// Two of the CPUs this process may use, as on the classroom's two-core machines.
void useTwoCores() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return;
    cpu_set_t two;
    CPU_ZERO(&two);
    int n = 0;
    for (int c = 0; c < CPU_SETSIZE && n < 2; ++c)
        if (CPU_ISSET(c, &allowed)) CPU_SET(c, &two), ++n;
    sched_setaffinity(0, sizeof two, &two);
}

// ---- press to note-on --------------------------------------------------------------------

Stats measurePresses(platform::FluidSynthEngine& engine, int presses) {
    QTemporaryDir data;
    platform::Paths::setDataFolder(data.path());
    platform::ScriptedDialogs dialogs;
    platform::Dialogs::setInstance(&dialogs);
    SynthDevices devices(engine);
    platform::MidiDevices::setInstance(&devices);
    platform::RecorderSongPlayer songs;
    platform::SongPlayer::setInstance(&songs);
    classlink::writeClientConfig(data.filePath("Client.cfg"), "127.0.0.1", "1");
    platform::VirtualClock clock(10000);
    platform::ClockOverride clockGuard(&clock);
    platform::VirtualTicks ticks(clock);
    common::SeededRandom random(7);
    common::Random::setInstance(&random);

    std::vector<double> us;
    {
        auto frm = std::make_unique<shell::FrmTonvale>();
        frm->Form_Load();
        frm->show();
        frm->menus()->item("mnuPracticeMode")->setChecked(true);
        tonvale::PlayerSession::instance().PlayerName = "Ann";
        frm->state.CurrentLevel = 7;
        auto enter = [&] {
            frm->SelectFrame(2);
            QApplication::processEvents();
        };
        enter();
        frm->paletteWindows().toggle("mnuPiano");
        played::FrmKeyboard* kb = frm->playedInputs().keyboardWindow();
        kb->Form_Activate();
        ticks.advance(1500);   // the beat is measured
        for (int i = 0; i < presses; ++i) {
            // A staff full of quarters is cleared by a new set, so every press has a note to write.
            if (i % 8 == 7) enter();
            played::PianoKey* key = kb->key(12 + (i * 5) % 12);
            const QPointF at(5, 40);
            QMouseEvent press(QEvent::MouseButtonPress, at, key->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            QMouseEvent release(QEvent::MouseButtonRelease, at, key->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                                Qt::NoModifier);
            const auto t0 = SteadyClock::now();
            QApplication::sendEvent(key, &press);
            us.push_back(std::chrono::duration<double, std::micro>(devices.lastNoteOn - t0).count());
            ticks.advance(900);
            QApplication::sendEvent(key, &release);
            ticks.advance(100);
        }
        frm.reset();
    }
    common::Random::setInstance(nullptr);
    platform::SongPlayer::setInstance(nullptr);
    platform::MidiDevices::setInstance(nullptr);
    platform::Dialogs::setInstance(nullptr);
    return stats(us);
}

// ---- the synth's render time per period ----------------------------------------------------

Stats measureRender(platform::FluidSynthEngine& engine, int frames, double seconds) {
    using platform::packShortMessage;
    fluid_synth_t* synth = engine.synth();
    std::vector<quint32> messages = {packShortMessage(0xC0, 0, 0), packShortMessage(0x99, 75, 127),
                                     packShortMessage(0x99, 40, 127)};
    engine.prepare(messages);
    engine.silence();
    engine.send(messages[0]);
    std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
    const int rate = engine.sampleRate();
    const int blocks = int(seconds * rate / frames);
    const int halfBeat = std::max(1, rate / 2 / frames);   // a beat of 1000 ms
    std::vector<double> us;
    int key = 48;
    for (int b = 0; b < blocks; ++b) {
        if (b % halfBeat == 0) {
            // A chord of the melody's keys, the click and a drum hit on the beat.
            for (int k : {0, 4, 7, 12}) engine.send(packShortMessage(0x90, key + k, 90));
            if ((b / halfBeat) % 2 == 0) {
                engine.send(messages[1]);
                engine.send(messages[2]);
            }
            key = 48 + (key - 48 + 5) % 24;
        }
        const auto t0 = SteadyClock::now();
        fluid_synth_write_float(synth, frames, left.data(), 0, 1, right.data(), 0, 1);
        us.push_back(std::chrono::duration<double, std::micro>(SteadyClock::now() - t0).count());
    }
    engine.silence();
    return stats(us);
}

// ---- the running driver ----------------------------------------------------------------------

struct DriverFigures {
    bool opened = false;
    QString driver;
    int periodSize = 0, periods = 0;
    int rate = 44100;
    int callbacks = 0, xruns = 0;
};

struct CallbackState {
    fluid_synth_t* synth = nullptr;
    int frames = 128;
    int rate = 44100;
    std::atomic<int> calls{0}, xruns{0};
    SteadyClock::time_point last{};
};

int audioCallback(void* data, int len, int nfx, float* fx[], int nout, float* out[]) {
    auto* s = static_cast<CallbackState*>(data);
    const auto now = SteadyClock::now();
    if (s->calls > 0) {
        const double ms = std::chrono::duration<double, std::milli>(now - s->last).count();
        if (ms > 1.5 * 1000.0 * len / s->rate) ++s->xruns;
    }
    s->last = now;
    ++s->calls;
    (void)nfx, (void)fx;
    if (nout >= 2) return fluid_synth_write_float(s->synth, len, out[0], 0, 1, out[1], 0, 1);
    return 0;
}

DriverFigures runDriver(platform::FluidSynthEngine& engine, int periodSize, int periods, double seconds) {
    DriverFigures f;
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setint(settings, "audio.period-size", periodSize);
    fluid_settings_setint(settings, "audio.periods", periods);
    fluid_settings_setnum(settings, "synth.sample-rate", engine.sampleRate());
    CallbackState state;
    state.synth = engine.synth();
    state.rate = engine.sampleRate();
    for (const QString& name : platform::defaultAudioDrivers()) {
        if (fluid_settings_setstr(settings, "audio.driver", name.toLatin1().constData()) == FLUID_FAILED) continue;
        fluid_audio_driver_t* d = new_fluid_audio_driver2(settings, audioCallback, &state);
        if (!d) continue;
        f.opened = true;
        f.driver = name;
        const auto end = SteadyClock::now() + std::chrono::milliseconds(int(seconds * 1000));
        int key = 60;
        while (SteadyClock::now() < end) {
            fluid_synth_noteon(state.synth, 0, key, 90);
            key = 48 + (key - 48 + 7) % 24;
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
        delete_fluid_audio_driver(d);
        break;
    }
    f.periodSize = periodSize;
    f.periods = periods;
    f.rate = engine.sampleRate();
    f.callbacks = state.calls;
    f.xruns = state.xruns;
    delete_fluid_settings(settings);
    return f;
}

// ---- offline: a note-on audible within a block --------------------------------------------

bool noteOnAudibleWithinABlock(platform::FluidSynthEngine& engine, int frames, float* peak) {
    fluid_synth_t* synth = engine.synth();
    const quint32 on = platform::packShortMessage(0x90, 60, 100);
    engine.prepare({on});
    engine.silence();
    std::vector<float> l(static_cast<size_t>(frames)), r(static_cast<size_t>(frames));
    for (int b = 0; b < 40; ++b) fluid_synth_write_float(synth, frames, l.data(), 0, 1, r.data(), 0, 1);
    engine.send(on);
    fluid_synth_write_float(synth, frames, l.data(), 0, 1, r.data(), 0, 1);
    *peak = 0;
    for (int i = 0; i < frames; ++i) *peak = std::max({*peak, std::fabs(l[size_t(i)]), std::fabs(r[size_t(i)])});
    engine.silence();
    return *peak > 1e-3f;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName("tonvale-bench");
    const int presses = argc > 1 ? std::max(10, std::atoi(argv[1])) : 400;
    platform::routeFluidSynthLog();

    platform::FluidSynthEngine::Options options;
    const int configuredPeriod = options.periodSize, configuredPeriods = options.periods;
    platform::FluidSynthEngine engine(options);
    if (!engine.isReady()) {
        std::printf("no General MIDI soundfont: nothing measured\n");
        return 0;
    }
    useTwoCores();

    const Stats press = measurePresses(engine, presses);
    std::printf("press: mouse press on a piano key to note-on in FluidSynth, a note to write: "
                "p50 %.1f us, p99 %.1f us, max %.1f us over %d presses\n",
                press.p50, press.p99, press.max, presses);

    for (int frames : {256, 128}) {
        const Stats r = measureRender(engine, frames, 20.0);
        const double periodUs = 1e6 * frames / engine.sampleRate();
        std::printf("render: %d-frame period (%.0f us) rendered in p50 %.1f us, p99 %.1f us, max %.1f us "
                    "on two cores\n",
                    frames, periodUs, r.p50, r.p99, r.max);
    }

    const DriverFigures d = runDriver(engine, configuredPeriod, configuredPeriods, 3.0);
    const double bufferMs = 1000.0 * d.periodSize * d.periods / d.rate;
    if (d.opened)
        std::printf("driver: %s running with %d x %d frames at %d Hz = %.2f ms; %d callbacks, %d xruns\n",
                    d.driver.toLatin1().constData(), d.periodSize, d.periods, d.rate, bufferMs, d.callbacks,
                    d.xruns);
    else
        std::printf("driver: no audio device opened; configured %d x %d frames at %d Hz = %.2f ms\n", d.periodSize,
                    d.periods, d.rate, bufferMs);
    std::printf("audio latency: buffer %.2f ms + press p99 %.3f ms = %.2f ms\n", bufferMs, press.p99 / 1000.0,
                bufferMs + press.p99 / 1000.0);

    float peak = 0;
    const bool audible = noteOnAudibleWithinABlock(engine, configuredPeriod, &peak);
    std::printf("offline: a note-on %s in the first %d-frame block after it (peak %.4f)\n",
                audible ? "sounds" : "is silent", configuredPeriod, double(peak));
    std::fflush(stdout);
    return 0;
}
