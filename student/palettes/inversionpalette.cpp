// The inversion palette: the eraser and root position to third inversion. No lesson writes
// inversion labels from it, so its lasting effect is the eraser; AddInversionLabel is the
// operation a caller uses to name the inversion above a line.
#include "palettelabels.h"
#include "palettepictures.h"
#include "palettespecs.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace palettes {
namespace {

const QString kWindow = QStringLiteral("frmInversion");
constexpr int kMaxLabels = 20;

// "Root", then 1st to 3rd with their endings raised.
QPixmap inversionPicture(int image) {
    if (image == 1) return eraserPicture();
    if (image < 2 || image > 5) return QPixmap();
    QPixmap pm(kButtonPicture, kButtonPicture);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(Qt::black);
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    if (image == 2) {
        f.setPixelSize(11);
        p.setFont(f);
        p.drawText(QRectF(0, 0, kButtonPicture, kButtonPicture), Qt::AlignCenter, QStringLiteral("Root"));
        return pm;
    }
    static const char* kEndings[3] = {"st", "nd", "rd"};
    const QString digit = QString::number(image - 2), ending = QString::fromLatin1(kEndings[image - 3]);
    QFont small = f;
    f.setPixelSize(16);
    small.setPixelSize(9);
    const double w = QFontMetricsF(f).horizontalAdvance(digit) + QFontMetricsF(small).horizontalAdvance(ending);
    const double x = (kButtonPicture - w) / 2, base = 21;
    p.setFont(f);
    p.drawText(QPointF(x, base), digit);
    p.setFont(small);
    p.drawText(QPointF(x + QFontMetricsF(f).horizontalAdvance(digit), base - 7), ending);
    return pm;
}

void tbrInversion_ButtonClick(lessons::LessonContext& ctx, const QString& key) {
    const bool eraser = key == QLatin1String("Eraser");
    lessons::beginPaletteClick(ctx.state, kWindow, eraser);
    if (eraser) lessons::toggleEraser(ctx.state, kWindow);
    // The inversion chosen lives for this click only: no lesson labels it, and no button of
    // the palette stays down for it.
    lessons::endPaletteClick(ctx.state, kWindow);
    ctx.window.showPointers();
}

double gridFloor(double twips) { return std::floor(twips / 15) * 15; }

} // namespace

void AddInversionLabel(lessons::LessonContext& ctx, lessons::LabelArray& labels, lessons::LineArray& lines,
                       int inversion, int column) {
    const int lineCount = lines.ubound();
    if (inversion < 0 || lineCount <= 0) return;
    bool room = labels.ubound() < kMaxLabels;
    for (int i = 1; i <= lineCount && !room; ++i) room = !ctx.LoadedFlags.get(column, i);
    if (!room) return;

    // A label belongs to a line when it stands where this operation puts it.
    auto labelled = [&](int j) {
        const lessons::LineControl* line = lines[j];
        for (int m = 1; m <= lineCount; ++m)
            if (ctx.LoadedFlags.get(column, m) && labels.exists(m) && labels.Left(m) == line->X1() &&
                labels.Top(m) + labels.Height(m) + 15 == gridFloor(line->Y1()))
                return true;
        return false;
    };
    int j = 0;
    for (int k = 1; k <= lineCount && !j; ++k)
        if (lines.exists(k) && !labelled(k)) j = k;
    if (!j) return;

    int e = 1;
    while (e <= labels.ubound() + 1 && ctx.LoadedFlags.get(column, e)) ++e;
    if (e > lineCount) return;
    if (!labels.exists(e) && !labels.load(e)) return;
    ctx.LoadedFlags.set(column, e, true);
    const lessons::LineControl* line = lines[j];
    labels.Move(e, line->X1(), gridFloor(line->Y1() - labels.Height(e) - 15));
    labels.setVisible(e, true);
    labels.ZOrder(e, 0);
    static const char* kNames[4] = {"Root", "First", "Second", "Third"};
    if (inversion <= 3)
        if (QLabel* l = labels[e]) l->setText(QString::fromLatin1(kNames[inversion]));
}

PaletteSpec inversionPalette() {
    PaletteSpec s;
    s.window = kWindow;
    s.buttons = {{"Eraser", "Eraser", 1},         {"", "", 0},
                 {"Root", "Root Position", 2},    {"First", "1st Inversion", 3},
                 {"Second", "2nd Inversion", 4}, {"Third", "3rd Inversion", 5}};
    s.left = 9000;
    s.top = 8400;
    s.width = 5 * 36 * 15 + 8 * 15 + 90;
    s.picture = inversionPicture;
    s.click = tbrInversion_ButtonClick;
    return s;
}

} // namespace palettes
