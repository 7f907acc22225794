#include "pianowindow.h"

#include "playedcapture.h"

#include "platform/clock.h"
#include "student/lessons/lessoncontext.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QSlider>

namespace played {

namespace {
// Key sizes in pixels: white keys side by side, black keys over the joins.
constexpr int kWhiteWidth = 26, kWhiteHeight = 116;
constexpr int kBlackWidth = 16, kBlackHeight = 72;
constexpr int kMargin = 8, kKeysTop = 44;

int whiteIndexOf(int key) {
    static constexpr int inOctave[12] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
    return key / 12 * 7 + inOctave[key % 12];
}
} // namespace

// ---- KeyboardLogic ----------------------------------------------------------------------

KeyboardLogic::KeyboardLogic(lessons::LessonContext& ctx, PlayedCapture& capture) : ctx_(ctx), capture_(capture) {}

sound::MidiPort* KeyboardLogic::port() const { return ctx_.port; }

void KeyboardLogic::ZeroFirstTick() {
    NoteStartTime = 0;
    beat.resetBeat();
}

void KeyboardLogic::StopMouseDown() { ReleaseTime = 0; }

void KeyboardLogic::ResetFloatingNotes() { capture_.ResetFloatingNotes(); }

void KeyboardLogic::Form_Load() {
    beat.TickCounter = 0;
    NoteStartTime = 0;
}

void KeyboardLogic::key_MouseDown(int index, qint64 now) {
    ReleaseTime = 0;
    // The key sounds before anything is written: the note that waited for this press goes on
    // the staff afterwards, and writing sends nothing.
    if (sound::MidiPort* p = port()) {
        p->KeyStopNote(qint16(index));
        p->KeyStartNote(qint16(index));
    }
    capture_.pianoPress(*this, index, now);
}

void KeyboardLogic::key_MouseUp(int index, qint64 now) {
    if (sound::MidiPort* p = port()) p->KeyStopNote(qint16(index));
    ReleaseTime = now;
    capture_.pianoRelease(*this);
}

void KeyboardLogic::Form_KeyDown(int keyCode, bool autoRepeat) {
    const qint16 key = sound::KeyCodeToNote(keyCode);
    if (autoRepeat || key == sound::kNoKey) return;
    heldByKeyboard_.insert(key);
    if (sound::MidiPort* p = port()) p->KeyStartNote(key);
}

void KeyboardLogic::Form_KeyUp(int keyCode, bool autoRepeat) {
    const qint16 key = sound::KeyCodeToNote(keyCode);
    if (autoRepeat || key == sound::kNoKey) return;
    heldByKeyboard_.erase(key);
    if (sound::MidiPort* p = port()) p->KeyStopNote(key);
}

void KeyboardLogic::releaseHeldKeys() {
    const std::set<qint16> held = std::move(heldByKeyboard_);
    heldByKeyboard_.clear();
    if (sound::MidiPort* p = port())
        for (qint16 key : held) p->KeyStopNote(key);
}

void KeyboardLogic::tmMetronome_Timer(const platform::MetronomeTick& tick) { capture_.pianoTick(*this, tick.stampMs); }

// ---- PianoKey -----------------------------------------------------------------------------

PianoKey::PianoKey(FrmKeyboard* window, int index) : QWidget(window), window_(window), index_(index) {
    black_ = sound::isBlackKey(index);
    setObjectName(QString("key(%1)").arg(index));
    setFocusPolicy(Qt::StrongFocus);
    const int white = whiteIndexOf(index);
    if (black_)
        setGeometry(kMargin + white * kWhiteWidth + kWhiteWidth - kBlackWidth / 2, kKeysTop, kBlackWidth, kBlackHeight);
    else
        setGeometry(kMargin + white * kWhiteWidth, kKeysTop, kWhiteWidth, kWhiteHeight);
}

void PianoKey::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool down = window_->value(index_) == 1;
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    if (black_) {
        g.setColorAt(0, down ? QColor(70, 90, 140) : QColor(60, 60, 64));
        g.setColorAt(1, down ? QColor(40, 55, 100) : QColor(10, 10, 12));
    } else {
        g.setColorAt(0, down ? QColor(200, 215, 245) : QColor(255, 255, 255));
        g.setColorAt(1, down ? QColor(160, 180, 230) : QColor(232, 232, 228));
    }
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 2, 2);
    // Middle C carries a dot, so the student finds the way about the keyboard.
    if (index_ == 12) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(150, 150, 150));
        p.drawEllipse(QPointF(r.center().x(), r.bottom() - 10), 2.5, 2.5);
    }
    if (hasFocus()) {
        p.setPen(QPen(QColor(90, 130, 210), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(2, 2, -2, -2));
    }
}

void PianoKey::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) window_->key_MouseDown(index_);
}

void PianoKey::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) window_->key_MouseUp(index_);
}

// ---- FrmKeyboard --------------------------------------------------------------------------

FrmKeyboard::FrmKeyboard(KeyboardLogic& logic, std::function<QPixmap(int)> lampPictures,
                         std::function<void()> onUnload, QWidget* owner)
    : QWidget(owner, lessons::kToolWindowFlags), logic_(logic), onUnload_(std::move(onUnload)) {
    setObjectName("frmKeyboard");
    setWindowTitle("Piano Keyboard");
    setAttribute(Qt::WA_DeleteOnClose, false);
    metronome_ = new sound::MetronomePanel(this, logic_.beat, logic_.port(), std::move(lampPictures),
                                    [this](const platform::MetronomeTick& t) { onTick(t); });
    const int width = kMargin * 2 + 22 * kWhiteWidth;
    metronome_->Slider1->setGeometry(kMargin, 10, 22 * kWhiteWidth - 40, 26);
    metronome_->picTick->setGeometry(width - kMargin - 24, 11, 24, 24);
    // White keys first, so the black keys lie on top.
    for (int k = 0; k < sound::kPianoKeys; ++k)
        if (!sound::isBlackKey(k)) keys_[size_t(k)] = new PianoKey(this, k);
    for (int k = 0; k < sound::kPianoKeys; ++k)
        if (sound::isBlackKey(k)) keys_[size_t(k)] = new PianoKey(this, k);
    setFixedSize(width, kKeysTop + kWhiteHeight + kMargin);

    // Form_Load
    logic_.Form_Load();
    metronome_->showLamp(0);
    if (sound::MidiPort* p = logic_.port()) {
        for (int k = 0; k < sound::kPianoKeys; ++k) values_[size_t(k)] = p->pianoKeys().value(k);
        p->setPianoKeys(this);
    }
}

FrmKeyboard::~FrmKeyboard() {
    delete metronome_;   // the timing thread ends before anything it reaches goes
    logic_.releaseHeldKeys();
    if (sound::MidiPort* p = logic_.port()) {
        // The port keeps the keys' values itself again.
        p->setPianoKeys(nullptr);
        for (int k = 0; k < sound::kPianoKeys; ++k) p->pianoKeys().setValue(k, values_[size_t(k)]);
    }
}

void FrmKeyboard::setValue(int key, int value) {
    if (!hasKey(key)) return;
    values_[size_t(key)] = value;
    if (PianoKey* k = keys_[size_t(key)]) k->update();
}

void FrmKeyboard::Form_Activate() {
    metronome_->enable();
    if (PianoKey* middleC = key(12)) middleC->setFocus(Qt::ActiveWindowFocusReason);
}

void FrmKeyboard::key_MouseDown(int index) { logic_.key_MouseDown(index, platform::Clock::instance().nowMs()); }

void FrmKeyboard::key_MouseUp(int index) { logic_.key_MouseUp(index, platform::Clock::instance().nowMs()); }

void FrmKeyboard::onTick(const platform::MetronomeTick& tick) {
    const int after = logic_.beat.tick(qint16(tick.value), tick.stampMs);
    if (after == 1) metronome_->showLamp(0);
    else if (after == 2 || after == 3) metronome_->showLamp(1);
    logic_.tmMetronome_Timer(tick);
}

bool FrmKeyboard::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) Form_Activate();
    // Keys held on the computer keyboard would never hear their release.
    if (event->type() == QEvent::WindowDeactivate) logic_.releaseHeldKeys();
    return QWidget::event(event);
}

void FrmKeyboard::keyPressEvent(QKeyEvent* event) {
    const int code = sound::keyCodeForQtKey(event->key());
    if (sound::KeyCodeToNote(code) == sound::kNoKey) {
        QWidget::keyPressEvent(event);
        return;
    }
    logic_.Form_KeyDown(code, event->isAutoRepeat());
}

void FrmKeyboard::keyReleaseEvent(QKeyEvent* event) {
    const int code = sound::keyCodeForQtKey(event->key());
    if (sound::KeyCodeToNote(code) == sound::kNoKey) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    logic_.Form_KeyUp(code, event->isAutoRepeat());
}

void FrmKeyboard::showEvent(QShowEvent* event) {
    metronome_->setShown(true);
    QWidget::showEvent(event);
}

void FrmKeyboard::hideEvent(QHideEvent* event) {
    metronome_->setShown(false);
    logic_.releaseHeldKeys();
    QWidget::hideEvent(event);
}

void FrmKeyboard::closeEvent(QCloseEvent* event) {
    // Form_Unload: the menu item is unchecked and the window goes.
    logic_.releaseHeldKeys();
    event->accept();
    if (onUnload_) onUnload_();
}

} // namespace played
