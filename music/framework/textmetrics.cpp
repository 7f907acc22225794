#include "textmetrics.h"

#include <QFontMetrics>
#include <QPainter>

namespace music {

TextMetrics textMetrics(const QFont& font) {
    const QFontMetrics fm(font);
    TextMetrics m;
    m.ascent = fm.ascent();
    m.descent = fm.descent();
    m.height = m.ascent + m.descent;
    m.em = font.pixelSize() > 0 ? font.pixelSize() : qRound(font.pointSizeF() * 96.0 / 72.0);
    m.internalLeading = qMax(0, m.height - m.em);
    return m;
}

int textWidth(const QFont& font, const QString& text) {
    return text.isEmpty() ? 0 : QFontMetrics(font).horizontalAdvance(text);
}

int textHeight(const QFont& font, const QString& text) {
    Q_UNUSED(text);
    return textMetrics(font).height;
}

void drawTextTop(QPainter& p, int x, int y, const QString& text) {
    if (text.isEmpty()) return;
    p.drawText(QPoint(x, y + QFontMetrics(p.font()).ascent()), text);
}

QString glyphs(std::initializer_list<unsigned char> codes) {
    QString s;
    for (unsigned char c : codes) s += QChar(c);
    return s;
}

void drawLineNoEnd(QPainter& p, int x1, int y1, int x2, int y2) {
    if (x1 == x2 && y1 == y2) return;
    const int dx = x2 - x1, dy = y2 - y1;
    // Step the end back one pixel along the major axis.
    if (qAbs(dx) >= qAbs(dy)) x2 -= (dx > 0 ? 1 : -1);
    else y2 -= (dy > 0 ? 1 : -1);
    if (qAbs(dx) >= qAbs(dy) && dy != 0) y2 = y1 + int(double(dy) * (x2 - x1) / dx);
    if (qAbs(dy) > qAbs(dx) && dx != 0) x2 = x1 + int(double(dx) * (y2 - y1) / dy);
    p.drawLine(x1, y1, x2, y2);
}

IndexRange indicesWithin(qint64 first, qint64 step, qint64 count, qint64 lo, qint64 hi) {
    if (count <= 0 || lo > hi) return {};
    if (step == 0) return (first >= lo && first <= hi) ? IndexRange{0, 1} : IndexRange{};
    if (step < 0) return indicesWithin(-first, -step, count, -hi, -lo);
    const auto floorDiv = [](qint64 a, qint64 b) { return a / b - ((a % b != 0 && a < 0) ? 1 : 0); };
    const qint64 from = qMax<qint64>(0, -floorDiv(first - lo, step));   // ceil((lo - first) / step)
    const qint64 to = qMin<qint64>(count, floorDiv(hi - first, step) + 1);
    return from < to ? IndexRange{from, to} : IndexRange{};
}

} // namespace music
