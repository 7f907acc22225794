#pragma once
// A time signature: the upper figure (beat units per bar, or a free text for metres the
// enumeration does not name) over the lower figure (the beat unit), the narrower one centred.
// Hosts read Pulses and NoteValue back to learn an exercise's metre.
#include "music/framework/control.h"

namespace music {

class Metre : public MusicControl {
    Q_OBJECT
    Q_CLASSINFO("dispids", "Pulses=1;Complex=2;NoteValue=3;MetreTop=4;MetreLeft=5;RhythmicOffset=6")
    Q_CLASSINFO("propmap", "BackColor=-501;Enabled=-514;FillColor=-510;Font=-512;ForeColor=-513;"
                           "MouseIcon=-522;MousePointer=-521;Number of Pulses=1;Complex Time=2;"
                           "Note Value=3;Metre Top=4;Metre Left=5;Rhythmic Offset=6")
    Q_PROPERTY(int Pulses READ Pulses WRITE setPulses)
    Q_PROPERTY(QString Complex READ Complex WRITE setComplex)
    Q_PROPERTY(int NoteValue READ NoteValue WRITE setNoteValue)
    Q_PROPERTY(int MetreTop READ MetreTop WRITE setMetreTop)
    Q_PROPERTY(int MetreLeft READ MetreLeft WRITE setMetreLeft)
    Q_PROPERTY(int RhythmicOffset READ RhythmicOffset WRITE setRhythmicOffset)

public:
    explicit Metre(QWidget* parent = nullptr);

    int Pulses() const { return pulses_; }
    QString Complex() const { return complex_; }
    int NoteValue() const { return noteValue_; }
    int MetreTop() const { return metreTop_; }
    int MetreLeft() const { return metreLeft_; }
    int RhythmicOffset() const { return rhythmicOffset_; }

    void setPulses(int v);            // sets the upper figure; unknown values show "4"
    void setComplex(const QString& s);
    void setNoteValue(int v);         // sets the lower figure; unknown values show "4"
    void setMetreTop(int v);
    void setMetreLeft(int v);
    void setRhythmicOffset(int v);    // bookkeeping only: no redraw

    QString upperFigure() const { return upper_; }
    QString lowerFigure() const { return lower_; }

    // Where onDraw puts the two figures' cells (top-left corners) inside `bounds`.
    struct Placement { QPoint upper, lower; };
    Placement placement(const QRect& bounds) const;

protected:
    void onDraw(QPainter& p, const QRect& bounds) override;

private:
    int pulses_ = SimpleQuadruple;
    QString complex_;
    int noteValue_ = Quarter;
    int metreTop_ = 0;
    int metreLeft_ = 0;
    int rhythmicOffset_ = 0;
    QString upper_ = QStringLiteral("4");
    QString lower_ = QStringLiteral("4");
};

} // namespace music
