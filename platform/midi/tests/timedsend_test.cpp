// Sending at given times: the default worker thread on the system clock, and the recorder,
// which logs scheduled messages at their due times without waiting.
#include "platform/clock.h"
#include "platform/midi/recordermidiout.h"
#include "platform/midi/timedsender.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

using namespace platform;

namespace {

// A device that notes what reached it and when (system clock), from any thread.
class StampingOut : public MidiOut {
public:
    ~StampingOut() override { close(); }
    qint32 shortMessage(quint32 message) override {
        std::lock_guard<std::mutex> lock(mutex);
        if (!open) return MidiInvalidHandle;
        got.push_back({Clock::instance().nowMs(), message});
        return MidiOk;
    }
    qint32 close() override {
        stopScheduling();
        std::lock_guard<std::mutex> lock(mutex);
        if (!open) return MidiInvalidHandle;
        open = false;
        return MidiOk;
    }
    bool isOpen() const override {
        std::lock_guard<std::mutex> lock(mutex);
        return open;
    }
    std::vector<TimedMessage> received() const {
        std::lock_guard<std::mutex> lock(mutex);
        return got;
    }
    mutable std::mutex mutex;
    std::vector<TimedMessage> got;
    bool open = true;
};

bool waitFor(const std::function<bool()>& done, int ms = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace

// Order by time, equal times in the order given (also across two calls), never early.
TEST(TimedSend, WorkerSendsInTimeOrderAndNeverEarly) {
    StampingOut out;
    const qint64 t0 = Clock::instance().nowMs();
    // Far enough apart that the second call comes before the first batch is under way.
    out.sendAt({{t0 + 300, 1}, {t0 + 100, 2}, {t0 + 300, 3}, {t0 - 50, 4}, {t0 + 200, 5}});
    out.sendAt({{t0 + 100, 6}, {t0 + 400, 7}});
    ASSERT_TRUE(waitFor([&] { return out.received().size() == 7; }));
    const auto got = out.received();
    const std::vector<quint32> order = {4, 2, 6, 5, 1, 3, 7};
    const std::vector<qint64> due = {t0 - 50, t0 + 100, t0 + 100, t0 + 200, t0 + 300, t0 + 300, t0 + 400};
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].message, order[i]) << i;
        EXPECT_GE(got[i].timeMs, due[i]) << "message " << order[i] << " went out early";
    }
    EXPECT_FALSE(out.hasScheduled());
}

TEST(TimedSend, CancelDropsWhatIsPendingAndCloseStopsTheWorker) {
    StampingOut out;
    const qint64 t0 = Clock::instance().nowMs();
    out.sendAt({{t0, 1}, {t0 + 60000, 2}, {t0 + 60001, 3}});
    ASSERT_TRUE(waitFor([&] { return out.received().size() == 1; }));
    EXPECT_TRUE(out.hasScheduled());
    const std::vector<TimedMessage> dropped = out.cancelScheduled();
    EXPECT_EQ(dropped, (std::vector<TimedMessage>{{t0 + 60000, 2}, {t0 + 60001, 3}}));
    EXPECT_FALSE(out.hasScheduled());
    EXPECT_TRUE(out.cancelScheduled().empty());

    out.sendAt({{t0 + 60000, 4}});
    EXPECT_EQ(out.close(), MidiOk);  // the worker goes with the device
    EXPECT_FALSE(out.hasScheduled());
    out.sendAt({{t0, 5}});           // closed: nothing is taken
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(out.received().size(), 1u);
}

TEST(TimedSend, RecorderStampsDueTimesAtOnceAndKeepsTheLogInTimeOrder) {
    VirtualClock clock(1000);
    ClockOverride guard(&clock);
    RecorderMidiDevices devices;
    auto out = devices.open(MidiDevices::Mapper, nullptr);
    ASSERT_TRUE(out);
    out->sendAt({{1000, 0x7F4090}, {2000, 0x004080}, {2000, 0x7F3C90}, {4000, 0x003C80}});
    EXPECT_TRUE(out->hasScheduled());
    clock.advance(500);
    out->shortMessage(0x7F4B99);  // sent directly between the scheduled ones
    clock.advance(1600);          // 3100: the last note-off is still pending
    const std::vector<TimedMessage> dropped = out->cancelScheduled();
    EXPECT_EQ(dropped, (std::vector<TimedMessage>{{4000, 0x003C80}}));
    EXPECT_FALSE(out->hasScheduled());
    EXPECT_EQ(devices.messages(), (std::vector<TimedMessage>{
                                      {1000, 0x7F4090}, {1500, 0x7F4B99}, {2000, 0x004080}, {2000, 0x7F3C90}}));
    EXPECT_TRUE(devices.log()[1].scheduled);
    EXPECT_FALSE(devices.log()[2].scheduled);

    // Closing drops what the clock has not reached.
    out->sendAt({{3100, 1}, {3200, 2}});
    out->close();
    EXPECT_EQ(devices.messages().back(), (TimedMessage{3100, 1}));
    EXPECT_EQ(devices.log().back().kind, MidiLogEntry::Close);
}
