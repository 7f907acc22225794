// The tool windows where a lesson opens them, on real X screens of school sizes (each test runs
// on an Xvfb screen of its own size): lesson 2 with its palettes and the piano on a 1024x768
// screen (test-output/lesson2_palettes_1024.png), lesson 4 with its palettes and the drum pad on
// a 1366x768 screen (test-output/lesson4_drum_1366.png).
#include "shelltestsupport.h"
#include "toolwindowrules.h"

#include "common/testing/screenshots.h"
#include "common/testing/testoutput.h"

#include <QScreen>
#include <QTreeWidget>

namespace shell {
namespace {

class PlacementScreenshot : public testing::ShellTest {
protected:
    // Lesson `lesson` entered on the main window as the program starts it, at the screen's top
    // left, with `tools` opened as well; the whole screen saved to `file`.
    void shoot(const QSize& screenSize, int lesson, const QStringList& tools, const QStringList& shown,
               const QString& file) {
        if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a real X display (run under xvfb-run)";
        QScreen* screen = QGuiApplication::primaryScreen();
        ASSERT_EQ(screen->geometry().size(), screenSize) << "run on an X screen of that size";
        // Ann, in practice mode, starts the lesson from the list.
        writeProfile(testing::twoPlayerProfile());
        auto frm = loadedWindow();
        frm->move(screen->availableGeometry().topLeft());
        scriptLogin("Ann", "pw");
        frm->runMenuCommand("mnuGamePlayer");
        settle(200);
        frm->lvwLesson->setCurrentItem(frm->lvwLesson->topLevelItem(lesson - 1));
        frm->cmdStart->click();
        ASSERT_EQ(frm->state.CurrentLesson, lesson);
        for (const QString& item : tools) frm->paletteWindows().toggle(item);
        settle(400);

        ASSERT_TRUE(frm->isVisible());
        ASSERT_TRUE(frm->fraLesson0->isVisible());
        ASSERT_TRUE(frm->arrays->cmdSpeaker.exists(1) && frm->arrays->cmdSpeaker[1]->isVisible());
        for (const QString& name : shown) {
            const QWidget* w = frm->paletteWindows().window(name);
            ASSERT_TRUE(w && w->isVisible()) << name.toStdString();
        }
        testing::expectToolWindowsKeepTheRules(*frm, screen->availableGeometry());
        const QImage shot = screen->grabWindow(0).toImage();
        EXPECT_GT(colourVariety(shot, 3), 2);
        EXPECT_TRUE(shot.save(testOutputPath(file)));
    }
};

TEST_F(PlacementScreenshot, Lesson2PalettesAndPianoOnA1024Screen) {
    shoot({1024, 768}, 2, {"mnuPiano"},
          {"frmFloatingAccidentals", "frmFloatingMisc", "frmFloatingNotes", "frmFloatingRests", "frmKeyboard"},
          "lesson2_palettes_1024.png");
}

TEST_F(PlacementScreenshot, Lesson4PalettesAndDrumOnA1366Screen) {
    shoot({1366, 768}, 4, {},
          {"frmFloatingAccidentals", "frmFloatingMisc", "frmFloatingNotes", "frmFloatingRests", "frmDrum"},
          "lesson4_drum_1366.png");
}

} // namespace
} // namespace shell
