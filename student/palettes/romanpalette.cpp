// The Roman numeral palette: the eraser and the numerals I to VII. A numeral stays down for
// the staff editor to place; AddRomanNumber(Ex) place a numeral above a line.
#include "palettelabels.h"
#include "palettepictures.h"
#include "palettespecs.h"

#include <QFont>
#include <QPainter>

namespace palettes {
namespace {

const QString kWindow = QStringLiteral("frmFloatingRoman");
const char* const kNumerals[8] = {"", "I", "II", "III", "IV", "V", "VI", "VII"};

// The numerals in one bold serif size, as they are written under a chord.
QPixmap romanPicture(int image) {
    if (image == 1) return eraserPicture();
    if (image < 2 || image > 8) return QPixmap();
    QPixmap pm(kButtonPicture, kButtonPicture);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont f(QStringLiteral("Times New Roman"));
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRectF(0, 0, kButtonPicture, kButtonPicture), Qt::AlignCenter, QString::fromLatin1(kNumerals[image - 1]));
    return pm;
}

void tbrRomans_ButtonClick(lessons::LessonContext& ctx, const QString& key) {
    const bool eraser = key == QLatin1String("Eraser");
    lessons::beginPaletteClick(ctx.state, kWindow, eraser);
    lessons::ToolState& t = ctx.state.tools;
    for (int n = 1; n <= 7; ++n)
        if (key == QLatin1String(kNumerals[n])) t.setValue(kWindow, n + 2, 1);
    if (eraser) {
        // Here the eraser arms only from the default pointer: the cross-hair disarms it.
        if (t.MousePointer() == lessons::kPointerDefault) {
            t.setMousePointer(lessons::kPointerEraser);
            t.setValue(kWindow, 1, 1);
        } else {
            t.setMousePointer(lessons::kPointerDefault);
            t.setValue(kWindow, 1, 0);
        }
    }
    lessons::endPaletteClick(ctx.state, kWindow);
    ctx.window.showPointers();
}

// Lines first..last (existing ones) searched for one without a numeral; 0 when all carry one.
int freeLine(lessons::LessonContext& ctx, lessons::ElementArray& numerals, lessons::LineArray& lines, int offset,
             int first, int last) {
    const int lineCount = lines.ubound();
    for (int j = first; j <= last; ++j) {
        if (!lines.exists(j)) continue;
        const double left = lines[j]->X1() + offset, top = lines[j]->Y1() - numerals.Height(0) - 15;
        bool carries = false;
        for (int i = 1; i <= lineCount && !carries; ++i)
            carries = ctx.LoadedFlags.get(4, i) && numerals.exists(i) && numerals.Left(i) == left &&
                      numerals.Top(i) == top;
        if (!carries) return j;
    }
    return 0;
}

void placeNumeral(lessons::LessonContext& ctx, lessons::ElementArray& numerals, lessons::LineArray& lines, int number,
                  int offset, int first, int last) {
    bool room = numerals.ubound() < lines.ubound();
    for (int i = first; i <= last && !room; ++i) room = !ctx.LoadedFlags.get(4, i);
    if (!room) return;
    const int j = freeLine(ctx, numerals, lines, offset, first, last);
    if (!j) return;
    int k = 1;
    while (k <= numerals.ubound() + 1 && ctx.LoadedFlags.get(4, k)) ++k;
    if (!numerals.exists(k) && !numerals.load(k)) return;
    ctx.LoadedFlags.set(4, k, true);
    numerals.ZOrder(k, 0);
    numerals.Move(k, lines[j]->X1() + offset, lines[j]->Y1() - numerals.Height(0) - 15);
    if (number <= 7) lessons::put(numerals[k], "RomanNumber", number);
    numerals.setVisible(k, true);
}

} // namespace

void AddRomanNumber(lessons::LessonContext& ctx, lessons::ElementArray& numerals, lessons::LineArray& lines,
                    int number, int offset) {
    if (number < 1 || lines.ubound() <= 0) return;
    placeNumeral(ctx, numerals, lines, number, offset, 1, lines.ubound());
}

void AddRomanNumberEx(lessons::LessonContext& ctx, lessons::ElementArray& numerals, lessons::LineArray& lines,
                      int number, int offset, int count, int group) {
    if (number < 1 || lines.ubound() <= 0 || count < 1 || group < 1) return;
    const int first = (group - 1) * count + 1;
    // A group past the last line has no line to carry the numeral.
    if (first > lines.ubound()) return;
    placeNumeral(ctx, numerals, lines, number, offset, first, qMin(group * count, lines.ubound()));
}

PaletteSpec romanPalette() {
    PaletteSpec s;
    s.window = kWindow;
    s.buttons = {{"Eraser", "", 1}, {"", "", 0}, {"I", "", 2}, {"II", "", 3}, {"III", "", 4},
                 {"IV", "", 5},     {"V", "", 6}, {"VI", "", 7}, {"VII", "", 8}};
    s.left = 9000;
    s.top = 7400;
    s.width = 8 * 36 * 15 + 8 * 15 + 90;
    s.picture = romanPicture;
    s.click = tbrRomans_ButtonClick;
    return s;
}

} // namespace palettes
