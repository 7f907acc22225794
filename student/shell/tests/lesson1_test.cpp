// Lesson 1 end to end on the real main window, offscreen, with the recorder as MIDI device:
// a test-mode set from the lesson list to the saved result, and a question that keeps the
// lesson's windows from taking input while it goes on painting, and acts on that input after.
#include "shelltestsupport.h"
#include "userinput.h"

#include "common/helpwindow.h"

#include <QTest>
#include "common/random.h"
#include "platform/clock.h"
#include "student/lessons/exerciseflow.h"
#include "student/lessons/itemscorers.h"
#include "student/palettes/paletteregistry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <functional>

namespace shell {
namespace {

using testing::ShellTest;
using testing::click;

QString bytesOf(quint32 message) {
    QStringList bytes;
    for (quint8 b : platform::shortMessageBytes(message)) bytes << QString("%1").arg(b, 2, 16, QChar('0')).toUpper();
    return bytes.join(' ');
}

class LessonOne : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        common::Random::setInstance(&random_);
    }
    void TearDown() override {
        common::Random::setInstance(nullptr);
        ShellTest::TearDown();
    }
    // Ann, in test mode, with three levels of lesson 1 behind her.
    std::unique_ptr<FrmTonvale> annAtTheList(bool practice = false) {
        writeProfile(testing::lines({"begin", "name=Ann", "password=pw", "upper=85", "lower=70",
                                     practice ? "practice=true" : "practice=false", "interval=3",
                                     "lesson1=L4S75M3Q6", "end"}));
        auto frm = loadedWindow();
        scriptLogin("Ann", "pw");
        frm->runMenuCommand("mnuGamePlayer");
        return frm;
    }
    // Every item of the set: a major third below C (key draw 3 of 7, interval draw 2 of 8).
    void scriptMajorThirdsBelowC() {
        random_ = common::ScriptedRandom();
        for (int i = 0; i < 8; ++i) {
            random_.push(0.5);
            random_.push(0.3);
        }
    }
    QToolButton* palette(FrmTonvale& frm, const char* key) {
        palettes::PaletteWindow* w = frm.paletteWindows().palette("frmIntervals");
        return w ? w->findChild<QToolButton*>(key) : nullptr;
    }
    void press(FrmTonvale& frm, std::initializer_list<const char*> keys) {
        for (const char* k : keys) {
            QToolButton* b = palette(frm, k);
            ASSERT_NE(b, nullptr) << k;
            b->click();
        }
    }
    QStringList heardSince(size_t from) {
        QStringList out;
        const auto m = midi_.messages();
        for (size_t i = from; i < m.size(); ++i)
            out << QString("%1: %2").arg(m[i].timeMs - m[from].timeMs).arg(bytesOf(m[i].message));
        return out;
    }

    common::ScriptedRandom random_;
};

TEST_F(LessonOne, ATestSetFromTheListToTheSavedResult) {
    platform::VirtualClock clock(50000);
    platform::ClockOverride clockGuard(&clock);
    auto frm = annAtTheList();
    ASSERT_FALSE(frm->menus()->item("mnuPracticeMode")->isChecked());
    frm->lvwLesson->topLevelItem(0)->setSelected(true);
    scriptMajorThirdsBelowC();
    // Yes to the test-mode question; Help, then OK, in the announcement.
    dialogs_.answers = {platform::AnsYes, platform::ScriptedDialogs::PressHelp, platform::AnsOk};
    dialogs_.shown.clear();
    frm->cmdStart_Click();
    ASSERT_EQ(frm->state.CurrentLesson, 1);
    EXPECT_EQ(messageTexts(), (QStringList{"Test Mode: The Practice Mode is deactivated. Continue anyway?",
                                           "Test Mode: Starting lesson 1 exercise 3"}));
    ASSERT_NE(common::HelpWindow::current(), nullptr);
    EXPECT_TRUE(common::HelpWindow::current()->shownFile().endsWith("/help/lesson1.html"));
    EXPECT_EQ(frm->lblLevel->text(), "3");
    EXPECT_TRUE(frm->Timer1->isActive());
    lessons::Timer1_Timer(frm->context());
    EXPECT_EQ(frm->lblTime->text(), "00:03:00");
    EXPECT_TRUE(frm->paletteWindows().isVisible("frmIntervals"));
    EXPECT_TRUE(frm->menus()->item("mnuViewIntervals")->isChecked());
    EXPECT_FALSE(palette(*frm, "Dim")->isEnabled());
    EXPECT_TRUE(palette(*frm, "dom7")->isHidden());

    // Item 1 sounds its interval; a fourth play is refused.
    NotationArrays& a = *frm->arrays;
    size_t from = midi_.messages().size();
    a.cmdSpeaker[1]->click();
    EXPECT_EQ(heardSince(from), (QStringList{"0: 90 40 7F", "1000: 80 40 00", "1000: 90 3C 7F", "2000: 80 3C 00"}));
    a.cmdSpeaker[1]->click();
    a.cmdSpeaker[1]->click();
    dialogs_.shown.clear();
    from = midi_.messages().size();
    a.cmdSpeaker[1]->click();
    EXPECT_EQ(messageTexts(), QStringList{"Sorry!: Interval played 3 times already."});
    EXPECT_EQ(midi_.messages().size(), from);

    // Item 1 answered wrong ("above"), then 2..8 right; on item 2 the eraser takes a first try.
    press(*frm, {"3rd", "Plus", "above"});
    EXPECT_EQ(a.lblLetter[1]->text(), "maj 3 above");
    frm->cmdNext->click();
    press(*frm, {"6th", "Minus"});
    ASSERT_TRUE(a.lblLetter.exists(2));
    press(*frm, {"Eraser"});
    EXPECT_EQ(frm->cursor().shape(), Qt::BitmapCursor);   // the eraser pointer
    click(a.lblLetter[2]);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(a.lblLetter.exists(2));
    EXPECT_EQ(frm->state.tools.MousePointer(), lessons::kPointerEraser);   // item 1's label is left
    for (int item = 2; item <= 8; ++item) {
        if (item > 2) frm->cmdNext->click();
        press(*frm, {"below", "3rd", "Plus"});
        EXPECT_EQ(a.lblLetter[item]->text(), "maj 3 below");
    }
    frm->cmdPrevious->click();
    EXPECT_EQ(frm->state.CurrentItem, 7);

    // Stop: coloured labels, the score, the fanfare for the new level, the saved record.
    frm->cmdStop->click();
    EXPECT_EQ(lessons::labelBackColor(a.lblLetter[1]), lessons::kWrongLabel);
    for (int item = 2; item <= 8; ++item) EXPECT_EQ(lessons::labelBackColor(a.lblLetter[item]), lessons::kRightLabel);
    EXPECT_EQ(frm->lblScore->text(), "87%");
    EXPECT_FALSE(frm->Timer1->isActive());
    EXPECT_TRUE(songs_.calls.join(",").contains("done.mid")) << songs_.calls.join(",").toStdString();
    EXPECT_TRUE(profileText().contains("\r\nlesson1=L5S77M3Q7\r\n")) << profileText().toStdString();
    EXPECT_TRUE(frm->cmdGo->isEnabled());
    EXPECT_TRUE(frm->menus()->item("mnuGameNewLesson")->isEnabled());

    // Back at the list: the new level, average and attempts.
    frm->runMenuCommand("mnuGameNewLesson");
    QTreeWidgetItem* row = frm->lvwLesson->topLevelItem(0);
    EXPECT_EQ(QStringList({row->text(2), row->text(3), row->text(4), row->text(5)}),
              QStringList({"4", "33%", "77%", "7"}));
    EXPECT_FALSE(frm->paletteWindows().isVisible("frmIntervals"));
}

// While a question sounds the lesson's windows hold input back, but go on painting and running
// their timers; the play is counted once it has sounded. The clicks made meanwhile are acted on
// after it, in the order they were made, and not before: the question is neither cut short nor
// answered before it is heard.
TEST_F(LessonOne, InputDuringAQuestionWaitsForItThenActsInOrder) {
    auto frm = annAtTheList(true);
    frm->lvwLesson->topLevelItem(0)->setSelected(true);
    scriptMajorThirdsBelowC();
    frm->cmdStart_Click();
    ASSERT_EQ(frm->state.CurrentLesson, 1);
    ASSERT_TRUE(frm->state.ExerciseRunning);
    ASSERT_EQ(frm->state.CurrentItem, 1);
    NotationArrays& a = *frm->arrays;
    if (auto* help = common::HelpWindow::current()) help->close();
    const auto helpShown = [] { return common::HelpWindow::current() && common::HelpWindow::current()->isVisible(); };

    struct PaintCounter : QObject {
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++paints;
            return false;
        }
        int paints = 0;
    } counter;
    frm->fraLesson0->installEventFilter(&counter);
    QTimer repaint;
    QObject::connect(&repaint, &QTimer::timeout, frm->fraLesson0, [&] { frm->fraLesson0->update(); });
    repaint.start(50);
    int ticks = 0, paintsDuring = -1;
    bool waitCursor = false, actedOnDuring = false;
    QTimer probe;
    probe.setInterval(100);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!frm->state.QuestionSounding) return;
        ++ticks;
        if (ticks == 1) paintsDuring = counter.paints;
        if (ticks == 5) {
            paintsDuring = counter.paints - paintsDuring;
            waitCursor = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            // The eraser on its palette window, then Next, Next, Previous on the main window:
            // the eraser armed; item 2 when they come in order (3 when the other way round, 1
            // when lost); F1's help shown. The clicks come through the windows as a mouse's do,
            // one window after the other.
            clickThroughWindow(palette(*frm, "Eraser"));
            clickThroughWindow(frm->cmdNext);
            clickThroughWindow(frm->cmdNext);
            clickThroughWindow(frm->cmdPrevious);
            QTest::keyClick(frm.get(), Qt::Key_F1);
        }
        if (ticks > 5)
            actedOnDuring = actedOnDuring || frm->state.CurrentItem != 1 ||
                            frm->state.tools.MousePointer() != lessons::kPointerDefault || helpShown();
    });
    probe.start();
    QElapsedTimer started;
    started.start();
    a.cmdSpeaker[1]->click();
    const qint64 took = started.elapsed();
    probe.stop();
    repaint.stop();

    EXPECT_GE(took, 1900);
    EXPECT_GE(ticks, 10);   // a 100 ms timer ran all along
    EXPECT_GT(paintsDuring, 0);
    EXPECT_TRUE(waitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(actedOnDuring);
    EXPECT_EQ(frm->state.ItemPlayCount[1], 1);
    EXPECT_TRUE(frm->isVisible());

    // Once it has sounded, the clicks are handled as the event loop takes them up.
    QApplication::processEvents();
    EXPECT_EQ(frm->state.CurrentItem, 2);
    EXPECT_EQ(frm->state.tools.MousePointer(), lessons::kPointerEraser);
    EXPECT_TRUE(helpShown());
    EXPECT_TRUE(frm->state.ExerciseRunning);
    EXPECT_TRUE(frm->isVisible());
}

// Each way a student acts on the main window while a question sounds waits for the question
// and is acted on once it has sounded: a tap on the touch screen as a click, Stop by scoring,
// the speaker by playing the question again (and a Stop behind it then scores), the close box
// by asking about the running exercise and closing.
TEST_F(LessonOne, WhatIsDoneDuringAQuestionIsDoneAfterIt) {
    struct Case {
        const char* what;
        std::function<void(FrmTonvale&)> during;
        std::function<void(FrmTonvale&)> after;
    };
    const auto scored = [](FrmTonvale& frm) {
        EXPECT_FALSE(frm.state.ExerciseRunning);
        EXPECT_TRUE(frm.cmdGo->isEnabled());
    };
    const Case cases[] = {
        {"Next tapped", [](FrmTonvale& frm) { tapThroughWindow(frm.cmdNext); },
         [](FrmTonvale& frm) { EXPECT_EQ(frm.state.CurrentItem, 2); }},
        {"Stop", [](FrmTonvale& frm) { clickThroughWindow(frm.cmdStop); }, scored},
        {"the speaker, then Stop",
         [](FrmTonvale& frm) {
             clickThroughWindow(frm.arrays->cmdSpeaker[1]);
             clickThroughWindow(frm.cmdStop);
         },
         [&](FrmTonvale& frm) {
             EXPECT_EQ(frm.state.ItemPlayCount[1], 2);
             EXPECT_EQ(heardSince(0).filter(": 90 ").size(), 4);   // both tones, twice
             scored(frm);
         }},
        {"the close box", [](FrmTonvale& frm) { frm.windowHandle()->close(); },
         [&](FrmTonvale& frm) {
             EXPECT_EQ(messageTexts(), QStringList{"Exit: You may lose points if you Quit now.\r\n\r\n"
                                                   "Are you sure you want to quit?"});
             scored(frm);
             EXPECT_FALSE(frm.isVisible());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::VirtualClock clock(50000);
        platform::ClockOverride clockGuard(&clock);
        auto frm = annAtTheList(true);
        frm->lvwLesson->topLevelItem(0)->setSelected(true);
        scriptMajorThirdsBelowC();
        frm->cmdStart_Click();
        ASSERT_TRUE(frm->state.ExerciseRunning);
        if (auto* help = common::HelpWindow::current()) help->close();
        midi_.clearLog();
        dialogs_.shown.clear();
        // Yes to the quit question.
        dialogs_.answers = {platform::AnsYes};
        bool during = false;
        QTimer::singleShot(0, frm.get(), [&] {
            during = frm->state.QuestionSounding;
            c.during(*frm);
        });
        frm->arrays->cmdSpeaker[1]->click();
        ASSERT_TRUE(during);
        // The question sounded whole, and nothing was done meanwhile.
        EXPECT_EQ(heardSince(0).filter(": 90 ").size(), 2);
        EXPECT_EQ(frm->state.CurrentItem, 1);
        EXPECT_TRUE(frm->state.ExerciseRunning);
        EXPECT_TRUE(dialogs_.shown.isEmpty());
        EXPECT_TRUE(frm->isVisible());
        QApplication::processEvents();
        c.after(*frm);
    }
}

} // namespace
} // namespace shell
