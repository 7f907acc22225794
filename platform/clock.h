#pragma once
// Monotonic milliseconds and waits. Everything that waits or measures time goes through
// Clock::instance(), so tests install a VirtualClock and run waits instantly.
#include <QtGlobal>
#include <chrono>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 nowMs() const = 0;          // monotonic, never time of day
    virtual void sleepMs(int ms) = 0;          // blocks without pumping events
    virtual void sleepPumping(int ms) = 0;     // waits while the event loop keeps running
    static Clock& instance();
    static void setInstance(Clock* c);         // nullptr restores the system clock
};

class SystemClock : public Clock {
public:
    qint64 nowMs() const override;
    void sleepMs(int ms) override;
    void sleepPumping(int ms) override;
    // The steady-clock instant at which nowMs() reaches `ms`: threads that must act at a
    // given time sleep to this absolute instant, so waits never add up their errors.
    static std::chrono::steady_clock::time_point timePoint(qint64 ms);
};

// Time moves only when someone sleeps or advance() is called. sleepPumping still processes
// pending events once, so socket and timer handlers written against it run in tests.
class VirtualClock : public Clock {
public:
    explicit VirtualClock(qint64 start = 1000) : now_(start) {}
    qint64 nowMs() const override { return now_; }
    void sleepMs(int ms) override { if (ms > 0) now_ += ms; }
    void sleepPumping(int ms) override;
    void advance(qint64 ms) { now_ += ms; }
private:
    qint64 now_;
};

// Installs a clock for the lifetime of the guard.
class ClockOverride {
public:
    explicit ClockOverride(Clock* c) { Clock::setInstance(c); }
    ~ClockOverride() { Clock::setInstance(nullptr); }
};

} // namespace platform
