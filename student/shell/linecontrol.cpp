#include "linecontrol.h"

#include "canvaslayout.h"

#include <QPainter>

namespace shell {

LineControl::LineControl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineControl::setEnds(double x1, double y1, double x2, double y2) {
    x1_ = x1;
    y1_ = y1;
    x2_ = x2;
    y2_ = y2;
    place();
}

void LineControl::place() {
    const int pad = borderWidth_;
    const int left = qMin(toPixels(x1_), toPixels(x2_)) - pad;
    const int top = qMin(toPixels(y1_), toPixels(y2_)) - pad;
    const int right = qMax(toPixels(x1_), toPixels(x2_)) + pad;
    const int bottom = qMax(toPixels(y1_), toPixels(y2_)) + pad;
    setGeometry(left, top, right - left + 1, bottom - top + 1);
    update();
}

void LineControl::paintEvent(QPaintEvent*) {
    if (drawMode_ == 16) return;
    QPainter p(this);
    p.setPen(QPen(color_, borderWidth_));
    const QPoint origin = pos();
    p.drawLine(QPoint(toPixels(x1_), toPixels(y1_)) - origin, QPoint(toPixels(x2_), toPixels(y2_)) - origin);
}

} // namespace shell
