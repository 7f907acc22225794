#include "platform/clock.h"
#include "platform/metronometimer.h"

#include "common/testing/waituntil.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>

using namespace platform;

namespace {

struct Recorded {
    QString timer;
    qint64 stamp;
    qint64 index;
    int value;
    bool stopped;
};

struct VirtualFixture : ::testing::Test {
    VirtualClock clock{1000};
    ClockOverride clockGuard{&clock};
    VirtualTicks ticks{clock};
    QObject receiver;
    std::vector<Recorded> seen;

    std::unique_ptr<MetronomeTimer> make(const QString& name, std::function<bool(MetronomeTick&)> at = {}) {
        return MetronomeTimer::create(
            &receiver,
            [at](MetronomeTick& t) {
                t.value = int(t.index * 10);
                return at ? at(t) : true;
            },
            [this, name](const MetronomeTick& t) { seen.push_back({name, t.stampMs, t.index, t.value, t.stopped}); });
    }
    std::vector<qint64> stamps(const QString& name) const {
        std::vector<qint64> out;
        for (const Recorded& r : seen)
            if (r.timer == name) out.push_back(r.stamp);
        return out;
    }
};
using VirtualTicksTest = VirtualFixture;

} // namespace

TEST_F(VirtualTicksTest, TicksOnTheGridFromTheStartWithTheClockAtEachTick) {
    auto t = make("a");
    t->start(250);
    ticks.advance(1100);
    EXPECT_EQ(stamps("a"), (std::vector<qint64>{1250, 1500, 1750, 2000}));
    EXPECT_EQ(clock.nowMs(), 2100);
    EXPECT_EQ(seen.back().index, 4);
    EXPECT_EQ(seen.back().value, 40);   // what the timing side handed on
    // Starting again while running keeps the grid.
    t->start(250);
    ticks.advance(150);
    EXPECT_EQ(stamps("a").back(), 2250);
}

TEST_F(VirtualTicksTest, ANewIntervalStartsANewGridFromNow) {
    auto t = make("a");
    t->start(250);
    ticks.advance(600);            // ticks at 1250, 1500; clock 1600
    t->setInterval(125);
    ticks.advance(300);
    EXPECT_EQ(stamps("a"), (std::vector<qint64>{1250, 1500, 1725, 1850}));
    // A stopped timer only keeps the new interval.
    t->stop();
    t->setInterval(400);
    ticks.advance(1000);
    EXPECT_EQ(stamps("a").size(), 4u);
    EXPECT_EQ(t->interval(), 400);
}

TEST_F(VirtualTicksTest, TimersInterleaveInTimeOrderAndAStoppingTickIsDelivered) {
    auto a = make("a");
    int allowed = 3;
    auto b = make("b", [&allowed](MetronomeTick&) { return --allowed > 0; });
    a->start(300);
    b->start(200);
    ticks.advance(1000);
    QStringList order;
    for (const Recorded& r : seen) order << QString("%1@%2%3").arg(r.timer).arg(r.stamp).arg(r.stopped ? "!" : "");
    EXPECT_EQ(order, QStringList({"b@1200", "a@1300", "b@1400", "a@1600", "b@1600!", "a@1900"}));
    EXPECT_FALSE(b->isRunning());
    EXPECT_EQ(ticks.running(), 1);
    a->stop();
    EXPECT_FALSE(ticks.step());
    EXPECT_EQ(clock.nowMs(), 2000);
}

TEST(ThreadMetronomeTimer, DeliversOnTheReceiversThreadUntilStopped) {
    ASSERT_EQ(VirtualTicks::installed(), nullptr);
    QObject receiver;
    std::vector<MetronomeTick> delivered;
    std::atomic<int> clicks{0};
    bool onGuiThread = true;
    auto timer = MetronomeTimer::create(
        &receiver,
        [&clicks](MetronomeTick& t) {
            t.value = ++clicks;
            return true;
        },
        [&](const MetronomeTick& t) {
            onGuiThread = onGuiThread && QThread::currentThread() == receiver.thread();
            delivered.push_back(t);
        });
    timer->start(5);
    ASSERT_TRUE(waitUntil([&] { return delivered.size() >= 4; }));
    timer->stop();
    const size_t atStop = delivered.size();
    QThread::msleep(30);
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered.size(), atStop);   // nothing after the stop, queued ticks dropped
    EXPECT_TRUE(onGuiThread);
    for (size_t i = 1; i < delivered.size(); ++i) {
        EXPECT_GT(delivered[i].index, delivered[i - 1].index);
        EXPECT_GE(delivered[i].stampMs, delivered[i - 1].stampMs);
    }
}
