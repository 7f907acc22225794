#pragma once
// Button pictures of the note-writing palettes, drawn by the notation controls themselves in
// the music font (a note with its stem and flags, a rest, an accidental, a clef), cropped to
// the drawing and fitted to the button square; and the few tools that are no symbol (slurs,
// beam, arrow, bar line) drawn as lines.
#include <QPixmap>

namespace palettes {

// A note (`rest` false) or rest of NoteName `value` (0 whole .. 8 double whole), with `dots`;
// `stemDown` turns the stem.
QPixmap notePicture(int value, bool rest, int dots = 0, bool stemDown = false);
QPixmap accidentalPicture(int sign);
QPixmap clefPicture(int clef);
// A lone augmentation dot.
QPixmap dotPicture();
// A quarter note with an arrow along its stem, up or down.
QPixmap stemPicture(bool up);
QPixmap slurPicture(bool up);
QPixmap beamPicture();
QPixmap arrowPicture();
QPixmap barlinePicture();

} // namespace palettes
