// The "Note Values" palette: the note eraser, the note values whole to double whole, the dot
// and the two stem directions. The value buttons stay down as the armed tool for the next
// staff click; the rarest values arm nothing.
#include "notationpictures.h"
#include "palettepictures.h"
#include "palettespecs.h"

namespace palettes {
namespace {

const QString kWindow = QStringLiteral("frmFloatingNotes");

QPixmap picture(int image) {
    switch (image) {
    case 1: return eraserPicture();
    case 13: return dotPicture();
    case 15: return stemPicture(true);
    case 16: return stemPicture(false);
    default:
        // Images 3..11 show the values Whole .. DoubleWhole in the toolbar's order.
        if (image >= 3 && image <= 11) {
            static const int kValue[] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
            return notePicture(kValue[image - 3], false);
        }
        return QPixmap();
    }
}

void tbrNotes_ButtonClick(lessons::LessonContext& ctx, const QString& key) {
    static const QStringList kValues = {"Whole", "Half", "Quarter", "Eighth", "Sixteenth", "ThirtySecondth"};
    const bool eraser = key == QLatin1String("Eraser");
    lessons::beginPaletteClick(ctx.state, kWindow, eraser);
    lessons::ToolState& t = ctx.state.tools;
    if (const int v = int(kValues.indexOf(key)); v >= 0) t.setValue(kWindow, 3 + v, 1);
    else if (key == QLatin1String("Dot")) t.setValue(kWindow, 13, 1);
    else if (key == QLatin1String("UpNote")) t.setValue(kWindow, 15, 1);
    else if (key == QLatin1String("DownNote")) t.setValue(kWindow, 16, 1);
    else if (eraser) lessons::toggleEraser(ctx.state, kWindow);
    lessons::endPaletteClick(ctx.state, kWindow);
    ctx.window.showPointers();
}

} // namespace

PaletteSpec notesPalette() {
    PaletteSpec s;
    s.window = kWindow;
    s.buttons = {
        {"Eraser", "Eraser", 1},
        {"", "", 0},
        {"Whole", "Whole Note", 3},
        {"Half", "Half Note", 4},
        {"Quarter", "Quarter Note", 5},
        {"Eighth", "Eighth Note", 6},
        {"Sixteenth", "Sixteenth Note", 7},
        {"ThirtySecondth", "Thirty Secondth Note", 8},
        {"SixtyFourth", "Sixty Fourth Note", 9},
        {"OneTwoEight", "One Twenty Eighth Note", 10},
        {"DoubleWhole", "Double Whole Note", 11},
        {"", "", 0},
        {"Dot", "", 13},
        {"", "", 0},
        {"UpNote", "", 15},
        {"DownNote", "", 16},
    };
    s.left = 1200;
    s.top = 8400;
    s.width = 8100;
    s.picture = picture;
    s.click = tbrNotes_ButtonClick;
    return s;
}

} // namespace palettes
