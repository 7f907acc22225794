#include "metre.h"
#include "music/framework/classregistry.h"
#include "music/framework/textmetrics.h"

#include <QPainter>
#include <cmath>

namespace music {

MUSIC_REGISTER_CLASS(Metre, "Music.Time", "Time Class", "{65D237DF-F37B-40D8-9A16-31E7C4FFB99A}", 111)

namespace {
// The music font holds its glyphs at 8-bit codes: a free text is narrowed to them first, and
// characters that have no 8-bit code become "?".
QString eightBit(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (QChar c : s) out += c.unicode() < 256 ? c : QChar('?');
    return out;
}
} // namespace

Metre::Metre(QWidget* parent)
    : MusicControl(parent, kGlyphControlStock, kMusicFontPoints) {}

void Metre::setPulses(int v) {
    pulses_ = v;
    switch (v) {
    case Single: upper_ = QStringLiteral("1"); break;
    case SimpleDuple: upper_ = QStringLiteral("2"); break;
    case SimpleTriple: upper_ = QStringLiteral("3"); break;
    case SimpleQuadruple: upper_ = QStringLiteral("4"); break;
    case CompoundDuple: upper_ = QStringLiteral("6"); break;
    case CompoundTriple: upper_ = QStringLiteral("9"); break;
    case CompoundQuadruple: upper_ = QStringLiteral("12"); break;
    case TimePulses::Complex: upper_ = eightBit(complex_); break;
    default: upper_ = QStringLiteral("4"); break;
    }
    requestRedraw();
}

void Metre::setComplex(const QString& s) {
    complex_ = s;
    if (pulses_ == TimePulses::Complex) upper_ = eightBit(complex_);
    requestRedraw();
}

void Metre::setNoteValue(int v) {
    noteValue_ = v;
    switch (v) {
    case Whole: lower_ = QStringLiteral("1"); break;
    case Half: lower_ = QStringLiteral("2"); break;
    case Quarter: lower_ = QStringLiteral("4"); break;
    case Eighth: lower_ = QStringLiteral("8"); break;
    case Sixteenth: lower_ = QStringLiteral("16"); break;
    case ThirtySecondth: lower_ = QStringLiteral("32"); break;
    case SixtyFourth: lower_ = QStringLiteral("64"); break;
    case OneTwentyEighth: lower_ = QStringLiteral("128"); break;
    case DoubleWhole: lower_.clear(); break;
    default: lower_ = QStringLiteral("4"); break;
    }
    requestRedraw();
}

void Metre::setMetreTop(int v) { metreTop_ = v; requestRedraw(); }
void Metre::setMetreLeft(int v) { metreLeft_ = v; requestRedraw(); }
void Metre::setRhythmicOffset(int v) { rhythmicOffset_ = v; }

Metre::Placement Metre::placement(const QRect& bounds) const {
    const QFont font = Font();
    const TextMetrics tm = textMetrics(font);
    const int wu = textWidth(font, upper_), wl = textWidth(font, lower_);
    int shiftUpper = 0, shiftLower = 0;
    // Figures of the same length stand flush left even when their widths differ.
    if (upper_.size() != lower_.size()) {
        if (wu <= wl) shiftUpper = (wl - wu) / 2;
        else shiftLower = (wu - wl) / 2;
    }
    const int e = int(std::trunc(0.9 * tm.internalLeading));
    const int x = bounds.left() + metreLeft_;
    const int y = bounds.top() + metreTop_ - e + 10;
    return {QPoint(x + shiftUpper, y), QPoint(x + shiftLower, y + tm.height / 4)};
}

void Metre::onDraw(QPainter& p, const QRect& bounds) {
    // The figures are placed by the font's metrics; without a Font there is nothing to place.
    if (!hasFont()) return;
    const Placement at = placement(bounds);
    p.setPen(foreRgb());
    p.setFont(Font());
    drawTextTop(p, at.upper.x(), at.upper.y(), upper_);
    drawTextTop(p, at.lower.x(), at.lower.y(), lower_);
}

} // namespace music
