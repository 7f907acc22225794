#include "pictures.h"

#include "common/deferredicon.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace shell {
namespace {

constexpr int kIcon = 24;

QPixmap blank(int w, int h) {
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

// A note head with a stem, the common motif of the pictures.
void noteAt(QPainter& p, double x, double y, double scale, bool filled = true) {
    p.save();
    p.translate(x, y);
    p.rotate(-20);
    p.setBrush(filled ? p.pen().color() : Qt::transparent);
    p.drawEllipse(QRectF(-3.2 * scale, -2.2 * scale, 6.4 * scale, 4.4 * scale));
    p.restore();
    p.drawLine(QPointF(x + 2.8 * scale, y - 0.5 * scale), QPointF(x + 2.8 * scale, y - 11 * scale));
}

QPixmap drawToolbar(int index) {
    QPixmap pm = blank(kIcon, kIcon);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 40, 60);
    p.setPen(QPen(ink, 1.5));
    switch (index) {
    case ImgUser:
        p.setBrush(QColor(90, 140, 210));
        p.drawEllipse(QRectF(8, 3, 8, 8));
        p.drawRoundedRect(QRectF(4, 13, 16, 9), 4, 4);
        break;
    case ImgNew:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 2, 14, 20));
        p.setPen(QPen(ink, 1));
        for (int y = 8; y <= 16; y += 2) p.drawLine(6, y, 18, y);
        p.setPen(QPen(ink, 1.5));
        noteAt(p, 10, 16, 0.8);
        break;
    case ImgReport:
        p.setBrush(QColor(250, 248, 230));
        p.drawRect(QRectF(5, 2, 14, 20));
        p.setBrush(QColor(80, 160, 90));
        p.drawRect(QRectF(7, 14, 3, 6));
        p.drawRect(QRectF(11, 10, 3, 10));
        p.drawRect(QRectF(15, 6, 2, 14));
        break;
    case ImgPracticeOn:
    case ImgPracticeOff:
    case ImgPracticeLit: {
        // A lamp: grey when off, yellow when on, white-hot with a glow at the blink's bright step.
        const bool on = index != ImgPracticeOff, lit = index == ImgPracticeLit;
        if (lit) {
            QRadialGradient glow(QPointF(12, 9), 12);
            glow.setColorAt(0, QColor(255, 240, 120, 200));
            glow.setColorAt(1, QColor(255, 240, 120, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(glow);
            p.drawEllipse(QRectF(0, -3, 24, 24));
            p.setPen(QPen(ink, 1.5));
        }
        QRadialGradient g(QPointF(11, 9), 10);
        g.setColorAt(0, lit ? QColor(255, 255, 255) : on ? QColor(255, 255, 170) : QColor(220, 220, 220));
        g.setColorAt(1, lit ? QColor(255, 220, 40) : on ? QColor(240, 180, 0) : QColor(140, 140, 140));
        p.setBrush(g);
        p.drawEllipse(QRectF(5, 2, 14, 14));
        p.setBrush(QColor(120, 120, 120));
        p.drawRect(QRectF(9, 16, 6, 5));
        break;
    }
    case ImgPiano:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2, 5, 20, 15));
        p.setPen(QPen(ink, 1));
        for (int x = 6; x < 22; x += 4) p.drawLine(x, 5, x, 20);
        p.setBrush(ink);
        for (int x : {5, 9, 17}) p.drawRect(QRectF(x, 5, 2, 9));
        break;
    case ImgDrum:
        p.setBrush(QColor(200, 60, 50));
        p.drawRect(QRectF(4, 9, 16, 10));
        p.setBrush(QColor(235, 225, 200));
        p.drawEllipse(QRectF(4, 6, 16, 6));
        p.drawLine(QPointF(6, 2), QPointF(12, 8));
        p.drawLine(QPointF(19, 2), QPointF(13, 8));
        break;
    default:
        break;
    }
    return pm;
}

QPixmap drawLesson(int index) {
    QPixmap pm = blank(16, 16);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    static const QColor colours[] = {QColor(90, 90, 90), QColor(200, 90, 60), QColor(60, 130, 200),
                                     QColor(60, 160, 90), QColor(150, 90, 180), QColor(200, 160, 40),
                                     QColor(120, 120, 120), QColor(200, 110, 140)};
    const QColor c = colours[qBound(0, index, 7)];
    p.setPen(QPen(c.darker(140), 1));
    p.setBrush(c.lighter(170));
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    p.setPen(QPen(c.darker(200), 1.2));
    switch (index) {
    case 1:   // rhythm: two beamed stems
        p.drawLine(QPointF(5, 4), QPointF(5, 11));
        p.drawLine(QPointF(11, 4), QPointF(11, 11));
        p.setBrush(c.darker(200));
        p.drawRect(QRectF(5, 3, 6, 2));
        p.drawEllipse(QRectF(2, 10, 3.5, 3));
        p.drawEllipse(QRectF(8, 10, 3.5, 3));
        break;
    case 2:   // melody
        noteAt(p, 5, 11, 0.6);
        noteAt(p, 10, 7, 0.6);
        break;
    case 3:   // interval: two heads one above the other
        p.setBrush(c.darker(200));
        p.drawEllipse(QRectF(5, 3, 5, 3.5));
        p.drawEllipse(QRectF(5, 10, 5, 3.5));
        break;
    case 4:   // chord: three stacked heads
        p.setBrush(c.darker(200));
        for (double y : {2.5, 6.5, 10.5}) p.drawEllipse(QRectF(5, y, 5, 3.2));
        break;
    case 5:   // cadence: two chords and a bar line
        p.setBrush(c.darker(200));
        for (double y : {4.0, 8.0}) p.drawEllipse(QRectF(2.5, y, 4, 3));
        for (double y : {6.0, 10.0}) p.drawEllipse(QRectF(9, y, 4, 3));
        p.drawLine(QPointF(8, 2), QPointF(8, 14));
        break;
    case 7: { // time signature
        QFont f("Liberation Serif");
        f.setPixelSize(7);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(0, 1, 16, 7), Qt::AlignCenter, "3");
        p.drawText(QRectF(0, 8, 16, 7), Qt::AlignCenter, "4");
        break;
    }
    default:
        break;
    }
    return pm;
}

QIcon drawHelp() {
    QPixmap pm = blank(16, 16);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 70, 140), 1));
    p.setBrush(QColor(60, 120, 210));
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(13);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
    return QIcon(pm);
}

} // namespace

QIcon toolbarImage(int index) { return QIcon(drawToolbar(index)); }

// Drawn when the list first shows the row: before a player is chosen the list stays hidden.
QIcon lessonIcon(int index) {
    return common::deferredIcon([index] { return QIcon(drawLesson(index)); });
}

QIcon helpPicture() { return drawHelp(); }

QPixmap connectPicture(int index) {
    QPixmap pm = blank(14, 14);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(index == 0 ? QColor(40, 190, 70) : QColor(200, 50, 40));
    p.drawEllipse(QRectF(1.5, 1.5, 11, 11));
    return pm;
}

QPixmap logoPicture(const QSize& size) {
    QPixmap pm(size);
    QPainter p(&pm);
    paintLogo(p, size);
    return pm;
}

void paintLogo(QPainter& p, const QSize& size) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(28, 52, 96));
    sky.setColorAt(1, QColor(70, 110, 170));
    p.fillRect(QRect(QPoint(0, 0), size), sky);

    // A staff with a short rising phrase across the lower half.
    const double w = size.width(), h = size.height();
    const double top = h * 0.52, gap = h * 0.045;
    p.setPen(QPen(QColor(230, 235, 245), 1.2));
    for (int i = 0; i < 5; ++i) p.drawLine(QPointF(w * 0.08, top + i * gap), QPointF(w * 0.92, top + i * gap));
    p.setPen(QPen(QColor(250, 250, 250), 1.6));
    const double scale = gap / 4.2;   // a note head is one staff space high
    for (int i = 0; i < 6; ++i) {
        const double x = w * (0.22 + i * 0.11);
        const double y = top + gap * (4 - i * 0.5);
        noteAt(p, x, y, scale);
    }

    QFont title("Liberation Serif");
    title.setPixelSize(int(h * 0.2));
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(255, 244, 200));
    p.drawText(QRectF(0, h * 0.08, w, h * 0.3), Qt::AlignCenter, "Tonvale");
    QFont sub("Liberation Sans");
    sub.setPixelSize(int(h * 0.065));
    p.setFont(sub);
    p.setPen(QColor(220, 228, 240));
    p.drawText(QRectF(0, h * 0.34, w, h * 0.1), Qt::AlignCenter, "Music theory and aural skills");
    p.restore();
}

} // namespace shell
