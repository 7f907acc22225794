#pragma once
// The default way a device sends messages at given times: one worker thread that sleeps to
// each message's absolute monotonic time (never a sum of intervals, so lateness does not
// add up over a long sequence) and hands it to the device's send function.
#include "platform/midi/midiout.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

class TimedSender {
public:
    using Send = std::function<void(quint32 message)>;
    explicit TimedSender(Send send);
    ~TimedSender();  // drops what is pending and joins the worker
    TimedSender(const TimedSender&) = delete;
    TimedSender& operator=(const TimedSender&) = delete;

    // Adds the messages (times on platform::Clock) to what is pending; the worker starts on
    // the first call. Messages of one time keep their order, also against earlier ones.
    void schedule(const std::vector<TimedMessage>& messages);
    // Drops what is pending and returns it; a message being sent meanwhile finishes first.
    std::vector<TimedMessage> cancel();
    bool hasPending() const;

private:
    void run();

    Send send_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<TimedMessage> pending_;  // in time order
    bool quit_ = false;
    std::thread worker_;
};

} // namespace platform
