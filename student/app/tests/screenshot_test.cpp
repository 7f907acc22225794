// The running main window on a real X display (Xvfb): start-up with a scripted player, then
// a picture of the whole screen in test-output/tonvale_main.png, of the splash box in
// test-output/tonvale_splash.png and of the player dialog over the main window in
// test-output/tonvale_player.png.
#include "student/shell/splash.h"
#include "student/shell/startup.h"

#include "common/storedtext/storedtext.h"
#include "common/testing/testoutput.h"
#include "platform/dialogs.h"
#include "platform/midi/recordermidiout.h"
#include "platform/paths.h"
#include "platform/songs/songplayer.h"
#include "student/shell/classlink/classlinkclient.h"
#include "student/shell/profile/playersession.h"
#include "student/shell/profile/profilestore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

void settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Distinct colours in a grid of samples: a blank or single-colour picture has one or two.
int colourVariety(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7) colours.insert(image.pixel(x, y));
    return colours.size();
}

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
    EXPECT_GT(colourVariety(window), 20) << "the window looks blank";
    // The list's first row is drawn where the list view says it is.
    QTreeWidgetItem* first = frm->lvwLesson->topLevelItem(0);
    ASSERT_NE(first, nullptr);
    const QRect row = frm->lvwLesson->visualItemRect(first);
    const QPoint rowOnScreen = frm->lvwLesson->viewport()->mapToGlobal(row.topLeft());
    const QImage rowImage = image.copy(QRect(rowOnScreen, row.size()));
    EXPECT_GT(colourVariety(rowImage), 3) << "the first lesson row is empty";
    frm->close();
}

} // namespace
