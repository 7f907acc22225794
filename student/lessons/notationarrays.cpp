#include "notationarrays.h"

#include "common/deferredicon.h"
#include "music/framework/classregistry.h"
#include "music/framework/dispatch.h"

#include <QMouseEvent>
#include <QPalette>
#include <QStyle>

namespace lessons {
namespace {

using common::hiddenChild;

QWidget* createElement(const QString& progId, QWidget* parent) {
    QObject* o = music::ClassRegistry::instance().createObject(progId, parent);
    QWidget* w = qobject_cast<QWidget*>(o);
    if (o && !w) delete o;
    if (w) w->hide();
    return w;
}

ElementArray::Factory elementFactory(const QString& progId) {
    return [progId](QWidget* parent) { return createElement(progId, parent); };
}

} // namespace

void ElementLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QPointF p = event->position();
    emit MouseDown(p.x() * common::kTwipsPerPixel, p.y() * common::kTwipsPerPixel);
}

void put(QObject* o, const char* name, const QVariant& value) {
    if (o) music::dispPut(o, QString::fromLatin1(name), value);
}

int getInt(QObject* o, const char* name) {
    return o ? music::dispGet(o, QString::fromLatin1(name)).toInt() : 0;
}

NotationArrays::NotationArrays(QWidget* parent)
    : StaffLines(createElement("Music.Staff", parent), elementFactory("Music.Staff")),
      StaffLines2(createElement("Music.Staff", parent), elementFactory("Music.Staff")),
      ClefSymbol(createElement("Music.Clef", parent), elementFactory("Music.Clef")),
      ClefSymbol2(createElement("Music.Clef", parent), elementFactory("Music.Clef")),
      NoteSymbol(createElement("Music.Note", parent), elementFactory("Music.Note")),
      KeySign(createElement("Music.Accidental", parent), elementFactory("Music.Accidental")),
      tmMeter(createElement("Music.Time", parent), elementFactory("Music.Time")),
      Bar(createElement("Music.BarLine", parent), elementFactory("Music.BarLine")),
      PhraseMark(createElement("Music.Phrase", parent), elementFactory("Music.Phrase")),
      BeamFlag(createElement("Music.Beam", parent), elementFactory("Music.Beam")),
      ChordSymbol(createElement("Music.MusicKey", parent), elementFactory("Music.MusicKey")),
      ChordRoman(createElement("Music.MusicKey", parent), elementFactory("Music.MusicKey")),
      AccidentalSymbol(createElement("Music.Accidental", parent), elementFactory("Music.Accidental")),
      BarFine(createElement("Music.BarLine", parent)),
      lblAs(hiddenChild<QLabel>(parent, "lblAs"), [](QWidget* p) { return new QLabel(p); }),
      lblLetter(hiddenChild<ElementLabel>(parent, "lblLetter"),
                [this](QWidget* p) {
                    auto* label = new ElementLabel(p);
                    QObject::connect(label, &ElementLabel::MouseDown, label, [this, label](double x, double y) {
                        for (int i : lblLetter.indices())
                            if (lblLetter[i] == label && lblLetterMouseDown) return lblLetterMouseDown(i, x, y);
                    });
                    return label;
                }),
      lblLetter2(hiddenChild<QLabel>(parent, "lblLetter2"), [](QWidget* p) { return new QLabel(p); }),
      lblMusic(hiddenChild<QLabel>(parent, "lblMusic"), [](QWidget* p) { return new QLabel(p); }),
      cmdSpeaker(hiddenChild<QPushButton>(parent, "cmdSpeaker"),
                 [this](QWidget* p) {
                     auto* button = new QPushButton(p);
                     QObject::connect(button, &QPushButton::clicked, button, [this, button] {
                         for (int i : cmdSpeaker.indices())
                             if (cmdSpeaker[i] == button && cmdSpeakerClick) return cmdSpeakerClick(i);
                     });
                     return button;
                 }),
      LineBase(hiddenChild<LineControl>(parent, "LineBase"), [](QWidget* p) { return new LineControl(p); }),
      lnLeger(hiddenChild<LineControl>(parent, "lnLeger"), [](QWidget* p) { return new LineControl(p); }),
      lnThird(hiddenChild<LineControl>(parent, "lnThird"), [](QWidget* p) { return new LineControl(p); }),
      lblPunc(hiddenChild<QLabel>(parent, "lblPunc")),
      chkGroup(hiddenChild<QCheckBox>(parent, "chkGroup"), [](QWidget* p) { return new QCheckBox(p); }),
      shpRect(hiddenChild<QFrame>(parent, "shpRect"), [](QWidget* p) { return new QFrame(p); }) {
    // Design-time values of templates whose size and offsets the lessons never set; every
    // element loaded from them inherits these. Staff lines are 10 px apart and the music
    // font puts every glyph's reference line 48 px below its cell top.
    //
    // Clefs stand with their cell top 270 twips (18 px) above the top line (treble) or
    // 415 twips above it (percussion); a treble clef's ink runs from 14 px above the top
    // line to 16 px below the bottom line and is 26 px wide, so 600 x 1500 twips holds
    // every clef whole.
    ClefSymbol.Move(0, {}, {}, 600, 1500);
    ClefSymbol2.Move(0, {}, {}, 600, 1500);
    // Time signatures: the figures run from 7 to 47 px below the element's top (on a staff
    // its top is 350 twips below the staff's, the top line 450) and are 16 px wide each. The
    // melody lesson puts the time signature 100 twips (6 px once floored) right of the
    // treble clef's left edge and the rhythm-writing lesson 60 twips left of the percussion
    // clef, so the figures are drawn 25 px into the element: past the treble clef's 26 px
    // with half a staff space between. The rhythm-playing lesson leaves 1200 twips (80 px)
    // for the time signature before its first note, which this keeps. 900 twips hold two
    // figures ("12") after that offset; 750 twips (50 px) hold the figures whole, and put
    // them 4 px above the answer line on which the time-signature lesson stands the element
    // with its bottom 15 twips above the line.
    tmMeter.Move(0, {}, {}, 900, 750);
    put(tmMeter[0], "MetreLeft", 25);
    // The instruction labels stand at the lesson area's left; the answer labels are tall
    // enough for the 14-point names the interval palette writes.
    lblAs.Move(0, 200, 2070, 660, 330);
    lblLetter.Move(0, {}, {}, 660, 390);
    // Labels write in Arial, whose widths the lessons' label sizes were made for ("Tri-Tone
    // below" in 14-point bold fits the 2200 twips of an answer label).
    for (QLabel* l : {lblAs[0], lblLetter[0], lblLetter2[0], lblMusic[0]}) {
        QFont f = l->font();
        f.setFamily(QStringLiteral("Arial"));
        l->setFont(f);
    }
    // Only the current item's answer takes clicks, but every answer stays readable (also on
    // the yellow and cyan of its mark): the line under the current item shows which it is.
    QPalette answers = lblLetter[0]->palette();
    answers.setColor(QPalette::Disabled, QPalette::WindowText, answers.color(QPalette::Active, QPalette::WindowText));
    lblLetter[0]->setPalette(answers);
    // The editor loads its key-signature accidentals as lone accidentals 495 twips (33 px)
    // tall with their top 290 twips above the clicked line or space, which floors to 20 px:
    // the glyph's reference line must come 20 px below the top, so KeyTop = 20 - 48.
    put(KeySign[0], "KeyTop", -28);
    // The speaker buttons are placed from their template: 5000 twips left and 1000 up in the
    // item lessons (plus 3000 a column, 1000 a row), whose answer lines run from 800 to
    // 3000 (plus the same) at 1600 (plus 1000 a row); 2000 up in the melody and
    // rhythm-writing lessons, at the staves' left edge. From (8100, 2100) and 495 twips
    // square, an item's speaker stands 100 twips after the end of its own answer line (205
    // before the next one) with its bottom on the line, and the staff lessons' speaker at the
    // top left corner of the lesson area, above the clef.
    // Slurs and ties are placed from their template's top and width (a slur's top is the
    // template's + the note's top - 495 - 800 above the note, - 450 below it). From a top of
    // 2000 and 225 twips (15 px) tall, a slur above a note ends 165 twips above its head and
    // arches 150 higher; a tie below ends 110 twips under the head and sags 150 lower; 850
    // twips wide (1000 once placed) it reaches the next note of a bar.
    PhraseMark.Move(0, {}, 2000, 850, 225);
    // The frame rectangle: a thin outline, nothing inside.
    if (QFrame* frame = shpRect[0]) {
        frame->setFrameShape(QFrame::Box);
        frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    if (QPushButton* speaker = cmdSpeaker[0]) {
        cmdSpeaker.Move(0, 8100, 2100, 495, 495);
        // The style finds this picture in the desktop's icon theme, which is slow to look up
        // the first time: only an exercise with speakers needs it.
        speaker->setIcon(common::deferredIcon([speaker] { return speaker->style()->standardIcon(QStyle::SP_MediaVolume); }));
    }
}

} // namespace lessons
