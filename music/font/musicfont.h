#pragma once
// The music font "Quillon": generated at build time from the Noto fonts and embedded in the
// music library. Its glyphs sit on the 8-bit character codes the notation controls draw
// (a Latin-1 QString of the codes), and its metrics are those the drawing rules rely on:
// at 37 px an ascent of 48, a descent of 36, a character height of 84 and an internal
// leading of 47 pixels.
#include <QFont>

namespace music {

// Registers the embedded "Quillon" font once (thread: GUI); true when the face is available.
bool ensureMusicFont();

// The default music font: family "Quillon", pixel size = the Windows rounding of points*96/72
// (28 -> 37, 14 -> 19), weight 400, not italic, underlined or struck out, unhinted and
// unkerned so that text measures in the font's own whole-pixel advances.
QFont musicFont(int points = 28);

// Pixel size for a point size at 96 dpi with Windows rounding (half away from zero).
int pointsToPixels(double points);

// The music font's second set of digits, for the figures of chord symbols: at 14 points
// they are 6 px tall, so figures stacked a third of a letter height (7 px) apart stay
// apart, and they are centred like the accidentals that mark an altered figure. The
// time-signature digits on "0".."9" fill half a staff and would overlap there.
constexpr char16_t kFiguredDigitZero = 0xE030;

// `number` ("6", "13") in the figured digits when `font` has them all, else unchanged
// (a host that gave the control another font still sees its figures).
QString figuredDigits(const QFont& font, const QString& number);

} // namespace music
