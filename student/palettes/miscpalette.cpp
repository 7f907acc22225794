// The "Miscelaneous" palette: the eraser, slurs above and below, the selection arrow and the
// two beam commands ("Beam" joins the selected notes, "Flag" takes their beam away), each of
// which arms the arrow again for the next group.
#include "beaming.h"
#include "notationpictures.h"
#include "palettepictures.h"
#include "palettespecs.h"

namespace palettes {
namespace {

const QString kWindow = QStringLiteral("frmFloatingMisc");

QPixmap picture(int image) {
    switch (image) {
    case 1: return eraserPicture();
    case 3: return notePicture(0, false);
    case 4: return textPicture(QStringLiteral("Chr"));
    case 5: return textPicture(QStringLiteral("Dia"));
    case 7: return slurPicture(true);
    case 8: return slurPicture(false);
    case 10: return notePicture(3, false);
    case 11: return beamPicture();
    case 12: return textPicture(QStringLiteral("3"));
    case 13: return barlinePicture();
    case 14: return arrowPicture();
    default: return QPixmap();
    }
}

void tbrMisc_ButtonClick(lessons::LessonContext& ctx, const QString& key) {
    lessons::NotationArrays& a = ctx.arrays;
    a.shpRect.setVisible(0, false);
    const bool eraser = key == QLatin1String("Eraser");
    lessons::beginPaletteClick(ctx.state, kWindow, eraser);
    lessons::ToolState& t = ctx.state.tools;
    const bool writing = ctx.state.CurrentLesson == 2 || ctx.state.CurrentLesson == 4;
    if (eraser) lessons::toggleEraser(ctx.state, kWindow);
    else if (key == QLatin1String("UpSlur")) t.setValue(kWindow, 7, 1);
    else if (key == QLatin1String("DownSlur")) t.setValue(kWindow, 8, 1);
    else if (key == QLatin1String("Barline")) t.setValue(kWindow, 13, 1);
    else if (key == QLatin1String("Arrow")) t.setValue(kWindow, 14, 1);
    else if (key == QLatin1String("Flag")) {
        if (writing) Beaming(ctx).UnBeamIt(a.StaffLines, a.BeamFlag, a.NoteSymbol, a.lblAs, 6);
        t.setValue(kWindow, 14, 1);
    } else if (key == QLatin1String("Beam")) {
        if (writing) Beaming(ctx).BeamIt(a.StaffLines, a.BeamFlag, a.NoteSymbol, 6);
        t.setValue(kWindow, 14, 1);
    }
    lessons::endPaletteClick(ctx.state, kWindow);
    ctx.window.showPointers();
}

} // namespace

PaletteSpec miscPalette() {
    PaletteSpec s;
    s.window = kWindow;
    s.buttons = {
        {"Eraser", "Eraser", 1}, {"", "", 0},           {"Whole", "", 3},      {"Chromatic", "", 4},
        {"Diatonic", "", 5},     {"", "", 0},           {"UpSlur", "", 7},     {"DownSlur", "", 8},
        {"", "", 0},             {"Flag", "", 10},      {"Beam", "", 11},      {"Tuplet", "", 12},
        {"Barline", "", 13},     {"Arrow", "", 14},
    };
    s.left = 1590;
    s.top = 8400;
    s.width = 2360;
    s.picture = picture;
    s.click = tbrMisc_ButtonClick;
    return s;
}

} // namespace palettes
