// What a student hears through the desktop's sound server, measured on the sink's monitor:
// the real program's sound (its synthesizer engine and audio output, the main window's MIDI
// port, the lessons' question playback and the drum pad) plays into the PulseAudio server
// named by PULSE_SERVER, and what its sink plays is recorded from the monitor source.
//
//   gaps     a lesson 2 question (the key-setting arpeggio, then the melody: about 10 s) on
//            an idle machine and with every core loaded (one busy thread per hardware thread,
//            in this process): runs of silence (1 ms or more of zero samples) inside what
//            should be continuous sound, from its first sample to its last loud one
//            (target 0);
//   taps     from a press of the drum pad to its sound on the monitor, for a tap after a
//            silence (the output paused) and for taps while it sounds: p50 and max in ms
//            (target under 20). The monitor hands on sound a little after the sink plays
//            it, so these are upper bounds.
//
// Only what any build of the program offers is used, so the same bench measures an older one.
// bench/sound/soundload.sh starts the private sound server and also measures the idle share.
//   bench_sound_load [monitor-source]     (default "silent.monitor")
#include "student/shell/mainwindow.h"

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/midi/pulseoutput.h"
#include "platform/paths.h"
#include "platform/songs/programsound.h"
#include "student/lessons/playback.h"
#include "student/palettes/paletteregistry.h"
#include "student/played/drumwindow.h"
#include "student/played/playedinputs.h"
#include "student/profile/playersession.h"
#include "student/shell/classlink/classlinkclient.h"

#include <QApplication>
#include <QTemporaryDir>
#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr int Rate = 44100;
constexpr int BlockFrames = 88;   // 2 ms blocks from the monitor

// The monitor recorded from now on: every stereo frame, and when each block arrived.
class Monitor {
public:
    explicit Monitor(const char* source) {
        const pa_sample_spec spec{PA_SAMPLE_S16LE, Rate, 2};
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.fragsize = BlockFrames * 4;
        attr.tlength = attr.prebuf = attr.minreq = uint32_t(-1);
        int error = 0;
        pa_ = pa_simple_new(nullptr, "bench-monitor", PA_STREAM_RECORD, source, "monitor", &spec, nullptr, &attr,
                            &error);
        if (pa_) thread_ = std::thread([this] { run(); });
    }
    ~Monitor() {
        quit_ = true;
        if (thread_.joinable()) thread_.join();
        if (pa_) pa_simple_free(pa_);
    }
    bool ok() const { return pa_ != nullptr; }
    // Frames so far (a mark to measure from).
    size_t frames() {
        std::lock_guard<std::mutex> lock(mutex_);
        return samples_.size() / 2;
    }
    std::vector<qint16> samples(size_t from, size_t to) {
        std::lock_guard<std::mutex> lock(mutex_);
        to = std::min(to, samples_.size() / 2);
        return std::vector<qint16>(samples_.begin() + long(2 * from), samples_.begin() + long(2 * to));
    }
    // The moment the first frame at or after `from` louder than `level` was played (its block's
    // arrival less the frames after it); nothing when none came.
    bool loudAfter(size_t from, int level, SteadyClock::time_point* at) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (size_t f = from; f < samples_.size() / 2; ++f) {
            if (std::abs(samples_[2 * f]) < level && std::abs(samples_[2 * f + 1]) < level) continue;
            const auto block = std::upper_bound(arrivals_.begin(), arrivals_.end(), f,
                                                [](size_t frame, const auto& a) { return frame < a.first; });
            if (block == arrivals_.end()) return false;
            *at = block->second - std::chrono::microseconds(qint64(block->first - f) * 1000000 / Rate);
            return true;
        }
        return false;
    }

private:
    void run() {
        std::vector<qint16> block(BlockFrames * 2);
        while (!quit_) {
            int error = 0;
            if (pa_simple_read(pa_, block.data(), block.size() * 2, &error) < 0) return;
            const auto now = SteadyClock::now();
            std::lock_guard<std::mutex> lock(mutex_);
            samples_.insert(samples_.end(), block.begin(), block.end());
            arrivals_.push_back({samples_.size() / 2, now});   // frames received by then
        }
    }
    pa_simple* pa_ = nullptr;
    std::thread thread_;
    std::atomic<bool> quit_{false};
    std::mutex mutex_;
    std::vector<qint16> samples_;
    std::vector<std::pair<size_t, SteadyClock::time_point>> arrivals_;
};

struct Gaps {
    int count = 0;
    double longestMs = 0, soundMs = 0;
};

// Runs of 1 ms or more of zero frames from the first sound to the last loud frame, that cut
// sound off: the 2 ms before a run are not silent (a note that dies away to zero is no gap).
Gaps countGaps(const std::vector<qint16>& s) {
    Gaps g;
    const size_t n = s.size() / 2;
    auto silent = [&](size_t f) { return s[2 * f] == 0 && s[2 * f + 1] == 0; };
    size_t first = 0, last = 0;
    while (first < n && silent(first)) ++first;
    for (size_t f = 0; f < n; ++f)
        if (std::abs(s[2 * f]) >= 256 || std::abs(s[2 * f + 1]) >= 256) last = f;
    if (first >= last) return g;
    g.soundMs = 1000.0 * double(last - first) / Rate;
    size_t run = 0;
    for (size_t f = first; f <= last; ++f) {
        if (silent(f)) {
            ++run;
            continue;
        }
        const size_t start = f - run;
        int before = 0;
        for (size_t b = start > 2 * Rate / 1000 ? start - 2 * Rate / 1000 : 0; b < start; ++b)
            before = std::max({before, std::abs(int(s[2 * b])), std::abs(int(s[2 * b + 1]))});
        if (run >= Rate / 1000 && before >= 64) {
            ++g.count;
            g.longestMs = std::max(g.longestMs, 1000.0 * double(run) / Rate);
        }
        run = 0;
    }
    return g;
}

// One busy thread per hardware thread while it lives.
class Load {
public:
    Load() {
        const unsigned n = std::max(1u, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < n; ++i)
            threads_.emplace_back([this] {
                volatile unsigned long x = 0;
                while (!quit_) x = x + 1;
            });
    }
    ~Load() {
        quit_ = true;
        for (auto& t : threads_) t.join();
    }
    size_t size() const { return threads_.size(); }

private:
    std::atomic<bool> quit_{false};
    std::vector<std::thread> threads_;
};

void waitMs(int ms) {
    const auto end = SteadyClock::now() + std::chrono::milliseconds(ms);
    while (SteadyClock::now() < end) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

Gaps playQuestion(shell::FrmTonvale& frm, Monitor& monitor) {
    frm.state.CurrentLevel = 7;
    frm.SelectFrame(2);   // a new set: its first hearing has the key-setting arpeggio
    QApplication::processEvents();
    const size_t from = monitor.frames();
    lessons::cmdSpeaker_Click(frm.context(), 1);
    waitMs(600);   // the last note's release reaches the monitor
    return countGaps(monitor.samples(from, monitor.frames()));
}

struct Taps {
    std::vector<double> ms;
    int unheard = 0;
    int notPaused = 0;   // of the taps meant to come after a silence
};

// Presses of the drum pad `gapMs` apart, or each once the output has paused (`paused`: its
// first sound after a silence); each one's sound found on the monitor.
Taps tap(played::FrmDrum& drum, Monitor& monitor, int count, int gapMs, platform::PulseOutput* paused = nullptr) {
    Taps t;
    for (int i = 0; i < count; ++i) {
        waitMs(gapMs);
        for (int waited = 0; paused && paused->running() && waited < 10000; waited += 50) waitMs(50);
        if (paused && paused->running()) ++t.notPaused;
        const size_t from = monitor.frames();
        const auto pressed = SteadyClock::now();
        drum.optDrum_MouseDown();
        waitMs(100);
        drum.optDrum_MouseUp();
        waitMs(150);
        SteadyClock::time_point heard;
        if (monitor.loudAfter(from, 2000, &heard))
            t.ms.push_back(std::chrono::duration<double, std::milli>(heard - pressed).count());
        else
            ++t.unheard;
    }
    std::sort(t.ms.begin(), t.ms.end());
    return t;
}

void printTaps(const char* what, const Taps& t) {
    if (t.ms.empty()) {
        std::printf("taps %s: none heard\n", what);
        return;
    }
    std::printf("taps %s: press to sound p50 %.1f ms, max %.1f ms over %zu taps%s%s\n", what, t.ms[t.ms.size() / 2],
                t.ms.back(), t.ms.size(), t.unheard ? " (some unheard)" : "",
                t.notPaused ? " (some with the output still playing)" : "");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const char* source = argc > 1 ? argv[1] : "silent.monitor";
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        std::printf("PULSE_SERVER is not set: run bench/sound/soundload.sh\n");
        return 2;
    }
    QTemporaryDir data;
    platform::Paths::setDataFolder(data.path());
    platform::ScriptedDialogs dialogs;
    platform::Dialogs::setInstance(&dialogs);
    classlink::writeClientConfig(data.filePath("Client.cfg"), "127.0.0.1", "1");
    platform::ProgramSound sound;
    Monitor monitor(source);
    if (!monitor.ok()) {
        std::printf("the monitor %s cannot be recorded\n", source);
        return 2;
    }
    {
        auto frm = std::make_unique<shell::FrmTonvale>();
        frm->Form_Load();
        frm->show();
        frm->menus()->item("mnuPracticeMode")->setChecked(true);
        tonvale::PlayerSession::instance().PlayerName = "Ann";

        const Gaps idle = playQuestion(*frm, monitor);
        std::printf("gaps, idle machine: %d in a %.1f s question (longest %.1f ms)\n", idle.count,
                    idle.soundMs / 1000, idle.longestMs);
        Gaps loaded;
        size_t threads = 0;
        {
            Load load;
            threads = load.size();
            loaded = playQuestion(*frm, monitor);
        }
        std::printf("gaps, %zu busy threads: %d in a %.1f s question (longest %.1f ms)\n", threads, loaded.count,
                    loaded.soundMs / 1000, loaded.longestMs);

        frm->SelectFrame(0);
        frm->paletteWindows().toggle("mnuDrum");
        played::FrmDrum* drum = frm->playedInputs().drumWindow();
        if (!drum) {
            std::printf("no drum window\n");
            return 1;
        }
        // Only the pad sounds: its onset is what is looked for. (The drum window starts its
        // clicks once it is shown.)
        waitMs(500);
        drum->metronome().disable();
        if (drum->metronome().enabled()) {
            std::printf("the drum's clicks do not stop\n");
            return 1;
        }
        printTaps("after a silence (the output paused)",
                  tap(*drum, monitor, 20, 200, sound.engine().pulseOutput()));
        printTaps("while sounding (every 500 ms)", tap(*drum, monitor, 16, 250));
        frm.reset();
    }
    platform::Dialogs::setInstance(nullptr);
    std::fflush(stdout);
    return 0;
}
