#pragma once
// How an interval label is written in the three naming styles (1 symbols, 2 letters, 3 words):
// the quality prefix before the interval's number and the direction word after it. The
// interval palette builds its labels with these; the answer labels' click uses the prefix.
#include <QString>

namespace lessons {

// Quality codes 1 major, 2 minor, 3 diminished, 4 augmented, 5 perfect, 6 dominant seventh,
// 7 tritone; size codes 1 unison .. 8 octave; direction 1 above, 2 below.

// ModifyInterval: the caption's last character with the style's prefix for quality 1..5
// (quality 0: the last character alone); quality 7 gives "Tri-Tone" in any style; any other
// style or quality leaves the caption.
QString ModifyInterval(int style, int quality, const QString& caption);
// GetDirectionWord: " above" (1) or " below" (2) appended; anything else leaves it.
QString GetDirectionWord(int direction, const QString& caption);
// "U", "2" .. "8" for sizes 1..8, a single blank for anything else.
QString intervalSizeText(int size);

} // namespace lessons
