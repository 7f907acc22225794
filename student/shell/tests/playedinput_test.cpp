// The piano and drum windows on a lesson context without the main window: what they sound
// (exact bytes and times on the recorder), the metronome on a virtual tick source, the beat
// measurement, the computer keyboard, and lesson 7's taps.
#include "lessontestsupport.h"

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/metronometimer.h"
#include "platform/midi/recordermidiout.h"
#include "student/palettes/paletteregistry.h"
#include "student/played/playedinputs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSlider>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace played {
namespace {

QPixmap lamp(int i) {
    QPixmap pm(14, 14);
    pm.fill(i == 0 ? Qt::green : Qt::red);
    return pm;
}

class PlayedTest : public ::testing::Test {
protected:
    PlayedTest() {
        port.load();
        f.ctx->port = &port;
        ctx = std::make_unique<lessons::LessonContext>(lessons::LessonContext{
            *f.arrays, f.flags, f.state, f.session, f.window, registry, &f.playedInput, &f.staff, &port, f.controls});
        registry.setContext(ctx.get());
        inputs = std::make_unique<PlayedInputs>(*ctx, lamp);
        ctx->playedInput = inputs.get();
        inputs->registerWindows(registry);
        devices.clearLog();
    }
    ~PlayedTest() override { registry.unloadAll(); }

    FrmKeyboard& piano() {
        registry.show("frmKeyboard");
        return *inputs->keyboardWindow();
    }
    FrmDrum& drum() {
        registry.show("frmDrum");
        return *inputs->drumWindow();
    }
    // Every message since the last clearLog as "+ms hex bytes", times from `origin`.
    QStringList sent(qint64 origin) const {
        QStringList out;
        for (const platform::TimedMessage& m : devices.messages()) {
            QStringList bytes;
            for (quint8 b : platform::shortMessageBytes(m.message)) bytes << QString("%1").arg(b, 2, 16, QChar('0')).toUpper();
            out << QString("+%1 %2").arg(m.timeMs - origin).arg(bytes.join(' '));
        }
        return out;
    }
    void keyEvent(QWidget* w, QEvent::Type type, int key, bool autoRepeat = false) {
        QKeyEvent e(type, key, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(w, &e);
    }
    // Lesson 7's staff: a 4/4 time signature is all the taps read.
    void lesson7() {
        f.state.CurrentLesson = 7;
        ASSERT_TRUE(f.arrays->tmMeter.load(1));
        lessons::put(f.arrays->tmMeter[1], "Pulses", 3);
        lessons::put(f.arrays->tmMeter[1], "NoteValue", 2);
    }
    // The pad struck at `at` and released `held` ms later (clock advanced with the ticks).
    void tap(FrmDrum& d, qint64 at, qint64 held = 100) {
        ticks.advance(at - clock.nowMs());
        d.optDrum_MouseDown();
        ticks.advance(held);
        d.optDrum_MouseUp();
    }
    std::vector<qint16> taps() const {
        return std::vector<qint16>(inputs->TapTicks.begin() + 1, inputs->TapTicks.begin() + 1 + inputs->TapCount);
    }

    platform::VirtualClock clock{10000};
    platform::ClockOverride clockGuard{&clock};
    platform::VirtualTicks ticks{clock};
    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride dialogsGuard{&dialogs};
    platform::RecorderMidiDevices devices;
    sound::MidiPort port{&devices};
    lessons::testing::LessonFixture f;
    palettes::PaletteRegistry registry{&f.window.widget, {}};
    std::unique_ptr<lessons::LessonContext> ctx;
    std::unique_ptr<PlayedInputs> inputs;
};

TEST_F(PlayedTest, PianoKeysSoundByMouseAndKeyboardAndShowThePortsValues) {
    FrmKeyboard& kb = piano();
    EXPECT_EQ(kb.windowTitle(), "Piano Keyboard");
    kb.key_MouseDown(12);
    EXPECT_EQ(kb.value(12), 1);
    kb.key_MouseDown(12);   // shown pressed already: let go, then sounded again
    kb.key_MouseUp(12);
    EXPECT_EQ(kb.value(12), 0);
    // A click on a key never toggles it by itself: it shows what the port holds.
    QTest::mouseClick(kb.key(1), Qt::LeftButton);
    EXPECT_EQ(kb.value(1), 0);
    // A press first lets its key go (a note-off even for a key that is up), then sounds it.
    EXPECT_EQ(sent(10000), QStringList({"+0 80 3C 00", "+0 90 3C 7F", "+0 80 3C 00", "+0 90 3C 7F", "+0 80 3C 00",
                                        "+0 80 31 00", "+0 90 31 7F", "+0 80 31 00"}));

    devices.clearLog();
    // The computer keyboard: Z is C3, "," C4 and its shifted "<" the same; an auto-repeated
    // press and an unmapped key (Q) add nothing.
    keyEvent(&kb, QEvent::KeyPress, Qt::Key_Z);
    keyEvent(&kb, QEvent::KeyPress, Qt::Key_Z, true);
    keyEvent(&kb, QEvent::KeyRelease, Qt::Key_Z, true);
    keyEvent(&kb, QEvent::KeyRelease, Qt::Key_Z);
    keyEvent(&kb, QEvent::KeyPress, Qt::Key_Q);
    keyEvent(&kb, QEvent::KeyPress, Qt::Key_Less);
    keyEvent(&kb, QEvent::KeyRelease, Qt::Key_Comma);
    keyEvent(&kb, QEvent::KeyPress, Qt::Key_Slash);
    EXPECT_EQ(kb.value(16), 1);
    // Focus leaves the window while "/" is down: the key is let go.
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&kb, &deactivate);
    EXPECT_EQ(kb.value(16), 0);
    EXPECT_EQ(sent(10000), QStringList({"+0 90 30 7F", "+0 80 30 00", "+0 90 3C 7F", "+0 80 3C 00",
                                        "+0 90 40 7F", "+0 80 40 00"}));
    EXPECT_EQ(port.MidiChannel, 0);
}

TEST_F(PlayedTest, MetronomeClicksOnTheBeatOnChannelNineAndMeasuresIt) {
    FrmKeyboard& kb = piano();
    kb.Form_Activate();
    EXPECT_TRUE(kb.metronome().enabled());
    EXPECT_EQ(kb.focusWidget(), kb.key(12));
    std::vector<int> counters, lamps;
    for (int i = 0; i < 8; ++i) {
        ticks.step();
        counters.push_back(kb.logic().beat.TickCounter);
        lamps.push_back(kb.metronome().lampPicture());
    }
    EXPECT_EQ(counters, (std::vector<int>{1, 2, 3, 0, 1, 2, 3, 0}));
    EXPECT_EQ(lamps, (std::vector<int>{0, 1, 1, 1, 0, 1, 1, 1}));
    // A click is program 0 on channel 9, key 75 on and off, on the first tick of each beat.
    EXPECT_EQ(sent(10000), QStringList({"+250 C9 00", "+250 99 4B 7F", "+250 89 4B 00", "+1250 C9 00",
                                        "+1250 99 4B 7F", "+1250 89 4B 00"}));
    EXPECT_EQ(kb.logic().beat.BeatPeriod, 1000);
    EXPECT_EQ(port.MidiChannel, 0);   // the port's channel is never switched for a click

    // A faster tempo: 125 ms ticks from the moment of the change, the beat measured again.
    devices.clearLog();
    kb.Slider1()->setValue(120);
    EXPECT_EQ(kb.logic().beat.BeatPeriod, 0);
    ticks.advance(1000);
    EXPECT_EQ(kb.logic().beat.BeatPeriod, 500);
    EXPECT_EQ(sent(12000).first(), "+125 C9 00");
    // Slider 40: 291 ms ticks.
    kb.Slider1()->setValue(40);
    devices.clearLog();
    ticks.advance(4 * 291);
    EXPECT_EQ(sent(13000), QStringList({"+291 C9 00", "+291 99 4B 7F", "+291 89 4B 00"}));

    // Hidden: the next tick stops the metronome without a click; activation starts it again.
    kb.hide();
    devices.clearLog();
    ticks.advance(2000);
    EXPECT_FALSE(kb.metronome().enabled());
    EXPECT_TRUE(devices.messages().empty());
    kb.show();
    kb.Form_Activate();
    EXPECT_TRUE(kb.metronome().enabled());
}

// A window manager may leave the focus on the main window when a tool window opens (and a
// student need not click it): the metronome starts with the window all the same, so the clicks
// are heard before the first tap.
TEST_F(PlayedTest, MetronomeStartsWithItsWindowWhereverTheFocusIs) {
    struct ActivationKeptAway : QObject {
        int kept = 0;
        bool eventFilter(QObject*, QEvent* e) override { return e->type() == QEvent::WindowActivate && ++kept; }
    } focusElsewhere;
    qApp->installEventFilter(&focusElsewhere);
    const std::vector<std::pair<QString, std::function<sound::MetronomePanel&()>>> windows = {
        {"frmDrum", [&]() -> sound::MetronomePanel& { return drum().metronome(); }},
        {"frmKeyboard", [&]() -> sound::MetronomePanel& { return piano().metronome(); }},
    };
    for (const auto& [name, show] : windows) {
        SCOPED_TRACE(name.toStdString());
        registry.unloadAll();
        devices.clearLog();
        const qint64 origin = clock.nowMs();
        sound::MetronomePanel& metronome = show();
        QApplication::processEvents();
        EXPECT_TRUE(metronome.enabled());
        ticks.advance(1000);
        EXPECT_EQ(sent(origin), QStringList({"+250 C9 00", "+250 99 4B 7F", "+250 89 4B 00"}));
        EXPECT_EQ(metronome.lampPicture(), 1);   // past the beat: the lamp has moved on
    }
    EXPECT_GT(focusElsewhere.kept, 0);   // no window was activated
    qApp->removeEventFilter(&focusElsewhere);
}

TEST_F(PlayedTest, DrumPadCarriesChannelNineInItsOwnMessages) {
    FrmDrum& d = drum();
    EXPECT_EQ(d.windowTitle(), "Drum");
    FrmKeyboard& kb = piano();
    d.optDrum_MouseDown();
    EXPECT_EQ(d.optDrum()->stick(), 1);
    kb.key_MouseDown(0);   // a piano key while the pad is down still sounds as a piano
    kb.key_MouseUp(0);
    d.optDrum_MouseUp();
    EXPECT_EQ(d.optDrum()->stick(), 0);
    EXPECT_EQ(sent(10000), QStringList({"+0 C9 00", "+0 99 28 7F", "+0 80 30 00", "+0 90 30 7F", "+0 80 30 00",
                                        "+0 89 28 00"}));
    EXPECT_EQ(port.MidiChannel, 0);
    // A click between press and release: the pad's note-off still goes to channel 9.
    kb.hide();   // its metronome stops silently
    devices.clearLog();
    d.Form_Activate();
    d.optDrum_MouseDown();
    ticks.advance(250);
    d.optDrum_MouseUp();
    EXPECT_EQ(sent(10000), QStringList({"+0 C9 00", "+0 99 28 7F", "+250 C9 00", "+250 99 4B 7F", "+250 89 4B 00",
                                        "+250 89 28 00"}));
    EXPECT_EQ(d.logic().GetMouseUpValue(), 10250);
}

TEST_F(PlayedTest, Lesson7TapsAgainstTheMeasuredBeat) {
    lesson7();
    FrmDrum& d = drum();
    d.Form_Activate();
    ticks.advance(1300);   // beats start at 10250 and 11250: the beat measures 1000 ms
    ASSERT_EQ(d.logic().beat.BeatPeriod, 1000);
    // Quarter, quarter, an eighth (400 ms to the next tap), a tap held so long that the next
    // comes 5000 ms later (no step matches: a quarter), then the last tap, held 900 ms:
    // committed by the metronome with its held length.
    tap(d, 12000);
    EXPECT_TRUE(taps().empty());   // the first tap of a phrase only stamps the time
    tap(d, 13000);
    tap(d, 14000);
    tap(d, 14400, 4900);
    tap(d, 19400);
    tap(d, 20400, 900);
    EXPECT_EQ(taps(), (std::vector<qint16>{2048, 2048, 1024, 2048, 2048}));
    EXPECT_EQ(d.logic().GetMouseUpValue(), 21300);
    ticks.advance(2500);   // not yet: more than 2500 ms must have passed
    EXPECT_EQ(inputs->TapCount, 5);
    ticks.advance(250);
    EXPECT_EQ(taps(), (std::vector<qint16>{2048, 2048, 1024, 2048, 2048, 2048}));
    EXPECT_EQ(d.logic().GetMouseUpValue(), 0);
    EXPECT_EQ(d.logic().NoteStartTime, 0);
}

TEST_F(PlayedTest, Lesson7KeepsTwentyTapsAndCommitsAtOnceWhenAsked) {
    lesson7();
    FrmDrum& d = drum();
    for (int i = 0; i < 25; ++i) tap(d, 11000 + i * 300);
    EXPECT_EQ(inputs->TapCount, 20);
    EXPECT_EQ(inputs->TapTicks.size(), 21u);

    // The scorer asks for the pending tap at once: a released tap with its held length...
    inputs->clearTaps();
    inputs->RestartCapture();
    d.logic().beat.BeatPeriod = 1000;
    tap(d, 20000);
    tap(d, 21000, 1000);
    inputs->CommitPendingTap();
    EXPECT_EQ(taps(), (std::vector<qint16>{2048, 2048}));
    EXPECT_EQ(d.logic().GetMouseUpValue(), 0);
    // ...and a tap still held, as long as it has been held so far.
    tap(d, 23000);
    d.optDrum_MouseDown();   // at 23100, the previous tap 100 ms long: a sixteenth
    ticks.advance(450);
    inputs->CommitPendingTap();
    EXPECT_EQ(taps(), (std::vector<qint16>{2048, 2048, 512, 1024}));
    d.optDrum_MouseUp();
    // Nothing pending: nothing recorded.
    inputs->CommitPendingTap();
    EXPECT_EQ(inputs->TapCount, 4);
    // Even with the pad hidden (its metronome stopped) the pending tap is recorded at once.
    tap(d, 26000);
    tap(d, 27000);
    registry.unload("frmDrum");
    ticks.advance(5000);
    EXPECT_NE(inputs->drum.GetMouseUpValue(), 0);
    inputs->CommitPendingTap();
    EXPECT_EQ(inputs->TapCount, 6);
}

TEST_F(PlayedTest, AResetWithinTwoAndAHalfSecondsOfAReleaseLeavesNoPhantomTap) {
    lesson7();
    FrmDrum& d = drum();
    d.Form_Activate();
    tap(d, 11000);
    tap(d, 12000);
    ASSERT_EQ(inputs->TapCount, 1);
    // A new set starts 1 s after the release: the phrase and its release are gone.
    ticks.advance(1000);
    inputs->clearTaps();
    inputs->RestartCapture();
    ticks.advance(3000);
    EXPECT_EQ(inputs->TapCount, 0);
    EXPECT_EQ(d.logic().GetMouseUpValue(), 0);
    inputs->CommitPendingTap();
    EXPECT_EQ(inputs->TapCount, 0);
}

TEST_F(PlayedTest, TapsOfATimeSignatureWithoutABeatAreNotCounted) {
    lesson7();
    lessons::put(f.arrays->tmMeter[1], "Pulses", 0);   // no beats: the pad only sounds
    FrmDrum& d = drum();
    tap(d, 11000);
    tap(d, 12000);
    inputs->CommitPendingTap();
    EXPECT_EQ(inputs->TapCount, 0);
}

TEST_F(PlayedTest, ClosingAWindowUnchecksItsMenuItem) {
    f.window.checks["mnuPiano"] = true;
    FrmKeyboard& kb = piano();
    kb.key_MouseDown(5);
    keyEvent(&kb, QEvent::KeyPress, Qt::Key_M);
    kb.close();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(f.window.checks["mnuPiano"]);
    EXPECT_EQ(inputs->keyboardWindow(), nullptr);
    // M was let go when the window went; the mouse's key waits for its release as the port
    // holds it.
    EXPECT_TRUE(sent(10000).contains("+0 80 3B 00"));
    EXPECT_EQ(port.pianoKeys().value(5), 1);
}

} // namespace
} // namespace played
