// The time palette: beats per bar, simple or compound grouping and the beat's note value
// compose a time signature, previewed on the palette's tool button (a Metre control in a
// raised or sunken frame). The tool places the signature on a staff click; in the
// time-signature lesson a press puts it straight onto the current item as its answer.
#include "palettelabels.h"
#include "palettepictures.h"
#include "palettespecs.h"

#include "music/metre/metre.h"

#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolButton>
#include <cmath>

namespace palettes {
namespace {

const QString kWindow = QStringLiteral("frmTime");
constexpr int kMaxMetres = 20;

int px(double twips) { return common::twipsToPixels(twips); }

// A note of value 1 (half) to 5 (thirty-second), stem up, as the beat-value buttons show it.
QPixmap notePicture(int value) {
    QPixmap pm(kButtonPicture, kButtonPicture);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF head(12, 23);
    p.save();
    p.translate(head);
    p.rotate(-20);
    p.setPen(QPen(Qt::black, 1.6));
    p.setBrush(value == 1 ? Qt::NoBrush : QBrush(Qt::black));
    p.drawEllipse(QRectF(-4.6, -3.2, 9.2, 6.4));
    p.restore();
    const double stemX = 16.0, stemTop = 3.0;
    p.setPen(QPen(Qt::black, 1.4));
    p.drawLine(QPointF(stemX, head.y() - 1.5), QPointF(stemX, stemTop));
    for (int f = 0; f < value - 2; ++f) {
        const double y = stemTop + f * 4.5;
        QPainterPath flag(QPointF(stemX, y));
        flag.cubicTo(QPointF(stemX + 2, y + 4), QPointF(stemX + 8, y + 5), QPointF(stemX + 6, y + 11));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::black, 1.8));
        p.drawPath(flag);
    }
    return pm;
}

// The palette's content: the choices and the tool button, laid out in twips as designed.
class TimeContent : public QWidget {
public:
    TimeContent(QWidget* parent, lessons::LessonContext& ctx) : QWidget(parent), ctx_(ctx) {
        setObjectName(QStringLiteral("TimeContent"));
        // The small sans serif of a tool window, so "Quadruple" fits its button.
        QFont small = font();
        small.setPixelSize(11);
        setFont(small);
        const char* beats[3] = {"Duple", "Triple", "Quadruple"};
        const double beatLeft[3] = {0, 870, 1740}, beatWidth[3] = {885, 885, 900};
        for (int i = 0; i < 3; ++i) {
            auto* b = new QPushButton(QString::fromLatin1(beats[i]), this);
            b->setObjectName(QStringLiteral("cmdBeat%1").arg(i));
            b->setGeometry(px(beatLeft[i]), 0, px(beatWidth[i]), px(330));
            connect(b, &QPushButton::clicked, this, [this, i] { cmdBeat_Click(i); });
        }
        for (int i = 0; i < 5; ++i) {
            auto* b = new QToolButton(this);
            b->setObjectName(QStringLiteral("cmdValue%1").arg(i));
            b->setGeometry(px(525.0 * i), px(390), px(540), px(540));
            b->setIcon(QIcon(notePicture(i + 1)));
            b->setIconSize(QSize(kButtonPicture, kButtonPicture));
            connect(b, &QToolButton::clicked, this, [this, i] { cmdValue_Click(i); });
        }
        const char* groups[2] = {"Simple", "Compound"};
        for (int i = 0; i < 2; ++i) {
            auto* b = new QPushButton(QString::fromLatin1(groups[i]), this);
            b->setObjectName(QStringLiteral("cmdGroup%1").arg(i));
            b->setGeometry(px(2760), px(i == 0 ? 0 : 450), px(930), px(i == 0 ? 465 : 480));
            connect(b, &QPushButton::clicked, this, [this, i] { cmdGroup_Click(i); });
        }
        metre_ = new music::Metre(this);
        metre_->setObjectName(QStringLiteral("Metre1"));
        metre_->setGeometry(px(3870), px(45), px(750), px(795));
        connect(metre_, &music::Metre::MouseDown, this, [this](int, int) { Metre1_MouseDown(); });
        connect(metre_, &music::Metre::MouseUp, this, [this](int, int) { Metre1_MouseUp(); });
        observer_ = ctx_.state.tools.subscribe([this] { refresh(); });
        refresh();
    }
    ~TimeContent() override { ctx_.state.tools.unsubscribe(observer_); }

    QSize sizeHint() const override { return QSize(px(4725), px(945)); }
    bool drawnSunken() const { return pressing_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QPalette pal = palette();
        const QColor highlight = pal.color(QPalette::Light), dark = pal.color(QPalette::Shadow),
                     shadow = pal.color(QPalette::Dark), face = pal.color(QPalette::Button);
        p.fillRect(QRect(px(3810), 0, px(885), px(915)), face);
        // The eight lines of the tool button's frame: raised, or sunken while it is down or
        // pressed.
        const bool sunken = pressing_ || ctx_.state.tools.time().down;
        struct Edge {
            double x1, y1, x2, y2;
            QColor raised, sunk;
        };
        const Edge edges[8] = {
            {3825, 0, 4680, 0, highlight, dark},      {3810, 900, 3810, -15, highlight, dark},
            {3825, 900, 4680, 900, dark, highlight},  {4680, 0, 4680, 915, dark, highlight},
            {3825, 915, 4680, 915, shadow, face},     {4665, 30, 4665, 915, shadow, face},
            {3825, 870, 3825, 15, face, shadow},      {4665, 15, 3825, 15, face, shadow},
        };
        for (const Edge& e : edges) {
            p.setPen(QPen(sunken ? e.sunk : e.raised, 1));
            p.drawLine(px(e.x1), px(e.y1), px(e.x2), px(e.y2));
        }
    }

private:
    lessons::TimeTool time() const { return ctx_.state.tools.time(); }

    void refresh() {
        const lessons::TimeTool t = time();
        if (metre_->Pulses() != t.Pulses) metre_->setPulses(t.Pulses);
        if (metre_->NoteValue() != t.NoteValue) metre_->setNoteValue(t.NoteValue);
        update();
    }

    void cmdBeat_Click(int index) {
        lessons::TimeTool t = time();
        t.PulsesCode = index + (t.IsSimple ? 1 : 4);
        t.Pulses = t.PulsesCode;
        ctx_.state.tools.setTime(t);
    }
    void cmdGroup_Click(int index) {
        lessons::TimeTool t = time();
        // The grouping keeps the number of beats.
        t.IsSimple = index == 0;
        if (t.IsSimple && t.PulsesCode >= 4) t.PulsesCode -= 3;
        if (!t.IsSimple && t.PulsesCode <= 3) t.PulsesCode += 3;
        t.Pulses = t.PulsesCode;
        ctx_.state.tools.setTime(t);
    }
    void cmdValue_Click(int index) {
        lessons::TimeTool t = time();
        t.NoteValue = index + 1;
        ctx_.state.tools.setTime(t);
    }

    void Metre1_MouseDown() {
        lessons::ToolState& tools = ctx_.state.tools;
        tools.setLessonFramePointer(lessons::kPointerCross);
        tools.setMousePointer(lessons::kPointerCross);
        pressing_ = true;
        for (const char* p : {"frmFloatingAccidentals", "frmIntervals", "frmFloatingClef", "frmFloatingMisc",
                              "frmFloatingNotes", "frmFloatingRests", "frmFloatingRoman"})
            tools.releaseAll(QString::fromLatin1(p));
        update();
        ctx_.window.showPointers();
    }
    void Metre1_MouseUp() {
        lessons::ToolState& tools = ctx_.state.tools;
        lessons::TimeTool t = time();
        if (ctx_.state.CurrentLesson == 6) {
            t.down = true;
            tools.setTime(t);
            AddMetreToItemStaff(ctx_, ctx_.arrays.tmMeter, ctx_.arrays.LineBase);
        }
        pressing_ = false;
        t = time();
        t.down = !t.down;
        tools.setTime(t);
        update();
    }

    lessons::LessonContext& ctx_;
    music::Metre* metre_ = nullptr;
    bool pressing_ = false;
    int observer_ = 0;
};

} // namespace

void AddMetreToItemStaff(lessons::LessonContext& ctx, lessons::ElementArray& metres, lessons::LineArray& lines) {
    const int k = ctx.state.CurrentItem, e = k + 8;
    if (lines.ubound() <= 0 || metres.ubound() >= kMaxMetres) return;
    // An item without its line has nowhere to stand its answer.
    if (k < 1 || !lines.exists(k)) return;
    if (!ctx.LoadedFlags.get(1, e)) {
        if (!metres.exists(e) && !metres.load(e)) return;
        const lessons::LineControl* line = lines[k];
        metres.Move(e, std::floor(line->X1() / 15) * 15 + 1000,
                    std::floor((line->Y1() - metres.Height(0) - 15) / 15) * 15);
        metres.setVisible(e, true);
        metres.ZOrder(e, 0);
        ctx.LoadedFlags.set(1, e, true);
    }
    const lessons::TimeTool& t = ctx.state.tools.time();
    lessons::put(metres[e], "Pulses", t.Pulses);
    lessons::put(metres[e], "NoteValue", t.NoteValue);
}

PaletteSpec timePalette() {
    PaletteSpec s;
    s.window = kWindow;
    s.left = 4700;
    s.top = 8400;
    s.width = 4725 + 90;
    s.content = [](QWidget* parent, lessons::LessonContext& ctx) -> QWidget* { return new TimeContent(parent, ctx); };
    s.load = [](lessons::LessonContext& ctx) {
        // A new window: released and drawn raised, simple grouping, code 3 (4 over 4).
        lessons::TimeTool t = ctx.state.tools.time();
        t.down = false;
        t.IsSimple = true;
        t.PulsesCode = 3;
        ctx.state.tools.setTime(t);
    };
    return s;
}

} // namespace palettes
