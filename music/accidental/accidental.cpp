#include "accidental.h"
#include "music/framework/classregistry.h"
#include "music/framework/textmetrics.h"

#include <QPainter>
#include <cstdlib>

namespace music {

// The class shares its name with an enumerator of the accidental/key-signature mode, which
// hides it at namespace scope; the elaborated name reaches the class.
static const ClassRegistration Accidental_registration_{ClassInfo{
    "Accidental", "Music.Accidental", "Music.Accidental.1", "Accidental Class",
    "{367F3F88-1300-407E-B3B4-2D5662546854}", 113, true,
    [](QWidget* parent) -> QObject* { return new class Accidental(parent); }}};

namespace {
const std::array<int, 7> kTrebleSharps = {0, 3, -1, 2, 5, 1, 4};
const std::array<int, 7> kTrebleFlats = {4, 1, 5, 2, 6, 3, 7};
const std::array<int, 7> kTenorFlats = {-3, -6, -2, -5, -1, -4, 0};
const std::array<int, 7> kTenorSharps = {0, -4, -1, -5, -2, -6, -3};

// Keys beyond seven accidentals have no further places: only seven are ever laid out. The
// range test comes first, so no count (not even the most negative) is negated or subtracted
// outside 0..7.
int places(int key) { return (key < -7 || key > 7) ? 7 : std::abs(key); }
} // namespace

const std::array<int, 7>& keyPositionTable(int key, int sharpOrder) {
    const bool sharpKey = key >= 1;
    if (sharpOrder == TrebleSharpOrder) return sharpKey ? kTrebleSharps : kTrebleFlats;
    if (sharpOrder == TenorSharpOrder && sharpKey) return kTenorSharps;
    return kTenorFlats;
}

QVector<KeySignGlyph> keySignatureLayout(int oldKey, int newKey, int sharpOrder) {
    QVector<KeySignGlyph> out;
    const auto& oldTable = keyPositionTable(oldKey, sharpOrder);
    const auto& newTable = keyPositionTable(newKey, sharpOrder);
    const int o = places(oldKey), n = places(newKey);

    int naturals = 0;
    int first = 0;   // the old key's places before the first cancelled one
    if ((oldKey < 0 && newKey < 0) || (oldKey > 0 && newKey >= 1)) {
        naturals = qMax(0, o - n);
        first = n;
    } else if (oldKey != 0) {
        naturals = o;
    }
    for (int i = 1; i <= naturals; ++i)
        out.push_back({QChar('n'), i - 1, oldTable[size_t(first + i - 1)]});

    const QChar sign = newKey < 1 ? QChar('b') : QChar('#');
    for (int i = 1; i <= n; ++i) out.push_back({sign, naturals + i - 1, newTable[size_t(i - 1)]});
    return out;
}

QString accidentalGlyphText(int sign, bool* ok) {
    if (ok) *ok = true;
    switch (sign) {
    case mNothing: return QString();
    case mSharp: return QStringLiteral("#");
    case mFlat: return QStringLiteral("b");
    case mDoubleFlat: return glyph(0xBA);
    case mDoubleSharp: return glyph(0xDC);
    case mNatural: return QStringLiteral("n");
    case mNaturalSharp: return QStringLiteral("n#");
    case mNaturalFlat: return QStringLiteral("nb");
    default:
        if (ok) *ok = false;
        return QString();
    }
}

Accidental::Accidental(QWidget* parent)
    : MusicControl(parent, kGlyphControlStock, kMusicFontPoints) {}

void Accidental::setAccidentalSign(int v) {
    accidentalSign_ = v;
    bool ok = false;
    const QString text = accidentalGlyphText(v, &ok);
    if (ok) glyphText_ = text;
    requestRedraw();
}
void Accidental::setRhythmicOffset(int v) { rhythmicOffset_ = v; requestRedraw(); }
void Accidental::setKeyOldMajor(int v) { keyOldMajor_ = v; requestRedraw(); }
void Accidental::setKeyNewMajor(int v) { keyNewMajor_ = v; requestRedraw(); }
void Accidental::setKeyMode(int v) { keyMode_ = v; requestRedraw(); }
void Accidental::setSharpOrder(int v) { sharpOrder_ = v; requestRedraw(); }
void Accidental::setKeyTop(int v) { keyTop_ = v; requestRedraw(); }
void Accidental::setKeyLeft(int v) { keyLeft_ = v; requestRedraw(); }

void Accidental::onDraw(QPainter& p, const QRect& bounds) {
    // Every position comes from the music font's metrics; without a font there is nothing to
    // measure, so nothing is drawn.
    if (!hasFont()) return;
    p.setFont(Font());
    p.setPen(foreRgb());
    p.setBrush(foreRgb());
    const int left = bounds.left() + keyLeft_, top = bounds.top() + keyTop_;

    if (keyMode_ == fmAccKey::Accidental) {
        drawTextTop(p, left, top, glyphText_);
        return;
    }
    const QString sign = keyNewMajor_ < 1 ? QStringLiteral("b") : QStringLiteral("#");
    const int w = textWidth(Font(), sign);
    const int u = textHeight(Font(), sign) / 15;
    for (const KeySignGlyph& g : keySignatureLayout(keyOldMajor_, keyNewMajor_, sharpOrder_))
        drawTextTop(p, left + g.column * w, top + g.step * u, QString(g.sign));
}

} // namespace music
