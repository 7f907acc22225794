// The program as a student meets it on real X screens of school sizes (each run of this test has
// an Xvfb screen of its own size: 1024x768, 1366x768 and 1600x1000), with no window manager and
// then with a real one (openbox): start-up with its splash, message boxes over the main window,
// and lessons 2 (with the piano), 4 (with the drum pad) and 5 (the eraser-only note palette)
// with the tool windows they open. The main window stands inside the screen with its title
// bar's close box and its status bar's "Disconnected" in sight; the splash and the boxes stand
// centred on it; the tool windows keep their rules (toolwindowrules.h). Pictures of the whole
// screen: test-output/placement_<screen>_<desktop>_start.png and _lesson2.png, _lesson4.png,
// _lesson5.png, where <desktop> is "openbox" or "bare".
#include "shelltestsupport.h"
#include "toolwindowrules.h"
#include "windowmanager.h"

#include "common/testing/screenshots.h"
#include "common/testing/testoutput.h"
#include "platform/windowframe.h"
#include "student/shell/splash.h"
#include "student/shell/startup.h"

#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>

namespace shell {
namespace {

// The design size of the main window's client area.
constexpr QSize kDesignSize(1040, 700);

// How far apart two centres may stand: a pixel of rounding each way.
bool centredOn(const QRect& r, const QRect& on) {
    const QPoint d = r.center() - on.center();
    return std::abs(d.x()) <= 1 && std::abs(d.y()) <= 1;
}

std::string text(const QRect& r) { return testing::text(r); }

class OnTheScreen : public testing::ShellTest, public ::testing::WithParamInterface<bool> {
protected:
    static void TearDownTestSuite() { testing::WindowManager::stop(); }

    void SetUp() override {
        ShellTest::SetUp();
        if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a real X display (run under xvfb-run)";
        if (GetParam()) {
            if (!testing::WindowManager::installed()) GTEST_SKIP() << "openbox is not installed";
            ASSERT_TRUE(testing::WindowManager::start()) << "openbox did not start";
        } else {
            testing::WindowManager::stop();
        }
        screen_ = QGuiApplication::primaryScreen();
        const QSize size = screen_->geometry().size();
        tag_ = QString("placement_%1x%2_%3").arg(size.width()).arg(size.height()).arg(GetParam() ? "openbox" : "bare");
    }

    // Lets the desktop frame and place what was shown: until `done` holds, at most three seconds.
    template <typename Done>
    void settleUntil(Done done) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 3000 && !done()) settle(50);
        settle(150);
    }
    // With a window manager, a window is done once it has its frame.
    bool framed(const QWidget& w) const { return !GetParam() || !platform::frameMargins(w).isNull(); }

    QImage shoot(const QString& what) {
        const QImage shot = screen_->grabWindow(0).toImage();
        EXPECT_TRUE(shot.save(testOutputPath(tag_ + "_" + what + ".png")));
        EXPECT_GT(colourVariety(shot, 3), 2) << what.toStdString() << ": the screen looks blank";
        return shot;
    }

    QScreen* screen_ = nullptr;
    QString tag_;
};

TEST_P(OnTheScreen, StartLessonsAndToolWindowsAllInSight) {
    const QRect avail = screen_->availableGeometry();
    writeProfile(testing::twoPlayerProfile());
    scriptLogin("Ann", "pw");

    // The splash, run as the program runs it, until it stands framed and centred on the main
    // window (or the time is up).
    QRect splashAt, ownerAt;
    dialogs_.modalHandlers["frmSplash"] = [&](QDialog& dlg) {
        QTimer::singleShot(0, &dlg, [&] {
            QWidget* owner = dlg.parentWidget();
            // The main window fitted to its frame at the screen's top-left, the splash following it.
            settleUntil([&] {
                const QRect ownerFrame = platform::frameGeometry(*owner);
                return framed(*owner) && ownerFrame.topLeft() == avail.topLeft() &&
                       centredOn(platform::frameGeometry(dlg), ownerFrame);
            });
            splashAt = platform::frameGeometry(dlg);
            ownerAt = platform::frameGeometry(*owner);
            shoot("start");
            static_cast<FrmSplash&>(dlg).imgLogo_Click();
        });
        return platform::QtDialogs().runModal(dlg);
    };
    auto frm = Main();
    ASSERT_EQ(session().PlayerName, "Ann");
    settleUntil([&] { return framed(*frm) && avail.contains(platform::frameGeometry(*frm)); });

    // The splash stood centred on the main window.
    ASSERT_TRUE(splashAt.isValid()) << "the splash never showed";
    EXPECT_TRUE(centredOn(splashAt, ownerAt)) << "splash " << text(splashAt) << " on " << text(ownerAt);

    // The main window: inside the available area, frame and all; its design size where that
    // fits, else as wide or as high as the area.
    const QRect frame = platform::frameGeometry(*frm);
    EXPECT_TRUE(avail.contains(frame)) << text(frame) << " outside " << text(avail);
    const QSize frameExtra = frame.size() - frm->size();
    if (avail.width() >= kDesignSize.width() + frameExtra.width())
        EXPECT_EQ(frm->width(), kDesignSize.width());
    else
        EXPECT_GE(frame.width(), avail.width() - 8) << text(frame);
    EXPECT_EQ(frm->height(), kDesignSize.height());
    // The status bar's "Disconnected" is whole and on the screen.
    QLabel* status = frm->statusText;
    ASSERT_TRUE(status->isVisible());
    EXPECT_EQ(status->text(), "Disconnected");
    const QRect statusAt(status->mapToGlobal(QPoint(0, 0)), status->size());
    EXPECT_TRUE(avail.contains(statusAt)) << text(statusAt);
    EXPECT_GE(status->contentsRect().width(), status->fontMetrics().horizontalAdvance(status->text()));

    // A message box owned by the main window opens centred on it; so does one owned by a dialog
    // of the main window that is not shown yet (the player dialog telling of no players).
    QDialog notShownYet(frm.get());
    for (QWidget* owner : {static_cast<QWidget*>(frm.get()), static_cast<QWidget*>(&notShownYet)}) {
        QRect boxAt;
        QTimer::singleShot(0, frm.get(), [&] {
            auto box = [] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); };
            settleUntil([&] {
                return box() && framed(*box()) &&
                       centredOn(platform::frameGeometry(*box()), platform::frameGeometry(*frm));
            });
            if (box()) {
                boxAt = platform::frameGeometry(*box());
                box()->accept();
            }
        });
        platform::QtDialogs().messageBox("Are you sure you want to restart this lesson from the beginning?",
                                         platform::YesNo + platform::Question, "Question", owner);
        ASSERT_TRUE(boxAt.isValid()) << "the message box never showed";
        EXPECT_TRUE(centredOn(boxAt, platform::frameGeometry(*frm)))
            << "box " << text(boxAt) << " on " << text(platform::frameGeometry(*frm));
    }

    // The lessons with their tool windows, started from the list as a student does.
    const struct {
        int lesson;
        const char* extra;   // a tool window the student opens as well
        QStringList shown;
    } lessons[] = {
        {2, "mnuPiano", {"frmFloatingAccidentals", "frmFloatingMisc", "frmFloatingNotes", "frmFloatingRests", "frmKeyboard"}},
        {4, nullptr, {"frmFloatingAccidentals", "frmFloatingMisc", "frmFloatingNotes", "frmFloatingRests", "frmDrum"}},
        {5, nullptr, {"frmFloatingCadence", "frmFloatingNotes"}},
    };
    for (const auto& l : lessons) {
        SCOPED_TRACE(l.lesson);
        frm->runMenuCommand("mnuGameNewLesson");
        frm->lvwLesson->setCurrentItem(frm->lvwLesson->topLevelItem(l.lesson - 1));
        frm->cmdStart->click();
        ASSERT_EQ(frm->state.CurrentLesson, l.lesson);
        if (l.extra) frm->paletteWindows().toggle(l.extra);
        std::vector<QWidget*> tools;
        for (const QString& name : l.shown) {
            QWidget* w = frm->paletteWindows().window(name);
            ASSERT_TRUE(w && w->isVisible()) << name.toStdString();
            tools.push_back(w);
        }
        settleUntil([&] { return std::all_of(tools.begin(), tools.end(), [&](QWidget* w) { return framed(*w); }); });
        ASSERT_TRUE(frm->arrays->cmdSpeaker.exists(1) && frm->arrays->cmdSpeaker[1]->isVisible());
        testing::expectToolWindowsKeepTheRules(*frm, avail);
        const QImage shot = shoot(QString("lesson%1").arg(l.lesson));
        for (QWidget* w : tools)
            EXPECT_GT(colourVariety(shot.copy(platform::frameGeometry(*w)), 2), 2) << w->objectName().toStdString() << " looks blank";
    }
    frm->close();
}

INSTANTIATE_TEST_SUITE_P(Desktop, OnTheScreen, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "Openbox" : "NoWindowManager"); });

} // namespace
} // namespace shell
