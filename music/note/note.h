#pragma once
// One note or rest: head or rest glyph, stem, flags, leger lines, the accidental in front and
// the augmentation dots behind. It knows its duration in ticks and where its stem stands (hosts
// attach beams there); it does not know the staff: the host gives the vertical position, the
// leger-line count and whether the head sits on a line.
#include "music/framework/control.h"

#include <QVector>

namespace music {

struct TextMetrics;

// One drawing step of a note, in the painter's coordinates: a glyph text with its cell's
// top-left corner at (x, y), or a line from (x, y) to (x2, y2) whose end point is not painted.
struct NoteDrawOp {
    enum Kind { Text, Line } kind = Text;
    int x = 0, y = 0, x2 = 0, y2 = 0;
    QString text;
};

class Note : public MusicControl {
    Q_OBJECT
    Q_CLASSINFO("dispids",
                "Note=1;Rest=2;StemDirection=3;StemLength=4;NoteTop=5;NoteLeft=6;AccidentalOffset=7;"
                "AccidentalName=8;RhythmicOffset=9;Octave=10;DotsNumberOf=11;DotsYOffset=12;"
                "DotsXOffset=13;HideFlags=14;MirroredNoteHead=15;LegerLines=16;LineSpace=17;"
                "LineNote=18;StemPosition=19;NoteValue=20;ReverseLeger=21")
    Q_CLASSINFO("propmap",
                "BackColor=-501;Enabled=-514;FillColor=-510;Font=-512;ForeColor=-513;MouseIcon=-522;"
                "MousePointer=-521;Note Name=1;Rest Symbol=2;Stem Direction=3;Stem Length=4;"
                "Note Top=5;Note Left=6;Accidental Offset=7;Accidental Name=8;"
                "Rhythmic Offset from Point of Origin.=9;Octave=10;Number Of Dots=11;"
                "Dots Y Offset=12;Dots X Offset=13;Hide Note Flags=14;Mirrored Note Head=15;"
                "Leger Lines=16;Space Between Lines=17;Reverse direction of leger lines=21")
    // Booleans are the host's -1 / 0.
    Q_PROPERTY(int Note READ noteName WRITE setNote)
    Q_PROPERTY(int Rest READ Rest WRITE setRest)
    Q_PROPERTY(int StemDirection READ StemDirection WRITE setStemDirection)
    Q_PROPERTY(int StemLength READ StemLength WRITE setStemLength)
    Q_PROPERTY(int NoteTop READ NoteTop WRITE setNoteTop)
    Q_PROPERTY(int NoteLeft READ NoteLeft WRITE setNoteLeft)
    Q_PROPERTY(int AccidentalOffset READ AccidentalOffset WRITE setAccidentalOffset)
    Q_PROPERTY(int AccidentalName READ AccidentalName WRITE setAccidentalName)
    Q_PROPERTY(int RhythmicOffset READ RhythmicOffset WRITE setRhythmicOffset)
    Q_PROPERTY(int Octave READ Octave WRITE setOctave)
    Q_PROPERTY(int DotsNumberOf READ DotsNumberOf WRITE setDotsNumberOf)
    Q_PROPERTY(int DotsYOffset READ DotsYOffset WRITE setDotsYOffset)
    Q_PROPERTY(int DotsXOffset READ DotsXOffset WRITE setDotsXOffset)
    Q_PROPERTY(int HideFlags READ HideFlags WRITE setHideFlags)
    Q_PROPERTY(int MirroredNoteHead READ MirroredNoteHead WRITE setMirroredNoteHead)
    Q_PROPERTY(int LegerLines READ LegerLines WRITE setLegerLines)
    Q_PROPERTY(int LineSpace READ LineSpace WRITE setLineSpace)
    Q_PROPERTY(int LineNote READ LineNote WRITE setLineNote)
    Q_PROPERTY(int ReverseLeger READ ReverseLeger WRITE setReverseLeger)

public:
    explicit Note(QWidget* parent = nullptr);

    int noteName() const { return note_; }
    int Rest() const { return rest_; }
    int StemDirection() const { return stemDirection_; }
    int StemLength() const { return stemLength_; }
    int NoteTop() const { return noteTop_; }
    int NoteLeft() const { return noteLeft_; }
    int AccidentalOffset() const { return accidentalOffset_; }
    int AccidentalName() const { return accidentalName_; }
    int RhythmicOffset() const { return rhythmicOffset_; }
    int Octave() const { return octave_; }
    int DotsNumberOf() const { return dots_; }
    int DotsYOffset() const { return dotsYOffset_; }
    int DotsXOffset() const { return dotsXOffset_; }
    int HideFlags() const { return hideFlags_; }
    int MirroredNoteHead() const { return mirrored_; }
    int LegerLines() const { return legerLines_; }
    int LineSpace() const { return lineSpace_; }
    int LineNote() const { return lineNote_; }
    int ReverseLeger() const { return reverseLeger_; }

    void setNote(int v);              // 0..8 choose glyph and duration; others stored only
    void setRest(int v);              // non-zero -> -1; chooses the glyph again
    void setStemDirection(int v);
    void setStemLength(int v);
    void setNoteTop(int v);
    void setNoteLeft(int v);
    void setAccidentalOffset(int v);
    void setAccidentalName(int v);    // 0..7 choose the accidental glyph; others stored only
    void setRhythmicOffset(int v);
    void setOctave(int v);
    void setDotsNumberOf(int v);      // clamped to 0..6; recomputes the duration
    void setDotsYOffset(int v);
    void setDotsXOffset(int v);
    void setHideFlags(int v);         // non-zero -> -1
    void setMirroredNoteHead(int v);  // non-zero -> -1
    void setLegerLines(int v);
    void setLineSpace(int v);
    void setLineNote(int v);          // non-zero -> -1
    void setReverseLeger(int v);

    // x of the stem in twips, in the container's coordinates; kept and followed by a redraw.
    Q_INVOKABLE int StemPosition();
    // Duration in ticks, dots included.
    Q_INVOKABLE int NoteValue() const { return dottedTicks_; }

    // Derived state, for hosts and tests.
    QString headText() const { return headText_; }
    QString accidentalText() const { return accidentalText_; }
    int undottedTicks() const { return undottedTicks_; }
    int lastStemPosition() const { return stemPosition_; }

    // What onDraw paints inside `bounds` with the current Font (nothing without one).
    QVector<NoteDrawOp> drawOps(const QRect& bounds) const;
    // Pixels from the control's left edge to the end of its last augmentation dot (0 without
    // dots): a host whose note is narrower cuts the dots off.
    int dotsRight() const;

protected:
    void onDraw(QPainter& p, const QRect& bounds) override;

private:
    void chooseHead();
    void recomputeDuration();
    // Row below the glyph cell's top that the dots centre on: never a line. A note in a space
    // dots that space, a note on a line (LineNote) the space above it, a rest the third space.
    int dotRow(const TextMetrics& tm) const;
    // Inserts the dots into `ops` at `at`, from the drawing rule's places moved down onto
    // dotRow and right, if need be, clear of the glyphs drawn after `at` (head, flags, rest).
    void placeDots(QVector<NoteDrawOp>& ops, int at, const QFont& font, const TextMetrics& tm, int x0,
                   int top) const;

    int note_ = Quarter;
    int rest_ = 0;
    int stemDirection_ = Up;
    int stemLength_ = -10;
    int noteTop_ = 20;
    int noteLeft_ = 5;
    int accidentalOffset_ = 5;
    int accidentalName_ = mNothing;
    int rhythmicOffset_ = 0;
    int octave_ = 0;
    int dots_ = 0;
    int dotsYOffset_ = 0;
    int dotsXOffset_ = 0;
    int hideFlags_ = 0;
    int mirrored_ = 0;
    int legerLines_ = 0;
    int lineSpace_ = 10;
    int lineNote_ = -1;
    int reverseLeger_ = 0;

    QString headText_;
    QString accidentalText_;
    int undottedTicks_ = 2048;
    int dottedTicks_ = 2048;
    int stemPosition_ = 0;
};

// Undotted duration of a note value 0..8 in ticks (0 for any other value).
int noteTicks(int noteValue);
// u + u/2 + u/4 ... with `dots` halvings after u (integer halving).
int dottedTicks(int undotted, int dots);

} // namespace music
