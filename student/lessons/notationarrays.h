#pragma once
// The main window's control arrays that carry an exercise (element 0 of each is the design-time
// template, hidden). A template whose class the music library does not offer stays empty, and
// loading from it fails harmlessly. Every element keeps its twips record (common/controlarray.h):
// builders place elements through it and scorers compare positions from it.
#include "common/controlarray.h"
#include "student/lessons/linecontrol.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <functional>

namespace lessons {

// A label that reports a left-button press with its position in twips (the answer labels).
class ElementLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void MouseDown(double xTwips, double yTwips);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

using ElementArray = common::ControlArray<QWidget>;
using LabelArray = common::ControlArray<QLabel>;
using ButtonArray = common::ControlArray<QPushButton>;
using LineArray = common::ControlArray<LineControl>;
using CheckBoxArray = common::ControlArray<QCheckBox>;
using ShapeArray = common::ControlArray<QFrame>;

struct NotationArrays {
    // Creates every template as a hidden child of `parent` (the lesson frame).
    explicit NotationArrays(QWidget* parent);
    ElementArray StaffLines, StaffLines2, ClefSymbol, ClefSymbol2, NoteSymbol, KeySign, tmMeter, Bar,
        PhraseMark, BeamFlag, ChordSymbol, ChordRoman, AccidentalSymbol;
    QWidget* BarFine;
    LabelArray lblAs, lblLetter, lblLetter2, lblMusic;
    ButtonArray cmdSpeaker;
    LineArray LineBase, lnLeger, lnThird;
    QLabel* lblPunc;
    // Beam-group check boxes over notes, and the frame rectangle (element 0) around a chosen
    // symbol.
    CheckBoxArray chkGroup;
    ShapeArray shpRect;

    // lblLetter_MouseDown(Index, X, Y): a press on answer label Index; cmdSpeaker_Click(Index)
    // (both set by the window).
    std::function<void(int index, double x, double y)> lblLetterMouseDown;
    std::function<void(int index)> cmdSpeakerClick;
};

// Sets a property of a notation control by name (any letter case); nothing for nullptr.
void put(QObject* o, const char* name, const QVariant& value);
int getInt(QObject* o, const char* name);

} // namespace lessons
