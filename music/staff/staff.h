#pragma once
// A staff: horizontal lines on a filled background, the ground every other symbol stands on.
// Hosts read its line geometry to place notes, clefs and bar lines.
#include "music/framework/control.h"

namespace music {

class Staff : public MusicControl {
    Q_OBJECT
    Q_CLASSINFO("dispids", "LineTop=1;LineLeft=2;LineWidth=3;LineSpace=4;LineNumbers=5")
    Q_CLASSINFO("propmap", "BackColor=-501;Enabled=-514;FillColor=-510;ForeColor=-513;MouseIcon=-522;"
                           "MousePointer=-521;Caption=-518;Line Top=1;Line Left=2;Line Width=3;"
                           "Line Space=4;Line Numbers=5")
    Q_PROPERTY(int LineTop READ LineTop WRITE setLineTop)
    Q_PROPERTY(int LineLeft READ LineLeft WRITE setLineLeft)
    Q_PROPERTY(int LineWidth READ LineWidth WRITE setLineWidth)
    Q_PROPERTY(int LineSpace READ LineSpace WRITE setLineSpace)
    Q_PROPERTY(int LineNumbers READ LineNumbers WRITE setLineNumbers)

public:
    explicit Staff(QWidget* parent = nullptr);

    int LineTop() const { return lineTop_; }
    int LineLeft() const { return lineLeft_; }
    int LineWidth() const { return lineWidth_; }
    int LineSpace() const { return lineSpace_; }
    int LineNumbers() const { return lineNumbers_; }

    void setLineTop(int v);
    void setLineLeft(int v);      // negative -> 0
    void setLineWidth(int v);     // below 1 -> 1; marks the control dirty
    void setLineSpace(int v);     // negative -> 0
    void setLineNumbers(int v);   // negative -> 0

protected:
    void onDraw(QPainter& p, const QRect& bounds) override;

private:
    int lineTop_ = 10;
    int lineLeft_ = 10;
    int lineWidth_ = 120;
    int lineSpace_ = 10;
    int lineNumbers_ = 5;
};

} // namespace music
