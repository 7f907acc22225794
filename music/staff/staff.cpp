#include "staff.h"
#include "music/framework/classregistry.h"

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
    for (int k = 0; k < lineNumbers_; ++k) {
        const int y = lineTop_ + k * lineSpace_;
        p.drawLine(lineLeft_, y, lineLeft_ + lineWidth_ - 1, y);
    }
}

} // namespace music
