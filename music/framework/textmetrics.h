#pragma once
// Text measurement as the drawing rules use it: character height H = ascent + descent,
// internal leading IL = H - em, and text widths, all in whole pixels of the actual font.
// Glyph text is drawn top-aligned: its cell's top at y.
#include <QFont>
#include <QString>

class QPainter;

namespace music {

struct TextMetrics {
    int ascent = 0;
    int descent = 0;
    int height = 0;           // H
    int internalLeading = 0;  // IL
    int em = 0;
};

TextMetrics textMetrics(const QFont& font);
int textWidth(const QFont& font, const QString& text);
int textHeight(const QFont& font, const QString& text);   // the cell height of a text (H)
// Draws text with its cell's top-left corner at (x, y), like top-aligned text output.
void drawTextTop(QPainter& p, int x, int y, const QString& text);
// A glyph string from 8-bit character codes of the music font.
QString glyphs(std::initializer_list<unsigned char> codes);
inline QString glyph(unsigned char code) { return QString(QChar(code)); }
// A line from (x1, y1) to (x2, y2) without its end point, as the classic line call draws.
void drawLineNoEnd(QPainter& p, int x1, int y1, int x2, int y2);

// The indices i in [0, count) whose coordinate first + i * step lies in [lo, hi], as the
// half-open range [from, to). Loops whose count and spacing come from a host draw only these,
// so a huge count neither stalls the drawing nor wraps coordinates around into view; a zero
// step gives at most one index, since its repeats would cover the same pixels.
struct IndexRange { qint64 from = 0, to = 0; };
IndexRange indicesWithin(qint64 first, qint64 step, qint64 count, qint64 lo, qint64 hi);

} // namespace music
