#include "linecontrol.h"

#include "common/controlarray.h"

#include <QPainter>

namespace lessons {

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
    const int left = qMin(common::twipsToPixels(x1_), common::twipsToPixels(x2_)) - pad;
    const int top = qMin(common::twipsToPixels(y1_), common::twipsToPixels(y2_)) - pad;
    const int right = qMax(common::twipsToPixels(x1_), common::twipsToPixels(x2_)) + pad;
    const int bottom = qMax(common::twipsToPixels(y1_), common::twipsToPixels(y2_)) + pad;
    setGeometry(left, top, right - left + 1, bottom - top + 1);
    update();
}

void LineControl::paintEvent(QPaintEvent*) {
    if (drawMode_ == 16) return;
    QPainter p(this);
    p.setPen(QPen(color_, borderWidth_));
    const QPoint origin = pos();
    p.drawLine(QPoint(common::twipsToPixels(x1_), common::twipsToPixels(y1_)) - origin, QPoint(common::twipsToPixels(x2_), common::twipsToPixels(y2_)) - origin);
}

} // namespace lessons
