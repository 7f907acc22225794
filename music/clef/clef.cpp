#include "clef.h"
#include "music/framework/classregistry.h"
#include "music/framework/textmetrics.h"

#include <QPainter>

namespace music {

MUSIC_REGISTER_CLASS(Clef, "Music.Clef", "Clef Class", "{2F06E48A-067F-4DA9-8B32-8F7DA715F507}", 107)

namespace {
// Indexed by ClefName: Treble, Bass, C_Clef, Percussion, Tenor.
const unsigned char kClefGlyphs[] = {0x26, 0x3F, 0x42, 0xD6, 0x56};
} // namespace

Clef::Clef(QWidget* parent)
    : MusicControl(parent, kGlyphControlStock, kMusicFontPoints),
      glyphText_(glyph(kClefGlyphs[Treble])) {}

void Clef::setClef(int v) {
    clef_ = v;
    if (v >= Treble && v <= Tenor) glyphText_ = glyph(kClefGlyphs[v]);
    requestRedraw();
}

void Clef::setRhythmicOffset(int v) {
    rhythmicOffset_ = v;
    requestRedraw();
}

void Clef::onDraw(QPainter& p, const QRect& bounds) {
    if (!hasFont()) return;
    p.setPen(foreRgb());
    p.setFont(Font());
    drawTextTop(p, bounds.left(), bounds.top(), glyphText_);
}

} // namespace music
