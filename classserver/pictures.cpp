#include "pictures.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QPainterPath>

namespace classserver {
namespace {

const QColor kInk(40, 48, 64);
const QColor kBlue(46, 96, 168);
const QColor kGold(214, 160, 40);
const QColor kGreen(46, 150, 72);

QPixmap canvas() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    return pm;
}

void head(QPainter& p, double x, double y) {
    p.save();
    p.translate(x, y);
    p.rotate(-20);
    p.drawEllipse(QRectF(-2.2, -1.5, 4.4, 3.0));
    p.restore();
}

void staffLines(QPainter& p, double top, double gap, double left = 0.5, double right = 15.5) {
    p.save();
    p.setPen(QPen(QColor(120, 128, 140), 0.7));
    for (int i = 0; i < 5; ++i) p.drawLine(QPointF(left, top + i * gap), QPointF(right, top + i * gap));
    p.restore();
}

void text(QPainter& p, const QRectF& r, const QString& s, int px, bool bold = true) {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(px);
    f.setBold(bold);
    p.setFont(f);
    p.drawText(r, Qt::AlignCenter, s);
}

void person(QPainter& p, double cx, double top, const QColor& colour) {
    p.setPen(QPen(colour.darker(140), 0.8));
    p.setBrush(colour);
    p.drawEllipse(QRectF(cx - 2.6, top, 5.2, 5.2));
    QPainterPath body;
    body.moveTo(cx - 5, top + 13);
    body.cubicTo(cx - 5, top + 6.5, cx + 5, top + 6.5, cx + 5, top + 13);
    body.closeSubpath();
    p.drawPath(body);
}

QPixmap draw(int index) {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 1));
    p.setBrush(kInk);
    switch (index) {
    case 1:  // Notation: a note on a staff
        staffLines(p, 3.5, 2.5);
        head(p, 7, 11);
        p.drawLine(QPointF(9, 11), QPointF(9, 2));
        break;
    case 2:  // Scales: heads stepping up
        staffLines(p, 3.5, 2.5);
        for (int i = 0; i < 4; ++i) head(p, 2.5 + i * 3.6, 13 - i * 2.5);
        break;
    case 3:  // Intervals: two heads a third apart, side by side
        staffLines(p, 3.5, 2.5);
        head(p, 5, 11);
        head(p, 11, 6);
        break;
    case 4:  // Triads: three heads stacked
        staffLines(p, 3.5, 2.5);
        head(p, 8, 13.5);
        head(p, 8, 8.5);
        head(p, 8, 3.5);
        break;
    case 5:  // Cadences: V to I
        p.setPen(kBlue);
        text(p, QRectF(0, 0, 16, 16), QStringLiteral("V I"), 8);
        break;
    case 6:  // Dominant sevenths
        p.setPen(kBlue);
        text(p, QRectF(0, 0, 16, 16), QStringLiteral("V7"), 9);
        break;
    case 7:  // Time: a time signature
        p.setPen(kInk);
        text(p, QRectF(0, -1, 16, 9), QStringLiteral("4"), 8);
        text(p, QRectF(0, 7, 16, 9), QStringLiteral("4"), 8);
        break;
    case 8: {  // Transposition: an arrow carrying a note up
        head(p, 4, 12);
        p.drawLine(QPointF(6, 12), QPointF(6, 5));
        p.setPen(QPen(kGreen, 1.5));
        p.drawLine(QPointF(9, 12), QPointF(13.5, 3.5));
        p.drawLine(QPointF(13.5, 3.5), QPointF(10.5, 4.5));
        p.drawLine(QPointF(13.5, 3.5), QPointF(14, 6.5));
        break;
    }
    case 9:  // Definitions: a book
        p.setPen(QPen(kBlue.darker(130), 0.8));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1, 1);
        p.setPen(QPen(Qt::white, 0.9));
        p.drawLine(QPointF(5, 5), QPointF(11, 5));
        p.drawLine(QPointF(5, 8), QPointF(11, 8));
        p.drawLine(QPointF(5, 11), QPointF(9, 11));
        break;
    case 10:  // user
        person(p, 8, 1.5, kBlue);
        break;
    case 11: {  // database: a cylinder
        p.setPen(QPen(kGold.darker(150), 0.8));
        p.setBrush(kGold);
        p.drawRect(QRectF(2.5, 4, 11, 8.5));
        p.drawEllipse(QRectF(2.5, 10, 11, 4.5));
        p.setBrush(kGold.lighter(125));
        p.drawEllipse(QRectF(2.5, 1.5, 11, 4.5));
        break;
    }
    case 12: {  // product: a boxed disc
        p.setPen(QPen(kInk, 0.8));
        p.setBrush(QColor(226, 232, 244));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(kBlue);
        p.drawEllipse(QRectF(4, 4, 8, 8));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(7, 7, 2, 2));
        break;
    }
    case 13:  // multiuser: a class
        person(p, 10.5, 1, kGreen);
        person(p, 5.5, 3, kBlue);
        break;
    case 14: {  // New: a blank page with a folded corner
        p.setPen(QPen(kInk, 0.8));
        p.setBrush(Qt::white);
        QPainterPath page;
        page.moveTo(3.5, 1.5);
        page.lineTo(10, 1.5);
        page.lineTo(13.5, 5);
        page.lineTo(13.5, 14.5);
        page.lineTo(3.5, 14.5);
        page.closeSubpath();
        p.drawPath(page);
        p.drawLine(QPointF(10, 1.5), QPointF(10, 5));
        p.drawLine(QPointF(10, 5), QPointF(13.5, 5));
        break;
    }
    case 15: {  // Open: a folder
        p.setPen(QPen(kGold.darker(160), 0.8));
        p.setBrush(kGold.lighter(110));
        p.drawRect(QRectF(1.5, 4.5, 12, 9));
        p.setBrush(kGold);
        QPainterPath flap;
        flap.moveTo(1.5, 13.5);
        flap.lineTo(4, 7.5);
        flap.lineTo(15, 7.5);
        flap.lineTo(13.5, 13.5);
        flap.closeSubpath();
        p.drawPath(flap);
        break;
    }
    case 16:  // Save: a diskette
        p.setPen(QPen(kInk, 0.8));
        p.setBrush(kBlue);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 1.5, 8, 5));
        p.setBrush(QColor(220, 220, 220));
        p.drawRect(QRectF(4, 9, 8, 5.5));
        break;
    case 17:  // Report: a sheet with a chart
        p.setPen(QPen(kInk, 0.8));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 1.5, 11, 13));
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        p.drawRect(QRectF(4.5, 9, 2, 4));
        p.setBrush(kBlue);
        p.drawRect(QRectF(7.5, 6, 2, 7));
        p.setBrush(kGold);
        p.drawRect(QRectF(10.5, 4, 2, 9));
        break;
    default:
        return QPixmap();
    }
    return pm;
}

} // namespace

QIcon imgLessons(int index) {
    static QHash<int, QIcon> icons;
    auto it = icons.find(index);
    if (it == icons.end()) {
        const QPixmap pm = draw(index);
        it = icons.insert(index, pm.isNull() ? QIcon() : QIcon(pm));
    }
    return *it;
}

QIcon imgConnections(int index) {
    static QHash<int, QIcon> icons;
    auto it = icons.find(index);
    if (it != icons.end()) return *it;
    QPixmap pm = canvas();
    if (index == 1 || index == 2) {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(60, 60, 60), 0.8));
        p.setBrush(index == 1 ? QColor(40, 180, 70) : QColor(170, 170, 170));
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        if (index == 1) {
            p.setPen(QPen(Qt::white, 1.6));
            p.drawLine(QPointF(5, 8), QPointF(7.2, 10.2));
            p.drawLine(QPointF(7.2, 10.2), QPointF(11, 5.8));
        }
    }
    return *icons.insert(index, pm.isNull() || (index != 1 && index != 2) ? QIcon() : QIcon(pm));
}

QPixmap hallbrinEmblem(const QSize& size) {
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(30, 70, 60));
    sky.setColorAt(1, QColor(60, 120, 100));
    p.fillRect(pm.rect(), sky);
    const double w = size.width(), h = size.height();
    // Three students around the teacher's computer.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        const double cx = w * (0.25 + i * 0.25), top = h * 0.18;
        p.setBrush(QColor(240, 232, 200));
        p.drawEllipse(QRectF(cx - w * 0.06, top, w * 0.12, w * 0.12));
        QPainterPath body;
        body.moveTo(cx - w * 0.1, top + h * 0.45);
        body.cubicTo(cx - w * 0.1, top + h * 0.18, cx + w * 0.1, top + h * 0.18, cx + w * 0.1, top + h * 0.45);
        body.closeSubpath();
        p.drawPath(body);
    }
    QFont f(QStringLiteral("Liberation Serif"));
    f.setPixelSize(int(h * 0.2));
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(255, 244, 200));
    p.drawText(QRectF(0, h * 0.66, w, h * 0.3), Qt::AlignCenter, QStringLiteral("Hallbrin"));
    return pm;
}

} // namespace classserver
