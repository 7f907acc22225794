#include "intervallabels.h"

#include "common/basic.h"
#include "student/lessons/intervalnaming.h"
#include "student/profile/playersession.h"

#include <QFont>

namespace palettes {
namespace {

using lessons::LessonContext;

constexpr int kMaxLabels = 20;

// The label of the current item: loaded and placed above its line when it is not loaded yet
// (its bottom 15 twips above the line), which also clears what the palette gave the item.
// False when the item has no line or no label can be loaded.
bool placeCurrentLabel(LessonContext& ctx, lessons::LabelArray& labels, lessons::LineArray& lines, bool bigFont) {
    const int i = ctx.state.CurrentItem;
    if (i < 1 || i >= int(ctx.state.IntervalLabelParts.size()) || !lines.exists(i)) return false;
    if (ctx.LoadedFlags.get(1, i) && labels.exists(i)) return true;
    if (!labels.exists(i) && !labels.load(i)) return false;
    labels.Move(i, lines[i]->X1(), lines[i]->Y1() - labels.Height(0) - 15, 2200);
    labels.setVisible(i, true);
    labels.ZOrder(i, 0);
    if (bigFont) {
        QFont f = labels[i]->font();
        f.setPixelSize(14 * 96 / 72);
        labels[i]->setFont(f);
    }
    ctx.state.IntervalLabelParts[size_t(i)] = {};
    ctx.LoadedFlags.set(1, i, true);
    return true;
}

int style(const LessonContext& ctx) { return ctx.session.IntervalStyle; }

int codeOf(const QString& s) {
    if (s == QLatin1String("U")) return 1;
    const double v = basic::Val(s);
    return v > 0 ? int(v) : 0;
}

} // namespace

int sizeFromCaption(int style, const QString& caption) {
    const QString at = style == 1 || style == 2 ? basic::Mid(caption, 2, 1)
                       : style == 3             ? basic::Mid(caption, 5, 1)
                                                : QString();
    if (const int c = codeOf(at)) return c;
    return codeOf(caption.left(1));
}

int qualityFromCaption(int style, const QString& caption, int& size) {
    const QString head = style == 1 || style == 2 ? caption.left(1) : style == 3 ? caption.left(3) : QString();
    if (head == QLatin1String("+") || head == QLatin1String("M") || head == QLatin1String("maj")) return 1;
    if (head == QLatin1String("-") || head == QLatin1String("m") || head == QLatin1String("min")) return 2;
    if (head == QStringLiteral("\u00B0")) return 3;
    if (head == QLatin1String("x")) return 4;
    const QString first = head.left(1).toLower();
    if (first == QLatin1String("d")) return 3;
    if (first == QLatin1String("a")) return 4;
    if (first == QLatin1String("p")) return 5;
    if (first == QLatin1String("t")) {
        size = 0;
        return 7;
    }
    return 0;
}

int directionFromCaption(const QString& caption) {
    const QString tail = caption.right(5);
    if (tail == QLatin1String("above")) return 1;
    if (tail == QLatin1String("below")) return 2;
    return 0;
}

void AddIntervalName(LessonContext& ctx, lessons::LabelArray& labels, lessons::LineArray& lines, int size,
                     int quality, int direction) {
    if (!(size > 0 || quality > 0 || direction > 0)) return;
    if (lines.ubound() == 0 || labels.ubound() >= kMaxLabels) return;
    if (!placeCurrentLabel(ctx, labels, lines, true)) return;
    const int i = ctx.state.CurrentItem;
    lessons::IntervalParts& parts = ctx.state.IntervalLabelParts[size_t(i)];
    QLabel* label = labels[i];
    const QString caption = label->text();
    const int st = style(ctx);

    int s = size > 0 ? size : sizeFromCaption(st, caption);
    const int q = quality > 0 ? quality : qualityFromCaption(st, caption, s);
    const int d = direction > 0 ? direction : directionFromCaption(caption);
    parts = {qint16(s), qint16(q), qint16(d)};

    QString text = lessons::intervalSizeText(s);
    if ((q >= 1 && q <= 5) || q == 7) text = lessons::ModifyInterval(st, q, text);
    if (d == 1 || d == 2) text = lessons::GetDirectionWord(d, text);
    label->setText(text);
}

void AddIntervalSizeLabel(LessonContext& ctx, lessons::LabelArray& labels, lessons::LineArray& lines, int size,
                          int quality) {
    if (!(size > 0 || quality > 0)) return;
    if (lines.ubound() == 0 || labels.ubound() >= kMaxLabels) return;
    if (!placeCurrentLabel(ctx, labels, lines, false)) return;
    const int i = ctx.state.CurrentItem;
    lessons::IntervalParts& parts = ctx.state.IntervalLabelParts[size_t(i)];
    if (size > 0) parts.size = qint16(size);
    if (quality > 0) parts.quality = qint16(quality);
    QString text = lessons::intervalSizeText(parts.size);
    if (parts.quality >= 1 && parts.quality <= 5) text = lessons::ModifyInterval(style(ctx), parts.quality, text);
    else if (parts.quality == 6) text = QStringLiteral("dom7");
    labels[i]->setText(text);
}

namespace {

// The first line j (1..UBound) no loaded label of the column sits on, by `sitsOn`; 0 when
// every line carries one.
template <class SitsOn>
int freeLine(LessonContext& ctx, lessons::LabelArray& labels, lessons::LineArray& lines, int column, SitsOn sitsOn) {
    for (int j = 1; j <= lines.ubound(); ++j) {
        if (!lines.exists(j)) continue;
        bool taken = false;
        for (int i = 1; i <= lines.ubound() && !taken; ++i)
            taken = ctx.LoadedFlags.get(column, i) && labels.exists(i) && sitsOn(i, j);
        if (!taken) return j;
    }
    return 0;
}

// The first index 1..UBound + 1 whose flag is clear and that the lines cover; 0 for none.
int freeElement(LessonContext& ctx, lessons::LabelArray& labels, lessons::LineArray& lines, int column) {
    for (int k = 1; k <= labels.ubound() + 1; ++k) {
        if (ctx.LoadedFlags.get(column, k)) continue;
        return k <= lines.ubound() && !labels.exists(k) ? k : 0;
    }
    return 0;
}

bool anyClear(LessonContext& ctx, lessons::LineArray& lines, int column) {
    for (int i = 1; i <= lines.ubound(); ++i)
        if (!ctx.LoadedFlags.get(column, i)) return true;
    return false;
}

double int30(double v) { return basic::Int(v / 30) * 30; }

} // namespace

void AddIntervalNumber(LessonContext& ctx, lessons::LabelArray& labels, lessons::LineArray& lines, int size) {
    if (size < 1 || lines.ubound() == 0) return;
    if (!(labels.ubound() < kMaxLabels || anyClear(ctx, lines, 1))) return;
    const int j = freeLine(ctx, labels, lines, 1, [&](int i, int j) {
        return labels.Left(i) == lines[j]->X1() &&
               int30(labels.Top(i) + labels.Height(i) + 15) == int30(lines[j]->Y1());
    });
    if (j == 0) return;
    const int k = freeElement(ctx, labels, lines, 1);
    if (k == 0 || !labels.load(k)) return;
    ctx.LoadedFlags.set(1, k, true);
    labels.Move(k, lines[j]->X1(), lines[j]->Y1() - labels.Height(0) - 15);
    labels.setVisible(k, true);
    labels.ZOrder(k, 0);
    if (size <= 8) labels[k]->setText(lessons::intervalSizeText(size));
}

void AddChordQualityLabel(LessonContext& ctx, lessons::LabelArray& labels, lessons::LineArray& lines, int quality) {
    if (quality < 1 || lines.ubound() == 0) return;
    if (!(labels.ubound() < kMaxLabels || anyClear(ctx, lines, 3))) return;
    const int j = freeLine(ctx, labels, lines, 3, [&](int i, int j) {
        return int30(labels.Left(i) - 286) == int30(lines[j]->X1() + 14) &&
               int30(labels.Top(i) + labels.Height(i) + 30) == int30(lines[j]->Y1() + 14);
    });
    if (j == 0) return;
    const int k = freeElement(ctx, labels, lines, 3);
    if (k == 0 || !labels.load(k)) return;
    ctx.LoadedFlags.set(3, k, true);
    labels.Move(k, lines[j]->X1() + 300, basic::Int((lines[j]->Y1() - labels.Height(0) - 15) / 15) * 15);
    labels.setVisible(k, true);
    labels.ZOrder(k, 0);
    static const char* kNames[4][4] = {
        {}, {"+", "-", "\u00B0", "x"}, {"M", "m", "d", "A"}, {"maj", "min", "dim", "aug"}};
    const int st = style(ctx);
    if (st >= 1 && st <= 3 && quality <= 4) labels[k]->setText(QString::fromUtf8(kNames[st][quality - 1]));
}

} // namespace palettes
