#pragma once
// frmDrum, the "Drum" tool window: one drum pad played with the mouse while the metronome
// ticks, a tempo slider and the beat lamp. Its state and handlers are DrumLogic (kept while the
// window comes and goes); the window shows them. The pad sounds key 40 on channel 9, the
// channel carried by the pad's own messages, so nothing else that sounds meanwhile changes
// channel.
#include "student/sound/metronomepanel.h"

#include <QAbstractButton>
#include <QWidget>

class QFrame;

namespace lessons { struct LessonContext; }

namespace played {

class PlayedCapture;

inline constexpr qint16 kPadNote = -20;   // StartNote(-20): key 40

class DrumLogic {
public:
    DrumLogic(lessons::LessonContext& ctx, PlayedCapture& capture);

    // ---- Timing state ----
    qint64 NoteStartTime = 0;     // the press of the tap that waits for its commit; 0 = none
    qint64 LatestPressTime = 0;
    qint64 ReleaseTime = 0;       // the last release; 0 while the pad is down and after a commit
    sound::BeatState beat;
    bool padDown = false;

    // The played-rhythm scorer's wait: 0 once the last tap is committed.
    qint64 GetMouseUpValue() const { return ReleaseTime; }
    void ZeroFirstTick();

    // ---- Handlers (`now` read once by the caller) ----
    void Form_Load();
    void optDrum_MouseDown(qint64 now);
    void optDrum_MouseUp(qint64 now);
    void tmMetronome_Timer(const platform::MetronomeTick& tick);
    void CommitPendingTap(qint64 now);

    sound::MidiPort* port() const;

private:
    lessons::LessonContext& ctx_;
    PlayedCapture& capture_;
};

// The pad: the drum with its stick up or down.
class DrumPad : public QAbstractButton {
    Q_OBJECT
public:
    explicit DrumPad(QWidget* parent);
    // imgStick(0) at rest, imgStick(1) struck.
    static QPixmap stickPicture(int index);
    void showStick(int index);
    int stick() const { return stick_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int stick_ = 0;
};

class FrmDrum : public QWidget {
    Q_OBJECT
public:
    FrmDrum(DrumLogic& logic, std::function<QPixmap(int)> lampPictures, std::function<void()> onUnload,
            QWidget* owner);
    ~FrmDrum() override;

    DrumLogic& logic() { return logic_; }
    sound::MetronomePanel& metronome() { return *metronome_; }
    DrumPad* optDrum() const { return optDrum_; }
    QSlider* Slider1() const { return metronome_->Slider1; }
    QLabel* picTick() const { return metronome_->picTick; }

    void Form_Activate();
    void optDrum_MouseDown();
    void optDrum_MouseUp();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void onTick(const platform::MetronomeTick& tick);

    DrumLogic& logic_;
    sound::MetronomePanel* metronome_;
    std::function<void()> onUnload_;
    QFrame* Frame1_;
    DrumPad* optDrum_;
};

} // namespace played
