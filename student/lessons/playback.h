#pragma once
// Question playback: the speaker buttons play an item's question (two tones, a chord, a
// melody after its key-setting arpeggio, a rhythm after its count-in, a cadence after its
// reference triad, a melody in its time signature). The sequence is run into the port's
// timeline and played ahead of time; until it ends the lesson's windows hold input back (with
// the wait cursor) but go on painting, a time-out waits, and the play is counted at the end;
// then the input held is acted on in order. While a set runs each item may be heard a limited
// number of times.
#include "lessoncontext.h"

#include <QObject>
#include <QPointer>
#include <memory>
#include <vector>

namespace sound { class MidiPort; }

namespace lessons {

void cmdSpeaker_Click(LessonContext& ctx, int index);

// The sequences, played into `port` (in a capture they only add to its timeline).
void playInterval(LessonContext& ctx, sound::MidiPort& port, int index);
void playMelody(LessonContext& ctx, sound::MidiPort& port, int index);
void playChord(LessonContext& ctx, sound::MidiPort& port, int index);
void playRhythm(LessonContext& ctx, sound::MidiPort& port, int index);
void playCadence(LessonContext& ctx, sound::MidiPort& port, int index);
void playTimeSignature(LessonContext& ctx, sound::MidiPort& port, int index);

// The velocity of a note starting `elapsedMs` into the question: the accent on every whole
// bar, else the weak velocity. A bar of 0 accents nothing.
qint16 accentVelocity(qint32 elapsedMs, qint32 barMs, qint16 weak);
// Waits of at most one beat each adding up to `durationMs`.
void waitDuration(sound::MidiPort& port, int durationMs, int beatMs);

// While it lives, the windows the student aims at the lesson hold input back: the lesson's
// window and its tool windows, as they were when it began. Mouse buttons and drags, touches and
// pen taps, keys, the wheel, shortcuts and closing wait; the wait cursor shows, and painting
// and timers go on. A window or dialog made meanwhile, and every modal box, is never held, so a
// box that a timer or a socket opens can be answered and closed. When the hold ends, the input
// held is handed on in the order it came, right after the caller returns, as if it had only
// just been made: a window closed meanwhile is closed then.
class InputHold : public QObject {
public:
    explicit InputHold(QWidget* lessonWindow);
    ~InputHold() override;

    // One input held back, kept as the values its event is made of again when it is handed on.
    class Held;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool holds(QObject* watched) const;

    QPointer<QWidget> lessonWindow_;
    std::vector<QPointer<QWidget>> windowsBefore_;   // every window there was when the hold began
    std::vector<std::shared_ptr<Held>> held_;
    Held* lastHeld_ = nullptr;
};

} // namespace lessons
