#pragma once
// What the piano and drum windows share: the metronome's beat state (tick within the beat, the
// two beat starts that measure the beat, the tempo slider's value) and the panel that shows it
// (tempo slider, beat lamp) with the metronome timer behind it.
//
// The timer ticks on a timing thread (platform/metronometimer.h): at each tick the thread
// counts the tick within the beat and, on the beat, sends the click (key 75 on channel 9, the
// channel carried by the click's own messages) before the GUI thread hears of it; the GUI
// thread then runs the window's tick with the tick's stamp as "now": lamp, beat measurement,
// timed commit. A window that is hidden stops its metronome at the next tick, silently.
#include "platform/metronometimer.h"

#include <QObject>
#include <QPixmap>
#include <QtGlobal>
#include <atomic>
#include <functional>
#include <memory>

class QLabel;
class QSlider;
class QWidget;

namespace sound {

class MidiPort;

inline constexpr qint16 kClickNote = 15;     // StartNote(15): key 75
inline constexpr qint16 kPercussion = 9;

// The metronome's state of one window, kept while the window comes and goes.
struct BeatState {
    qint16 TickCounter = 0;      // 0 at a beat boundary, then 1, 2, 3
    qint64 FirstBeatTime = 0;    // "now" at the first beat start after a reset; 0 = not yet
    qint64 SecondBeatTime = 0;
    qint64 BeatPeriod = 0;       // SecondBeatTime - FirstBeatTime; 0 until measured
    int SliderValue = 60;        // the tempo slider, 40..120

    // The next two beat starts measure the beat again.
    void resetBeat() { FirstBeatTime = SecondBeatTime = BeatPeriod = 0; }
    // A tick at `now`: the beat measurement with the counter before it moves, then the
    // counter; returns the counter after the tick (1 beat start, 2 or 3, 4 back to 0).
    int tick(qint16 counterBefore, qint64 now);
};

// The tempo slider, the beat lamp and the metronome timer of one window.
class MetronomePanel : public QObject {
    Q_OBJECT
public:
    // `port` may be nullptr (nothing sounds). `lampPictures` gives the main window's
    // picConnect(0) and (1). `onTick` runs on the GUI thread for every tick that does not stop
    // the metronome.
    MetronomePanel(QWidget* window, BeatState& beat, MidiPort* port, std::function<QPixmap(int)> lampPictures,
                   std::function<void(const platform::MetronomeTick&)> onTick);
    ~MetronomePanel() override;

    QSlider* Slider1 = nullptr;
    QLabel* picTick = nullptr;

    // tmMetronome.Enabled := True (a running metronome keeps its grid).
    void enable();
    void disable();
    bool enabled() const;
    // The lamp's two pictures: 0 on the beat, 1 between beats.
    void showLamp(int picture);
    int lampPicture() const { return lamp_; }
    // What the timing side sees of the window: whether it is shown. A window that is shown
    // starts its metronome, as its activation does: the window manager may leave the focus on
    // the main window, and a student listens to a few clicks before the first tap.
    void setShown(bool shown);
    // Slider1_Change: the new interval (the grid starts again from now) and the beat forgotten.
    void Slider1_Change();

private:
    bool atTick(platform::MetronomeTick& tick);

    QWidget* window_;
    BeatState& beat_;
    MidiPort* port_;
    std::function<QPixmap(int)> lampPictures_;
    std::function<void(const platform::MetronomeTick&)> onTick_;
    std::unique_ptr<platform::MetronomeTimer> timer_;
    std::atomic<bool> shown_{false};
    int counter_ = 0;   // the timing side's tick within the beat
    int lamp_ = 0;
    int interval_ = 250;
};

} // namespace sound
