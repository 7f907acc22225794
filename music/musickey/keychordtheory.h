#pragma once
// Key and chord theory of the chord-symbol control, kept free of any widget so that lessons and
// palettes can ask the same questions the control answers: which tonic a key signature gives,
// which letters it alters, and how a chord on a scale degree (described by bit sets of figures
// and alterations) spells its root, bass, inversion and accidentals. It also owns every text the
// control draws, so the drawing and its callers agree on them.
//
// Bit sets: bit value 2^(n-1) stands for figure n (1 = 1, 2 = 2, 4 = 3, 8 = 4, 16 = 5, 32 = 6,
// 64 = 7, 128 = 8). In the figure set bit value 1 is a flag: set, the figures are intervals above
// the bass (figured bass, the chord may be inverted); clear, the chord is in root position and
// bits 2, 8 and 32 read as 9, 11 and 13.
#include <QString>
#include <QVector>
#include <cstdint>

namespace music {

class KeyChordTheory {
public:
    // Letters as the notation controls number them (LetterName).
    enum Letter { NoLetter = 0, mC = 1, mD = 2, mE = 3, mF = 4, mG = 5, mA = 6, mB = 7 };
    // fmAccidental
    enum Accidental {
        mNothing = 0, mSharp = 1, mFlat = 2, mDoubleFlat = 3, mDoubleSharp = 4, mNatural = 5,
        mNaturalSharp = 6, mNaturalFlat = 7
    };
    // fmInversion
    enum Inversion { mRoot = 0, mFirst = 1, mSecond = 2, mThird = 3 };
    // fmMode: 0 is major, any other value counts as minor.
    enum Mode { mMajor = 0, mMinor = 1 };
    // fmCase: 0 upper case, any other value lower case.
    enum Case { mUpper = 0, mLower = 1 };

    // Bit values of the figure sets.
    enum FigureBit {
        FlagBit = 1, Bit2nd = 2, Bit3rd = 4, Bit4th = 8, Bit5th = 16, Bit6th = 32, Bit7th = 64,
        Bit8ve = 128
    };

    static constexpr int MinKey = -7;
    static constexpr int MaxKey = 7;

    // --- what the theory reads (mirrors the control's properties) ---
    int keyScale() const { return m_keyScale; }
    void setKeyScale(int k) { m_keyScale = k; }
    int scaleMode() const { return m_scaleMode; }
    void setScaleMode(int m) { m_scaleMode = m; }
    int romanNumber() const { return m_romanNumber; }
    void setRomanNumber(int n) { m_romanNumber = n; }

    // The six bit-set setters clamp to 0..255.
    int16_t chordNotes() const { return m_notes; }
    void setChordNotes(int v) { m_notes = clampSet(v); }
    int16_t raisedNotes() const { return m_raised; }
    void setRaisedNotes(int v) { m_raised = clampSet(v); }
    int16_t loweredNotes() const { return m_lowered; }
    void setLoweredNotes(int v) { m_lowered = clampSet(v); }
    int16_t diminishedNotes() const { return m_diminished; }
    void setDiminishedNotes(int v) { m_diminished = clampSet(v); }
    int16_t augmentedNotes() const { return m_augmented; }
    void setAugmentedNotes(int v) { m_augmented = clampSet(v); }
    int16_t halfDiminishedNotes() const { return m_halfDiminished; }
    void setHalfDiminishedNotes(int v) { m_halfDiminished = clampSet(v); }

    static int16_t clampSet(int v);
    // Number of bits set among 2, 4, ..., 256 (the flag bit 1 is not a figure).
    static int countChordNotes(int set);

    static bool isKey(int keyScale) { return keyScale >= MinKey && keyScale <= MaxKey; }
    static bool isDegree(int romanNumber) { return romanNumber >= 1 && romanNumber <= 7; }
    static bool isLetter(int letter) { return letter >= mC && letter <= mB; }

    // --- keys ---
    // Tonic letter of a key signature in a mode; NoLetter for a key outside -7..7.
    static int tonicLetter(int keyScale, int mode);
    // The accidental the key signature puts on a letter: mSharp, mFlat or mNothing.
    static int keyAccidental(int keyScale, int letter);
    // The i-th (from 0) letter of the order of sharps (F C G D A E B) and of flats (B E A D G C F).
    static int sharpOrderLetter(int i) { return ((3 + 4 * i) % 7) + 1; }
    static int flatOrderLetter(int i) { return ((6 + 3 * i) % 7) + 1; }

    // --- the chord ---
    int tonicLetter() const { return tonicLetter(m_keyScale, m_scaleMode); }
    // Chord member in the bass: 1 root, 3 third, 5 fifth, 7 seventh.
    int bassFactor() const;
    int getInversion() const;
    // Root and bass letters; NoLetter when the key or the degree is out of range.
    int getRootNote() const;
    int getBassNote() const;
    // Accidental the letter carries in the chord; mNothing when the key, the degree or the
    // letter is out of range.
    int getNoteAccidental(int pitch) const;

    // --- texts (letters and words in the text font, marks in the music font) ---
    // Key name: letter and accidental ("E" + "b" for E flat major); empty for a key out of range.
    static QString keyLetterText(int keyScale, int mode);
    static QString keyAccidentalText(int keyScale, int mode);
    static QString modeWord(int mode);
    // "I".."VII" or "i".."vii"; "Illegal" for a number outside 1..7.
    static QString romanNumeralText(int romanNumber, int romanCase);
    // "Tonic" .. "Leading Tone"; "Illegal" for a number outside 1..7.
    static QString technicalName(int romanNumber);
    // Music-font code shown for a forced accidental 0..5; keyText (the key's own) otherwise.
    static QString forcedAccidentalText(int accidental, const QString& keyText);

    // Music-font codes of the marks.
    static QString sharpText() { return QStringLiteral("#"); }
    static QString flatText() { return QStringLiteral("b"); }
    static QString blankText() { return QStringLiteral(" "); }
    static QString naturalText() { return QStringLiteral("n"); }
    static QString doubleFlatText() { return QString(QChar(0xBA)); }
    static QString doubleSharpText() { return QString(QChar(0xDC)); }
    static QString augmentedText() { return QString(QChar(0xC0)); }
    static QString diminishedText() { return QStringLiteral("o"); }
    static QString halfDiminishedText() { return QString(QChar(0xBF)); }

    // --- the figures the Roman-numeral display draws ---
    struct Figure {
        int bit = 0;        // the figure's bit in ChordNotes
        QString number;     // "7", "6", "4", "9", ...
        QString mark;       // alteration mark drawn before it, empty when none
        bool markOnFigureLine = false; // "#" and "b" sit on the figure's line; the others 3 px higher
        bool lifted = false;           // a lone seventh, octave, ninth, eleventh or thirteenth
    };
    // Highest number first, as they stack from the top (a 9/7 shows 9 above 7).
    QVector<Figure> figures() const;
    // True when any alteration set holds a figure bit (the figures then make room for marks).
    bool hasAlterations() const;
    // Mark after a chord with no figures: the quality of its fifth ("b", augmented, diminished,
    // half-diminished), empty when there is none or a raised note suppresses it.
    QString qualityMark() const;

private:
    // First alteration set holding the bit: 1 raised, 2 lowered, 3 augmented, 4 diminished,
    // 5 half-diminished, 0 none.
    int alterationOf(int bit) const;

    int m_keyScale = 0;
    int m_scaleMode = 0;
    int m_romanNumber = 1;
    int16_t m_notes = 0;
    int16_t m_raised = 0;
    int16_t m_lowered = 0;
    int16_t m_diminished = 0;
    int16_t m_augmented = 0;
    int16_t m_halfDiminished = 0;
};

} // namespace music
