#include "playback.h"

#include "lessontable.h"
#include "musicmath.h"

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "student/sound/midiport.h"
#include "student/sound/questionplayers.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTabletEvent>
#include <QTouchEvent>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
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
            InputHold hold(ctx.window.owner());
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

// ---- The input hold --------------------------------------------------------------------------

// Each kind of input the hold takes is kept by a kind of Held, made from its event by the table
// below (kHeldEvents), which is the one place that says what is held and how.
class InputHold::Held {
public:
    explicit Held(QObject* receiver) : receiver_(receiver) {}
    virtual ~Held() = default;

    // Makes the event again and sends it to its receiver, if that is still there; true when it
    // was taken.
    bool handOn() { return receiver_ && sendTo(receiver_); }
    QObject* receiver() const { return receiver_; }
    // A mouse event that Qt made of another input (a touch or a pen's) no one took.
    virtual bool madeOfAnother() const { return false; }
    // Keeps `mouse`, when it was made of this input, to be handed on with it.
    virtual bool keepMouseMadeOfThis(const std::shared_ptr<Held>&) { return false; }

protected:
    virtual bool sendTo(QObject* receiver) = 0;
    static bool send(QObject* receiver, QEvent& event) {
        QCoreApplication::sendEvent(receiver, &event);
        return event.isAccepted();
    }

private:
    QPointer<QObject> receiver_;
};

namespace {

using Held = InputHold::Held;

// The widget an object belongs to: itself, the widget of a window, or the nearest widget that
// holds it (a menu's action, a shortcut).
QWidget* widgetOf(QObject* o) {
    if (o->isWindowType()) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowHandle() == o) return w;
        return nullptr;
    }
    for (; o; o = o->parent())
        if (o->isWidgetType()) return static_cast<QWidget*>(o);
    return nullptr;
}

// Keys, shortcuts and context menus carry no point of a device: a copy keeps them.
class HeldCopy final : public Held {
public:
    static std::shared_ptr<Held> keep(QObject* receiver, QEvent* e) { return std::make_shared<HeldCopy>(receiver, *e); }
    HeldCopy(QObject* receiver, const QEvent& e) : Held(receiver), event_(e.clone()) {}

private:
    bool sendTo(QObject* receiver) override { return send(receiver, *event_); }
    std::unique_ptr<QEvent> event_;
};

// An event of a pointing device shares its points with the device's record of them, which every
// later event of the device rewrites: a copy kept while other input comes in would be handed on
// at the last input's place. So the values are kept, and the event is made again only as it is
// handed on. These are the values a mouse, a wheel and a pen event share.
struct SinglePoint {
    explicit SinglePoint(const QSinglePointEvent& e)
        : type(e.type()), position(e.position()), scenePosition(e.scenePosition()), globalPosition(e.globalPosition()),
          button(e.button()), buttons(e.buttons()), modifiers(e.modifiers()), device(e.pointingDevice()) {}
    QEvent::Type type;
    QPointF position, scenePosition, globalPosition;
    Qt::MouseButton button;
    Qt::MouseButtons buttons;
    Qt::KeyboardModifiers modifiers;
    const QPointingDevice* device;
};

// Mouse buttons and drags (a move with no button pressed is hovering, which goes on).
class HeldMouse final : public Held {
public:
    static std::shared_ptr<Held> keep(QObject* receiver, QEvent* e) {
        const auto& mouse = static_cast<const QMouseEvent&>(*e);
        if (mouse.type() == QEvent::MouseMove && mouse.buttons() == Qt::NoButton) return nullptr;
        return std::make_shared<HeldMouse>(receiver, mouse);
    }
    HeldMouse(QObject* receiver, const QMouseEvent& e) : Held(receiver), point_(e), source_(e.source()) {}
    bool madeOfAnother() const override { return source_ == Qt::MouseEventSynthesizedByQt; }

private:
    bool sendTo(QObject* receiver) override {
        const SinglePoint& p = point_;
        QMouseEvent e(p.type, p.position, p.scenePosition, p.globalPosition, p.button, p.buttons, p.modifiers, source_,
                      p.device);
        return send(receiver, e);
    }
    SinglePoint point_;
    Qt::MouseEventSource source_;
};

class HeldWheel final : public Held {
public:
    static std::shared_ptr<Held> keep(QObject* receiver, QEvent* e) {
        return std::make_shared<HeldWheel>(receiver, static_cast<const QWheelEvent&>(*e));
    }
    HeldWheel(QObject* receiver, const QWheelEvent& e)
        : Held(receiver), point_(e), pixelDelta_(e.pixelDelta()), angleDelta_(e.angleDelta()), phase_(e.phase()),
          inverted_(e.inverted()) {}

private:
    bool sendTo(QObject* receiver) override {
        const SinglePoint& p = point_;
        QWheelEvent e(p.position, p.globalPosition, pixelDelta_, angleDelta_, p.buttons, p.modifiers, phase_, inverted_,
                      Qt::MouseEventNotSynthesized, p.device);
        return send(receiver, e);
    }
    SinglePoint point_;
    QPoint pixelDelta_, angleDelta_;
    Qt::ScrollPhase phase_;
    bool inverted_;
};

// A touch or a pen's input, which Qt makes mouse events of when no widget takes it (no widget
// here takes one: a tap on a touch screen clicks). It is left untaken while held, so Qt makes
// those mouse events at once; they are kept with it, and handed on after it only when, handed
// on itself, it is not taken either.
class HeldWithMouse : public Held {
public:
    using Held::Held;
    bool keepMouseMadeOfThis(const std::shared_ptr<Held>& mouse) override {
        if (!mouse->madeOfAnother() || mouse->receiver() != receiver()) return false;
        mouse_.push_back(mouse);
        return true;
    }

protected:
    virtual bool sendItself(QObject* receiver) = 0;

private:
    bool sendTo(QObject* receiver) final {
        if (sendItself(receiver)) return true;
        for (const auto& m : mouse_) m->handOn();
        return false;
    }
    std::vector<std::shared_ptr<Held>> mouse_;
};

class HeldTouch final : public HeldWithMouse {
public:
    static std::shared_ptr<Held> keep(QObject* receiver, QEvent* e) {
        e->ignore();
        return std::make_shared<HeldTouch>(receiver, static_cast<const QTouchEvent&>(*e));
    }
    HeldTouch(QObject* receiver, const QTouchEvent& e)
        : HeldWithMouse(receiver), type_(e.type()), modifiers_(e.modifiers()), device_(e.pointingDevice()) {
        for (const QEventPoint& p : e.points()) points_.push_back({p.id(), p.state(), p.scenePosition(), p.globalPosition()});
    }

private:
    bool sendItself(QObject* receiver) override {
        QList<QEventPoint> points;
        for (const Point& p : points_) points << QEventPoint(p.id, p.state, p.scenePosition, p.globalPosition);
        QTouchEvent e(type_, device_, modifiers_, points);
        return send(receiver, e);
    }
    struct Point {
        int id;
        QEventPoint::State state;
        QPointF scenePosition, globalPosition;
    };
    QEvent::Type type_;
    Qt::KeyboardModifiers modifiers_;
    const QPointingDevice* device_;
    std::vector<Point> points_;
};

// A pen's press, release and strokes (a pen that hovers goes on).
class HeldTablet final : public HeldWithMouse {
public:
    static std::shared_ptr<Held> keep(QObject* receiver, QEvent* e) {
        const auto& pen = static_cast<const QTabletEvent&>(*e);
        if (pen.type() == QEvent::TabletMove && pen.buttons() == Qt::NoButton) return nullptr;
        e->ignore();
        return std::make_shared<HeldTablet>(receiver, pen);
    }
    HeldTablet(QObject* receiver, const QTabletEvent& e)
        : HeldWithMouse(receiver), point_(e), pressure_(e.pressure()), xTilt_(e.xTilt()), yTilt_(e.yTilt()),
          tangentialPressure_(e.tangentialPressure()), rotation_(e.rotation()), z_(e.z()) {}

private:
    bool sendItself(QObject* receiver) override {
        const SinglePoint& p = point_;
        QTabletEvent e(p.type, p.device, p.position, p.globalPosition, pressure_, float(xTilt_), float(yTilt_),
                       float(tangentialPressure_), rotation_, float(z_), p.modifiers, p.button, p.buttons);
        return send(receiver, e);
    }
    SinglePoint point_;
    qreal pressure_, xTilt_, yTilt_, tangentialPressure_, rotation_, z_;
};

// A window closed, by its close box or by code: refused for now and closed again when handed on
// (the close of a part of a window only hides it, and goes on).
class HeldClose final : public Held {
public:
    static std::shared_ptr<Held> keep(QObject* receiver, QEvent* e) {
        QWidget* window = receiver->isWidgetType() || receiver->isWindowType() ? widgetOf(receiver) : nullptr;
        if (!window || !window->isWindow()) return nullptr;
        e->ignore();
        return std::make_shared<HeldClose>(window);
    }
    using Held::Held;

private:
    bool sendTo(QObject* window) override { return static_cast<QWidget*>(window)->close(); }
};

// Every event the hold takes, with the kind of Held that keeps it. Any other goes on: painting,
// timers, hovering, focus, and ShortcutOverride (it only asks the focus widget; a key that makes
// a shortcut comes back as the Shortcut event held here).
using Keep = std::shared_ptr<Held> (*)(QObject* receiver, QEvent* event);
const std::pair<QEvent::Type, Keep> kHeldEvents[] = {
    {QEvent::MouseButtonPress, HeldMouse::keep},
    {QEvent::MouseButtonRelease, HeldMouse::keep},
    {QEvent::MouseButtonDblClick, HeldMouse::keep},
    {QEvent::MouseMove, HeldMouse::keep},
    {QEvent::NonClientAreaMouseButtonPress, HeldMouse::keep},
    {QEvent::NonClientAreaMouseButtonRelease, HeldMouse::keep},
    {QEvent::NonClientAreaMouseButtonDblClick, HeldMouse::keep},
    {QEvent::Wheel, HeldWheel::keep},
    {QEvent::TouchBegin, HeldTouch::keep},
    {QEvent::TouchUpdate, HeldTouch::keep},
    {QEvent::TouchEnd, HeldTouch::keep},
    {QEvent::TouchCancel, HeldTouch::keep},
    {QEvent::TabletPress, HeldTablet::keep},
    {QEvent::TabletMove, HeldTablet::keep},
    {QEvent::TabletRelease, HeldTablet::keep},
    {QEvent::KeyPress, HeldCopy::keep},
    {QEvent::KeyRelease, HeldCopy::keep},
    {QEvent::Shortcut, HeldCopy::keep},
    {QEvent::ContextMenu, HeldCopy::keep},
    {QEvent::Close, HeldClose::keep},
};

} // namespace

InputHold::InputHold(QWidget* lessonWindow) : lessonWindow_(lessonWindow) {
    for (QWidget* w : QApplication::topLevelWidgets()) windowsBefore_.emplace_back(w);
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

InputHold::~InputHold() {
    QApplication::restoreOverrideCursor();
    qApp->removeEventFilter(this);
    lastHeld_ = nullptr;
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

// Held: what belongs to the lesson's window, or to a window it owns (a tool window, a menu),
// through windows that were all there when the hold began and none of which is modal.
bool InputHold::holds(QObject* watched) const {
    if (!lessonWindow_) return false;
    QWidget* w = widgetOf(watched);
    for (QWidget* window = w ? w->window() : nullptr; window;
         window = window->parentWidget() ? window->parentWidget()->window() : nullptr) {
        if (window->isModal()) return false;
        if (std::find(windowsBefore_.begin(), windowsBefore_.end(), window) == windowsBefore_.end()) return false;
        if (window == lessonWindow_) return true;
    }
    return false;
}

bool InputHold::eventFilter(QObject* watched, QEvent* event) {
    const auto kind = std::find_if(std::begin(kHeldEvents), std::end(kHeldEvents),
                                   [event](const auto& k) { return k.first == event->type(); });
    if (kind == std::end(kHeldEvents) || !holds(watched)) return false;
    std::shared_ptr<Held> h = kind->second(watched, event);
    if (!h) return false;
    if (lastHeld_ && lastHeld_->keepMouseMadeOfThis(h)) return true;
    lastHeld_ = h.get();
    held_.push_back(std::move(h));
    return true;
}

} // namespace lessons
