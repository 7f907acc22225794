#include "music/musickey/musickey.h"

#include "music/font/musicfont.h"
#include "music/framework/classregistry.h"
#include "music/framework/textmetrics.h"

#include <QPainter>

namespace music {

MUSIC_REGISTER_CLASS(MusicKey, "Music.MusicKey", "MusicKey Class",
                     "{C39AF73F-B300-4811-8D2C-57E03D7DAEE3}", 123)

// The theory keeps the library's numbering; a mismatch would silently mislabel chords.
static_assert(int(KeyChordTheory::mB) == int(mB) && int(KeyChordTheory::mC) == int(mC));
static_assert(int(KeyChordTheory::mDoubleSharp) == int(mDoubleSharp) &&
              int(KeyChordTheory::mNaturalFlat) == int(mNaturalFlat));
static_assert(int(KeyChordTheory::mThird) == int(mThird));

namespace {
constexpr int kFontPoints = 14;

// The letter font made at siting: the text face at 14 points, sized in pixels at 96 dpi.
QFont defaultCharFont() {
    QFont f(QStringLiteral("Times New Roman"));
    f.setPixelSize(qRound(kFontPoints * 96.0 / 72.0));
    f.setWeight(QFont::Normal);
    f.setItalic(false);
    f.setUnderline(false);
    f.setStrikeOut(false);
    return f;
}
} // namespace

MusicKey::MusicKey(QWidget* parent)
    : MusicControl(parent,
                   StockBackColor | StockFillColor | StockFont | StockForeColor | StockEnabled |
                       StockTabStop | StockMousePointer | StockMouseIcon,
                   kFontPoints) {
    // A control made with a parent was sited inside the base constructor, before this class
    // existed to add its letter font.
    if (clientSite() && !hasCharFont_) onSited();
}

void MusicKey::onSited() {
    if (!clientSite() || hasCharFont_) return;
    charFont_ = defaultCharFont();
    hasCharFont_ = true;
}

void MusicKey::setKeyScale(int v) { theory_.setKeyScale(v); requestRedraw(); }
void MusicKey::setScaleMode(int v) { theory_.setScaleMode(v); requestRedraw(); }
void MusicKey::setForcedAccidental(int v) { forcedAccidental_ = v; requestRedraw(); }
void MusicKey::setForcedKey(int v) { forcedKey_ = v; requestRedraw(); }
void MusicKey::setChordLeft(int v) { chordLeft_ = v; requestRedraw(); }
void MusicKey::setChordTop(int v) { chordTop_ = v; requestRedraw(); }
void MusicKey::setChordNotes(int v) { theory_.setChordNotes(v); requestRedraw(); }
void MusicKey::setChordRaisedNotes(int v) { theory_.setRaisedNotes(v); requestRedraw(); }
void MusicKey::setChordLoweredNotes(int v) { theory_.setLoweredNotes(v); requestRedraw(); }
void MusicKey::setChordDiminishedNotes(int v) { theory_.setDiminishedNotes(v); requestRedraw(); }
void MusicKey::setChordAugmentedNotes(int v) { theory_.setAugmentedNotes(v); requestRedraw(); }
void MusicKey::setChordHalfDiminishedNote(int v) { theory_.setHalfDiminishedNotes(v); requestRedraw(); }
void MusicKey::setOffsetAccidental(int v) { offsetAccidental_ = v; requestRedraw(); }
void MusicKey::setOffsetModeName(int v) { offsetModeName_ = v; requestRedraw(); }
void MusicKey::setChordDisplay(int v) { chordDisplay_ = v; requestRedraw(); }
void MusicKey::setRomanNumeralCase(int v) { romanCase_ = v; requestRedraw(); }
void MusicKey::setRomanNumber(int v) { theory_.setRomanNumber(v); requestRedraw(); }

void MusicKey::setCharFont(const QFont& f) {
    charFont_ = f;
    hasCharFont_ = true;
    setDirty(true);
    if (clientSite()) clientSite()->changed(DISPID_CHARFONT);
    emit propertyChanged(DISPID_CHARFONT);
    requestRedraw();
}

QString MusicKey::mainText() const {
    switch (chordDisplay_) {
    case mScaleName: return KeyChordTheory::keyLetterText(KeyScale(), ScaleMode());
    case mRomanNumeral: return KeyChordTheory::romanNumeralText(RomanNumber(), romanCase_);
    default: return KeyChordTheory::technicalName(RomanNumber());
    }
}

QString MusicKey::accidentalText() const {
    if (chordDisplay_ != mScaleName || !KeyChordTheory::isKey(KeyScale())) return QString();
    const QString own = KeyChordTheory::keyAccidentalText(KeyScale(), ScaleMode());
    return forcedKey_ == True ? KeyChordTheory::forcedAccidentalText(forcedAccidental_, own) : own;
}

void MusicKey::onDraw(QPainter& p, const QRect& bounds) {
    // The bounding rectangle goes down with an empty pen and a hollow brush: nothing shows.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(bounds);

    if (!hasCharFont_) return;
    const int L = bounds.left() + chordLeft_;
    const int T = bounds.top() + chordTop_;
    p.setPen(foreRgb());
    p.setBackgroundMode(Qt::TransparentMode);
    p.setFont(charFont_);

    const QString text = mainText();
    const int w = textWidth(charFont_, text);
    const int h = textMetrics(charFont_).height;

    if (chordDisplay_ == mScaleName) {
        // A key signature outside the tables names no key: nothing is drawn.
        if (!KeyChordTheory::isKey(KeyScale())) return;
        drawKeyName(p, L, T, w, h, accidentalText());
    } else if (chordDisplay_ == mRomanNumeral) {
        // A degree outside 1..7 reads "Illegal"; the figures and marks depend on the bit sets
        // only and follow it all the same.
        drawTextTop(p, L + 5, T + 10, text);
        drawRomanNumeral(p, L, T, w, h);
    } else {
        drawTextTop(p, L + 5, T + 5, text);
    }
}

void MusicKey::drawKeyName(QPainter& p, int L, int T, int w, int h, const QString& accidental) {
    drawTextTop(p, L + 5, T + 5, mainText());
    int a = 0;
    if (hasFont()) {
        p.setFont(Font());
        drawTextTop(p, L + offsetAccidental_ + w + 10, T - h / 2, accidental);
        a = textWidth(Font(), accidental);
        p.setFont(charFont_);
    }
    drawTextTop(p, L + offsetModeName_ + w + a + 15, T + 5, KeyChordTheory::modeWord(ScaleMode()));
}

void MusicKey::drawRomanNumeral(QPainter& p, int L, int T, int w, int h) {
    if (!hasFont()) return;
    p.setFont(Font());
    const int markX = L + offsetAccidental_ + w + 10;
    const QVector<KeyChordTheory::Figure> figures = theory_.figures();
    const int n = figures.size();
    if (n > 0) {
        const int e = theory_.hasAlterations() ? 10 : 0;
        const int figureX = L + offsetAccidental_ + w + e + 8;
        for (int j = 1; j <= n; ++j) {
            const KeyChordTheory::Figure& f = figures[j - 1];
            const int u = f.lifted ? -(h / 6) : 0;
            // Figures stack upwards h/3 apart, the highest first.
            const int y = T + u + 7 * n - (n - j) * (h / 3) - 9;
            if (!f.mark.isEmpty()) drawTextTop(p, markX, f.markOnFigureLine ? y : y - 3, f.mark);
            drawTextTop(p, figureX, y, figuredDigits(Font(), f.number));
        }
        return;
    }
    const QString mark = theory_.qualityMark();
    if (mark.isEmpty()) return;
    drawTextTop(p, markX, mark == KeyChordTheory::flatText() ? T - 9 : T - 12, mark);
}

} // namespace music
