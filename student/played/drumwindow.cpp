#include "drumwindow.h"

#include "playedcapture.h"

#include "platform/clock.h"
#include "student/lessons/lessoncontext.h"
#include "student/sound/midiport.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QSlider>
#include <cmath>

namespace played {

// ---- DrumLogic ----------------------------------------------------------------------------

DrumLogic::DrumLogic(lessons::LessonContext& ctx, PlayedCapture& capture) : ctx_(ctx), capture_(capture) {}

sound::MidiPort* DrumLogic::port() const { return ctx_.port; }

void DrumLogic::ZeroFirstTick() {
    NoteStartTime = 0;
    LatestPressTime = 0;
    beat.resetBeat();
}

void DrumLogic::Form_Load() {
    beat.TickCounter = 0;
    NoteStartTime = 0;
}

void DrumLogic::optDrum_MouseDown(qint64 now) {
    padDown = true;
    // The pad's own messages carry channel 9: the port's channel stays where it is.
    if (sound::MidiPort* p = port()) p->StartChannelNote(sound::kPercussion, kPadNote);
    ReleaseTime = 0;
    capture_.drumPress(*this, now);
}

void DrumLogic::optDrum_MouseUp(qint64 now) {
    padDown = false;
    if (sound::MidiPort* p = port()) p->StopChannelNote(sound::kPercussion, kPadNote);
    ReleaseTime = now;
    capture_.drumRelease(*this);
}

void DrumLogic::tmMetronome_Timer(const platform::MetronomeTick& tick) { capture_.drumTick(*this, tick.stampMs); }

void DrumLogic::CommitPendingTap(qint64 now) { capture_.commitPendingTap(*this, now); }

// ---- DrumPad ------------------------------------------------------------------------------

DrumPad::DrumPad(QWidget* parent) : QAbstractButton(parent) {
    setObjectName("optDrum");
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
}

QSize DrumPad::sizeHint() const { return {132, 132}; }

QPixmap DrumPad::stickPicture(int index) {
    QPixmap pm(132, 132);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const bool struck = index == 1;
    // The shell of a snare drum seen a little from above.
    const QRectF head(14, 52, 104, 34);
    QLinearGradient shell(14, 0, 118, 0);
    shell.setColorAt(0, QColor(150, 30, 30));
    shell.setColorAt(0.45, QColor(215, 70, 60));
    shell.setColorAt(1, QColor(120, 20, 25));
    p.setPen(QPen(QColor(60, 20, 20), 1.5));
    p.setBrush(shell);
    QPainterPath body;
    body.moveTo(head.left(), head.center().y());
    body.lineTo(head.left(), head.center().y() + 40);
    body.arcTo(QRectF(head.left(), head.top() + 40, head.width(), head.height()), 180, 180);
    body.lineTo(head.right(), head.center().y());
    body.closeSubpath();
    p.drawPath(body);
    // Tension rods.
    p.setPen(QPen(QColor(225, 225, 230), 2));
    for (double x : {26.0, 46.0, 66.0, 86.0, 106.0}) {
        const double dip = 14 * std::sin((x - 14) / 104 * 3.14159);
        p.drawLine(QPointF(x, head.center().y() + dip * 0.9), QPointF(x, head.center().y() + 40 + dip));
    }
    // The head, lit where the stick strikes.
    QRadialGradient skin(head.center(), 52);
    skin.setColorAt(0, struck ? QColor(255, 250, 205) : QColor(248, 244, 232));
    skin.setColorAt(1, QColor(212, 205, 188));
    p.setPen(QPen(QColor(170, 170, 175), 3));
    p.setBrush(skin);
    p.drawEllipse(head);
    if (struck) {
        p.setPen(QPen(QColor(235, 160, 40), 2));
        for (int i = 0; i < 6; ++i) {
            const double a = i * 3.14159 / 3 + 0.3;
            const QPointF c(74, 66);
            p.drawLine(c + QPointF(std::cos(a) * 10, std::sin(a) * 5), c + QPointF(std::cos(a) * 18, std::sin(a) * 9));
        }
    }
    // The stick: raised at rest, its tip on the head when struck.
    p.save();
    if (struck) {
        p.translate(74, 66);
        p.rotate(-28);
    } else {
        p.translate(86, 30);
        p.rotate(-62);
    }
    QLinearGradient wood(0, -4, 0, 4);
    wood.setColorAt(0, QColor(230, 195, 140));
    wood.setColorAt(1, QColor(170, 120, 70));
    p.setPen(QPen(QColor(110, 75, 40), 1));
    p.setBrush(wood);
    p.drawRoundedRect(QRectF(4, -3.5, 68, 7), 3, 3);
    p.drawEllipse(QRectF(-2, -4.5, 10, 9));
    p.restore();
    return pm;
}

void DrumPad::showStick(int index) {
    stick_ = index;
    update();
}

void DrumPad::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPixmap pm = stickPicture(stick_);
    p.drawPixmap((width() - pm.width()) / 2, (height() - pm.height()) / 2, pm);
    if (hasFocus()) {
        p.setPen(QPen(QColor(90, 130, 210), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

// ---- FrmDrum ------------------------------------------------------------------------------

FrmDrum::FrmDrum(DrumLogic& logic, std::function<QPixmap(int)> lampPictures, std::function<void()> onUnload,
                 QWidget* owner)
    : QWidget(owner, lessons::kToolWindowFlags), logic_(logic), onUnload_(std::move(onUnload)) {
    setObjectName("frmDrum");
    setWindowTitle("Drum");
    Frame1_ = new QFrame(this);
    Frame1_->setObjectName("Frame1");
    Frame1_->setFrameShape(QFrame::StyledPanel);
    Frame1_->setGeometry(8, 8, 164, 150);
    optDrum_ = new DrumPad(Frame1_);
    optDrum_->setGeometry(16, 9, 132, 132);
    metronome_ = new sound::MetronomePanel(this, logic_.beat, logic_.port(), std::move(lampPictures),
                                    [this](const platform::MetronomeTick& t) { onTick(t); });
    metronome_->Slider1->setGeometry(8, 166, 130, 26);
    metronome_->picTick->setGeometry(146, 167, 24, 24);
    setFixedSize(180, 200);
    connect(optDrum_, &QAbstractButton::pressed, this, [this] { optDrum_MouseDown(); });
    connect(optDrum_, &QAbstractButton::released, this, [this] { optDrum_MouseUp(); });

    // Form_Load
    logic_.Form_Load();
    metronome_->showLamp(0);
}

FrmDrum::~FrmDrum() {
    delete metronome_;
    // A press whose release never comes (the window went first) ends its sound.
    if (logic_.padDown) {
        logic_.padDown = false;
        if (sound::MidiPort* p = logic_.port()) p->StopChannelNote(sound::kPercussion, kPadNote);
    }
}

void FrmDrum::Form_Activate() {
    metronome_->enable();
    optDrum_->setFocus(Qt::ActiveWindowFocusReason);
}

void FrmDrum::optDrum_MouseDown() {
    optDrum_->showStick(1);
    logic_.optDrum_MouseDown(platform::Clock::instance().nowMs());
}

void FrmDrum::optDrum_MouseUp() {
    optDrum_->showStick(0);
    optDrum_->setChecked(true);
    logic_.optDrum_MouseUp(platform::Clock::instance().nowMs());
}

void FrmDrum::onTick(const platform::MetronomeTick& tick) {
    const int after = logic_.beat.tick(qint16(tick.value), tick.stampMs);
    if (after == 1) metronome_->showLamp(0);
    else if (after == 2 || after == 3) metronome_->showLamp(1);
    logic_.tmMetronome_Timer(tick);
}

bool FrmDrum::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) Form_Activate();
    return QWidget::event(event);
}

void FrmDrum::showEvent(QShowEvent* event) {
    metronome_->setShown(true);
    QWidget::showEvent(event);
}

void FrmDrum::hideEvent(QHideEvent* event) {
    metronome_->setShown(false);
    QWidget::hideEvent(event);
}

void FrmDrum::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onUnload_) onUnload_();
}

} // namespace played
