#pragma once
// A tie or a slur: one arc across the control's width, bulging up or down.
#include "music/framework/control.h"

#include <QRectF>
#include <QVector>

namespace music {

// One arc as the drawing rules state it: part of the ellipse inside (left, top, right,
// bottom) (right and bottom outside it), running counter-clockwise from where the ray from the
// ellipse's centre towards `start` meets the ellipse to where the ray towards `end` meets it.
struct PhraseArc {
    int left = 0, top = 0, right = 0, bottom = 0;
    QPoint start, end;
    bool operator==(const PhraseArc& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom &&
               start == o.start && end == o.end;
    }
};

// The arcs of a curve inside the bounds (l, t, r, b), r and b outside the control.
QVector<PhraseArc> phraseArcs(int curveType, int curveDirection, int leftOffset, int rightOffset,
                              int l, int t, int r, int b);

// The same arc for QPainter::drawArc: the rectangle whose outline covers the ellipse's pixels,
// and angles in 1/16 degree, counter-clockwise from 3 o'clock. Angles are those of the
// ellipse's own parameter, which is how QPainter places points on a non-circular ellipse.
struct PainterArc {
    QRectF rect;
    int startAngle = 0;
    int spanAngle = 0;
};
PainterArc toPainterArc(const PhraseArc& arc);

class Phrase : public MusicControl {
    Q_OBJECT
    Q_CLASSINFO("dispids", "CurveType=1;CurveDirection=2;LeftOffset=3;RightOffset=4")
    Q_CLASSINFO("propmap", "BackColor=-501;Enabled=-514;FillColor=-510;ForeColor=-513;MouseIcon=-522;"
                           "MousePointer=-521;Curve Type=1;Curve Direction=2;Left Offset Phrase=3;"
                           "Right Offset Phrase=4")
    Q_PROPERTY(int CurveType READ CurveType WRITE setCurveType)
    Q_PROPERTY(int CurveDirection READ CurveDirection WRITE setCurveDirection)
    Q_PROPERTY(int LeftOffset READ LeftOffset WRITE setLeftOffset)
    Q_PROPERTY(int RightOffset READ RightOffset WRITE setRightOffset)

public:
    explicit Phrase(QWidget* parent = nullptr);

    int CurveType() const { return curveType_; }
    int CurveDirection() const { return curveDirection_; }
    int LeftOffset() const { return leftOffset_; }
    int RightOffset() const { return rightOffset_; }

    void setCurveType(int v);        // 0 tie, anything else a slur
    void setCurveDirection(int v);   // only -1 bulges upwards
    void setLeftOffset(int v);       // slurs only
    void setRightOffset(int v);

protected:
    void onDraw(QPainter& p, const QRect& bounds) override;

private:
    int curveType_ = Slur;
    int curveDirection_ = Up;
    int leftOffset_ = 0;
    int rightOffset_ = 0;
};

} // namespace music
