#include "windowframe.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace platform {
namespace {

class FirstExpose : public QObject {
public:
    FirstExpose(QWidget& window, std::function<void()> then) : QObject(&window), then_(std::move(then)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* handle = qobject_cast<QWindow*>(watched);
        if (event->type() == QEvent::Expose && handle && handle->isExposed()) {
            handle->removeEventFilter(this);
            // After the window system's event has been handled.
            QTimer::singleShot(0, parent(), then_);
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> then_;
};

} // namespace

QMargins frameMargins(const QWidget& window) {
    if (const QWindow* handle = window.windowHandle()) return handle->frameMargins();
    const QRect outer = window.frameGeometry(), client = window.geometry();
    return QMargins(client.left() - outer.left(), client.top() - outer.top(), outer.right() - client.right(),
                    outer.bottom() - client.bottom());
}

QRect frameGeometry(const QWidget& window) { return window.geometry().marginsAdded(frameMargins(window)); }

void moveFrameTo(QWidget& window, const QPoint& outerTopLeft, const QMargins& expected) {
    const QMargins has = frameMargins(window);
    const QMargins frame = has.isNull() ? expected : has;
    const QRect client(outerTopLeft + QPoint(frame.left(), frame.top()), window.size());
    if (window.geometry() != client) window.setGeometry(client);
}

void whenFirstOnScreen(QWidget& window, std::function<void()> then) {
    window.winId();   // the native window, to watch
    window.windowHandle()->installEventFilter(new FirstExpose(window, std::move(then)));
}

} // namespace platform
