#include "note.h"
#include "music/accidental/accidental.h"
#include "music/framework/classregistry.h"
#include "music/framework/textmetrics.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace music {

MUSIC_REGISTER_CLASS(Note, "Music.Note", "Note Class", "{5E5AFBA5-C51D-4433-AE39-0307D345A765}", 109)

namespace {

struct NoteKind { int ticks; unsigned char head; unsigned char rest; };
// Indexed by NoteName: Whole .. OneTwentyEighth, DoubleWhole. The whole and half rests
// share a block that the rule hangs from a line or stands on one; the breve rest has a
// glyph of its own (0xE3), a block filling a space, since on 0xEE it read as a half rest.
const NoteKind kKinds[] = {
    {8192, 0x77, 0xEE}, {4096, 0xFA, 0xEE}, {2048, 0xCF, 0xCE}, {1024, 0xCF, 0xE4},
    {512, 0xCF, 0xC5},  {256, 0xCF, 0xA8},  {128, 0xCF, 0xF4},  {64, 0xCF, 0xE5},
    {16384, 0x57, 0xE3},
};
bool isNoteName(int v) { return v >= Whole && v <= DoubleWhole; }

// Flags beyond the stem: one for an eighth, one more for each shorter value.
int flagCount(int note) {
    return (note >= Eighth && note <= OneTwentyEighth) ? note - Quarter : 0;
}

int truncToInt(double v) { return int(std::trunc(v)); }

// The ink of a glyph text whose cell's top-left corner is at (0, 0), or of the part of it
// between rows `from` and `to`.
QRectF inkOf(const QFont& font, int ascent, const QString& text, double from = 0, double to = -1) {
    QPainterPath path;
    path.addText(0, ascent, font, text);
    if (to < from) return path.boundingRect();
    QPainterPath band;
    band.addRect(QRectF(-1000, from, 2000, to - from));
    return path.intersected(band).boundingRect();
}

} // namespace

int noteTicks(int noteValue) { return isNoteName(noteValue) ? kKinds[noteValue].ticks : 0; }

int dottedTicks(int undotted, int dots) {
    int total = undotted, add = undotted;
    for (int i = 0; i < dots; ++i) {
        add /= 2;
        total += add;
    }
    return total;
}

Note::Note(QWidget* parent)
    : MusicControl(parent, kGlyphControlStock, kMusicFontPoints),
      headText_(glyph(0xCF)) {}

void Note::chooseHead() {
    if (!isNoteName(note_)) return;   // no glyph for it: the last one stays
    headText_ = glyph(rest_ ? kKinds[note_].rest : kKinds[note_].head);
}

void Note::recomputeDuration() { dottedTicks_ = dottedTicks(undottedTicks_, dots_); }

void Note::setNote(int v) {
    note_ = v;
    if (isNoteName(v)) {
        chooseHead();
        undottedTicks_ = kKinds[v].ticks;
        recomputeDuration();
    }
    requestRedraw();
}

void Note::setRest(int v) {
    rest_ = v ? -1 : 0;
    chooseHead();
    requestRedraw();
}

void Note::setAccidentalName(int v) {
    accidentalName_ = v;
    if (v >= mNothing && v <= mNaturalFlat) accidentalText_ = accidentalGlyphText(v);
    requestRedraw();
}

void Note::setDotsNumberOf(int v) {
    dots_ = qBound(0, v, 6);
    recomputeDuration();
    requestRedraw();
}

#define MUSIC_NOTE_STORE(Fn, Member) \
    void Note::Fn(int v) { Member = v; requestRedraw(); }
#define MUSIC_NOTE_FLAG(Fn, Member) \
    void Note::Fn(int v) { Member = v ? -1 : 0; requestRedraw(); }
MUSIC_NOTE_STORE(setStemDirection, stemDirection_)
MUSIC_NOTE_STORE(setStemLength, stemLength_)
MUSIC_NOTE_STORE(setNoteTop, noteTop_)
MUSIC_NOTE_STORE(setNoteLeft, noteLeft_)
MUSIC_NOTE_STORE(setAccidentalOffset, accidentalOffset_)
MUSIC_NOTE_STORE(setRhythmicOffset, rhythmicOffset_)
MUSIC_NOTE_STORE(setOctave, octave_)
MUSIC_NOTE_STORE(setDotsYOffset, dotsYOffset_)
MUSIC_NOTE_STORE(setDotsXOffset, dotsXOffset_)
MUSIC_NOTE_STORE(setLegerLines, legerLines_)
MUSIC_NOTE_STORE(setLineSpace, lineSpace_)
MUSIC_NOTE_STORE(setReverseLeger, reverseLeger_)
MUSIC_NOTE_FLAG(setHideFlags, hideFlags_)
MUSIC_NOTE_FLAG(setMirroredNoteHead, mirrored_)
MUSIC_NOTE_FLAG(setLineNote, lineNote_)
#undef MUSIC_NOTE_STORE
#undef MUSIC_NOTE_FLAG

int Note::StemPosition() {
    // Without a Font the head has no width to measure.
    const int headWidth = hasFont() ? textWidth(Font(), headText_) : 0;
    const int left = x() + noteLeft_;
    stemPosition_ = (stemDirection_ == Up ? left + headWidth - 1 : left) * 15;
    requestRedraw();
    return stemPosition_;
}

int Note::dotRow(const TextMetrics& tm) const {
    const int IL = tm.internalLeading, half = lineSpace_ / 2;
    if (rest_) {
        // The whole rest hangs from the fourth line, the half rest sits on the middle line and
        // the other rests centre on it (their rules' rows): each dots the space between them.
        if (note_ == Whole) return IL - IL / 15 + half;
        return IL + IL / 25 - half;
    }
    // The head's line (where a leger line through it runs), or the middle of its space.
    const int head = IL + IL / 35;
    return lineNote_ ? head - half : head;
}

void Note::placeDots(QVector<NoteDrawOp>& ops, int at, const QFont& font, const TextMetrics& tm, int x0,
                     int top) const {
    const QString dot = QStringLiteral(".");
    const int w = textWidth(font, dot);
    const bool mirrored = mirrored_ != 0;
    double f = 1.6;
    if (mirrored && stemDirection_ == Up) f = 3.5;
    else if (mirrored && stemDirection_ == Down) f = 0.03;
    int x = truncToInt(w * f) + truncToInt(1.6 * w) + x0;   // the first dot's cell, by the rule
    int y = top + dotsYOffset_;
    // The dot glyph's ink sits wherever its font puts it: centre it on the row's middle, and
    // keep it a quarter of a space clear of what it follows in its rows (a head, a flag that
    // hangs down to them, a rest leaning to the right as it rises).
    const QRectF ink = inkOf(font, tm.ascent, dot);
    if (!ink.isEmpty()) {
        y += int(std::floor(dotRow(tm) + 1.0 - ink.center().y()));
        const double from = y + ink.top() - 1, to = y + ink.bottom() + 1;
        double right = -1e9;
        for (int i = at; i < ops.size(); ++i) {
            const NoteDrawOp& op = ops[i];
            if (op.kind != NoteDrawOp::Text) continue;
            const QRectF part = inkOf(font, tm.ascent, op.text, from - op.y, to - op.y);
            if (!part.isEmpty()) right = qMax(right, op.x + part.right());
        }
        x = qMax(x, int(std::ceil(right + lineSpace_ / 4.0 - ink.left())));
    }
    x += dotsXOffset_ - truncToInt(1.6 * w);
    for (int i = 1; i <= dots_; ++i)
        ops.insert(at + i - 1, {NoteDrawOp::Text, x + truncToInt(1.6 * i * w), y, 0, 0, dot});
}

QVector<NoteDrawOp> Note::drawOps(const QRect& bounds) const {
    QVector<NoteDrawOp> ops;
    // Every position below follows from the font's metrics; without a Font nothing is placed.
    if (!hasFont()) return ops;
    const QFont font = Font();
    const TextMetrics tm = textMetrics(font);
    const int H = tm.height, IL = tm.internalLeading;
    const int L = bounds.left(), T = bounds.top();
    const int x0 = L + noteLeft_, top = T + noteTop_;
    const bool mirrored = mirrored_ != 0;
    auto text = [&ops](int x, int y, const QString& t) { ops.push_back({NoteDrawOp::Text, x, y, 0, 0, t}); };
    auto line = [&ops](int x1, int y1, int x2, int y2) {
        ops.push_back({NoteDrawOp::Line, x1, y1, x2, y2, QString()});
    };

    int w = textWidth(font, accidentalText_);
    if (!accidentalText_.isEmpty()) {
        const int ax = (mirrored && stemDirection_ == Down) ? x0 - accidentalOffset_ - 2 * w
                                                            : x0 - accidentalOffset_ - w;
        text(ax, top, accidentalText_);
    }

    // The dots come next, drawn before the head; they are placed once what they follow is.
    const int dotsAt = ops.size();
    auto withDots = [&]() -> QVector<NoteDrawOp> {
        if (dots_ > 0) placeDots(ops, dotsAt, font, tm, x0, top);
        return ops;
    };

    w = textWidth(font, headText_);
    int hx = x0;
    if (mirrored && stemDirection_ == Up) hx = x0 + w - 1;
    else if (mirrored && stemDirection_ == Down) hx = x0 - w + 1;
    text(hx, top, headText_);

    if (rest_) {
        if (note_ == Whole || note_ == Half) {
            const int xr = x0 + w - 1;
            const int yr = note_ == Half ? top + IL + IL / 25 : top + IL - IL / 15;
            line(xr - 15, yr, xr + (w / 3) * 2, yr);
        }
        return withDots();   // rests have no stem, flags or leger lines
    }

    const bool stemmed = note_ != Whole && note_ != DoubleWhole;
    const int flags = hideFlags_ ? 0 : flagCount(note_);
    if (stemmed && stemDirection_ == Up) {
        const int xs = x0 + w - 1;
        line(xs, top - stemLength_, xs, top + IL + IL / 25);
        const int yf = top - IL - stemLength_;
        for (int k = 0; k < flags; ++k)
            text(xs, yf + k * (H / 10), glyph(k == flags - 1 ? 0x6A : 0xFB));
    } else if (stemmed) {
        const int c = textHeight(font, headText_);
        const int v = truncToInt(c * -1.2);
        const int xs = x0;
        line(xs, top + IL, xs, top + stemLength_ - v);
        const int yf = top + stemLength_ - v / 2;
        for (int k = 0; k < flags; ++k)
            text(xs, yf - k * (H / 10), glyph(k == flags - 1 ? 0x4A : 0xF0));
    }

    const int m = mirrored ? w : 0;
    const int y0 = top + IL, d = IL / 35;
    const bool towardsTop = (stemDirection_ == Up && !reverseLeger_) || (stemDirection_ == Down && reverseLeger_);
    const bool towardsBottom = (stemDirection_ == Down && !reverseLeger_) || (stemDirection_ == Up && reverseLeger_);
    if (towardsTop || towardsBottom) {
        // The count is the host's: only the lines that fall inside the control are kept.
        const int first = towardsTop ? (lineNote_ ? y0 + d : y0 - 3 * d) : (lineNote_ ? y0 + d : y0 + 5 * d);
        const qint64 step = towardsTop ? -qint64(lineSpace_) : qint64(lineSpace_);
        const IndexRange shown = indicesWithin(first, step, legerLines_, bounds.top(), bounds.bottom());
        for (qint64 i = shown.from; i < shown.to; ++i) {
            const int y = int(first + i * step);
            if (towardsTop) line(x0 - 5 + m, y, x0 + m + 5 + w, y);
            else line(x0 - m - 5, y, x0 - m + 5 + w, y);
        }
    }
    return withDots();
}

int Note::dotsRight() const {
    int right = 0;
    const QVector<NoteDrawOp> ops = drawOps(rect());
    for (const NoteDrawOp& op : ops)
        if (op.kind == NoteDrawOp::Text && op.text == QLatin1String("."))
            right = qMax(right, op.x + textWidth(Font(), op.text));
    return right;
}

void Note::onDraw(QPainter& p, const QRect& bounds) {
    const QVector<NoteDrawOp> ops = drawOps(bounds);
    if (ops.isEmpty()) return;
    p.setPen(QPen(foreRgb(), 1, Qt::SolidLine));
    p.setBrush(Qt::NoBrush);
    p.setFont(Font());
    for (const NoteDrawOp& op : ops) {
        if (op.kind == NoteDrawOp::Text) drawTextTop(p, op.x, op.y, op.text);
        else drawLineNoEnd(p, op.x, op.y, op.x2, op.y2);
    }
}

} // namespace music
