// The "Accidentals" palette: the eraser and seven accidentals. Sharp and flat build a key
// signature on a staff click or mark a clicked note; the others mark a clicked note. In the
// chord lesson an accidental leaves the main window with the cross-hair pointer.
#include "notationpictures.h"
#include "palettepictures.h"
#include "palettespecs.h"

namespace palettes {
namespace {

const QString kWindow = QStringLiteral("frmFloatingAccidentals");

QPixmap picture(int image) {
    // Buttons 3..9 show AccidentalSign 1 sharp, 2 flat, 5 natural, 4 double sharp,
    // 3 double flat, 6 natural sharp, 7 natural flat.
    static const int kSign[] = {1, 2, 5, 4, 3, 6, 7};
    if (image == 1) return eraserPicture();
    if (image >= 3 && image <= 9) return accidentalPicture(kSign[image - 3]);
    return QPixmap();
}

void tbrAccidentals_ButtonClick(lessons::LessonContext& ctx, const QString& key) {
    static const QStringList kKeys = {"Sharp", "Flat", "Natural", "Double Sharp", "Double Flat", "Natural Sharp",
                                      "Natural Flat"};
    const bool eraser = key == QLatin1String("Erase");
    lessons::ToolState& t = ctx.state.tools;
    lessons::beginPaletteClick(ctx.state, kWindow, eraser);
    if (!eraser && ctx.state.CurrentLesson == 3) {
        t.setLessonFramePointer(lessons::kPointerCross);
        t.setMousePointer(lessons::kPointerCross);
    }
    if (const int k = int(kKeys.indexOf(key)); k >= 0) t.setValue(kWindow, 3 + k, 1);
    else if (eraser) lessons::toggleEraser(ctx.state, kWindow);
    lessons::endPaletteClick(ctx.state, kWindow);
    ctx.window.showPointers();
}

} // namespace

PaletteSpec accidentalsPalette() {
    PaletteSpec s;
    s.window = kWindow;
    s.buttons = {
        {"Erase", "Eraser", 1},     {"", "", 0},           {"Sharp", "", 3},        {"Flat", "", 4},
        {"Natural", "", 5},         {"Double Sharp", "", 6}, {"Double Flat", "", 7}, {"Natural Sharp", "", 8},
        {"Natural Flat", "", 9},
    };
    s.left = 1200;
    s.top = 7700;
    s.width = 4000;
    s.picture = picture;
    s.click = tbrAccidentals_ButtonClick;
    return s;
}

} // namespace palettes
