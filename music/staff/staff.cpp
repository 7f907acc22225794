#include "staff.h"
#include "music/framework/classregistry.h"
#include "music/framework/textmetrics.h"

#include <QPainter>

namespace music {

MUSIC_REGISTER_CLASS(Staff, "Music.Staff", "Staff Class", "{2D4848F7-3942-44C2-A9F9-DAB3AC634631}", 105)

Staff::Staff(QWidget* parent)
    : MusicControl(parent,
                   StockBackColor | StockFillColor | StockForeColor | StockEnabled | StockTabStop |
                       StockCaption | StockMousePointer | StockMouseIcon,
                   0) {}

void Staff::setLineTop(int v) { lineTop_ = v; requestRedraw(); }
void Staff::setLineLeft(int v) { lineLeft_ = qMax(0, v); requestRedraw(); }
void Staff::setLineWidth(int v) {
    lineWidth_ = qMax(1, v);
    setDirty(true);
    requestRedraw();
}
void Staff::setLineSpace(int v) { lineSpace_ = qMax(0, v); requestRedraw(); }
void Staff::setLineNumbers(int v) { lineNumbers_ = qMax(0, v); requestRedraw(); }

void Staff::onDraw(QPainter& p, const QRect& bounds) {
    p.fillRect(bounds, backRgb());
    p.translate(bounds.topLeft());
    p.setPen(QPen(foreRgb(), 1));
    // The end point is not painted: a line of width W covers x = LineLeft .. LineLeft + W - 1.
    // Only the part inside the control can show, so the arithmetic stays in range whatever
    // the host set.
    if (lineLeft_ >= bounds.width()) return;
    const int right = int(qMin<qint64>(qint64(lineLeft_) + lineWidth_ - 1, bounds.width()));
    const IndexRange rows = indicesWithin(lineTop_, lineSpace_, lineNumbers_, 0, bounds.height() - 1);
    for (qint64 k = rows.from; k < rows.to; ++k) {
        const int y = int(lineTop_ + k * lineSpace_);
        p.drawLine(lineLeft_, y, right, y);
    }
}

} // namespace music
