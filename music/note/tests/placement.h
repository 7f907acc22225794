#pragma once
// How the student program places notation controls on its window (twips, 15 to a pixel), so
// the renders here show the controls exactly where a lesson puts them.
#include "music/clef/clef.h"
#include "music/metre/metre.h"
#include "music/note/note.h"
#include "music/staff/staff.h"

#include <QImage>
#include <QWidget>
#include <cmath>

namespace placement {

inline int px(double twips) { return int(std::floor(twips / 15.0)); }
inline int floorDiv(int a, int b) { return int(std::floor(double(a) / b)); }

inline void placeTwips(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(px(left), px(top), px(width), px(height));
}

// A staff element as the lesson templates leave it: LineTop 30, LineLeft 0, five lines.
struct StaffAt {
    int left, top, width;   // twips
    int lineTop = 30, lineSpace = 10;
    // Pixel y of line k (0 = top line) in the window.
    int lineY(int k) const { return px(top) + lineTop + k * lineSpace; }
    int bottomLineY() const { return lineY(4); }
};

inline music::Staff* addStaff(QWidget* host, const StaffAt& s) {
    auto* st = new music::Staff(host);
    placeTwips(st, s.left, s.top, s.width, 1995);
    st->setLineTop(s.lineTop);
    st->setLineLeft(0);
    st->setLineWidth(px(s.width));
    st->setLineSpace(s.lineSpace);
    return st;
}

// Clef tops relative to the staff's top line (twips): the melody lesson's treble clef, the
// scorer's alto and tenor positions, the rhythm lessons' percussion clef. The bass clef names
// the fourth line: it stands where the tenor C clef stands. The tenor clef is the G clef an
// octave down and stands where the treble clef stands.
inline int clefTopAboveTopLine(int clef, bool tenorPosition) {
    switch (clef) {
    case music::Bass: return 570;
    case music::C_Clef: return tenorPosition ? 570 : 420;
    case music::Percussion: return 415;
    default: return 270;   // treble and tenor
    }
}

inline music::Clef* addClef(QWidget* host, const StaffAt& s, int leftTw, int clef, bool tenorPosition = false) {
    auto* c = new music::Clef(host);
    const int top = s.top + 15 * s.lineTop - clefTopAboveTopLine(clef, tenorPosition);
    placeTwips(c, leftTw, top, 600, 1500);
    c->setClef(clef);
    return c;
}

// The time signature's place on its staff: 350 twips below the staff element's top.
inline music::Metre* addMetre(QWidget* host, const StaffAt& s, int leftTw, int pulses, int value,
                              const QString& complex = QString()) {
    auto* m = new music::Metre(host);
    // Wide enough for the widest figure it shows.
    placeTwips(m, leftTw, s.top + 350, complex.isEmpty() && value != music::OneTwentyEighth ? 600 : 1200, 900);
    m->setComplex(complex);
    m->setPulses(pulses);
    m->setNoteValue(value);
    return m;
}

// A note element as the note adder makes it from the template (Width 550, Height 1760,
// NoteLeft 15, NoteTop 20, AccidentalOffset 0), then snapped to staff step `step` (0 = the
// bottom line, one step per 75 twips upwards) with the stem direction, leger-line count and
// on-a-line flag that the editor's snap gives it.
inline music::Note* addNote(QWidget* host, const StaffAt& s, int leftTw, int step, int value) {
    auto* n = new music::Note(host);
    n->setNoteLeft(15);
    n->setNoteTop(20);
    n->setAccidentalOffset(0);
    n->setNote(value);
    const int ref = s.top + 15 * s.lineTop + 4 * 15 * s.lineSpace - 720 - 15 * n->NoteTop();
    const int phase = ((ref % 75) + 75) % 75;
    const int half = (ref % 150 == 0) ? 75 : 0;
    int top = floorDiv(ref - 75 * step, 75) * 75 + phase;
    if (ref - top < 0) {
        n->setStemDirection(music::Up);
        int leger = -floorDiv(ref - top, 150);
        if ((ref - top + half) % 150 != 0) {
            n->setLineNote(0);
            --leger;
            if (leger > 0) top -= 15;
        } else {
            n->setLineNote(-1);
        }
        n->setLegerLines(leger);
    } else {
        const int high = 75 * floorDiv(ref - phase - top + 15 * n->NoteTop(), 75);
        if (high < 600) {
            n->setLegerLines(0);
            n->setLineNote((ref - top + half) % 150 == 0 ? -1 : 0);
        } else {
            n->setStemDirection(music::Down);
            int leger = floorDiv(ref - top, 150) - 4;
            if ((ref - top + half) % 150 != 0) {
                n->setLineNote(0);
                if (leger > 0) top += 15;
            } else {
                n->setLineNote(-1);
            }
            n->setLegerLines(leger);
        }
    }
    placeTwips(n, leftTw, top, 550, 1760);
    return n;
}

// A rest as the rest adder places it: a whole rest 95 twips higher than the others.
inline music::Note* addRest(QWidget* host, const StaffAt& s, int leftTw, int value) {
    auto* n = new music::Note(host);
    n->setNoteLeft(15);
    n->setNoteTop(20);
    n->setAccidentalOffset(0);
    n->setNote(value);
    n->setRest(-1);
    const int r = value == music::Whole ? 450 : 545;
    placeTwips(n, leftTw, s.top + r - (n->NoteTop() + 34) * 15, 550, 1760);
    return n;
}

// The window as a person sees it: white, every control painted in place.
inline QImage renderWindow(QWidget& host) {
    QImage img(host.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    host.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

} // namespace placement
