#include "playback.h"

#include "lessontable.h"
#include "musicmath.h"

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "student/sound/midiport.h"
#include "student/sound/questionplayers.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <algorithm>

namespace lessons {
namespace {

struct PlayLimit {
    int limit;
    const char* message;
    bool currentItem;   // lessons 1 and 3 play the current item whatever speaker was pressed
};

const PlayLimit* playLimit(int lesson) {
    static const PlayLimit kLimits[7] = {
        {3, "Interval played 3 times already.", true}, {3, "Melody played 3 times already.", false},
        {2, "Chord played 2 times already.", true},    {3, "Melody played 3 times already.", false},
        {3, "Cadence played 3 time already.", false},  {3, "Melody played 3 times already.", false},
        {0, "", false},
    };
    return lesson >= 1 && lesson <= 7 ? &kLimits[lesson - 1] : nullptr;
}

int tableIndex(int i) { return std::clamp(i, 0, ItemTables::kSize - 1); }

// Beat and bar of a metre element: a beat of 1500 ms in compound metres, else 1000.
struct Pulse {
    int beat = 1000;
    int bar = 0;
};
Pulse pulseOf(QObject* metre) {
    Pulse p;
    const int pulses = getInt(metre, "Pulses");
    p.beat = pulses > 3 ? 1500 : 1000;
    p.bar = p.beat * GetBeatsPerBar(metre);
    return p;
}

} // namespace

qint16 accentVelocity(qint32 elapsedMs, qint32 barMs, qint16 weak) {
    if (barMs <= 0) return weak;
    return elapsedMs % barMs == 0 ? qint16(127) : weak;
}

void waitDuration(sound::MidiPort& port, int durationMs, int beatMs) {
    if (durationMs <= beatMs || beatMs <= 0) {
        port.Wait(durationMs);
        return;
    }
    int rest = durationMs;
    while (rest >= beatMs) {
        port.Wait(beatMs);
        rest -= beatMs;
    }
    port.Wait(rest);
}

void playInterval(LessonContext& ctx, sound::MidiPort& port, int) {
    const ItemTables& t = ctx.state.items;
    const int k = tableIndex(ctx.state.CurrentItem);
    const qint16 tonic = t.ItemTonic[size_t(k)];
    const qint16 upper = qint16(tonic + t.ItemInterval[size_t(k)]);
    // Rising: the tonic first; falling: the upper tone first.
    const qint16 first = t.ItemAbove(k) ? tonic : upper;
    const qint16 second = t.ItemAbove(k) ? upper : tonic;
    for (qint16 note : {first, second}) {
        port.StartNote(note);
        port.Wait(1000);
        port.StopNote(note);
    }
}

void playChord(LessonContext& ctx, sound::MidiPort& port, int) {
    const ItemTables& t = ctx.state.items;
    const int k = tableIndex(ctx.state.CurrentItem);
    const qint16 root = t.ItemTonic[size_t(k)];
    const qint16 v = t.ItemInversion[size_t(k)];
    const qint16 doubled = t.DoubleTopNote ? -1 : 0;
    switch (t.ItemChordKind[size_t(k)]) {
    case 1: sound::PlayMajorTriad(port, root, v, doubled); break;
    case 2: sound::PlayMinorTriad(port, root, v, doubled); break;
    case 3: sound::PlayDiminishedTriad(port, root); break;
    case 4: sound::PlayAugmentedTriad(port, root); break;
    case 5: sound::PlayDominantSeventh(port, root, v); break;
    case 6: sound::PlayDiminishedSeventh(port, root); break;
    case 7: sound::PlayMajorSeventh(port, root, v); break;
    case 8: sound::PlayMinorSeventh(port, root, v); break;
    default: break;
    }
}

void playMelody(LessonContext& ctx, sound::MidiPort& port, int index) {
    const ItemTables& t = ctx.state.items;
    const Pulse p = pulseOf(ctx.arrays.tmMeter[index]);
    const qint16 tonic = t.ItemTonic[1];
    if (ctx.state.ItemPlayCount[size_t(tableIndex(index))] == 0) sound::PlayTonicArpeggio(port, tonic);
    qint32 elapsed = 0;
    for (const TimedNote& n : t.NoteTable) {
        port.MidiVelocity = accentVelocity(elapsed, p.bar, 75);
        const qint16 note = qint16(n.pitch + tonic);
        port.StartNote(note);
        // A click marks every note that starts on a beat.
        if (elapsed % p.beat == 0) sound::Metronome(port);
        elapsed += n.ms;
        waitDuration(port, n.ms, p.beat);
        port.StopNote(note);
    }
}

void playRhythm(LessonContext& ctx, sound::MidiPort& port, int index) {
    const ItemTables& t = ctx.state.items;
    const Pulse p = pulseOf(ctx.arrays.tmMeter[index]);
    // A bar of clicks first (the exercise's metre).
    for (int c = GetBeatsPerBar(ctx.arrays.tmMeter[1]); c > 0; --c) {
        sound::Metronome(port);
        port.Wait(p.beat);
    }
    qint32 elapsed = 0;
    for (const TimedNote& n : t.NoteTable) {
        port.MidiVelocity = accentVelocity(elapsed, p.bar, 75);
        port.SetChannel(sound::MidiPort::PercussionChannel);
        const qint16 key = qint16(n.pitch - 2);
        port.StartNote(key);
        elapsed += n.ms;
        waitDuration(port, n.ms, p.beat);
        port.StopNote(key);
        port.SetChannel(0);
    }
}

void playCadence(LessonContext& ctx, sound::MidiPort& port, int index) {
    const ItemTables& t = ctx.state.items;
    const int k = std::clamp(index, 0, 8);
    const Pulse p = pulseOf(ctx.arrays.tmMeter[index]);
    const qint16 tonic = t.ItemTonic[size_t(k)];
    if (ctx.state.ItemPlayCount[size_t(tableIndex(index))] == 0) {
        port.Wait(100);
        sound::PlayMajorTriad(port, tonic, 0, 0);
        port.Wait(1000);
    }
    const std::vector<TimedNote>& notes = t.ItemNoteTable[size_t(k)];
    const int n = int(notes.size());
    qint32 elapsed = 0;
    for (int j = 1; j <= n; ++j) {
        const TimedNote& m = notes[size_t(j - 1)];
        const qint16 note = qint16(m.pitch + tonic);
        port.MidiVelocity = accentVelocity(elapsed, p.bar, 75);
        // The cadence's two chords carry its last two notes on top.
        const int chord = j == n ? 2 : j == n - 1 ? 1 : 0;
        const qint16 position = chord ? t.ItemCadencePositions[size_t(k)][size_t(chord)] : 0;
        const qint16 kind = chord ? t.ItemCadenceKinds[size_t(k)][size_t(chord)] : 0;
        if (chord) sound::PlayStartChord(port, note, position, kind, 0);
        else port.StartNote(note);
        elapsed += m.ms;
        waitDuration(port, m.ms, p.beat);
        if (chord) sound::PlayStopChord(port, note, position, kind, 0);
        else port.StopNote(note);
    }
}

void playTimeSignature(LessonContext& ctx, sound::MidiPort& port, int index) {
    const ItemTables& t = ctx.state.items;
    const int k = std::clamp(index, 0, 8);
    const Pulse p = pulseOf(ctx.arrays.tmMeter[index]);
    const qint16 tonic = t.ItemTonic[size_t(k)];
    qint32 elapsed = 0;
    for (const TimedNote& m : t.ItemNoteTable[size_t(k)]) {
        port.MidiVelocity = accentVelocity(elapsed, p.bar, 60);
        const qint16 note = qint16(m.pitch + tonic);
        port.StartNote(note);
        elapsed += m.ms;
        waitDuration(port, m.ms, p.beat);
        port.StopNote(note);
    }
}

void cmdSpeaker_Click(LessonContext& ctx, int index) {
    ExerciseState& s = ctx.state;
    if (s.QuestionSounding) return;
    const int lesson = s.CurrentLesson;
    const PlayLimit* limit = playLimit(lesson);
    const LessonEntry* row = ctx.table ? &ctx.table->row(lesson) : nullptr;
    if (!limit || !row || !row->play) {
        // Nothing to play (the rhythm-playing lesson, the lesson list).
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QApplication::restoreOverrideCursor();
        return;
    }
    const int k = limit->currentItem ? s.CurrentItem : index;
    if (k < 0 || k >= ItemTables::kSize) return;
    if (s.ExerciseRunning && s.ItemPlayCount[size_t(k)] >= limit->limit) {
        platform::Dialogs::instance().messageBox(QString::fromLatin1(limit->message), platform::Exclamation,
                                                 QStringLiteral("Sorry!"), ctx.window.owner());
        return;
    }
    if (sound::MidiPort* port = ctx.port) {
        port->beginCapture();
        row->play(ctx, *port, index);
        const sound::Timeline question = port->endCapture();
        s.QuestionSounding = true;
        {
            InputHold hold;
            platform::Clock& clock = platform::Clock::instance();
            const qint64 end = port->playTimeline(question);
            // The windows go on painting and the timers run; input waits for the end.
            while (port->timelinePlaying()) {
                const qint64 left = end - clock.nowMs();
                clock.sleepPumping(int(std::clamp<qint64>(left, 1, 20)));
            }
        }
        s.QuestionSounding = false;
    }
    s.ItemPlayCount[size_t(k)] = qint16(s.ItemPlayCount[size_t(k)] + 1);
}

// A mouse or wheel event shares its point with the pointing device's record of that point, which
// every later event of the device rewrites: a copy kept while other clicks come in would be
// handed on with the last click's place. So the values are kept, and the event is made again
// only as it is handed on.
struct InputHold::Held {
    QPointer<QObject> receiver;
    std::unique_ptr<QEvent> event;   // events without a point (keys, shortcuts, ...)
    QEvent::Type type = QEvent::None;
    QPointF position, scenePosition, globalPosition;
    Qt::MouseButton button = Qt::NoButton;
    Qt::MouseButtons buttons;
    Qt::KeyboardModifiers modifiers;
    const QPointingDevice* device = nullptr;
    QPoint pixelDelta, angleDelta;
    Qt::ScrollPhase phase = Qt::NoScrollPhase;
    bool inverted = false;

    void handOn() {
        if (!receiver) return;
        if (event) {
            QCoreApplication::sendEvent(receiver, event.get());
        } else if (type == QEvent::Wheel) {
            QWheelEvent e(position, globalPosition, pixelDelta, angleDelta, buttons, modifiers, phase, inverted,
                          Qt::MouseEventNotSynthesized, device);
            QCoreApplication::sendEvent(receiver, &e);
        } else {
            QMouseEvent e(type, position, scenePosition, globalPosition, button, buttons, modifiers, device);
            QCoreApplication::sendEvent(receiver, &e);
        }
    }
};

InputHold::InputHold() {
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

InputHold::~InputHold() {
    QApplication::restoreOverrideCursor();
    qApp->removeEventFilter(this);
    if (held_.empty()) return;
    // Handed on from the event loop, not from here: the handler that played the question
    // finishes first. Input that starts another question is held again by that one, and what
    // comes in meanwhile waits behind what is still to be handed on here.
    QMetaObject::invokeMethod(
        qApp, [held = std::move(held_)] {
            for (const auto& h : held) h->handOn();
        },
        Qt::QueuedConnection);
}

bool InputHold::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Close:
        if (watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) {
            event->ignore();
            return true;
        }
        return false;
    case QEvent::MouseMove:
        // Hovering goes on; a drag keeps its place between its press and its release.
        if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) return false;
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        break;
    default:
        // ShortcutOverride included: it only asks the focus widget, and a key that makes a
        // shortcut comes back as the Shortcut event held above.
        return false;
    }
    auto h = std::make_shared<Held>();
    h->receiver = watched;
    h->type = event->type();
    const auto* wheel = dynamic_cast<const QWheelEvent*>(event);
    const auto* mouse = dynamic_cast<const QMouseEvent*>(event);
    if (wheel || mouse) {
        const QSinglePointEvent* p = wheel ? static_cast<const QSinglePointEvent*>(wheel) : mouse;
        h->position = p->position();
        h->scenePosition = p->scenePosition();
        h->globalPosition = p->globalPosition();
        h->button = p->button();
        h->buttons = p->buttons();
        h->modifiers = p->modifiers();
        h->device = p->pointingDevice();
        if (wheel) {
            h->pixelDelta = wheel->pixelDelta();
            h->angleDelta = wheel->angleDelta();
            h->phase = wheel->phase();
            h->inverted = wheel->inverted();
        }
    } else {
        h->event.reset(event->clone());
    }
    held_.push_back(std::move(h));
    return true;
}

} // namespace lessons
