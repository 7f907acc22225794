#pragma once
// The chord-symbol control: a key name ("E" flat "Major"), a Roman numeral with its figures and
// quality marks, or the technical name of a scale degree. Letters and words use a text font
// (CharFont); accidentals, figures and marks use the music font (Font, 14 points). The theory
// behind it lives in KeyChordTheory, which callers may also use directly.
#include "music/framework/control.h"
#include "music/musickey/keychordtheory.h"

namespace music {

class MusicKey : public MusicControl {
    Q_OBJECT
    Q_CLASSINFO("dispids",
                "KeyScale=1;ChordDisplay=8;RomanNumeralCase=9;RomanNumber=10;ScaleMode=12;"
                "ForcedAccidental=13;ForcedKey=14;ChordLeft=15;ChordTop=16;CharFont=17;"
                "ChordNotes=18;ChordRaisedNotes=19;ChordLoweredNotes=20;ChordDiminishedNotes=21;"
                "ChordAugmentedNotes=22;OffsetAccidental=23;OffsetModeName=24;GetNoteAccidental=26;"
                "ChordHalfDiminishedNote=27;GetRootNote=28;GetBassNote=29;GetInversion=30")
    Q_CLASSINFO("propmap",
                "BackColor=-501;Enabled=-514;FillColor=-510;Font=-512;ForeColor=-513;"
                "MouseIcon=-522;MousePointer=-521;TabStop=-516;Scale=1;Chord Display Mode=8;"
                "Roman Case=9;Roman Number=10;Scale Mode=12;Forced Accidental=13;Forced Key=14;"
                "Chord Left=15;Chord Top=16;Character Font=17;Chord Notes=18;"
                "Chord with Raised Notes=19;Chord with Lowered Notes=20;"
                "Chord with Diminished Notes=21;Chord with Augmented Notes=22;"
                "Offset Accidental=23;Offset Mode Name=24;Chord with Half Diminished Notes=27")
    Q_PROPERTY(int KeyScale READ KeyScale WRITE setKeyScale)
    Q_PROPERTY(int ScaleMode READ ScaleMode WRITE setScaleMode)
    Q_PROPERTY(int ForcedAccidental READ ForcedAccidental WRITE setForcedAccidental)
    Q_PROPERTY(int ForcedKey READ ForcedKey WRITE setForcedKey)
    Q_PROPERTY(int ChordLeft READ ChordLeft WRITE setChordLeft)
    Q_PROPERTY(int ChordTop READ ChordTop WRITE setChordTop)
    Q_PROPERTY(QFont CharFont READ CharFont WRITE setCharFont)
    Q_PROPERTY(int ChordNotes READ ChordNotes WRITE setChordNotes)
    Q_PROPERTY(int ChordRaisedNotes READ ChordRaisedNotes WRITE setChordRaisedNotes)
    Q_PROPERTY(int ChordLoweredNotes READ ChordLoweredNotes WRITE setChordLoweredNotes)
    Q_PROPERTY(int ChordDiminishedNotes READ ChordDiminishedNotes WRITE setChordDiminishedNotes)
    Q_PROPERTY(int ChordAugmentedNotes READ ChordAugmentedNotes WRITE setChordAugmentedNotes)
    Q_PROPERTY(int OffsetAccidental READ OffsetAccidental WRITE setOffsetAccidental)
    Q_PROPERTY(int OffsetModeName READ OffsetModeName WRITE setOffsetModeName)
    Q_PROPERTY(int ChordHalfDiminishedNote READ ChordHalfDiminishedNote WRITE setChordHalfDiminishedNote)
    Q_PROPERTY(int ChordDisplay READ ChordDisplay WRITE setChordDisplay)
    Q_PROPERTY(int RomanNumeralCase READ RomanNumeralCase WRITE setRomanNumeralCase)
    Q_PROPERTY(int RomanNumber READ RomanNumber WRITE setRomanNumber)

public:
    static constexpr int DISPID_CHARFONT = 17;

    explicit MusicKey(QWidget* parent = nullptr);

    int KeyScale() const { return theory_.keyScale(); }
    int ScaleMode() const { return theory_.scaleMode(); }
    int ForcedAccidental() const { return forcedAccidental_; }
    int ForcedKey() const { return forcedKey_; }
    int ChordLeft() const { return chordLeft_; }
    int ChordTop() const { return chordTop_; }
    QFont CharFont() const { return charFont_; }
    bool hasCharFont() const { return hasCharFont_; }
    int ChordNotes() const { return theory_.chordNotes(); }
    int ChordRaisedNotes() const { return theory_.raisedNotes(); }
    int ChordLoweredNotes() const { return theory_.loweredNotes(); }
    int ChordDiminishedNotes() const { return theory_.diminishedNotes(); }
    int ChordAugmentedNotes() const { return theory_.augmentedNotes(); }
    int OffsetAccidental() const { return offsetAccidental_; }
    int OffsetModeName() const { return offsetModeName_; }
    int ChordHalfDiminishedNote() const { return theory_.halfDiminishedNotes(); }
    int ChordDisplay() const { return chordDisplay_; }
    int RomanNumeralCase() const { return romanCase_; }
    int RomanNumber() const { return theory_.romanNumber(); }

    void setKeyScale(int v);
    void setScaleMode(int v);
    void setForcedAccidental(int v);
    void setForcedKey(int v);             // only -1 forces the accidental
    void setChordLeft(int v);
    void setChordTop(int v);
    // Marks the control changed and notifies the container (dispatch id 17).
    void setCharFont(const QFont& f);
    // The six bit sets clamp to 0..255.
    void setChordNotes(int v);
    void setChordRaisedNotes(int v);
    void setChordLoweredNotes(int v);
    void setChordDiminishedNotes(int v);
    void setChordAugmentedNotes(int v);
    void setOffsetAccidental(int v);
    void setOffsetModeName(int v);
    void setChordHalfDiminishedNote(int v);
    void setChordDisplay(int v);
    void setRomanNumeralCase(int v);
    void setRomanNumber(int v);

    Q_INVOKABLE int GetNoteAccidental(int pitch) const { return theory_.getNoteAccidental(pitch); }
    Q_INVOKABLE int GetRootNote() const { return theory_.getRootNote(); }
    Q_INVOKABLE int GetBassNote() const { return theory_.getBassNote(); }
    Q_INVOKABLE int GetInversion() const { return theory_.getInversion(); }

    const KeyChordTheory& theory() const { return theory_; }

    // What the control shows, for hosts and tests: the main text and the music-font text
    // beside it in the key-name display.
    QString mainText() const;
    QString accidentalText() const;

protected:
    void onDraw(QPainter& p, const QRect& bounds) override;
    void onSited() override;

private:
    void drawKeyName(QPainter& p, int L, int T, int w, int h, const QString& accidental);
    void drawRomanNumeral(QPainter& p, int L, int T, int w, int h);

    KeyChordTheory theory_;
    int forcedAccidental_ = 0;
    int forcedKey_ = 0;
    int chordLeft_ = 0;
    int chordTop_ = 0;
    int offsetAccidental_ = 0;
    int offsetModeName_ = 0;
    int chordDisplay_ = 0;
    int romanCase_ = 0;
    QFont charFont_;
    bool hasCharFont_ = false;
};

} // namespace music
