#pragma once
// One accidental sign, or the key signature of a major key with the naturals that cancel the
// previous key when the key changes.
#include "music/framework/control.h"

#include <QVector>
#include <array>

namespace music {

// Staff steps (from the top line, downwards) of the seven places of a key signature, in the
// order the accidentals are written, chosen by the layout and by the key's own sign.
const std::array<int, 7>& keyPositionTable(int key, int sharpOrder);

// One sign of a key-signature layout: `column` counts sign widths from KeyLeft, `step` counts
// step units from KeyTop.
struct KeySignGlyph {
    QChar sign;   // 'n' natural, '#' sharp, 'b' flat
    int column = 0;
    int step = 0;
    bool operator==(const KeySignGlyph& o) const {
        return sign == o.sign && column == o.column && step == o.step;
    }
};

// The naturals of a change from `oldKey` to `newKey` (counts of sharps, negative for flats),
// then the new key's signs on the same line.
QVector<KeySignGlyph> keySignatureLayout(int oldKey, int newKey, int sharpOrder);

// Glyph text of an AccidentalSign value; `ok` is false for values without one.
QString accidentalGlyphText(int sign, bool* ok = nullptr);

class Accidental : public MusicControl {
    Q_OBJECT
    Q_CLASSINFO("dispids", "AccidentalSign=1;RhythmicOffset=2;KeyOldMajor=3;KeyNewMajor=4;KeyMode=5;"
                           "SharpOrder=6;KeyTop=7;KeyLeft=8")
    Q_CLASSINFO("propmap", "BackColor=-501;Enabled=-514;FillColor=-510;Font=-512;ForeColor=-513;"
                           "MouseIcon=-522;MousePointer=-521;Rhythmic Offset from Point of Origin.=2;"
                           "Accidental Sign.=1;Old Major Key.=3;New Major Key.=4;"
                           "Accidental or Key Signature Mode.=5;Sharp Order.=6;Key Top Position.=7;"
                           "Key Left Position.=8")
    Q_PROPERTY(int AccidentalSign READ AccidentalSign WRITE setAccidentalSign)
    Q_PROPERTY(int RhythmicOffset READ RhythmicOffset WRITE setRhythmicOffset)
    Q_PROPERTY(int KeyOldMajor READ KeyOldMajor WRITE setKeyOldMajor)
    Q_PROPERTY(int KeyNewMajor READ KeyNewMajor WRITE setKeyNewMajor)
    Q_PROPERTY(int KeyMode READ KeyMode WRITE setKeyMode)
    Q_PROPERTY(int SharpOrder READ SharpOrder WRITE setSharpOrder)
    Q_PROPERTY(int KeyTop READ KeyTop WRITE setKeyTop)
    Q_PROPERTY(int KeyLeft READ KeyLeft WRITE setKeyLeft)

public:
    explicit Accidental(QWidget* parent = nullptr);

    int AccidentalSign() const { return accidentalSign_; }
    int RhythmicOffset() const { return rhythmicOffset_; }
    int KeyOldMajor() const { return keyOldMajor_; }
    int KeyNewMajor() const { return keyNewMajor_; }
    int KeyMode() const { return keyMode_; }
    int SharpOrder() const { return sharpOrder_; }
    int KeyTop() const { return keyTop_; }
    int KeyLeft() const { return keyLeft_; }

    void setAccidentalSign(int v);   // 0..7 also choose the glyph text
    void setRhythmicOffset(int v);
    void setKeyOldMajor(int v);
    void setKeyNewMajor(int v);
    void setKeyMode(int v);
    void setSharpOrder(int v);
    void setKeyTop(int v);
    void setKeyLeft(int v);

    // The sign drawn in single-accidental mode.
    QString glyphText() const { return glyphText_; }

protected:
    void onDraw(QPainter& p, const QRect& bounds) override;

private:
    int accidentalSign_ = mSharp;
    int rhythmicOffset_ = 0;
    int keyOldMajor_ = keyC;
    int keyNewMajor_ = keyC;
    int keyMode_ = KeySignature;
    int sharpOrder_ = TrebleSharpOrder;
    int keyTop_ = 0;
    int keyLeft_ = 0;
    QString glyphText_ = QStringLiteral("#");
};

// The mode enumerator `Accidental` (fmAccKey) hides the class name at namespace scope; code
// outside the class names it through this alias (or as `class music::Accidental`).
using AccidentalControl = class Accidental;

} // namespace music
