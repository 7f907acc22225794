#include "clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

namespace platform {
namespace {
Clock* g_clock = nullptr;
const QElapsedTimer& monotonic() {
    static QElapsedTimer t = [] { QElapsedTimer e; e.start(); return e; }();
    return t;
}
} // namespace

Clock& Clock::instance() {
    static SystemClock sys;
    return g_clock ? *g_clock : sys;
}
void Clock::setInstance(Clock* c) { g_clock = c; }

qint64 SystemClock::nowMs() const { return monotonic().elapsed(); }

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
