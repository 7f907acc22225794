// The running main window on a real X display (Xvfb): start-up with a scripted player, then
// a picture of the whole screen in test-output/tonvale_main.png, of the splash box in
// test-output/tonvale_splash.png and of the player dialog over the main window in
// test-output/tonvale_player.png; lesson 1 in the middle of a set with the Intervals palette
// open (tonvale_lesson1.png) and once it is marked (tonvale_lesson1_scored.png); the score
// bounds dialog (tonvale_score_bounds.png) and the student report preview (tonvale_student_report.png).
#include "common/report/reportpreview.h"
#include "student/shell/report/studentreport.h"
#include "student/shell/scorebounds.h"
#include "student/shell/splash.h"
#include "student/shell/startup.h"

#include "common/random.h"
#include "common/storedtext/storedtext.h"
#include "common/testing/screenshots.h"
#include "common/testing/testoutput.h"
#include "platform/dialogs.h"
#include "platform/midi/recordermidiout.h"
#include "platform/paths.h"
#include "platform/songs/songplayer.h"
#include "student/shell/classlink/classlinkclient.h"
#include "student/profile/playersession.h"
#include "student/palettes/paletteregistry.h"
#include "student/profile/profilestore.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QTextDocument>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

TEST(Screenshot, MainWindowWithTheLessonListOfAPlayer) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a real X display (run under xvfb-run)";
    QTemporaryDir data;
    platform::Paths::setDataFolder(data.path());
    tonvale::PlayerSession::instance().reset();
    classlink::writeClientConfig(data.filePath("Client.cfg"), "127.0.0.1", "1");
    const QString CRLF = common::CRLF;
    ASSERT_TRUE(common::SaveStoredText(tonvale::ProfileStore::profilePath(),
                                       "begin" + CRLF + "name=Clara" + CRLF + "password=fugue" + CRLF + "upper=89" +
                                           CRLF + "lower=79" + CRLF + "practice=true" + CRLF + "interval=3" + CRLF +
                                           "lesson1=L5S82M4Q9" + CRLF + "lesson2=L3S71M2Q4" + CRLF +
                                           "lesson5=L2S100M1Q1" + CRLF + "end" + CRLF));

    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride dialogsGuard(&dialogs);
    platform::RecorderMidiDevices midi({"Midi Through Port-0", "FLUID Synth (12345): Synth input port"});
    platform::MidiDevicesOverride midiGuard(&midi);
    platform::RecorderSongPlayer songs;
    platform::SongPlayerOverride songsGuard(&songs);

    dialogs.modalHandlers["frmSplash"] = [](QDialog& dlg) {
        dlg.show();
        settle(300);
        const QPixmap shot = dlg.screen()->grabWindow(0);
        shot.copy(dlg.frameGeometry()).save(testOutputPath("tonvale_splash.png"));
        static_cast<shell::FrmSplash&>(dlg).imgLogo_Click();
        return dlg.result();
    };
    dialogs.modalHandlers["frmPlayer"] = [](QDialog& dlg) {
        // The main window's greeting behind the player dialog, as a person first sees it.
        dlg.show();
        settle(300);
        dlg.screen()->grabWindow(0).save(testOutputPath("tonvale_player.png"));
        auto* list = dlg.findChild<QListWidget*>("lbxNames");
        list->setCurrentRow(0);
        dlg.findChild<QPushButton*>("cmdOK")->click();
        return dlg.result();
    };
    dialogs.modalHandlers["frmPassword"] = [](QDialog& dlg) {
        dlg.findChild<QLineEdit*>("txtPassword")->setText("fugue");
        dlg.findChild<QPushButton*>("cmdOK")->click();
        return dlg.result();
    };

    auto frm = shell::Main();
    frm->move(0, 0);
    frm->resize(1200, 760);
    frm->raise();
    frm->activateWindow();
    settle(600);
    ASSERT_EQ(tonvale::PlayerSession::instance().PlayerName, "Clara");
    ASSERT_TRUE(frm->lvwLesson->isVisible());

    const QPixmap screen = frm->screen()->grabWindow(0);
    const QString path = testOutputPath("tonvale_main.png");
    ASSERT_TRUE(screen.save(path));
    const QImage image(path);
    ASSERT_FALSE(image.isNull());
    const QImage window = image.copy(frm->frameGeometry());
    EXPECT_GT(colourVariety(window, 7), 20) << "the window looks blank";
    // The list's first row is drawn where the list view says it is.
    QTreeWidgetItem* first = frm->lvwLesson->topLevelItem(0);
    ASSERT_NE(first, nullptr);
    const QRect row = frm->lvwLesson->visualItemRect(first);
    const QPoint rowOnScreen = frm->lvwLesson->viewport()->mapToGlobal(row.topLeft());
    const QImage rowImage = image.copy(QRect(rowOnScreen, row.size()));
    EXPECT_GT(colourVariety(rowImage, 7), 3) << "the first lesson row is empty";
    frm->close();
}

// Lesson 1 as a student sees it: five items answered, the sixth marked, the Intervals palette
// beside the items; then the set marked, right answers yellow and wrong ones blue.
TEST(Screenshot, LessonOneMidExerciseAndMarked) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a real X display (run under xvfb-run)";
    QTemporaryDir data;
    platform::Paths::setDataFolder(data.path());
    tonvale::PlayerSession::instance().reset();
    classlink::writeClientConfig(data.filePath("Client.cfg"), "127.0.0.1", "1");
    const QString CRLF = common::CRLF;
    ASSERT_TRUE(common::SaveStoredText(tonvale::ProfileStore::profilePath(),
                                       "begin" + CRLF + "name=Clara" + CRLF + "password=fugue" + CRLF + "upper=89" +
                                           CRLF + "lower=79" + CRLF + "practice=false" + CRLF + "interval=3" + CRLF +
                                           "lesson1=L4S82M3Q9" + CRLF + "end" + CRLF));
    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride dialogsGuard(&dialogs);
    platform::RecorderMidiDevices midi;
    platform::MidiDevicesOverride midiGuard(&midi);
    platform::RecorderSongPlayer songs;
    platform::SongPlayerOverride songsGuard(&songs);
    // Eight questions of level 3: keys and intervals of every kind it has.
    common::ScriptedRandom random({0.5, 0.3, 0.1, 0.1, 0.9, 0.6, 0.3, 0.45, 0.7, 0.9, 0.2, 0.55, 0.6, 0.2, 0.0, 0.8});
    common::Random::setInstance(&random);
    dialogs.modalHandlers["frmPlayer"] = [](QDialog& dlg) {
        dlg.findChild<QListWidget*>("lbxNames")->setCurrentRow(0);
        dlg.findChild<QPushButton*>("cmdOK")->click();
        return dlg.result();
    };
    dialogs.modalHandlers["frmPassword"] = [](QDialog& dlg) {
        dlg.findChild<QLineEdit*>("txtPassword")->setText("fugue");
        dlg.findChild<QPushButton*>("cmdOK")->click();
        return dlg.result();
    };

    auto frm = std::make_unique<shell::FrmTonvale>();
    frm->Form_Load();
    frm->move(0, 0);
    frm->resize(1200, 760);
    frm->show();
    frm->runMenuCommand("mnuGamePlayer");
    ASSERT_EQ(tonvale::PlayerSession::instance().PlayerName, "Clara");
    frm->lvwLesson->topLevelItem(0)->setSelected(true);
    frm->cmdStart_Click();   // Yes to test mode, OK to the announcement
    common::Random::setInstance(nullptr);
    ASSERT_EQ(frm->state.CurrentLesson, 1);
    QWidget* palette = frm->paletteWindows().window("frmIntervals");
    ASSERT_NE(palette, nullptr);
    auto press = [&](const std::vector<const char*>& keys) {
        for (const char* k : keys) palette->findChild<QToolButton*>(k)->click();
    };
    // The first four right, the fifth (a fifth above) named a major third.
    const std::vector<std::vector<const char*>> answers = {
        {"3rd", "Plus", "below"}, {"8ve", "Perfect", "above"}, {"5th", "Perfect", "below"},
        {"4th", "Perfect", "below"}, {"3rd", "Plus", "above"},
    };
    for (const auto& a : answers) {
        press(a);
        frm->cmdNext->click();
    }
    settle(600);
    auto shoot = [&](const QString& name) {
        frm->raise();
        palette->raise();
        settle(300);
        const QString path = testOutputPath(name);
        EXPECT_TRUE(frm->screen()->grabWindow(0).save(path));
        return QImage(path);
    };
    ASSERT_TRUE(frm->isVisible());
    ASSERT_TRUE(palette->isVisible());
    for (int i = 1; i <= 5; ++i) ASSERT_TRUE(frm->arrays->lblLetter[i]->isVisible()) << i;
    ASSERT_TRUE(frm->arrays->cmdSpeaker[6]->isEnabled());
    const QImage mid = shoot("tonvale_lesson1.png");
    EXPECT_GT(colourVariety(mid.copy(frm->frameGeometry()), 7), 20);
    EXPECT_GT(colourVariety(mid.copy(palette->frameGeometry()), 7), 3) << "the palette looks blank";

    frm->cmdStop->click();
    ASSERT_EQ(frm->lblScore->text().right(1), "%");
    const QImage marked = shoot("tonvale_lesson1_scored.png");
    EXPECT_GT(colourVariety(marked.copy(frm->frameGeometry()), 7), 20);
    frm->close();
}

TEST(Screenshot, ScoreBoundsDialog) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a real X display (run under xvfb-run)";
    tonvale::PlayerSession session;
    session.UpperBound = 89;
    session.LowerBound = 79;
    shell::FrmScoreBounds dlg(session);
    dlg.move(40, 40);
    dlg.show();
    settle(400);
    for (QWidget* w : std::initializer_list<QWidget*>{dlg.lblInfo, dlg.lblUpper, dlg.lblLower, dlg.cboUpper,
                                                      dlg.cboLower, dlg.cmdOK, dlg.cmdCancel})
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_EQ(dlg.cboUpper->currentText(), "90");
    EXPECT_EQ(dlg.cboLower->currentText(), "85");
    const QImage shot = dlg.screen()->grabWindow(0).toImage().copy(dlg.frameGeometry());
    ASSERT_TRUE(shot.save(testOutputPath("tonvale_score_bounds.png")));
    EXPECT_GT(colourVariety(shot, 7), 8) << "the dialog looks blank";
}

TEST(Screenshot, StudentReportPreview) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a real X display (run under xvfb-run)";
    QTemporaryDir data;
    platform::Paths::setDataFolder(data.path());
    const QString CRLF = common::CRLF;
    ASSERT_TRUE(common::SaveStoredText(tonvale::ProfileStore::profilePath(),
                                       "begin" + CRLF + "name=Clara" + CRLF + "password=fugue" + CRLF +
                                           "lesson1=L5S82M4Q9" + CRLF + "lesson2=L3S71M2Q4" + CRLF +
                                           "lesson5=L2S100M1Q1" + CRLF + "end" + CRLF));
    std::unique_ptr<QTextDocument> doc = report::makeStudentReport("Clara");
    ASSERT_NE(doc, nullptr);
    common::ReportPreview preview(std::move(doc), "Student Report");
    preview.move(0, 0);
    preview.resize(900, 1000);
    preview.show();
    settle(600);
    preview.preview->fitToWidth();
    settle(400);
    for (QWidget* w : std::initializer_list<QWidget*>{preview.preview, preview.cmdPrint, preview.cmdExportPdf,
                                                      preview.cmdClose})
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
    const QImage shot = preview.screen()->grabWindow(0).toImage().copy(preview.frameGeometry());
    ASSERT_TRUE(shot.save(testOutputPath("tonvale_student_report.png")));
    EXPECT_GT(colourVariety(shot, 7), 8) << "the preview looks blank";
    preview.close();
    platform::Paths::setDataFolder(QString());
}

} // namespace
