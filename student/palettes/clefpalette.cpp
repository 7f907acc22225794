// The "Clefs" palette: treble, bass and C clef for the next staff click. It has no eraser and
// leaves the drag flag as it is.
#include "notationpictures.h"
#include "palettespecs.h"

namespace palettes {
namespace {

const QString kWindow = QStringLiteral("frmFloatingClef");

QPixmap picture(int image) { return image >= 1 && image <= 3 ? clefPicture(image - 1) : QPixmap(); }

void tbrClef_ButtonClick(lessons::LessonContext& ctx, const QString& key) {
    static const QStringList kKeys = {"Treble", "Bass", "C_Clef"};
    lessons::beginPaletteClick(ctx.state, kWindow, false);
    if (const int k = int(kKeys.indexOf(key)); k >= 0) ctx.state.tools.setValue(kWindow, 1 + k, 1);
    lessons::endPaletteClick(ctx.state, kWindow);
    ctx.window.showPointers();
}

} // namespace

PaletteSpec clefPalette() {
    PaletteSpec s;
    s.window = kWindow;
    s.buttons = {{"Treble", "Treble Clef", 1}, {"Bass", "Bass Clef", 2}, {"C_Clef", "C Clef", 3}};
    s.left = 9000;
    s.top = 7700;
    s.width = 1800;
    s.picture = picture;
    s.click = tbrClef_ButtonClick;
    return s;
}

} // namespace palettes
