#include "clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

namespace platform {
namespace {
Clock* g_clock = nullptr;
// The origin of the program's milliseconds, on the monotonic clock.
std::chrono::steady_clock::time_point origin() {
    static const std::chrono::steady_clock::time_point t = std::chrono::steady_clock::now();
    return t;
}
} // namespace

Clock& Clock::instance() {
    static SystemClock sys;
    return g_clock ? *g_clock : sys;
}
void Clock::setInstance(Clock* c) { g_clock = c; }

qint64 SystemClock::nowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - origin()).count();
}

std::chrono::steady_clock::time_point SystemClock::timePoint(qint64 ms) {
    return origin() + std::chrono::milliseconds(ms);
}

void SystemClock::sleepMs(int ms) {
    if (ms > 0) QThread::msleep(ulong(ms));
}

void SystemClock::sleepPumping(int ms) {
    const qint64 end = nowMs() + qMax(0, ms);
    do {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, int(qMax<qint64>(1, end - nowMs())));
        const qint64 left = end - nowMs();
        if (left > 0) QThread::msleep(ulong(qMin<qint64>(left, 2)));
    } while (nowMs() < end);
}

void VirtualClock::sleepPumping(int ms) {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
    if (ms > 0) now_ += ms;
}

} // namespace platform
