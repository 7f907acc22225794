// Start-up: the main window first, the MIDI output closed while the splash plays its tune,
// reopened before the player dialog, then the lesson list of the chosen player.
#include "shelltestsupport.h"

#include "student/shell/splash.h"
#include "student/shell/startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTreeWidget>

namespace shell {
namespace {

using platform::MidiLogEntry;
using testing::ShellTest;

std::vector<std::pair<MidiLogEntry::Kind, int>> opensAndCloses(const platform::RecorderMidiDevices& midi) {
    std::vector<std::pair<MidiLogEntry::Kind, int>> out;
    for (const MidiLogEntry& e : midi.log())
        if (e.kind != MidiLogEntry::Message) out.emplace_back(e.kind, e.kind == MidiLogEntry::Open ? e.deviceId : 0);
    return out;
}

TEST_F(ShellTest, StartUpOrder) {
    writeProfile(testing::twoPlayerProfile());
    QStringList events;
    dialogs_.modalHandlers["frmSplash"] = [&](QDialog& dlg) {
        events << QString("splash: window shown %1, open MIDI connections %2, songs [%3]")
                      .arg(dlg.parentWidget() && dlg.parentWidget()->isVisible())
                      .arg(midi_.openConnections())
                      .arg(songs_.calls.join("; "));
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
        QApplication::sendEvent(&dlg, &key);
        return dlg.result();
    };
    scriptLogin("Ann", "pw");
    auto playerHandler = dialogs_.modalHandlers["frmPlayer"];
    dialogs_.modalHandlers["frmPlayer"] = [&, playerHandler](QDialog& dlg) {
        events << QString("player: open MIDI connections %1, songs [%2]")
                      .arg(midi_.openConnections())
                      .arg(songs_.calls.join("; "));
        return playerHandler(dlg);
    };

    std::unique_ptr<FrmTonvale> frm = Main();

    const QString song = platform::Paths::shareFile("fugue7.mid");
    EXPECT_EQ(events, (QStringList{
                          QString("splash: window shown 1, open MIDI connections 0, songs [open %1 -> 0; play -> 0]").arg(song),
                          QString("player: open MIDI connections 1, songs [open %1 -> 0; play -> 0; close -> 0]").arg(song),
                      }));
    EXPECT_EQ(dialogs_.modalsShown, (QStringList{"frmSplash", "frmPlayer", "frmPassword"}));
    EXPECT_EQ(opensAndCloses(midi_), (std::vector<std::pair<MidiLogEntry::Kind, int>>{
                                         {MidiLogEntry::Open, -1}, {MidiLogEntry::Close, 0}, {MidiLogEntry::Open, -1}}));

    // The lesson list of the chosen player, with the menus of the lesson list.
    EXPECT_EQ(session().PlayerName, "Ann");
    EXPECT_EQ(frm->state.CurrentLesson, 0);
    EXPECT_TRUE(frm->isVisible());
    EXPECT_TRUE(frm->fraLesson0->isVisible());
    EXPECT_TRUE(frm->lvwLesson->isVisible());
    EXPECT_FALSE(frm->fraScore->isVisible());
    ASSERT_EQ(frm->lvwLesson->topLevelItemCount(), 7);
    EXPECT_EQ(frm->lvwLesson->topLevelItem(0)->text(2), "3");
    EXPECT_EQ(frm->lblPlayerName->text(), "Ann");
    EXPECT_FALSE(frm->menus()->item("mnuGame")->isEnabled());
    EXPECT_TRUE(frm->menus()->item("mnuExport")->isEnabled());
    EXPECT_TRUE(frm->menus()->item("mnuOption")->isEnabled());
    EXPECT_TRUE(frm->toolbar()->button(4)->isEnabled());
}

TEST_F(ShellTest, StartUpWithoutSplashStillClosesAndReopens) {
    scriptLogin("nobody", "");
    // What a save killed half-way left behind.
    const QString stale = QDir(platform::Paths::dataFolder()).filePath(".Tonvale.txt.tmp-0badf00d");
    {
        QFile f(stale);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    StartupOptions options;
    options.showSplash = false;
    auto frm = Main(options);
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_EQ(dialogs_.modalsShown, QStringList{"frmPlayer"});
    EXPECT_TRUE(songs_.calls.isEmpty());
    EXPECT_EQ(opensAndCloses(midi_), (std::vector<std::pair<MidiLogEntry::Kind, int>>{
                                         {MidiLogEntry::Open, -1}, {MidiLogEntry::Close, 0}, {MidiLogEntry::Open, -1}}));
}

TEST_F(ShellTest, NoPlayerChosenLeavesTheLessonAreaHidden) {
    writeProfile(testing::twoPlayerProfile());
    dialogs_.modalHandlers["frmPlayer"] = [](QDialog& dlg) {
        dlg.findChild<QPushButton*>("cmdCancel")->click();
        return dlg.result();
    };
    StartupOptions options;
    options.showSplash = false;
    auto frm = Main(options);
    EXPECT_TRUE(session().PlayerName.isEmpty());
    EXPECT_FALSE(frm->fraLesson0->isVisible());
    EXPECT_FALSE(frm->menus()->item("mnuGame")->isEnabled());
    EXPECT_TRUE(frm->menus()->item("mnuGamePlayer")->isEnabled());
    EXPECT_TRUE(frm->menus()->item("mnuImport")->isEnabled());
    EXPECT_FALSE(frm->menus()->item("mnuExport")->isEnabled());
    EXPECT_FALSE(frm->menus()->item("mnuOption")->isEnabled());
    EXPECT_FALSE(frm->menus()->item("mnuChangePassword")->isEnabled());
    EXPECT_TRUE(frm->toolbar()->button(1)->isEnabled());
    EXPECT_FALSE(frm->toolbar()->button(2)->isEnabled());
    EXPECT_FALSE(frm->toolbar()->button(4)->isEnabled());
}

TEST_F(ShellTest, SplashClosesOnKeyOrLogoClickAndStopsItsTune) {
    struct SongLog : SilentSound {
        QStringList calls;
        void PlaySong(const QString& path) override { calls << "play " + path; }
        void CloseSong() override { calls << "close"; }
    } sound;
    {
        FrmSplash splash(sound, "/songs/with blanks/fugue7.mid");
        EXPECT_EQ(sound.calls, QStringList{"play /songs/with blanks/fugue7.mid"});
        splash.show();
        QApplication::processEvents();
        EXPECT_TRUE(splash.isVisible());   // no timer closes it
        QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
        QApplication::sendEvent(&splash, &key);
        EXPECT_FALSE(splash.isVisible());
        EXPECT_EQ(splash.result(), QDialog::Accepted);
        EXPECT_EQ(sound.calls, (QStringList{"play /songs/with blanks/fugue7.mid", "close"}));
    }
    EXPECT_EQ(sound.calls.size(), 2);   // the tune is closed once
    sound.calls.clear();
    {
        FrmSplash splash(sound, "x.mid");
        splash.show();
        QMouseEvent click(QEvent::MouseButtonRelease, QPointF(10, 10), QPointF(10, 10), Qt::LeftButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(splash.imgLogo(), &click);
        EXPECT_FALSE(splash.isVisible());
        EXPECT_EQ(sound.calls, (QStringList{"play x.mid", "close"}));
    }
}

} // namespace
} // namespace shell
