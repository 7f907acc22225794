// The interval palette: the eraser, the five qualities, the eight sizes, the two directions,
// "dom7" and the tritone. Each click hands one part to the current item's answer label; no
// button but the eraser stays down.
#include "intervallabels.h"
#include "palettepictures.h"
#include "palettespecs.h"

#include "student/profile/playersession.h"

namespace palettes {
namespace {

const QString kWindow = QStringLiteral("frmIntervals");

QPixmap intervalPicture(int image) {
    static const char* kTexts[28] = {"",    "",    "U",   "2",   "3",     "4",     "5",    "6",  "7",  "8",
                                     "+",   "\u2212", "\u00B0", "x", "P",  "M",     "m",    "d",  "A",  "maj",
                                     "min", "dim", "aug", "per", "above", "below", "dom7", "Tri"};
    if (image == 1) return eraserPicture();
    if (image < 2 || image > 27) return QPixmap();
    return textPicture(QString::fromUtf8(kTexts[image]));
}

struct Parts {
    int size = 0, quality = 0, direction = 0;
};

Parts partsOf(const QString& key) {
    static const QStringList qualities = {"Plus", "Minus", "Dim", "Aug", "Perfect", "dom7", "Tritone"};
    static const QStringList sizes = {"Unis", "2th", "3rd", "4th", "5th", "6th", "7th", "8ve"};
    Parts p;
    if (const int q = int(qualities.indexOf(key)); q >= 0) p.quality = q + 1;
    if (const int s = int(sizes.indexOf(key)); s >= 0) p.size = s + 1;
    if (key == QLatin1String("above")) p.direction = 1;
    if (key == QLatin1String("below")) p.direction = 2;
    return p;
}

void tbrIntervals_ButtonClick(lessons::LessonContext& ctx, const QString& key) {
    const bool eraser = key == QLatin1String("Eraser");
    lessons::beginPaletteClick(ctx.state, kWindow, eraser);
    const Parts p = partsOf(key);
    if (eraser) lessons::toggleEraser(ctx.state, kWindow);
    if (ctx.state.CurrentLesson == 1)
        AddIntervalName(ctx, ctx.arrays.lblLetter, ctx.arrays.LineBase, p.size, p.quality, p.direction);
    else if (ctx.state.CurrentLesson == 3)
        AddIntervalSizeLabel(ctx, ctx.arrays.lblLetter, ctx.arrays.LineBase, p.size, p.quality);
    lessons::endPaletteClick(ctx.state, kWindow);
    ctx.window.showPointers();
}

} // namespace

void setIntervalImages(lessons::ToolState& tools, int style) {
    static const int kImages[4][5] = {{}, {10, 11, 12, 13, 14}, {15, 16, 17, 18, 14}, {19, 20, 21, 22, 23}};
    if (style < 1 || style > 3) return;
    for (int b = 3; b <= 7; ++b) tools.setImage(kWindow, b, kImages[style][b - 3]);
}

PaletteSpec intervalsPalette() {
    PaletteSpec s;
    s.window = kWindow;
    s.buttons = {
        {"Eraser", "Eraser", 1},  {"", "", 0},          {"Plus", "Major", 10}, {"Minus", "Minor", 11},
        {"Dim", "Diminished", 12}, {"Aug", "Augmented", 13}, {"Perfect", "Perfect", 14}, {"", "", 0},
        {"Unis", "Unison", 2},    {"2th", "", 3},        {"3rd", "", 4},        {"4th", "", 5},
        {"5th", "", 6},           {"6th", "", 7},        {"7th", "", 8},        {"8ve", "Octave", 9},
        {"", "", 0},              {"above", "", 24},     {"below", "", 25},     {"dom7", "", 26},
        {"Tritone", "Tri-Tone", 27},
    };
    s.left = 1500;
    s.top = 8400;
    s.width = 10000;
    s.picture = intervalPicture;
    s.click = tbrIntervals_ButtonClick;
    s.load = [](lessons::LessonContext& ctx) { setIntervalImages(ctx.state.tools, ctx.session.IntervalStyle); };
    return s;
}

} // namespace palettes
