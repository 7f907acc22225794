#include "metronometimer.h"

#include "clock.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <pthread.h>
#include <sched.h>
#include <thread>

namespace platform {

namespace {
VirtualTicks* g_virtual = nullptr;

// The sleep ends this long before a tick and the last stretch is waited out awake: a sleeping
// thread is woken late by as much as the scheduler's latency, a waking one is not.
constexpr auto kAwakeBeforeTick = std::chrono::microseconds(1500);

// A metronome's thread runs before the desktop's ordinary work when the system lets it (a
// real-time priority, as audio programs have); otherwise it keeps the ordinary one.
void raiseTimingPriority() {
    sched_param param{};
    param.sched_priority = 10;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

// The timing thread: sleeps to anchor + k x T on the steady clock, runs atTick there and posts
// the tick to the receiver. What a posted tick needs outlives the timer, so a tick still
// queued when the timer goes finds it stopped and is dropped.
class ThreadMetronomeTimer : public MetronomeTimer {
public:
    ThreadMetronomeTimer(QObject* receiver, AtTick atTick, Deliver deliver)
        : receiver_(receiver), atTick_(std::move(atTick)), shared_(std::make_shared<Shared>()) {
        shared_->deliver = std::move(deliver);
    }
    ~ThreadMetronomeTimer() override {
        {
            std::lock_guard<std::mutex> lock(shared_->mutex);
            quit_ = true;
            running_ = false;
            ++shared_->generation;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    void start(int intervalMs) override {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        interval_ = qMax(1, intervalMs);
        if (running_) return;
        anchorLocked();
        running_ = true;
        ++shared_->generation;
        if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
        wake_.notify_all();
    }
    void setInterval(int intervalMs) override {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        interval_ = qMax(1, intervalMs);
        if (running_) anchorLocked();
        wake_.notify_all();
    }
    void stop() override {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        running_ = false;
        ++shared_->generation;
        wake_.notify_all();
    }
    bool isRunning() const override {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        return running_;
    }
    int interval() const override {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        return interval_;
    }

private:
    struct Shared {
        std::mutex mutex;
        quint64 generation = 0;   // moves on at every start and stop: older ticks are stale
        Deliver deliver;
    };

    void anchorLocked() {
        anchor_ = Clock::instance().nowMs();
        index_ = 0;
        ++grid_;
    }

    void run() {
        raiseTimingPriority();
        std::unique_lock<std::mutex> lock(shared_->mutex);
        while (!quit_) {
            if (!running_) {
                wake_.wait(lock, [this] { return quit_ || running_; });
                continue;
            }
            const quint64 grid = grid_;
            const qint64 due = anchor_ + (index_ + 1) * qint64(interval_);
            const auto dueTime = SystemClock::timePoint(due);
            // Woken early by a new grid, a stop or the end: look again.
            if (wake_.wait_until(lock, dueTime - kAwakeBeforeTick,
                                 [&] { return quit_ || !running_ || grid_ != grid; }))
                continue;
            lock.unlock();
            while (std::chrono::steady_clock::now() < dueTime) std::this_thread::yield();
            lock.lock();
            if (quit_ || !running_ || grid_ != grid) continue;
            // A thread held up past whole ticks plays the latest one only, never a burst.
            const qint64 now = Clock::instance().nowMs();
            while (anchor_ + (index_ + 2) * qint64(interval_) <= now) ++index_;
            MetronomeTick tick;
            tick.index = ++index_;
            const quint64 generation = shared_->generation;
            lock.unlock();
            tick.stampMs = Clock::instance().nowMs();
            const bool goOn = atTick_(tick);
            tick.stopped = !goOn;
            lock.lock();
            if (shared_->generation != generation) continue;   // stopped meanwhile
            if (!goOn) running_ = false;
            post(tick, generation);
        }
    }

    void post(const MetronomeTick& tick, quint64 generation) {
        if (!receiver_) return;
        std::shared_ptr<Shared> shared = shared_;
        QMetaObject::invokeMethod(
            receiver_,
            [shared, tick, generation] {
                {
                    std::lock_guard<std::mutex> lock(shared->mutex);
                    if (generation != shared->generation) return;
                }
                shared->deliver(tick);
            },
            Qt::QueuedConnection);
    }

    QObject* receiver_;   // owns the timer, so it outlives the thread
    AtTick atTick_;
    std::shared_ptr<Shared> shared_;
    std::condition_variable wake_;
    std::thread thread_;
    bool quit_ = false;
    bool running_ = false;
    int interval_ = 250;
    qint64 anchor_ = 0;
    qint64 index_ = 0;
    quint64 grid_ = 0;
};
} // namespace

// Ticks when the test's clock is advanced, on the test's thread.
class VirtualMetronomeTimer : public MetronomeTimer {
public:
    VirtualMetronomeTimer(VirtualTicks& hub, QObject* receiver, AtTick atTick, Deliver deliver)
        : hub_(&hub), receiver_(receiver), atTick_(std::move(atTick)), deliver_(std::move(deliver)) {
        hub_->timers_.push_back(this);
    }
    ~VirtualMetronomeTimer() override {
        if (hub_) hub_->timers_.erase(std::remove(hub_->timers_.begin(), hub_->timers_.end(), this),
                                                   hub_->timers_.end());
    }
    void start(int intervalMs) override {
        interval_ = qMax(1, intervalMs);
        if (running_) return;
        anchor();
        running_ = true;
    }
    void setInterval(int intervalMs) override {
        interval_ = qMax(1, intervalMs);
        if (running_) anchor();
    }
    void stop() override { running_ = false; }
    bool isRunning() const override { return running_; }
    int interval() const override { return interval_; }

    qint64 due() const { return anchor_ + (index_ + 1) * qint64(interval_); }
    void fire() {
        MetronomeTick tick;
        tick.index = ++index_;
        tick.stampMs = Clock::instance().nowMs();
        tick.stopped = !atTick_(tick);
        if (tick.stopped) running_ = false;
        if (receiver_) deliver_(tick);
    }
    void detach() { hub_ = nullptr; }

private:
    void anchor() {
        anchor_ = Clock::instance().nowMs();
        index_ = 0;
    }
    VirtualTicks* hub_;
    QPointer<QObject> receiver_;
    AtTick atTick_;
    Deliver deliver_;
    bool running_ = false;
    int interval_ = 250;
    qint64 anchor_ = 0;
    qint64 index_ = 0;
};

std::unique_ptr<MetronomeTimer> MetronomeTimer::create(QObject* receiver, AtTick atTick, Deliver deliver) {
    if (g_virtual) return std::make_unique<VirtualMetronomeTimer>(*g_virtual, receiver, std::move(atTick), std::move(deliver));
    return std::make_unique<ThreadMetronomeTimer>(receiver, std::move(atTick), std::move(deliver));
}

VirtualTicks::VirtualTicks(VirtualClock& clock) : clock_(clock) { g_virtual = this; }

VirtualTicks::~VirtualTicks() {
    for (VirtualMetronomeTimer* t : timers_) t->detach();
    if (g_virtual == this) g_virtual = nullptr;
}

VirtualTicks* VirtualTicks::installed() { return g_virtual; }

VirtualMetronomeTimer* VirtualTicks::nextDue() const {
    VirtualMetronomeTimer* next = nullptr;
    for (VirtualMetronomeTimer* t : timers_)
        if (t->isRunning() && (!next || t->due() < next->due())) next = t;
    return next;
}

void VirtualTicks::advance(qint64 ms) {
    const qint64 end = clock_.nowMs() + qMax<qint64>(0, ms);
    for (VirtualMetronomeTimer* t = nextDue(); t && t->due() <= end; t = nextDue()) {
        clock_.advance(qMax<qint64>(0, t->due() - clock_.nowMs()));
        t->fire();
    }
    clock_.advance(end - clock_.nowMs());
}

bool VirtualTicks::step() {
    VirtualMetronomeTimer* t = nextDue();
    if (!t) return false;
    clock_.advance(qMax<qint64>(0, t->due() - clock_.nowMs()));
    t->fire();
    return true;
}

int VirtualTicks::running() const {
    return int(std::count_if(timers_.begin(), timers_.end(), [](const VirtualMetronomeTimer* t) { return t->isRunning(); }));
}

} // namespace platform
