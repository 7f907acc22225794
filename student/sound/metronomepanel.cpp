#include "metronomepanel.h"

#include "capturemath.h"
#include "midiport.h"

#include <QLabel>
#include <QSlider>
#include <QWidget>

namespace sound {

int BeatState::tick(qint16 counterBefore, qint64 now) {
    if (counterBefore == 0 && FirstBeatTime == 0) {
        FirstBeatTime = now;
        SecondBeatTime = 0;
    } else if (counterBefore == 0 && SecondBeatTime == 0) {
        SecondBeatTime = now;
        BeatPeriod = SecondBeatTime - FirstBeatTime;
    }
    const int after = counterBefore + 1;
    TickCounter = qint16(after == 4 ? 0 : after);
    return after;
}

MetronomePanel::MetronomePanel(QWidget* window, BeatState& beat, MidiPort* port,
                               std::function<QPixmap(int)> lampPictures,
                               std::function<void(const platform::MetronomeTick&)> onTick)
    : QObject(window), window_(window), beat_(beat), port_(port), lampPictures_(std::move(lampPictures)),
      onTick_(std::move(onTick)) {
    Slider1 = new QSlider(Qt::Horizontal, window);
    Slider1->setObjectName("Slider1");
    Slider1->setRange(kSliderMin, kSliderMax);
    Slider1->setValue(kSliderDesign);
    Slider1->setTickPosition(QSlider::TicksBelow);
    Slider1->setTickInterval(10);
    Slider1->setToolTip("Tempo");
    picTick = new QLabel(window);
    picTick->setObjectName("picTick");
    picTick->setAlignment(Qt::AlignCenter);
    beat_.SliderValue = kSliderDesign;
    interval_ = kDesignInterval;
    connect(Slider1, &QSlider::valueChanged, this, [this] { Slider1_Change(); });
    timer_ = platform::MetronomeTimer::create(
        this, [this](platform::MetronomeTick& t) { return atTick(t); },
        [this](const platform::MetronomeTick& t) {
            if (!t.stopped && onTick_) onTick_(t);
        });
}

MetronomePanel::~MetronomePanel() { timer_.reset(); }

void MetronomePanel::enable() { timer_->start(interval_); }

void MetronomePanel::disable() { timer_->stop(); }

void MetronomePanel::setShown(bool shown) {
    shown_ = shown;
    if (shown) enable();
}

bool MetronomePanel::enabled() const { return timer_->isRunning(); }

void MetronomePanel::showLamp(int picture) {
    lamp_ = picture;
    if (lampPictures_) picTick->setPixmap(lampPictures_(picture));
}

void MetronomePanel::Slider1_Change() {
    beat_.SliderValue = Slider1->value();
    interval_ = metronomeInterval(Slider1->value());
    timer_->setInterval(interval_);
    beat_.resetBeat();
}

bool MetronomePanel::atTick(platform::MetronomeTick& tick) {
    // A hidden window's metronome stops at its next tick without a click.
    if (!shown_) return false;
    const int before = counter_;
    counter_ = before + 1;
    if (counter_ == 1 && port_) {
        port_->StartChannelNote(kPercussion, kClickNote);
        port_->StopChannelNote(kPercussion, kClickNote);
    }
    if (counter_ == 4) counter_ = 0;
    tick.value = before;
    return true;
}

} // namespace sound
