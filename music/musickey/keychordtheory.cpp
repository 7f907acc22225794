#include "music/musickey/keychordtheory.h"

#include <algorithm>
#include <array>

namespace music {

namespace {

// Indexed by KeyScale + 7.
constexpr std::array<int, 15> kMajorTonic = {1, 5, 2, 6, 3, 7, 4, 1, 5, 2, 6, 3, 7, 4, 1};
constexpr std::array<int, 15> kMinorTonic = {6, 3, 7, 4, 1, 5, 2, 6, 3, 7, 4, 1, 5, 2, 6};
constexpr std::array<const char*, 15> kMajorLetter = {
    "C", "G", "D", "A", "E", "B", "F", "C", "G", "D", "A", "E", "B", "F", "C"};
constexpr std::array<const char*, 15> kMajorAccidental = {
    "b", "b", "b", "b", "b", "b", " ", " ", " ", " ", " ", " ", " ", "#", "#"};
constexpr std::array<const char*, 15> kMinorLetter = {
    "A", "E", "B", "F", "C", "G", "D", "A", "E", "B", "F", "C", "G", "D", "A"};
constexpr std::array<const char*, 15> kMinorAccidental = {
    "b", "b", "b", " ", " ", " ", " ", " ", " ", " ", "#", "#", "#", "#", "#"};

constexpr std::array<const char*, 7> kUpperNumerals = {"I", "II", "III", "IV", "V", "VI", "VII"};
constexpr std::array<const char*, 7> kLowerNumerals = {"i", "ii", "iii", "iv", "v", "vi", "vii"};
constexpr std::array<const char*, 7> kTechnicalNames = {
    "Tonic", "Super Tonic", "Mediant", "Sub Dominant", "Dominant", "Sub Mediant", "Leading Tone"};

// Letters wrap around the octave: 1..7 whatever whole number comes in.
int wrapLetter(int n) { return ((n - 1) % 7 + 7) % 7 + 1; }

const QString kIllegal = QStringLiteral("Illegal");

enum Alteration { None = 0, Raised, Lowered, Augmented, Diminished, HalfDiminished };

} // namespace

int16_t KeyChordTheory::clampSet(int v) {
    if (v < 0) return 0;
    if (v > 255) return 255;
    return static_cast<int16_t>(v);
}

int KeyChordTheory::countChordNotes(int set) {
    int n = 0;
    for (int bit = 2; bit <= 256; bit <<= 1)
        if (set & bit) ++n;
    return n;
}

int KeyChordTheory::tonicLetter(int keyScale, int mode) {
    if (!isKey(keyScale)) return NoLetter;
    return mode == mMajor ? kMajorTonic[keyScale + 7] : kMinorTonic[keyScale + 7];
}

int KeyChordTheory::keyAccidental(int keyScale, int letter) {
    if (!isKey(keyScale)) return mNothing;
    for (int i = 0; i < keyScale; ++i)
        if (sharpOrderLetter(i) == letter) return mSharp;
    for (int i = 0; i < -keyScale; ++i)
        if (flatOrderLetter(i) == letter) return mFlat;
    return mNothing;
}

int KeyChordTheory::bassFactor() const {
    if (!(m_notes & FlagBit)) return 1;
    // Checked in this order: 4/2 wins over 6/4, which wins over 6.
    if (m_notes & Bit2nd) return 7;
    if (m_notes & Bit4th) return 5;
    if (m_notes & Bit6th) return 3;
    return 1;
}

int KeyChordTheory::getInversion() const {
    switch (bassFactor()) {
    case 7: return mThird;
    case 5: return mSecond;
    case 3: return mFirst;
    default: return mRoot;
    }
}

int KeyChordTheory::getRootNote() const {
    const int t = tonicLetter();
    if (t == NoLetter || !isDegree(m_romanNumber)) return NoLetter;
    return wrapLetter(m_romanNumber + t - 1);
}

int KeyChordTheory::getBassNote() const {
    const int root = getRootNote();
    if (root == NoLetter) return NoLetter;
    return wrapLetter(root + bassFactor() - 1);
}

int KeyChordTheory::alterationOf(int bit) const {
    if (m_raised & bit) return Raised;
    if (m_lowered & bit) return Lowered;
    if (m_augmented & bit) return Augmented;
    if (m_diminished & bit) return Diminished;
    if (m_halfDiminished & bit) return HalfDiminished;
    return None;
}

int KeyChordTheory::getNoteAccidental(int pitch) const {
    const int bass = getBassNote();
    if (bass == NoLetter || !isLetter(pitch)) return mNothing;
    const int a = keyAccidental(m_keyScale, pitch);
    const int steps = ((pitch - bass) % 7 + 7) % 7;
    switch (alterationOf(1 << steps)) {
    case Raised:
    case Augmented:
        return a == mFlat ? mNatural : a == mSharp ? mDoubleSharp : mSharp;
    case Lowered:
    case Diminished:
    case HalfDiminished:
        return a == mSharp ? mNatural : a == mFlat ? mDoubleFlat : mFlat;
    default:
        return a;
    }
}

QString KeyChordTheory::keyLetterText(int keyScale, int mode) {
    if (!isKey(keyScale)) return QString();
    return QString::fromLatin1(mode == mMajor ? kMajorLetter[keyScale + 7]
                                              : kMinorLetter[keyScale + 7]);
}

QString KeyChordTheory::keyAccidentalText(int keyScale, int mode) {
    if (!isKey(keyScale)) return QString();
    return QString::fromLatin1(mode == mMajor ? kMajorAccidental[keyScale + 7]
                                              : kMinorAccidental[keyScale + 7]);
}

QString KeyChordTheory::modeWord(int mode) {
    return mode == mMajor ? QStringLiteral("Major") : QStringLiteral("Minor");
}

QString KeyChordTheory::romanNumeralText(int romanNumber, int romanCase) {
    if (!isDegree(romanNumber)) return kIllegal;
    return QString::fromLatin1(romanCase == mUpper ? kUpperNumerals[romanNumber - 1]
                                                   : kLowerNumerals[romanNumber - 1]);
}

QString KeyChordTheory::technicalName(int romanNumber) {
    if (!isDegree(romanNumber)) return kIllegal;
    return QString::fromLatin1(kTechnicalNames[romanNumber - 1]);
}

QString KeyChordTheory::forcedAccidentalText(int accidental, const QString& keyText) {
    switch (accidental) {
    case mNothing: return blankText();
    case mSharp: return sharpText();
    case mFlat: return flatText();
    case mDoubleFlat: return doubleFlatText();
    case mDoubleSharp: return doubleSharpText();
    case mNatural: return naturalText();
    default: return keyText; // natural-sharp, natural-flat and unknown codes have no glyph here
    }
}

QVector<KeyChordTheory::Figure> KeyChordTheory::figures() const {
    QVector<Figure> out;
    const int n = countChordNotes(m_notes);
    if (n == 0) return out;
    const bool figuredBass = m_notes & FlagBit;
    for (int k = 8; k >= 1; --k) {
        const int bit = 1 << k;
        if (!(m_notes & bit)) continue;
        Figure f;
        f.bit = bit;
        const bool extension = !figuredBass && (bit == Bit2nd || bit == Bit4th || bit == Bit6th);
        f.number = extension ? QString::number(k + 8) : QString::number(k + 1);
        f.lifted = n == 1 && (bit == Bit7th || bit == Bit8ve || extension);
        switch (alterationOf(bit)) {
        case Raised: f.mark = sharpText(); f.markOnFigureLine = true; break;
        case Lowered: f.mark = flatText(); f.markOnFigureLine = true; break;
        case Augmented: f.mark = augmentedText(); break;
        case Diminished: f.mark = diminishedText(); break;
        case HalfDiminished: f.mark = halfDiminishedText(); break;
        default: break;
        }
        out.append(f);
    }
    // Stack by the number shown, so ninths, elevenths and thirteenths sit above the seventh.
    std::stable_sort(out.begin(), out.end(), [](const Figure& a, const Figure& b) {
        return a.number.toInt() > b.number.toInt();
    });
    return out;
}

bool KeyChordTheory::hasAlterations() const {
    for (int set : {m_raised, m_lowered, m_diminished, m_augmented, m_halfDiminished})
        if (countChordNotes(set) > 0) return true;
    return false;
}

QString KeyChordTheory::qualityMark() const {
    if (countChordNotes(m_raised) > 0) return QString();
    if (m_lowered & Bit5th) return flatText();
    if (m_augmented & Bit5th) return augmentedText();
    if (m_diminished & Bit5th) return diminishedText();
    if (m_halfDiminished & Bit5th) return halfDiminishedText();
    return QString();
}

} // namespace music
