// How late a question's messages reach the device when a timeline plays on the default
// timed-send path (the worker thread that sleeps to absolute monotonic times, as for ALSA
// ports): the question players run into timelines through the real MidiPort, then played on
// a device that stamps the moment each message reaches it. Prints p50, p99 and the largest
// lateness in microseconds, and the same with a busy core per hardware thread beside it.
//   bench_timeline_lateness [rounds]      (default 2 rounds of the three questions)
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/midi/midiout.h"
#include "student/sound/midiport.h"
#include "student/sound/questionplayers.h"

#include <QCoreApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

// Notes when each message arrives; the due time is read back from the schedule.
class StampingOut : public platform::MidiOut {
public:
    ~StampingOut() override { close(); }
    qint32 shortMessage(quint32) override {
        std::lock_guard<std::mutex> lock(mutex_);
        arrivals_.push_back(SteadyClock::now());
        return platform::MidiOk;
    }
    void sendAt(const std::vector<platform::TimedMessage>& messages) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (const auto& m : messages) due_.push_back(platform::SystemClock::timePoint(m.timeMs));
        }
        MidiOut::sendAt(messages);
    }
    qint32 close() override {
        stopScheduling();
        open_ = false;
        return platform::MidiOk;
    }
    bool isOpen() const override { return open_; }

    // Lateness of every scheduled message so far, in microseconds.
    std::vector<double> lateness() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<double> out;
        const size_t n = std::min(due_.size(), arrivals_.size());
        for (size_t i = 0; i < n; ++i)
            out.push_back(std::chrono::duration<double, std::micro>(arrivals_[i] - due_[i]).count());
        return out;
    }

private:
    std::mutex mutex_;
    std::vector<SteadyClock::time_point> due_, arrivals_;
    bool open_ = true;
};

class OneDevice : public platform::MidiDevices {
public:
    QStringList outputDevices() override { return {}; }
    std::unique_ptr<platform::MidiOut> open(int, qint32* result) override {
        if (result) *result = platform::MidiOk;
        auto out = std::make_unique<StampingOut>();
        last = out.get();
        return out;
    }
    StampingOut* last = nullptr;
};

// The three kinds of question sound: an interval, a chord, a melody's key-setting arpeggio.
std::vector<sound::Timeline> questions(sound::MidiPort& port) {
    std::vector<sound::Timeline> out;
    port.beginCapture();
    for (qint16 tone : {qint16(4), qint16(0)}) {
        port.StartNote(tone);
        port.Wait(1000);
        port.StopNote(tone);
    }
    out.push_back(port.endCapture());
    port.beginCapture();
    sound::PlayDominantSeventh(port, 7, 1);
    out.push_back(port.endCapture());
    port.beginCapture();
    sound::PlayTonicArpeggio(port, 0);
    out.push_back(port.endCapture());
    return out;
}

void report(const char* what, std::vector<double> v) {
    if (v.empty()) return;
    std::sort(v.begin(), v.end());
    auto at = [&](double q) { return v[std::min(v.size() - 1, size_t(q * double(v.size() - 1) + 0.5))]; };
    std::printf("%-28s %5zu messages   p50 %7.0f us   p99 %7.0f us   max %7.0f us\n", what, v.size(), at(0.5),
                at(0.99), v.back());
}

std::vector<double> run(int rounds) {
    OneDevice devices;
    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride guard(&dialogs);
    sound::MidiPort port(&devices);
    port.load();
    const std::vector<sound::Timeline> qs = questions(port);
    for (int r = 0; r < rounds; ++r)
        for (const sound::Timeline& t : qs) {
            const qint64 end = port.playTimeline(t);
            while (platform::Clock::instance().nowMs() < end + 20) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    std::vector<double> v = devices.last->lateness();
    port.CloseMIDI();
    return v;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
    report("worker thread, machine as is", run(rounds));

    std::atomic<bool> stop{false};
    std::vector<std::thread> busy;
    for (unsigned i = 0; i < std::max(1u, std::thread::hardware_concurrency()); ++i)
        busy.emplace_back([&] {
            volatile unsigned long x = 0;
            while (!stop) x = x + 1;
        });
    report("worker thread, every core busy", run(rounds));
    stop = true;
    for (std::thread& t : busy) t.join();
    return 0;
}
