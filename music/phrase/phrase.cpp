#include "phrase.h"
#include "music/framework/classregistry.h"

#include <QPainter>
#include <QtMath>

namespace music {

MUSIC_REGISTER_CLASS(Phrase, "Music.Phrase", "Phrase Class", "{BF571ACD-2C6F-47EF-8D10-D1AD1737135E}", 117)

QVector<PhraseArc> phraseArcs(int curveType, int curveDirection, int leftOffset, int rightOffset,
                              int l, int t, int r, int b) {
    const int q = (b - t) / 3;
    const bool up = curveDirection == Up;
    if (curveType == Tie) {
        if (up) return {{l, t, r, 2 * b - t, {r, t + 2 * q}, {l, t + 2 * q}}};
        return {{l, 2 * t - b, r, b, {l, t + q}, {r, t + q}}};
    }
    // A slur is drawn twice, the second ellipse a pixel flatter at the crown: thick in the
    // middle, thin at the ends. The offsets move the ends away from the crown.
    if (up) {
        const QPoint start(r, t + 2 * q + rightOffset), end(l, t + 2 * q + leftOffset);
        return {{l, t, r, 2 * b - t, start, end}, {l, t + 1, r, 2 * b - t, start, end}};
    }
    const QPoint start(l, t + q - leftOffset), end(r, t + q - rightOffset);
    return {{l, 2 * t - b, r, b, start, end}, {l, 2 * t - b, r, b - 1, start, end}};
}

namespace {
// Degrees counter-clockwise (y up) of the ellipse parameter where the ray from the centre
// towards `pt` meets the ellipse.
double parameterAngle(const PhraseArc& a, const QPoint& pt) {
    const double cx = (a.left + a.right) / 2.0, cy = (a.top + a.bottom) / 2.0;
    const double rx = (a.right - a.left) / 2.0, ry = (a.bottom - a.top) / 2.0;
    double dx = pt.x() - cx, dy = cy - pt.y();
    if (rx != 0 && ry != 0) {
        dx /= qAbs(rx);
        dy /= qAbs(ry);
    }
    return qRadiansToDegrees(std::atan2(dy, dx));
}
} // namespace

PainterArc toPainterArc(const PhraseArc& a) {
    PainterArc out;
    // An ellipse in (l, t, r, b) covers pixels l .. r - 1 and t .. b - 1. The painter's pixel
    // n has its centre at n + 0.5, so the outline runs through the centres of the edge pixels.
    out.rect = QRectF(a.left + 0.5, a.top + 0.5, a.right - a.left - 1, a.bottom - a.top - 1);
    double s = parameterAngle(a, a.start);
    if (s < 0) s += 360.0;
    double span = parameterAngle(a, a.end) - s;
    // Counter-clockwise from start to end; equal radials make the whole ellipse.
    while (span <= 0) span += 360.0;
    while (span > 360.0) span -= 360.0;
    out.startAngle = qRound(s * 16);
    out.spanAngle = qRound(span * 16);
    return out;
}

Phrase::Phrase(QWidget* parent)
    : MusicControl(parent, kLineControlStock, 0) {}

void Phrase::setCurveType(int v) { curveType_ = v; requestRedraw(); }
void Phrase::setCurveDirection(int v) { curveDirection_ = v; requestRedraw(); }
void Phrase::setLeftOffset(int v) { leftOffset_ = v; requestRedraw(); }
void Phrase::setRightOffset(int v) { rightOffset_ = v; requestRedraw(); }

void Phrase::onDraw(QPainter& p, const QRect& bounds) {
    // A one-pixel curve drawn aliased climbs in visible stairs; the same arcs antialiased read
    // as one smooth stroke.
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(foreRgb(), 1));
    p.setBrush(Qt::NoBrush);
    const auto arcs = phraseArcs(curveType_, curveDirection_, leftOffset_, rightOffset_, bounds.left(),
                                 bounds.top(), bounds.left() + bounds.width(), bounds.top() + bounds.height());
    for (const PhraseArc& arc : arcs) {
        const PainterArc pa = toPainterArc(arc);
        p.drawArc(pa.rect, pa.startAngle, pa.spanAngle);
    }
}

} // namespace music
