// The "Rests" palette: the eraser, the rest values whole to sixty-fourth and the dot. A value
// stays down as the armed tool for the next staff click.
#include "notationpictures.h"
#include "palettepictures.h"
#include "palettespecs.h"

namespace palettes {
namespace {

const QString kWindow = QStringLiteral("frmFloatingRests");

QPixmap picture(int image) {
    if (image == 1) return eraserPicture();
    if (image == 11) return dotPicture();
    if (image >= 3 && image <= 9) return notePicture(image - 3, true);
    return QPixmap();
}

void tbrRests_ButtonClick(lessons::LessonContext& ctx, const QString& key) {
    static const QStringList kValues = {"Whole", "Half", "Quarter", "Eighth", "Sixteenth", "ThirtySecondth",
                                        "SixtyFourth"};
    const bool eraser = key == QLatin1String("Erase");
    lessons::beginPaletteClick(ctx.state, kWindow, eraser);
    lessons::ToolState& t = ctx.state.tools;
    if (const int v = int(kValues.indexOf(key)); v >= 0) {
        t.setValue(kWindow, 3 + v, 1);
    } else if (key == QLatin1String("Dot")) {
        t.setValue(kWindow, 11, 1);
    } else if (eraser) {
        // Any pointer but the default counts as armed here, the cross-hair too.
        if (t.MousePointer() != lessons::kPointerDefault) {
            t.setMousePointer(lessons::kPointerDefault);
            t.setValue(kWindow, 1, 0);
        } else {
            t.setMousePointer(lessons::kPointerEraser);
            t.setValue(kWindow, 1, 1);
        }
    }
    lessons::endPaletteClick(ctx.state, kWindow);
    ctx.window.showPointers();
}

} // namespace

PaletteSpec restsPalette() {
    PaletteSpec s;
    s.window = kWindow;
    s.buttons = {
        {"Erase", "Eraser", 1}, {"", "", 0},          {"Whole", "", 3},      {"Half", "", 4},
        {"Quarter", "", 5},     {"Eighth", "", 6},    {"Sixteenth", "", 7}, {"ThirtySecondth", "", 8},
        {"SixtyFourth", "", 9}, {"", "", 0},          {"Dot", "", 11},
    };
    s.left = 8000;
    s.top = 8400;
    s.width = 4700;
    s.picture = picture;
    s.click = tbrRests_ButtonClick;
    return s;
}

} // namespace palettes
