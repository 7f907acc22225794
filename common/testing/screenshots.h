#pragma once
// What the tests that take pictures of windows on a real X display share: letting the windows
// paint, and telling a picture from a blank one.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QSet>

// Lets events run for `ms` milliseconds, so that what was shown or changed gets painted.
inline void settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Distinct colours in a grid of samples `step` pixels apart: a blank or single-colour picture
// has one or two. A finer grid suits small pictures with thin lines.
inline int colourVariety(const QImage& image, int step = 5) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += step)
        for (int x = 0; x < image.width(); x += step) colours.insert(image.pixel(x, y));
    return colours.size();
}
