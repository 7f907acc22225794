#include "barline.h"
#include "music/framework/classregistry.h"
#include "music/framework/textmetrics.h"

#include <QPainter>
#include <algorithm>

namespace music {

// The class shares its name with an enumerator of the bar-line kinds, which hides it at
// namespace scope; the elaborated name reaches the class.
static const ClassRegistration BarLine_registration_{ClassInfo{
    "BarLine", "Music.BarLine", "Music.BarLine.1", "BarLine Class",
    "{E9B59A4D-CA39-4889-A062-1DF6EE5EFEC3}", 115, true,
    [](QWidget* parent) -> QObject* { return new class BarLine(parent); }}};

namespace {

struct StaffSpan {
    int top;
    int bottom;      // the staff's own bottom line
    int fullBottom;  // where its lines and bars end: the last staff's bottom when unbroken
};

void addLine(QVector<BarPart>& out, int x, int y1, int y2) {
    if (y1 != y2) out.push_back({BarPart::Line, x, y1, x, y2});
}

// A thin line of a staff: to its own bottom, then on through the staves below when unbroken.
void addStaffLine(QVector<BarPart>& out, const StaffSpan& s, int x) {
    addLine(out, x, s.top, s.bottom);
    addLine(out, x, s.bottom, s.fullBottom);
}

void addBar(QVector<BarPart>& out, const StaffSpan& s, int x1, int x2) {
    out.push_back({BarPart::Bar, x1, s.top, x2, s.fullBottom});
}

void addDots(QVector<BarPart>& out, const StaffSpan& s, int x, int space, int leading) {
    const int down = (3 * space) / 2 - leading;
    out.push_back({BarPart::Dot, x, s.top + down, x, s.top + down});
    out.push_back({BarPart::Dot, x, s.top + space + down, x, s.top + space + down});
}

// Host values are stored unchecked: staff arithmetic that leaves the int range saturates
// instead of wrapping.
int saturate(qint64 v) {
    return int(std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Four pixels drawn, four left out, from the staff's top to its bottom. The pattern starts
// afresh on every staff, so a broken dashed bar line never bridges the gap between staves.
// Nothing below `clip` can be seen, so the walk ends there: a huge staff costs no more than
// the control's height.
void addDashes(QVector<BarPart>& out, int from, int to, int clip) {
    const qint64 last = qMin<qint64>(to, qint64(clip) + 4);
    bool on = true;
    qint64 p = from;
    for (qint64 v = from; v <= last; v += 4) {
        if (on) addLine(out, 2, int(p), int(v));
        on = !on;
        p = v;
    }
}

} // namespace

QVector<BarPart> barLineParts(int type, int space, bool breakBar, const QVector<int>& positions,
                              int maxWidth, int leading, int clipBottom) {
    QVector<StaffSpan> staves;
    const qint64 height = 4 * qint64(space);
    if (positions.isEmpty()) {
        staves.push_back({0, saturate(height), saturate(height)});
    } else {
        const qint64 first = positions.first(), last = positions.last();
        for (int k = 0; k < positions.size(); ++k) {
            const qint64 y = positions[k] - first;
            const qint64 b = y + height;
            staves.push_back({saturate(y), saturate(b),
                              saturate((k == 0 && !breakBar) ? last - first + height : b)});
        }
    }

    const int w = maxWidth;
    QVector<BarPart> out;
    for (int k = 0; k < staves.size(); ++k) {
        const StaffSpan& s = staves[k];
        switch (type) {
        case DoubleBarLine:
            addStaffLine(out, s, 2);
            addStaffLine(out, s, 7);
            break;
        case Finale:
            addStaffLine(out, s, 2);
            addBar(out, s, w / 7, 2 * (w / 9) - 1);
            break;
        case RepeatStart:
            addDots(out, s, w / 4, space, leading);
            addBar(out, s, 3, w / 7);
            addStaffLine(out, s, 2 * (w / 9) - 1);
            break;
        case RepeatEnd:
            addDots(out, s, 0, space, leading);
            addStaffLine(out, s, w / 12 + 2);
            addBar(out, s, w / 12 + w / 7, w / 12 + 2 * (w / 9) - 1);
            break;
        case Dashed:
            if (breakBar) addDashes(out, s.top, s.bottom, clipBottom);
            else if (k == 0) addDashes(out, s.top, s.fullBottom, clipBottom);
            break;
        default:   // a single line, also for unknown kinds
            addStaffLine(out, s, 2);
            break;
        }
    }
    return out;
}

BarLine::BarLine(QWidget* parent)
    : MusicControl(parent, kGlyphControlStock, kMusicFontPoints) {}

BarLine::~BarLine() = default;

void BarLine::setBarLineType(int v) { barLineType_ = v; requestRedraw(); }
void BarLine::setLineSpace(int v) { lineSpace_ = v; requestRedraw(); }
void BarLine::setBreakBar(int v) { breakBar_ = v != 0 ? True : False; requestRedraw(); }

QObject* BarLine::Add(int nStaffPosition) {
    auto* item = new StaffGroup(this);
    item->setStaffPosition(nStaffPosition);
    items_.push_back(item);
    // The earlier items are already in order, so this moves the new one to its place, after
    // items of the same position.
    for (int i = 0; i + 1 < items_.size(); ++i) {
        const int key = items_[i]->StaffPosition();
        for (int j = i + 1; j < items_.size(); ++j)
            if (items_[j]->StaffPosition() < key) std::swap(items_[i], items_[j]);
    }
    requestRedraw();
    return item;
}

bool BarLine::Remove(int Index) {
    if (Index < 1 || Index > items_.size()) return false;
    // A caller may still be using the item it obtained earlier in the same handler.
    items_.takeAt(Index - 1)->deleteLater();
    requestRedraw();
    return true;
}

StaffGroup* BarLine::itemAt(int index) const {
    return (index >= 1 && index <= items_.size()) ? items_[index - 1] : nullptr;
}

QObject* BarLine::Item(int Index) const { return itemAt(Index); }

QVariantList BarLine::NewEnum() const {
    QVariantList out;
    for (StaffGroup* item : items_) out << QVariant::fromValue<QObject*>(item);
    return out;
}

void BarLine::onDraw(QPainter& p, const QRect& bounds) {
    p.translate(bounds.topLeft());
    p.setPen(QPen(foreRgb(), 1));
    p.setBrush(foreRgb());
    int maxWidth = 0, leading = 0;
    if (hasFont()) {
        p.setFont(Font());
        maxWidth = QFontMetrics(Font()).maxWidth();
        leading = textMetrics(Font()).internalLeading;
    }
    QVector<int> positions;
    for (StaffGroup* item : items_) positions << item->StaffPosition();

    const auto parts = barLineParts(barLineType_, lineSpace_, breakBar_ != False,
                                    positions, maxWidth, leading, bounds.height());
    for (const BarPart& part : parts) {
        switch (part.kind) {
        case BarPart::Line:
            drawLineNoEnd(p, part.x1, part.y1, part.x2, part.y2);
            break;
        case BarPart::Bar:
            if (part.x2 > part.x1 && part.y2 > part.y1)
                p.fillRect(QRect(part.x1, part.y1, part.x2 - part.x1, part.y2 - part.y1), foreRgb());
            break;
        case BarPart::Dot:
            // The dots' places come from the font's leading: without a font there are none.
            if (hasFont()) drawTextTop(p, part.x1, part.y1, QStringLiteral("."));
            break;
        }
    }
}

} // namespace music
