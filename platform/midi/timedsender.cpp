#include "timedsender.h"

#include "platform/clock.h"

#include <algorithm>
#include <pthread.h>
#include <sys/prctl.h>

namespace platform {

TimedSender::TimedSender(Send send) : send_(std::move(send)) {}

TimedSender::~TimedSender() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
        pending_.clear();
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void TimedSender::schedule(const std::vector<TimedMessage>& messages) {
    if (messages.empty()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const TimedMessage& m : messages) {
            // After every pending message of the same time or earlier: equal times keep order.
            auto at = std::upper_bound(pending_.begin(), pending_.end(), m.timeMs,
                                       [](qint64 t, const TimedMessage& p) { return t < p.timeMs; });
            pending_.insert(at, m);
        }
        if (!worker_.joinable()) worker_ = std::thread([this] { run(); });
    }
    wake_.notify_all();
}

std::vector<TimedMessage> TimedSender::cancel() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<TimedMessage> dropped(pending_.begin(), pending_.end());
    pending_.clear();
    return dropped;
}

bool TimedSender::hasPending() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !pending_.empty();
}

void TimedSender::run() {
    // Wake at the instant asked for, not up to the default 50 us later, and before the
    // ordinary threads when the machine is busy, where the system allows it (it sleeps
    // between messages, so it never holds a core).
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    sched_param realtime{};
    realtime.sched_priority = 1;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &realtime);
    std::unique_lock<std::mutex> lock(mutex_);
    while (!quit_) {
        if (pending_.empty()) {
            wake_.wait(lock);
            continue;
        }
        const qint64 due = pending_.front().timeMs;
        Clock& clock = Clock::instance();
        if (clock.nowMs() < due) {
            // Sleep to the absolute instant; a test clock that is not the system's is polled.
            const auto until = dynamic_cast<SystemClock*>(&clock)
                ? SystemClock::timePoint(due)
                : std::chrono::steady_clock::now() + std::chrono::milliseconds(1);
            wake_.wait_until(lock, until);
            continue;  // woken early, by a new message or by cancel: look again
        }
        const TimedMessage m = pending_.front();
        pending_.pop_front();
        // Sent under the lock, so cancel() returns only once nothing more can go out.
        send_(m.message);
    }
}

} // namespace platform
