#pragma once
// The palettes' specs, one function per palette file.
#include "palettewindow.h"

namespace palettes {

PaletteSpec intervalsPalette();     // intervalspalette.cpp
PaletteSpec cadencePalette();       // cadencepalette.cpp
PaletteSpec inversionPalette();     // inversionpalette.cpp
PaletteSpec romanPalette();         // romanpalette.cpp
PaletteSpec timePalette();          // timepalette.cpp
PaletteSpec notesPalette();         // notespalette.cpp
PaletteSpec restsPalette();         // restspalette.cpp
PaletteSpec accidentalsPalette();   // accidentalspalette.cpp
PaletteSpec clefPalette();          // clefpalette.cpp
PaletteSpec miscPalette();          // miscpalette.cpp

// The interval palette's quality pictures (buttons 3..7) for a naming style 1..3; any other
// style leaves them.
void setIntervalImages(lessons::ToolState& tools, int style);

} // namespace palettes
