// The metronome's click against its grid while the GUI thread is busy: 400 ticks of 125 ms
// (slider 120), the GUI thread busy for 20 ms every 37 ms, each click's arrival at the MIDI
// device (a device that stamps the steady clock in microseconds) measured against the tick's
// grid time anchor + k x 125 ms. Twice: with the window's metronome (the timing thread, which
// sends the click itself) and, for comparison, with a precise QTimer on the GUI thread that
// clicks from its handler. Prints p50, p99 and the largest lateness of each; the target for the
// metronome is a p99 under 1 ms.
//
//   metronome_bench [ticks]
#include "platform/clock.h"
#include "platform/midi/midiout.h"
#include "student/sound/metronomepanel.h"
#include "student/sound/midiport.h"

#include <QApplication>
#include <QSlider>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// A device that notes when each click's note-on (channel 9, key 75) arrives.
class StampingDevices : public platform::MidiDevices {
public:
    class Out : public platform::MidiOut {
    public:
        explicit Out(StampingDevices& d) : d_(d) {}
        ~Out() override { stopScheduling(); }
        qint32 shortMessage(quint32 m) override {
            if (m == platform::packShortMessage(0x99, 75, 127)) {
                std::lock_guard<std::mutex> lock(d_.mutex);
                d_.arrivals.push_back(Clock::now());
            }
            return platform::MidiOk;
        }
        qint32 close() override { return platform::MidiOk; }
        bool isOpen() const override { return true; }

    private:
        StampingDevices& d_;
    };
    QStringList outputDevices() override { return {}; }
    std::unique_ptr<platform::MidiOut> open(int, qint32* result) override {
        *result = platform::MidiOk;
        return std::make_unique<Out>(*this);
    }
    std::mutex mutex;
    std::vector<Clock::time_point> arrivals;
};

// The GUI thread's load: 20 ms of work every 37 ms.
class BusyGui {
public:
    BusyGui() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(37);
        QObject::connect(&timer_, &QTimer::timeout, [] {
            const auto end = Clock::now() + std::chrono::milliseconds(20);
            while (Clock::now() < end) {
            }
        });
        timer_.start();
    }

private:
    QTimer timer_;
};

struct Figures {
    double p50 = 0, p99 = 0, max = 0;
    size_t count = 0;
};

Figures lateness(std::vector<double> ms) {
    Figures f;
    f.count = ms.size();
    if (ms.empty()) return f;
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[std::min(ms.size() - 1, size_t(q * double(ms.size() - 1) + 0.5))]; };
    f.p50 = at(0.5);
    f.p99 = at(0.99);
    f.max = ms.back();
    return f;
}

// The grid instant of tick k of a metronome anchored at `anchorMs` (platform::Clock ms).
Clock::time_point gridTime(qint64 anchorMs, int k, int interval) {
    return platform::SystemClock::timePoint(anchorMs + qint64(k) * interval);
}

// Lateness of each click against its tick (clicks fall on ticks 1, 5, 9, ...).
std::vector<double> clickLateness(const std::vector<Clock::time_point>& arrivals, qint64 anchorMs, int interval) {
    std::vector<double> out;
    for (size_t i = 0; i < arrivals.size(); ++i) {
        const int tick = int(i) * 4 + 1;
        out.push_back(std::chrono::duration<double, std::milli>(arrivals[i] - gridTime(anchorMs, tick, interval)).count());
    }
    return out;
}

// Starts at the beginning of a platform::Clock millisecond, so the anchor the start takes is
// known exactly; a start that ran into the next millisecond is stopped and made again.
qint64 anchoredStart(const std::function<void()>& start, const std::function<void()>& stop) {
    for (;;) {
        const qint64 before = platform::Clock::instance().nowMs();
        while (platform::Clock::instance().nowMs() == before) {
        }
        const qint64 anchor = platform::Clock::instance().nowMs();
        start();
        if (platform::Clock::instance().nowMs() == anchor) return anchor;
        stop();
    }
}

void run(const char* name, int ticks, const std::function<qint64(sound::MidiPort&)>& start,
         const std::function<void()>& stop, StampingDevices& devices, sound::MidiPort& port) {
    {
        std::lock_guard<std::mutex> lock(devices.mutex);
        devices.arrivals.clear();
    }
    BusyGui busy;
    const qint64 anchor = start(port);
    const qint64 end = anchor + qint64(ticks) * 125 + 60;
    while (platform::Clock::instance().nowMs() < end) QApplication::processEvents(QEventLoop::AllEvents, 5);
    stop();
    std::vector<Clock::time_point> arrivals;
    {
        std::lock_guard<std::mutex> lock(devices.mutex);
        arrivals = devices.arrivals;
    }
    const std::vector<double> late = clickLateness(arrivals, anchor, 125);
    if (qEnvironmentVariableIsSet("METRONOME_BENCH_LIST"))
        for (double l : late) std::printf("  %.3f\n", l);
    const Figures f = lateness(late);
    std::printf("%-34s clicks %3zu   lateness p50 %7.3f ms   p99 %7.3f ms   max %7.3f ms\n", name, f.count, f.p50,
                f.p99, f.max);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int ticks = argc > 1 ? std::max(8, std::atoi(argv[1])) : 400;
    StampingDevices devices;
    sound::MidiPort port(&devices);
    port.load();
    std::printf("%d ticks of 125 ms, GUI thread busy 20 ms every 37 ms, %u hardware threads\n", ticks,
                std::thread::hardware_concurrency());

    // The window's metronome: the timing thread clicks.
    QWidget window;
    sound::BeatState beat;
    auto* panel = new sound::MetronomePanel(&window, beat, &port, {}, [](const platform::MetronomeTick&) {});
    panel->Slider1->setValue(120);
    panel->setShown(true);
    // The thread is made by the first start; the measured one finds it waiting.
    panel->enable();
    panel->disable();
    run("metronome timing thread", ticks,
        [&](sound::MidiPort&) { return anchoredStart([&] { panel->enable(); }, [&] { panel->disable(); }); },
        [&] { delete panel; }, devices, port);

    // For comparison: a precise timer on the GUI thread that clicks from its handler.
    QTimer guiTimer;
    guiTimer.setTimerType(Qt::PreciseTimer);
    guiTimer.setInterval(125);
    int counter = 0;
    QObject::connect(&guiTimer, &QTimer::timeout, [&] {
        if (++counter == 1) {
            port.StartChannelNote(9, 15);
            port.StopChannelNote(9, 15);
        }
        if (counter == 4) counter = 0;
    });
    run("GUI-thread timer (for comparison)", ticks,
        [&](sound::MidiPort&) { return anchoredStart([&] { guiTimer.start(); }, [&] { guiTimer.stop(); }); },
        [&] { guiTimer.stop(); },
        devices, port);
    return 0;
}
