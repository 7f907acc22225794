#pragma once
// Lets events run until a condition holds or the time is up (tests of sockets and timers).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

template <class Pred>
bool waitUntil(Pred pred, int ms = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!pred()) {
        if (timer.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}
