#pragma once
// The palettes' own drawings: button pictures drawn from text or shapes, the eraser picture
// and the eraser mouse pointer (a 32 x 32 cursor).
#include <QCursor>
#include <QPixmap>
#include <QString>

namespace palettes {

inline constexpr int kButtonPicture = 30;   // pixels, square

// A button picture showing `text`, fitted to the square (a music-font glyph when `musicFont`).
QPixmap textPicture(const QString& text, bool musicFont = false);
// A pink block eraser, tilted.
QPixmap eraserPicture();
// The eraser as the main window's custom pointer (hot spot at its rubbing corner).
QCursor eraserCursor();

} // namespace palettes
