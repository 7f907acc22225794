#pragma once
// A metronome's timer. It ticks at absolute times on the monotonic clock, anchor + k x T
// (k = 1, 2, ...), never at a sum of intervals, so a late tick does not make the next one late.
// Each tick runs in two halves:
//   atTick  on the timing side, at the tick's time: it stamps the tick and may send the click
//           itself, so the click never waits for a busy GUI thread; returning false stops the
//           timer at this tick;
//   deliver on the receiver's thread with the same tick (stamp, index, what atTick handed on),
//           where the window's tick logic runs: lamp, beat measurement, timed commit.
// create() gives the program's timers: a timing thread that sleeps to each absolute time. While
// a test holds a VirtualTicks, create() gives timers that tick only when the test advances its
// VirtualClock, both halves at once on the test's thread, in time order across all timers.
#include <QPointer>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <vector>

class QObject;

namespace platform {

class VirtualClock;

struct MetronomeTick {
    qint64 stampMs = 0;     // platform::Clock's ms when the tick ran
    qint64 index = 0;       // 1, 2, ... on the present grid
    int value = 0;          // what atTick handed on to deliver
    bool stopped = false;   // atTick stopped the timer at this tick
};

class MetronomeTimer {
public:
    using AtTick = std::function<bool(MetronomeTick& tick)>;
    using Deliver = std::function<void(const MetronomeTick& tick)>;

    // deliver runs on `receiver`'s thread; the receiver owns the timer (it must outlive it).
    static std::unique_ptr<MetronomeTimer> create(QObject* receiver, AtTick atTick, Deliver deliver);
    virtual ~MetronomeTimer() = default;

    // Starts ticking every intervalMs from now; a running timer keeps its grid.
    virtual void start(int intervalMs) = 0;
    // Changes the interval; a running timer starts a new grid from now.
    virtual void setInterval(int intervalMs) = 0;
    // Stops; ticks already on their way to the receiver are dropped.
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
    virtual int interval() const = 0;
};

class VirtualMetronomeTimer;

// The tests' tick source: every timer created while it exists ticks on `clock`.
class VirtualTicks {
public:
    explicit VirtualTicks(VirtualClock& clock);
    ~VirtualTicks();
    VirtualTicks(const VirtualTicks&) = delete;
    VirtualTicks& operator=(const VirtualTicks&) = delete;

    // Moves the clock forward by ms, running every tick that falls due on the way in time
    // order (timers in the order they were made at equal times), the clock standing at each
    // tick's time while it runs.
    void advance(qint64 ms);
    // Runs the next tick of any running timer, the clock moved to its time; false when no
    // timer runs.
    bool step();
    // Timers running now.
    int running() const;

    static VirtualTicks* installed();

private:
    friend class VirtualMetronomeTimer;
    VirtualMetronomeTimer* nextDue() const;
    VirtualClock& clock_;
    std::vector<VirtualMetronomeTimer*> timers_;
};

} // namespace platform
