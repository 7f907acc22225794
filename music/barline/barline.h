#pragma once
// A bar line (single, double, final, repeat start, repeat end or dashed) across the staves of
// a system, one StaffGroup item per staff, either broken between staves or unbroken.
#include "music/framework/control.h"
#include "staffgroup.h"

#include <QVariant>
#include <QVector>
#include <limits>

namespace music {

// What a bar line draws, in pixels from the control's corner.
struct BarPart {
    enum Kind { Line, Bar, Dot };
    Kind kind = Line;
    // Line: x1 == x2, from y1 to y2 without the end point. Bar: filled from (x1, y1)
    // inclusive to (x2, y2) exclusive. Dot: the "." glyph's cell top-left at (x1, y1).
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool operator==(const BarPart& o) const {
        return kind == o.kind && x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2;
    }
};

// The parts of a bar line of `type` over staves whose top lines lie at `positions` (ascending;
// empty: one staff at the top), with line space `space`, the music font's maximum character
// width `maxWidth` and internal leading `leading`. Dashes are walked only down to `clipBottom`
// (the control's height when drawing): the last one that starts above it is kept whole.
QVector<BarPart> barLineParts(int type, int space, bool breakBar, const QVector<int>& positions,
                              int maxWidth, int leading,
                              int clipBottom = std::numeric_limits<int>::max());

class BarLine : public MusicControl {
    Q_OBJECT
    Q_CLASSINFO("dispids", "Item=0;BarLineType=1;LineSpace=2;Count=3;Add=4;Remove=5;BreakBar=6;NewEnum=-4")
    Q_CLASSINFO("propmap", "BackColor=-501;Enabled=-514;FillColor=-510;Font=-512;ForeColor=-513;"
                           "MouseIcon=-522;MousePointer=-521;Bar Line=1;Space Between Lines=2;"
                           "Break Bar Line Between Staves.=6")
    Q_PROPERTY(int BarLineType READ BarLineType WRITE setBarLineType)
    Q_PROPERTY(int LineSpace READ LineSpace WRITE setLineSpace)
    Q_PROPERTY(int Count READ Count)
    Q_PROPERTY(int BreakBar READ BreakBar WRITE setBreakBar)

public:
    explicit BarLine(QWidget* parent = nullptr);
    ~BarLine() override;

    int BarLineType() const { return barLineType_; }
    int LineSpace() const { return lineSpace_; }
    int BreakBar() const { return breakBar_; }
    int Count() const { return int(items_.size()); }

    void setBarLineType(int v);
    void setLineSpace(int v);
    void setBreakBar(int v);   // any non-zero value is True (-1)

    // A new staff at `nStaffPosition` (pixels), kept in ascending position order; the result
    // is the new item.
    Q_INVOKABLE QObject* Add(int nStaffPosition);
    // Index 1..Count; false (invalid argument) otherwise, with nothing changed.
    Q_INVOKABLE bool Remove(int Index);
    // The item at Index 1..Count; nullptr (invalid argument) otherwise.
    Q_INVOKABLE QObject* Item(int Index) const;
    // A copy of the items as they are now; later changes do not reach it.
    Q_INVOKABLE QVariantList NewEnum() const;

    StaffGroup* itemAt(int index) const;   // 1-based; nullptr when out of range

protected:
    void onDraw(QPainter& p, const QRect& bounds) override;

private:
    int barLineType_ = fmBarLines::BarLine;
    int lineSpace_ = 10;
    int breakBar_ = True;
    QVector<StaffGroup*> items_;
};

// The kind enumerator `BarLine` (fmBarLines) hides the class name at namespace scope; code
// outside the class names it through this alias (or as `class music::BarLine`).
using BarLineControl = class BarLine;

} // namespace music
