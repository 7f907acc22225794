// The cadence palette: six answer buttons, "Perfect" to "Deceptive". A click writes the
// cadence's name into the current item's answer label in the cadence lesson; no button stays
// down. The cadence lesson decides which buttons are usable at its level.
#include "palettelabels.h"
#include "palettepictures.h"
#include "palettespecs.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

namespace palettes {
namespace {

const QString kWindow = QStringLiteral("frmFloatingCadence");
const char* const kKinds[6] = {"Perfect", "Perfect Open", "Perfect Close", "Plagal", "Imperfect", "Deceptive"};
constexpr int kButtonWidth = 96;   // pixels: the names are written on the buttons
constexpr int kMaxLabels = 20;

int kindOf(const QString& key) {
    for (int k = 0; k < 6; ++k)
        if (key == QLatin1String(kKinds[k])) return k;
    return 0;
}

// The cadence's name on its button, on two lines when it has two words.
QPixmap cadencePicture(int image) {
    if (image < 1 || image > 6) return QPixmap();
    const int w = kButtonWidth - 6, h = kButtonPicture;
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    QString text = QString::fromLatin1(kKinds[image - 1]);
    text.replace(QLatin1Char(' '), QLatin1Char('\n'));
    p.drawText(QRectF(0, 0, w, h), Qt::AlignCenter, text);
    return pm;
}

void tbrCadence_ButtonClick(lessons::LessonContext& ctx, const QString& key) {
    lessons::beginPaletteClick(ctx.state, kWindow, false);
    const int kind = kindOf(key);
    if (ctx.state.CurrentLesson == 5) AddCadenceLabel(ctx, ctx.arrays.lblLetter, ctx.arrays.LineBase, kind);
    lessons::endPaletteClick(ctx.state, kWindow);
    ctx.window.showPointers();
}

} // namespace

QString cadenceCaption(int kind) {
    return kind >= 0 && kind <= 5 ? QString::fromLatin1(kKinds[kind]) : QString();
}

void AddCadenceLabel(lessons::LessonContext& ctx, lessons::LabelArray& labels, lessons::LineArray& lines, int kind) {
    const int i = ctx.state.CurrentItem;
    if (kind < 0 || lines.ubound() <= 0 || labels.ubound() >= kMaxLabels) return;
    // An item without a line has nowhere to put its answer.
    if (!lines.exists(i) || i < 1) return;
    if (!ctx.LoadedFlags.get(1, i)) {
        if (!labels.exists(i) && !labels.load(i)) return;
        const lessons::LineControl* line = lines[i];
        const double left = std::floor(line->X1() / 15) * 15;
        const double top = std::floor((line->Y1() - labels.Height(i) - 15) / 15) * 15;
        labels.Move(i, left, top, line->X2() - line->X1());
        if (QLabel* l = labels[i]) {
            QFont f = l->font();
            f.setPixelSize(14 * 96 / 72);
            l->setFont(f);
        }
        labels.setVisible(i, true);
        labels.ZOrder(i, 0);
        ctx.LoadedFlags.set(1, i, true);
    }
    if (kind <= 5)
        if (QLabel* l = labels[i]) l->setText(cadenceCaption(kind));
}

PaletteSpec cadencePalette() {
    PaletteSpec s;
    s.window = kWindow;
    for (int k = 0; k < 6; ++k)
        s.buttons.push_back({QString::fromLatin1(kKinds[k]), QString::fromLatin1(kKinds[k]), k + 1});
    s.left = 3000;
    s.top = 8400;
    s.width = 6 * kButtonWidth * 15 + 90;
    s.buttonWidth = kButtonWidth;
    s.picture = cadencePicture;
    s.click = tbrCadence_ButtonClick;
    return s;
}

} // namespace palettes
