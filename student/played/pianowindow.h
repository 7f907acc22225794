#pragma once
// frmKeyboard, the "Piano Keyboard" tool window: 37 keys (C3 to C6) played with the mouse or
// the computer keyboard, a tempo slider, the beat lamp and the metronome. Its state and
// handlers are KeyboardLogic (kept while the window comes and goes); the window shows them.
//
// A mouse press sounds the key first, then (in the melody lesson) the capture writes the note
// that waited for it; keys played on the computer keyboard only sound. Every handler reads the
// monotonic clock once; the metronome's ticks bring their own stamp.
#include "student/sound/capturemath.h"
#include "student/sound/metronomepanel.h"
#include "student/sound/midiport.h"

#include <QWidget>
#include <array>
#include <optional>
#include <set>

namespace lessons { struct LessonContext; }

namespace played {

class PlayedCapture;

class KeyboardLogic {
public:
    KeyboardLogic(lessons::LessonContext& ctx, PlayedCapture& capture);

    // ---- Timing state ----
    qint64 NoteStartTime = 0;          // the press that started the waiting note; 0 = none
    qint64 ReleaseTime = 0;            // the last key release; 0 = none pending
    std::optional<qint16> HeldKey;     // the key of the note that waits (any key, C3 included)
    sound::BeatState beat;

    // ---- Public operations ----
    // The next press starts a new phrase and the beat is measured again.
    void ZeroFirstTick();
    // No timed commit until the next key release.
    void StopMouseDown();
    // Cursor back to the arrow, note palette buttons 1..11 released.
    void ResetFloatingNotes();

    // ---- Handlers (the window calls them; `now` read once by the caller) ----
    void Form_Load();
    void key_MouseDown(int index, qint64 now);
    void key_MouseUp(int index, qint64 now);
    // Computer keyboard: sound only. Auto-repeated presses and unmapped codes do nothing.
    void Form_KeyDown(int keyCode, bool autoRepeat = false);
    void Form_KeyUp(int keyCode, bool autoRepeat = false);
    // Keys still held on the computer keyboard are let go (focus lost, window closed).
    void releaseHeldKeys();
    // The tick's second half, after the lamp and the beat measurement: the timed commit.
    void tmMetronome_Timer(const platform::MetronomeTick& tick);

    sound::MidiPort* port() const;

private:
    lessons::LessonContext& ctx_;
    PlayedCapture& capture_;
    std::set<qint16> heldByKeyboard_;
};

class FrmKeyboard;

// One key of the keyboard: drawn white or black, pressed while the port says so.
class PianoKey : public QWidget {
    Q_OBJECT
public:
    PianoKey(FrmKeyboard* window, int index);
    int index() const { return index_; }
    bool black() const { return black_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    FrmKeyboard* window_;
    int index_;
    bool black_;
};

class FrmKeyboard : public QWidget, public sound::PianoKeys {
    Q_OBJECT
public:
    FrmKeyboard(KeyboardLogic& logic, std::function<QPixmap(int)> lampPictures,
                std::function<void()> onUnload, QWidget* owner);
    ~FrmKeyboard() override;

    KeyboardLogic& logic() { return logic_; }
    sound::MetronomePanel& metronome() { return *metronome_; }
    PianoKey* key(int k) const { return k >= 0 && k < sound::kPianoKeys ? keys_[size_t(k)] : nullptr; }
    QSlider* Slider1() const { return metronome_->Slider1; }
    QLabel* picTick() const { return metronome_->picTick; }

    // Form_Activate: the metronome runs, key(12) takes the focus.
    void Form_Activate();
    // The key handlers as the mouse runs them (tests call them too).
    void key_MouseDown(int index);
    void key_MouseUp(int index);

    // ---- PianoKeys: the port's key values, shown ----
    bool hasKey(int key) const override { return key >= 0 && key < sound::kPianoKeys; }
    int value(int key) const override { return hasKey(key) ? values_[size_t(key)] : 0; }
    void setValue(int key, int value) override;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void onTick(const platform::MetronomeTick& tick);

    KeyboardLogic& logic_;
    sound::MetronomePanel* metronome_;
    std::function<void()> onUnload_;
    std::array<PianoKey*, sound::kPianoKeys> keys_{};
    std::array<int, sound::kPianoKeys> values_{};
};

} // namespace played
