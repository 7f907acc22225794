// The main window: what its load leaves, the menu states, the lesson list of a profile, the
// commands of the shell, the message hook, closing and unloading.
#include "shelltestsupport.h"

#include "student/shell/about.h"
#include "student/shell/messagehook.h"
#include "student/palettes/paletteregistry.h"
#include "student/shell/pictures.h"
#include "student/sound/midiport.h"

#include "platform/registry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

namespace shell {
namespace {

using platform::MidiLogEntry;
using testing::ShellTest;

QString hookName() { return hookServerName(QCoreApplication::applicationName(), platform::Paths::dataFolder()); }

void pumpUntil(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

QStringList rowTexts(const QTreeWidgetItem* item) {
    QStringList out;
    for (int c = 0; c < 6; ++c) out << item->text(c);
    out << (item->checkState(0) == Qt::Checked ? "checked" : "unchecked");
    return out;
}

TEST_F(ShellTest, LoadLeavesTheStartState) {
    auto frm = loadedWindow();
    EXPECT_EQ(frm->windowTitle(), "Tonvale 1.3");
    QStringList headers;
    for (int c = 0; c < frm->lvwLesson->columnCount(); ++c) headers << frm->lvwLesson->headerItem()->text(c);
    EXPECT_EQ(headers, (QStringList{"Lesson", "Difficulty", "Level", "Completed", "Average", "Attempts"}));
    // Column widths in twips: the list's width less 4800, then the fixed ones.
    EXPECT_EQ(frm->lvwLesson->columnWidth(0), toPixels(12400 - 4800));
    EXPECT_EQ(frm->lvwLesson->columnWidth(1), toPixels(1300));
    EXPECT_EQ(frm->lvwLesson->columnWidth(2), toPixels(600));
    EXPECT_EQ(frm->lvwLesson->columnWidth(5), toPixels(1300));
    EXPECT_EQ(frm->lblScore->text(), "0%");
    EXPECT_EQ(frm->lblLessonName->toPlainText(), "Tonvale 1.2\nChoose a Player from the File Menu.");
    EXPECT_EQ(frm->statusText->text(), "Disconnected");
    EXPECT_FALSE(frm->statusPicture->pixmap().isNull());
    EXPECT_FALSE(frm->menus()->item("mnuPracticeMode")->isChecked());
    EXPECT_EQ(frm->toolbar()->practiceImage(), int(ImgPracticeOff));
    EXPECT_FALSE(frm->fraLesson0->isVisible());
    EXPECT_TRUE(frm->fraScore->isVisible());
    EXPECT_EQ(frm->SelectedLessonRow, 1);
    EXPECT_FALSE(frm->LoadedFlags.any());
    EXPECT_TRUE(frm->hook().isHooked());
    const KeyTables& t = keyTables();
    EXPECT_EQ(t.SharpPositions, (std::array<int, 8>{0, 0, 3, -1, 2, 5, 1, 4}));
    EXPECT_EQ(t.SharpSteps, (std::array<int, 8>{0, 3, 0, 4, 1, 5, 2, 6}));
    EXPECT_EQ(t.FlatPositions, (std::array<int, 8>{0, 4, 1, 5, 2, 6, 3, 7}));
    EXPECT_EQ(t.FlatSteps, (std::array<int, 8>{0, 6, 2, 5, 1, 4, 0, 3}));
    for (int lesson = 1; lesson <= 7; ++lesson)
        EXPECT_EQ(session().LessonProgress[5][lesson], QString::number(tonvale::kExerciseCounts[lesson]));
}

struct MenuCase {
    const char* what;
    bool player, running;
    int lesson;
    bool game, gamePlayer, exportItem, importItem, option, changePassword;
};

TEST_F(ShellTest, MenuStatesFromTheThreeFacts) {
    const MenuCase cases[] = {
        {"no player", false, false, 0, false, true, false, true, false, false},
        {"no player, stale lesson", false, true, 3, false, true, false, true, false, false},
        {"exercise running", true, true, 2, true, false, false, false, false, false},
        {"lesson shown, not running", true, false, 5, true, true, false, false, false, false},
        {"lesson list", true, false, 0, false, true, true, true, true, true},
    };
    auto frm = loadedWindow();
    MainMenus& m = *frm->menus();
    for (const MenuCase& c : cases) {
        SCOPED_TRACE(c.what);
        session().PlayerName = c.player ? "Ann" : "";
        frm->state.ExerciseRunning = c.running;
        frm->state.CurrentLesson = qint16(c.lesson);
        m.item("mnuPiano")->setEnabled(c.lesson == 2);
        m.item("mnuDrum")->setEnabled(c.lesson == 4);
        frm->fraLesson0->show();
        frm->UpdateMenu();
        frm->UpdateMenu();   // idempotent
        EXPECT_EQ(m.item("mnuGame")->isEnabled(), c.game);
        EXPECT_EQ(m.item("mnuGamePlayer")->isEnabled(), c.gamePlayer);
        EXPECT_EQ(m.item("mnuExport")->isEnabled(), c.exportItem);
        EXPECT_EQ(m.item("mnuImport")->isEnabled(), c.importItem);
        EXPECT_EQ(m.item("mnuOption")->isEnabled(), c.option);
        EXPECT_EQ(m.item("mnuChangePassword")->isEnabled(), c.changePassword);
        EXPECT_EQ(frm->fraLesson0->isVisible(), c.player);
        EXPECT_EQ(frm->toolbar()->button(1)->isEnabled(), c.gamePlayer);
        EXPECT_EQ(frm->toolbar()->button(2)->isEnabled(), c.game);
        EXPECT_EQ(frm->toolbar()->button(4)->isEnabled(), c.option);
        EXPECT_EQ(frm->toolbar()->button(8)->isEnabled(), c.lesson == 2);
        EXPECT_EQ(frm->toolbar()->button(9)->isEnabled(), c.lesson == 4);
    }
}

TEST_F(ShellTest, LessonListOfTheChosenPlayerThenAnother) {
    writeProfile(testing::twoPlayerProfile());
    auto frm = loadedWindow();

    scriptLogin("Ann", "pw");
    frm->runMenuCommand("mnuGamePlayer");
    ASSERT_EQ(session().PlayerName, "Ann");
    ASSERT_EQ(frm->lvwLesson->topLevelItemCount(), 7);
    const QStringList expected[] = {
        {"1. Identify these intervals.", "Incremental", "3", "33%", "75%", "6", "checked"},
        {"2. Playback or Write the following melodies.", "Incremental", "1", "0%", "0%", "0", "unchecked"},
        {"3. Identify these chords.", "Incremental", "1", "0%", "100%", "1", "unchecked"},
        {"4. Playback or Write the following rhythms.", "Incremental", "1", "0%", "0%", "0", "unchecked"},
        {"5. Identify the following cadences.", "Incremental", "1", "0%", "0%", "0", "unchecked"},
        {"6. Identify the following time signatures.", "Incremental", "1", "0%", "0%", "0", "unchecked"},
        {"7. Play the following rhythms.", "Incremental", "1", "0%", "0%", "0", "unchecked"},
    };
    for (int i = 0; i < 7; ++i) EXPECT_EQ(rowTexts(frm->lvwLesson->topLevelItem(i)), expected[i]) << i;
    EXPECT_TRUE(frm->lvwLesson->topLevelItem(0)->isSelected());
    EXPECT_FALSE(frm->lvwLesson->topLevelItem(0)->flags() & Qt::ItemIsUserCheckable);
    EXPECT_EQ(session().UpperBound, 85);
    EXPECT_EQ(session().LowerBound, 70);
    EXPECT_EQ(session().IntervalStyle, 2);
    EXPECT_EQ(session().AverageScore[1], 75);
    EXPECT_EQ(session().AttemptCount[1], 6);
    EXPECT_EQ(session().CompletedLevel[1], 3);
    EXPECT_TRUE(frm->menus()->item("mnuPracticeMode")->isChecked());
    EXPECT_EQ(frm->toolbar()->practiceImage(), int(ImgPracticeOn));
    EXPECT_TRUE(frm->tmrPractice->isActive());
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(frm->menus()->intervalTerm(i)->isChecked(), i == 2);
    // The interval palette's quality buttons show the letters style's pictures.
    const int letters[] = {15, 16, 17, 18, 14};
    for (int b = 3; b <= 7; ++b) EXPECT_EQ(frm->state.tools.Image("frmIntervals", b), letters[b - 3]);

    // Bob has no records: nothing of Ann's is left.
    scriptLogin("Bob", "b");
    frm->runMenuCommand("mnuGamePlayer");
    ASSERT_EQ(session().PlayerName, "Bob");
    for (int i = 0; i < 7; ++i) {
        const QStringList row = rowTexts(frm->lvwLesson->topLevelItem(i));
        EXPECT_EQ(row.mid(2), (QStringList{"1", "0%", "0%", "0", "unchecked"})) << i;
    }
    for (int lesson = 1; lesson <= 7; ++lesson) {
        EXPECT_EQ(session().AverageScore[lesson], 100);
        EXPECT_EQ(session().AttemptCount[lesson], 0);
        EXPECT_EQ(session().CompletedLevel[lesson], 0);
    }
    EXPECT_EQ(session().UpperBound, 89);
    EXPECT_EQ(session().LowerBound, 79);
    EXPECT_EQ(session().IntervalStyle, 3);
    EXPECT_FALSE(frm->menus()->item("mnuPracticeMode")->isChecked());
    EXPECT_FALSE(frm->tmrPractice->isActive());
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(frm->menus()->intervalTerm(i)->isChecked(), i == 3);
}

TEST_F(ShellTest, UnreadableProfileShowsDefaultsNotThePreviousRows) {
    writeProfile(testing::twoPlayerProfile());
    auto frm = loadedWindow();
    scriptLogin("Ann", "pw");
    frm->runMenuCommand("mnuGamePlayer");
    ASSERT_EQ(frm->lvwLesson->topLevelItem(0)->text(2), "3");
    {
        QFile f(tonvale::ProfileStore::profilePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("\"not a stored text\"\r\n");
    }
    frm->SelectFrame(0);
    EXPECT_FALSE(frm->lessonList().profileRead());
    EXPECT_EQ(rowTexts(frm->lvwLesson->topLevelItem(0)).mid(2), (QStringList{"1", "0%", "0%", "0", "unchecked"}));
    EXPECT_EQ(session().AverageScore[1], 100);
}

TEST_F(ShellTest, MessageHookClosesAndReopensTheChosenDevice) {
    midi_.setOutputs({"Synth A", "Synth B"});
    auto frm = loadedWindow();
    frm->menus()->device(2)->trigger();   // device 1
    ASSERT_EQ(midi_.openConnections(), 1);
    ASSERT_TRUE(sendCopyData(hookName(), 3, "closemidi"));
    pumpUntil([&] { return midi_.openConnections() == 0; });
    EXPECT_EQ(midi_.openConnections(), 0);
    ASSERT_TRUE(sendCopyData(hookName(), 3, "OpenMIDI"));   // other letter case: nothing
    ASSERT_TRUE(sendCopyData(hookName(), 2, "openmidi"));   // other kind: nothing
    ASSERT_TRUE(sendCopyData(hookName(), 3, "openmidi"));
    pumpUntil([&] { return midi_.openConnections() == 1; });
    EXPECT_EQ(midi_.openConnections(), 1);
    EXPECT_EQ(midi_.log().back().kind, MidiLogEntry::Open);
    EXPECT_EQ(midi_.log().back().deviceId, 1);
    EXPECT_TRUE(frm->menus()->device(2)->isChecked());
}

TEST_F(ShellTest, SecondProgramOnTheSameDataFolderRunsWithoutHook) {
    auto first = loadedWindow();
    auto second = loadedWindow();
    EXPECT_TRUE(first->hook().isHooked());
    EXPECT_FALSE(second->hook().isHooked());
}

TEST_F(ShellTest, QuitWithoutExerciseAsksNothingAndUnloadsInOrder) {
    auto frm = loadedWindow();
    ASSERT_EQ(midi_.openConnections(), 1);
    const QString name = frm->hook().serverName();
    QWidget other;
    other.setObjectName("frmKeyboard");
    other.show();
    EXPECT_TRUE(frm->close());
    EXPECT_TRUE(dialogs_.shown.isEmpty());
    EXPECT_FALSE(frm->hook().isHooked());
    EXPECT_FALSE(sendCopyData(name, 3, "openmidi"));
    EXPECT_EQ(midi_.openConnections(), 0);
    EXPECT_EQ(midi_.log().back().kind, MidiLogEntry::Close);
    EXPECT_FALSE(other.isVisible());
}

TEST_F(ShellTest, QuitDuringAnExercise) {
    auto frm = loadedWindow();
    int scored = 0;
    frm->lessonTable.setRow(1, {{}, [&](lessons::LessonContext&) { ++scored; }, {}});
    frm->state.CurrentLesson = 1;
    frm->state.ExerciseRunning = true;
    for (int answer : {platform::AnsNo, platform::AnsCancel}) {
        dialogs_.answers.push_back(answer);
        EXPECT_FALSE(frm->close());
        EXPECT_TRUE(frm->isVisible());
        EXPECT_EQ(scored, 0);
        EXPECT_TRUE(frm->hook().isHooked());
    }
    ASSERT_EQ(dialogs_.shown.size(), 2);
    EXPECT_EQ(dialogs_.shown[0].title, "Exit");
    EXPECT_EQ(dialogs_.shown[0].text, "You may lose points if you Quit now.\r\n\r\nAre you sure you want to quit?");
    EXPECT_EQ(dialogs_.shown[0].style, platform::YesNoCancel + platform::Question);
    dialogs_.answers.push_back(platform::AnsYes);
    EXPECT_TRUE(frm->close());
    EXPECT_EQ(scored, 1);
    EXPECT_EQ(midi_.openConnections(), 0);
}

TEST_F(ShellTest, NewLessonDuringAnExerciseAnsweredNoChangesNothing) {
    writeProfile(testing::twoPlayerProfile());
    auto frm = loadedWindow();
    scriptLogin("Ann", "pw");
    frm->runMenuCommand("mnuGamePlayer");
    frm->state.CurrentLesson = 3;
    frm->state.ExerciseRunning = true;
    dialogs_.answers.push_back(platform::AnsNo);
    frm->runMenuCommand("mnuGameNewLesson");
    EXPECT_EQ(frm->state.CurrentLesson, 3);
    EXPECT_TRUE(frm->state.ExerciseRunning);
    dialogs_.answers.push_back(platform::AnsYes);
    frm->Toolbar_ButtonClick("New");
    EXPECT_EQ(frm->state.CurrentLesson, 0);
    EXPECT_FALSE(frm->state.ExerciseRunning);
    EXPECT_TRUE(frm->lvwLesson->isVisible());
}

TEST_F(ShellTest, RestartLesson) {
    writeProfile(testing::twoPlayerProfile());
    auto frm = loadedWindow();
    scriptLogin("Ann", "pw");
    frm->runMenuCommand("mnuGamePlayer");
    frm->menus()->item("mnuPracticeMode")->setChecked(true);
    int built = 0;
    frm->lessonTable.setRow(1, {[&](lessons::LessonContext&) { ++built; }, {}, {}});
    frm->state.CurrentLesson = 1;
    frm->state.CurrentLevel = 5;
    dialogs_.answers.push_back(platform::AnsNo);
    frm->runMenuCommand("mnuGameRestart");
    EXPECT_EQ(dialogs_.shown.back().text, "Are you sure you want to restart this lesson from the beginning?");
    EXPECT_EQ(dialogs_.shown.back().title, "Question");
    EXPECT_EQ(frm->state.CurrentLevel, 5);
    EXPECT_EQ(session().AttemptCount[1], 6);
    EXPECT_EQ(built, 0);
    dialogs_.answers.push_back(platform::AnsYes);
    frm->runMenuCommand("mnuGameRestart");
    EXPECT_EQ(frm->state.CurrentLevel, 2);
    EXPECT_EQ(session().AttemptCount[1], 0);
    EXPECT_EQ(session().AverageScore[1], 100);
    EXPECT_EQ(session().CompletedLevel[1], 0);
    EXPECT_EQ(frm->state.CurrentLesson, 1);
    EXPECT_EQ(built, 1);
    EXPECT_TRUE(frm->fraScore->isVisible());
    EXPECT_FALSE(frm->lvwLesson->isVisible());
}

TEST_F(ShellTest, PracticeToggleAndTerminologyAreSaved) {
    writeProfile(testing::twoPlayerProfile());
    auto frm = loadedWindow();
    scriptLogin("Bob", "b");
    frm->runMenuCommand("mnuGamePlayer");
    auto bobsBlock = [this] {
        qint32 start = 0, length = 0;
        return common::ExtractBlock(start, length, profileText(), "name=Bob");
    };

    frm->Toolbar_ButtonClick("Practice");
    EXPECT_TRUE(frm->menus()->item("mnuPracticeMode")->isChecked());
    EXPECT_EQ(frm->toolbar()->practiceImage(), int(ImgPracticeOn));
    EXPECT_TRUE(frm->tmrPractice->isActive());
    EXPECT_TRUE(bobsBlock().contains("\r\npractice=true\r\n")) << bobsBlock().toStdString();

    frm->menus()->item("mnuPracticeMode")->trigger();
    EXPECT_FALSE(frm->menus()->item("mnuPracticeMode")->isChecked());
    EXPECT_EQ(frm->toolbar()->practiceImage(), int(ImgPracticeOff));
    EXPECT_FALSE(frm->tmrPractice->isActive());
    EXPECT_TRUE(bobsBlock().contains("\r\npractice=false\r\n"));

    frm->menus()->intervalTerm(1)->trigger();
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(frm->menus()->intervalTerm(i)->isChecked(), i == 1);
    EXPECT_EQ(session().IntervalStyle, 1);
    EXPECT_EQ(frm->state.tools.Image("frmIntervals", 3), 10);
    EXPECT_TRUE(bobsBlock().contains("\r\ninterval=1\r\n"));
}

TEST_F(ShellTest, ThePracticeButtonBlinksWithPicturesOfItsOwn) {
    writeProfile(testing::twoPlayerProfile());
    auto frm = loadedWindow();
    scriptLogin("Ann", "pw");
    frm->runMenuCommand("mnuGamePlayer");
    ASSERT_TRUE(frm->tmrPractice->isActive());
    auto picture = [](const QAction* a) { return a->icon().pixmap(24, 24).toImage(); };
    const MainToolbar* bar = frm->toolbar();
    std::vector<QImage> others, own;
    for (const char* key : {"User", "New", "Report", "Piano", "Drum"}) others.push_back(picture(bar->buttonByKey(key)));
    std::vector<int> shown;
    for (int tick = 0; tick < 8; ++tick) {
        QMetaObject::invokeMethod(frm->tmrPractice, "timeout");
        shown.push_back(bar->practiceImage());
        const QImage now = picture(bar->buttonByKey("Practice"));
        for (const QImage& other : others)
            EXPECT_FALSE(now == other) << "tick " << tick << " shows another button's picture (image " << shown.back() << ")";
        if (std::find(own.begin(), own.end(), now) == own.end()) own.push_back(now);
    }
    // Off, bright, off, on, and again: three pictures of the practice lamp.
    EXPECT_EQ(shown, (std::vector<int>{5, 6, 5, 4, 5, 6, 5, 4}));
    EXPECT_EQ(own.size(), 3u);
}

// Inside a lesson the practice button cannot be pressed (the options wait for the lesson
// list), yet practice mode is on and its lamp blinks: as the toolbar draws it there, the lamp
// is lit in colour at the on and bright steps and grey at the off step.
TEST_F(ShellTest, ThePracticeLampBlinksInSightInsideALesson) {
    writeProfile(testing::twoPlayerProfile());
    auto frm = loadedWindow();
    scriptLogin("Ann", "pw");
    frm->runMenuCommand("mnuGamePlayer");
    frm->lvwLesson->topLevelItem(0)->setSelected(true);
    frm->cmdStart_Click();
    ASSERT_EQ(frm->state.CurrentLesson, 1);
    QAction* practice = frm->toolbar()->buttonByKey("Practice");
    ASSERT_FALSE(practice->isEnabled());
    ASSERT_TRUE(frm->tmrPractice->isActive());
    QWidget* button = frm->toolbar()->bar()->widgetForAction(practice);
    ASSERT_NE(button, nullptr);
    // The most saturated colour drawn on the button.
    auto colourShown = [button] {
        const QImage shot = button->grab().toImage();
        int most = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) most = std::max(most, QColor(shot.pixel(x, y)).hsvSaturation());
        return most;
    };
    std::map<int, int> colourAt;   // practice image -> saturation shown
    for (int tick = 0; tick < 4; ++tick) {
        QMetaObject::invokeMethod(frm->tmrPractice, "timeout");
        colourAt[frm->toolbar()->practiceImage()] = colourShown();
    }
    ASSERT_EQ(colourAt.size(), 3u);
    EXPECT_GE(colourAt[ImgPracticeOn], 100);
    EXPECT_GE(colourAt[ImgPracticeLit], 100);
    EXPECT_LT(colourAt[ImgPracticeOff], 40);
}

TEST_F(ShellTest, PianoAndDrumButtonsToggleTheirWindows) {
    auto frm = loadedWindow();
    QPointer<QWidget> keyboard;
    frm->paletteWindows().addToolWindow("frmKeyboard", [&](QWidget* owner) {
        keyboard = new QWidget(owner, Qt::Tool);
        return keyboard.data();
    });
    QAction* piano = frm->menus()->item("mnuPiano");
    frm->Toolbar_ButtonClick("Piano");
    EXPECT_TRUE(piano->isChecked());
    ASSERT_TRUE(keyboard);
    EXPECT_TRUE(keyboard->isVisible());
    frm->Toolbar_ButtonClick("Piano");
    EXPECT_FALSE(piano->isChecked());
    EXPECT_FALSE(frm->paletteWindows().isVisible("frmKeyboard"));
    // The drum's window is not built: the item follows the presses all the same.
    frm->Toolbar_ButtonClick("Drum");
    EXPECT_TRUE(frm->menus()->item("mnuDrum")->isChecked());
    frm->Toolbar_ButtonClick("Drum");
    EXPECT_FALSE(frm->menus()->item("mnuDrum")->isChecked());
}

TEST_F(ShellTest, TestModeQuestionDeclinedLeavesTheListNumberedZero) {
    writeProfile(testing::twoPlayerProfile());
    auto frm = loadedWindow();
    scriptLogin("Bob", "b");
    frm->runMenuCommand("mnuGamePlayer");
    ASSERT_FALSE(frm->menus()->item("mnuPracticeMode")->isChecked());
    frm->lvwLesson->topLevelItem(2)->setSelected(true);
    frm->lvwLesson->topLevelItem(0)->setSelected(false);
    dialogs_.answers.push_back(platform::AnsNo);
    frm->cmdStart_Click();
    EXPECT_EQ(dialogs_.shown.back().text, "The Practice Mode is deactivated. Continue anyway?");
    EXPECT_EQ(dialogs_.shown.back().title, "Test Mode");
    EXPECT_EQ(dialogs_.shown.back().style, platform::YesNo);
    EXPECT_EQ(frm->state.CurrentLesson, 0);
    EXPECT_EQ(frm->state.CurrentLevel, 2);

    dialogs_.answers.push_back(platform::AnsYes);
    frm->cmdStart_Click();
    EXPECT_EQ(frm->state.CurrentLesson, 3);
    EXPECT_EQ(frm->SelectedLessonRow, 3);
    EXPECT_EQ(frm->lblLessonName->toPlainText(), "3. Identify these chords.");
    EXPECT_TRUE(frm->menus()->item("mnuViewIntervals")->isChecked());
    EXPECT_TRUE(frm->menus()->item("mnuViewIntervals")->isEnabled());
    EXPECT_FALSE(frm->menus()->item("mnuViewTime")->isEnabled());
    EXPECT_TRUE(frm->menus()->item("mnuGame")->isEnabled());
    EXPECT_FALSE(frm->menus()->item("mnuExport")->isEnabled());
}

TEST_F(ShellTest, ScrollBarsFollowTheWindowSize) {
    auto frm = loadedWindow();
    // Window sizes by their canvas area (pixels): wide and tall, then the minimum.
    frm->resize(1200, 800);
    QApplication::processEvents();
    EXPECT_EQ(frm->outerWidth(), toTwips(frm->client()->width()) + kOuterExtraWidth);
    EXPECT_FALSE(frm->HScroll1->isVisible());
    EXPECT_FALSE(frm->VScroll1->isVisible());
    EXPECT_EQ(frm->Frame1->width(), toPixels(frm->outerWidth() + 100));

    const int chrome = frm->height() - frm->client()->height();
    frm->resize(toPixels(kCanvasMinWidth - kOuterExtraWidth), toPixels(kCanvasMinHeight - kOuterExtraHeight) + chrome);
    QApplication::processEvents();
    ASSERT_LE(frm->outerWidth(), kCanvasMinWidth);
    EXPECT_TRUE(frm->HScroll1->isVisible());
    EXPECT_EQ(frm->HScroll1->maximum(), frm->lastLayout().hScrollMax);
    EXPECT_EQ(frm->Frame1->width(), toPixels(kCanvasMinWidth));
    // The bars sit flush with the canvas area's edges.
    EXPECT_EQ(frm->HScroll1->geometry().bottom() + 1, frm->client()->height());
    EXPECT_EQ(frm->VScroll1->geometry().right() + 1, frm->client()->width());

    frm->HScroll1->setValue(1);
    EXPECT_EQ(frm->Frame1->x(), toPixels(-0.01 * kCanvasMinWidth));
    frm->HScroll1->setValue(0);
    EXPECT_EQ(frm->Frame1->x(), 0);
}

TEST_F(ShellTest, AboutBox) {
    FrmAbout about;
    EXPECT_EQ(about.windowTitle(), "About Tonvale");
    EXPECT_EQ(about.lblVersion->text(), "Version 1.3.0");
    EXPECT_EQ(about.lblTitle->text(), "Tonvale");
    EXPECT_EQ(about.lblDescription->text().split("\r\n").size(), 3);
    EXPECT_TRUE(about.lblDisclaimer->text().startsWith("\r\n"));
    EXPECT_EQ(about.lblDisclaimer->text().split("\r\n").size(), 7);
    EXPECT_EQ(about.cmdSysInfo->text(), "&System Info...");

    platform::Registry registry(dir_.filePath("keys.ini"));
    QStringList started;
    about.setRegistry(&registry);
    about.setProgramStarter([&](const QString& p) { started << p; return true; });
    about.cmdSysInfo_Click();
    ASSERT_EQ(dialogs_.shown.size(), 1);
    EXPECT_EQ(dialogs_.shown[0].text, "System Information Is Unavailable At This Time");
    EXPECT_TRUE(started.isEmpty());

    // A folder whose program is missing: still unavailable.
    registry.setValue("SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", dir_.path());
    about.cmdSysInfo_Click();
    EXPECT_EQ(dialogs_.shown.size(), 2);
    QFile program(dir_.filePath("MSINFO32.EXE"));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    about.cmdSysInfo_Click();
    EXPECT_EQ(started, QStringList{dir_.path() + "/MSINFO32.EXE"});
    // The full path wins without the second key being read.
    registry.setValue("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", "/opt/sysinfo/run");
    about.cmdSysInfo_Click();
    EXPECT_EQ(started.last(), "/opt/sysinfo/run");
    EXPECT_EQ(dialogs_.shown.size(), 2);

    QString value;
    EXPECT_FALSE(GetKeyValue(registry, "SOFTWARE\\Nothing", "PATH", value));
    EXPECT_TRUE(value.isEmpty());
    registry.setValue("K", "V", QString("text") + QChar(0));
    EXPECT_TRUE(GetKeyValue(registry, "K", "V", value));
    EXPECT_EQ(value, "text");
}

TEST_F(ShellTest, AboutCommandRunsTheBoxModally) {
    auto frm = loadedWindow();
    frm->runMenuCommand("mnuAbout");
    EXPECT_EQ(dialogs_.modalsShown, QStringList{"frmAbout"});
}

} // namespace
} // namespace shell

namespace shell {
namespace {

using testing::ShellTest;

TEST_F(ShellTest, NotesGoOutThroughTheWindowsPort) {
    auto frm = loadedWindow();
    sound::MidiPort* port = frm->sound().port();
    ASSERT_NE(port, nullptr);
    midi_.clearLog();
    port->StartNote(0);
    port->StopNote(0);
    port->SetChannel(9);
    port->StartNote(15);
    port->StopNote(15);
    port->SetChannel(0);
    std::vector<std::vector<quint8>> bytes;
    for (const platform::TimedMessage& m : midi_.messages()) bytes.push_back(platform::shortMessageBytes(m.message));
    EXPECT_EQ(bytes, (std::vector<std::vector<quint8>>{
                         {0x90, 0x3C, 0x7F}, {0x80, 0x3C, 0x00}, {0xC9, 0x00}, {0x99, 0x4B, 0x7F}, {0x89, 0x4B, 0x00}}));
}

} // namespace
} // namespace shell

namespace shell {
namespace {

// In test mode the question comes first: No leaves the lesson shown, its elements and the
// menus as they were.
TEST_F(ShellTest, TestModeQuestionDeclinedChangesNothing) {
    writeProfile(testing::twoPlayerProfile());
    auto frm = loadedWindow();
    scriptLogin("Bob", "b");
    frm->runMenuCommand("mnuGamePlayer");
    frm->lessonTable.setRow(3, {[](lessons::LessonContext& ctx) {
                                    ctx.arrays.lblAs.load(1);
                                    ctx.LoadedFlags.set(1, 1, ctx.arrays.lblLetter.load(1));
                                },
                                {}, {}});
    frm->lvwLesson->topLevelItem(2)->setSelected(true);
    frm->lvwLesson->topLevelItem(0)->setSelected(false);
    dialogs_.answers.push_back(platform::AnsYes);
    frm->cmdStart_Click();
    ASSERT_EQ(frm->state.CurrentLesson, 3);
    frm->menus()->item("mnuPiano")->setEnabled(true);

    dialogs_.answers.push_back(platform::AnsNo);
    frm->SelectFrame(1);
    EXPECT_EQ(frm->state.CurrentLesson, 3);
    EXPECT_TRUE(frm->arrays->lblLetter.exists(1));
    EXPECT_TRUE(frm->arrays->lblAs.exists(1));
    EXPECT_TRUE(frm->LoadedFlags.get(1, 1));
    EXPECT_TRUE(frm->menus()->item("mnuPiano")->isEnabled());
    EXPECT_TRUE(frm->menus()->item("mnuViewIntervals")->isChecked());

    // Yes: the chords' elements go before the new lesson is built.
    dialogs_.answers.push_back(platform::AnsYes);
    frm->SelectFrame(1);
    EXPECT_EQ(frm->state.CurrentLesson, 1);
    EXPECT_FALSE(frm->arrays->lblLetter.exists(1));
    EXPECT_TRUE(frm->arrays->lblAs[1]->text().startsWith("You have 3 chances"));
    EXPECT_FALSE(frm->LoadedFlags.any());
    EXPECT_FALSE(frm->menus()->item("mnuPiano")->isEnabled());
    // The lesson's palette opens with the lesson's set-up, and closes with the lesson list.
    EXPECT_TRUE(frm->paletteWindows().isVisible("frmIntervals"));
    EXPECT_FALSE(frm->state.tools.Visible("frmIntervals", 20));
    frm->SelectFrame(0);
    EXPECT_FALSE(frm->paletteWindows().isVisible("frmIntervals"));
    EXPECT_TRUE(frm->state.tools.Visible("frmIntervals", 20));
}

} // namespace
} // namespace shell
