#pragma once
// One clef sign, drawn at the control's top-left corner; the host places the control so that
// the glyph falls on its staff.
#include "music/framework/control.h"

namespace music {

class Clef : public MusicControl {
    Q_OBJECT
    Q_CLASSINFO("dispids", "Clef=1;RhythmicOffset=2")
    Q_CLASSINFO("propmap", "BackColor=-501;Enabled=-514;FillColor=-510;ForeColor=-513;MouseIcon=-522;"
                           "MousePointer=-521;Clef Sign=1;Font=-512;"
                           "Rhythmic Offset from Point of Origin.=2")
    Q_PROPERTY(int Clef READ clefName WRITE setClef)
    Q_PROPERTY(int RhythmicOffset READ RhythmicOffset WRITE setRhythmicOffset)

public:
    explicit Clef(QWidget* parent = nullptr);

    int clefName() const { return clef_; }
    int RhythmicOffset() const { return rhythmicOffset_; }
    void setClef(int v);              // 0..4 choose the glyph; other values keep it
    void setRhythmicOffset(int v);

    QString glyphText() const { return glyphText_; }

protected:
    void onDraw(QPainter& p, const QRect& bounds) override;

private:
    int clef_ = Treble;
    int rhythmicOffset_ = 0;
    QString glyphText_;
};

} // namespace music
