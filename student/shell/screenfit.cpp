#include "screenfit.h"

#include "platform/windowframe.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace shell {
namespace {

// A usual title bar and borders: what the frame is taken to be before it is known.
constexpr QMargins kUsualFrame(4, 28, 4, 4);

QRect availableFor(const QWidget& w) {
    const QScreen* screen = w.screen() ? w.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// The window fitted for `frame`, its frame's top-left at `at` as far as the area allows: placed
// by its client area, at once (see platform::moveFrameTo).
void fit(QWidget& w, const QSize& wanted, const QMargins& frame, const QPoint& at) {
    const QRect client = fitInside(availableFor(w), wanted, frame, at).marginsRemoved(frame);
    if (w.geometry() != client) w.setGeometry(client);
}

} // namespace

QRect fitInside(const QRect& available, const QSize& wanted, const QMargins& frame, const QPoint& at) {
    QSize outer = wanted.grownBy(frame);
    if (!available.isValid()) return QRect(at, outer);
    outer = outer.boundedTo(available.size());
    const int x = std::clamp(at.x(), available.left(), available.right() + 1 - outer.width());
    const int y = std::clamp(at.y(), available.top(), available.bottom() + 1 - outer.height());
    return QRect(QPoint(x, y), outer);
}

void showInsideScreen(QWidget& window, const QSize& wanted) {
    const QMargins known = platform::frameMargins(window);
    // At the area's top-left, where it leaves the most room beside it for the tool windows.
    const QPoint at = availableFor(window).topLeft();
    fit(window, wanted, known.isNull() ? kUsualFrame : known, at);
    // Fitted again to the frame it really has (none, where nothing frames it).
    platform::whenFirstOnScreen(window, [w = QPointer<QWidget>(&window), wanted, at] {
        if (w && !(w->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
            fit(*w, wanted, platform::frameMargins(*w), at);
    });
    window.show();
}

} // namespace shell
