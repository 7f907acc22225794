#include "palettepictures.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace palettes {
namespace {

void drawEraser(QPainter& p, double size) {
    // A tilted block: a pink rubber end and a blue sleeve.
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(size / 2, size / 2);
    p.rotate(-40);
    const double w = size * 0.78, h = size * 0.36;
    const QRectF body(-w / 2, -h / 2, w, h);
    const QRectF rubber(body.left(), body.top(), w * 0.42, h);
    const QRectF sleeve(rubber.right(), body.top(), w - rubber.width(), h);
    p.setPen(QPen(QColor(60, 60, 60), qMax(1.0, size / 30)));
    p.setBrush(QColor(240, 140, 160));
    p.drawRoundedRect(rubber, h * 0.15, h * 0.15);
    p.setBrush(QColor(70, 110, 200));
    p.drawRoundedRect(sleeve, h * 0.15, h * 0.15);
}

} // namespace

QPixmap textPicture(const QString& text, bool musicFont) {
    QPixmap pm(kButtonPicture, kButtonPicture);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont f(musicFont ? QStringLiteral("Quillon") : QStringLiteral("Arial"));
    f.setBold(!musicFont && text.size() <= 2);
    // The largest size (up to 16 px) at which the text fits with a small margin; a word too
    // long for that at a readable size ("above", "below") keeps that size and is narrowed
    // instead, so the two directions read alike.
    constexpr int kLargest = 16, kReadable = 12;
    const double room = kButtonPicture - 3;
    int px = kLargest;
    for (; px > kReadable; --px) {
        f.setPixelSize(px);
        if (QFontMetricsF(f).horizontalAdvance(text) <= room) break;
    }
    f.setPixelSize(px);
    const double advance = QFontMetricsF(f).horizontalAdvance(text);
    const double narrow = advance > room ? room / advance : 1.0;
    p.setFont(f);
    p.setPen(Qt::black);
    p.translate(kButtonPicture / 2.0, 0);
    p.scale(narrow, 1.0);
    const double w = kButtonPicture / narrow;
    p.drawText(QRectF(-w / 2, 0, w, kButtonPicture), Qt::AlignCenter, text);
    return pm;
}

QPixmap eraserPicture() {
    QPixmap pm(kButtonPicture, kButtonPicture);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    drawEraser(p, kButtonPicture);
    return pm;
}

QCursor eraserCursor() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        drawEraser(p, 32);
    }
    // The rubber end's lower-left corner does the rubbing.
    return QCursor(pm, 7, 24);
}

} // namespace palettes
