// Windows a student can work in, on three simulated school screens side by side (1600x1000,
// 1366x768 and 1024x768, schoolscreens.json): every lesson entered in turn with its palettes, the
// piano (lessons 2 and 7) and the drum pad (lessons 4 and 7) open, with the main window as it
// starts and maximized, keeps the tool windows' rules (toolwindowrules.h). And the staff lessons'
// speaker is shown whole.
#include "shelltestsupport.h"
#include "toolwindowrules.h"

#include "student/lessons/lessoncatalogue.h"
#include "student/lessons/menurules.h"
#include "student/shell/screenfit.h"

#include <QScreen>

namespace shell {
namespace {

class Placement : public testing::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        session().PlayerName = "Ann";
    }

    // The main window on `screen`, at its top-left and inside it as the program starts it, or
    // filling it.
    std::unique_ptr<FrmTonvale> windowOn(QScreen* screen, bool maximized) {
        auto frm = loadedWindow();
        frm->menus()->item("mnuPracticeMode")->setChecked(true);
        const QRect avail = screen->availableGeometry();
        frm->move(avail.topLeft());
        QApplication::processEvents();
        showInsideScreen(*frm, frm->size());
        QApplication::processEvents();
        if (maximized) {
            const QRect frame = frm->frameGeometry(), client = frm->geometry();
            frm->setGeometry(avail.adjusted(client.left() - frame.left(), client.top() - frame.top(),
                                            client.right() - frame.right(), client.bottom() - frame.bottom()));
            QApplication::processEvents();
        }
        EXPECT_EQ(frm->screen(), screen);
        return frm;
    }
};

QScreen* screenOfSize(const QSize& size) {
    for (QScreen* s : QGuiApplication::screens())
        if (s->geometry().size() == size) return s;
    return nullptr;
}

TEST_F(Placement, ToolWindowsStandClearOfTheLessonOnEverySchoolScreen) {
    for (const QSize& size : {QSize(1600, 1000), QSize(1366, 768), QSize(1024, 768)}) {
        QScreen* screen = screenOfSize(size);
        ASSERT_NE(screen, nullptr) << "no simulated " << size.width() << "x" << size.height() << " screen";
        for (bool maximized : {false, true}) {
            auto frm = windowOn(screen, maximized);
            // The lessons one after the other: the windows a lesson keeps open from the one
            // before are judged on the new lesson too.
            for (int lesson = 1; lesson <= lessons::kLessonCount; ++lesson) {
                SCOPED_TRACE(QString("%1x%2 screen, main window %3 %4, lesson %5")
                                 .arg(size.width()).arg(size.height()).arg(maximized ? "maximized" : "as started")
                                 .arg(QString::fromStdString(testing::text(frm->frameGeometry()))).arg(lesson)
                                 .toStdString());
                frm->SelectFrame(lesson);
                if (lesson == 2 || lesson == 7) frm->paletteWindows().toggle("mnuPiano");
                QApplication::processEvents();

                QStringList expected;
                for (const QString& item : lessons::viewItemsEnabledFor(lesson))
                    expected << QString::fromLatin1(lessons::paletteForMenuItem(item)->window);
                if (lesson == 2 || lesson == 7) expected << "frmKeyboard";
                if (lesson == 4 || lesson == 7) expected << "frmDrum";
                QStringList open;
                for (const auto& [name, r] : testing::openToolWindows(*frm)) open << name;
                expected.sort();
                open.sort();
                EXPECT_EQ(open, expected);
                testing::expectToolWindowsKeepTheRules(*frm, screen->availableGeometry());
            }
        }
    }
}

TEST_F(Placement, TheStaffLessonsSpeakerIsShownWhole) {
    auto frm = windowOn(QGuiApplication::primaryScreen(), false);
    for (int lesson : {2, 4}) {
        SCOPED_TRACE(lesson);
        frm->SelectFrame(lesson);
        QApplication::processEvents();
        QPushButton* speaker = frm->arrays->cmdSpeaker[1];
        ASSERT_NE(speaker, nullptr);
        ASSERT_TRUE(speaker->isVisible());
        // Nothing of it is cut off, and it stands clear of the window's edge, where a window
        // border or the style's focus frame would clip a button standing flush with it.
        EXPECT_EQ(speaker->visibleRegion(), QRegion(speaker->rect()));
        const QRect inWindow(speaker->mapTo(frm.get(), QPoint(0, 0)), speaker->size());
        EXPECT_GE(inWindow.left(), 4) << testing::text(inWindow);
        EXPECT_TRUE(frm->rect().contains(inWindow)) << testing::text(inWindow);
    }
}

} // namespace
} // namespace shell
