#include "notationpictures.h"

#include "palettepictures.h"

#include "music/accidental/accidental.h"
#include "music/clef/clef.h"
#include "music/font/musicfont.h"
#include "music/note/note.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace palettes {
namespace {

constexpr int kMargin = 2;

// The drawn part of a control, scaled into the button square and centred.
QPixmap fitted(QWidget& control, double maxScale = 1.0) {
    QImage img(control.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    control.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) > 0) box |= QRect(x, y, 1, 1);
    QPixmap pm(kButtonPicture, kButtonPicture);
    pm.fill(Qt::transparent);
    if (box.isEmpty()) return pm;
    const QImage part = img.copy(box);
    const int room = kButtonPicture - 2 * kMargin;
    const double scale = qMin(maxScale, qMin(double(room) / part.width(), double(room) / part.height()));
    const QSize size(qMax(1, int(part.width() * scale)), qMax(1, int(part.height() * scale)));
    QPainter p(&pm);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(QPoint((kButtonPicture - size.width()) / 2, (kButtonPicture - size.height()) / 2), size),
                part);
    return pm;
}

template <class C>
void prepare(C& c, int w, int h) {
    c.setFont_(music::musicFont());
    c.setBackColor(0xFFFFFF);
    c.resize(w, h);
    c.setAttribute(Qt::WA_TranslucentBackground);
}

QPixmap drawn(const std::function<void(QPainter&)>& f) {
    QPixmap pm(kButtonPicture, kButtonPicture);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.6, Qt::SolidLine, Qt::RoundCap));
    f(p);
    return pm;
}

} // namespace

QPixmap notePicture(int value, bool rest, int dots, bool stemDown) {
    if (rest && (value == 0 || value == 1)) {
        // A whole rest hangs from a staff line, a half rest sits on one: without the line the
        // two blocks look alike, so the picture draws a piece of it.
        const bool whole = value == 0;
        return drawn([whole](QPainter& p) {
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setPen(QPen(Qt::black, 1));
            p.drawLine(5, 15, 25, 15);
            p.fillRect(whole ? QRect(10, 16, 10, 5) : QRect(10, 10, 10, 5), Qt::black);
        });
    }
    music::ensureMusicFont();
    music::Note n;
    prepare(n, 70, 150);
    n.setNoteTop(45);
    n.setNoteLeft(15);
    n.setNote(value);
    n.setRest(rest ? -1 : 0);
    n.setDotsNumberOf(dots);
    n.setStemDirection(stemDown ? 0 : -1);
    n.setLegerLines(0);
    // One scale for every value, so heads and stems compare as on the staff; only the
    // shortest values, whose flags make them taller, are squeezed to fit.
    return fitted(n, 0.55);
}

QPixmap accidentalPicture(int sign) {
    music::ensureMusicFont();
    class music::Accidental a;
    prepare(a, 60, 120);
    a.setKeyMode(music::fmAccKey::Accidental);
    a.setKeyTop(20);
    a.setKeyLeft(10);
    a.setAccidentalSign(sign);
    return fitted(a, 0.8);
}

QPixmap clefPicture(int clef) {
    music::ensureMusicFont();
    music::Clef c;
    prepare(c, 80, 160);
    c.setClef(clef);
    return fitted(c, 0.45);
}

QPixmap dotPicture() {
    return drawn([](QPainter& p) {
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(15, 15), 3, 3);
    });
}

QPixmap stemPicture(bool up) {
    QPixmap pm = notePicture(2, false, 0, !up);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 90, 200), 1.6));
    const double x = 25, y0 = up ? 24 : 6, y1 = up ? 6 : 24, tip = up ? 4 : -4;
    p.drawLine(QPointF(x, y0), QPointF(x, y1));
    p.drawLine(QPointF(x, y1), QPointF(x - 3, y1 + tip));
    p.drawLine(QPointF(x, y1), QPointF(x + 3, y1 + tip));
    return pm;
}

QPixmap slurPicture(bool up) {
    return drawn([up](QPainter& p) {
        QPainterPath path;
        const double y = up ? 20 : 10, bend = up ? -14 : 14;
        path.moveTo(4, y);
        path.cubicTo(10, y + bend, 20, y + bend, 26, y);
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    });
}

QPixmap beamPicture() {
    return drawn([](QPainter& p) {
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(8, 23), 3.5, 2.6);
        p.drawEllipse(QPointF(21, 20), 3.5, 2.6);
        p.drawLine(QPointF(11.2, 23), QPointF(11.2, 7));
        p.drawLine(QPointF(24.2, 20), QPointF(24.2, 5));
        p.setPen(Qt::NoPen);
        QPolygonF beam;
        beam << QPointF(10.5, 6) << QPointF(25, 3.5) << QPointF(25, 7) << QPointF(10.5, 9.5);
        p.drawPolygon(beam);
    });
}

QPixmap arrowPicture() {
    return drawn([](QPainter& p) {
        QPolygonF arrow;
        arrow << QPointF(9, 4) << QPointF(9, 24) << QPointF(13.5, 19.5) << QPointF(17, 27) << QPointF(20, 25.5)
              << QPointF(16.5, 18.5) << QPointF(22.5, 18.5);
        p.setBrush(Qt::white);
        p.setPen(QPen(Qt::black, 1.2));
        p.drawPolygon(arrow);
    });
}

QPixmap barlinePicture() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(120, 120, 120), 1));
        for (int i = 0; i < 5; ++i) p.drawLine(QPointF(4, 7 + 4 * i), QPointF(26, 7 + 4 * i));
        p.setPen(QPen(Qt::black, 1.8));
        p.drawLine(QPointF(15, 7), QPointF(15, 23));
    });
}

} // namespace palettes
