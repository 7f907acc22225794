// Lessons 3, 5 and 6 on a real X display (Xvfb), mid-exercise with items answered and the
// answer palettes open: test-output/tonvale_lesson3.png, tonvale_lesson5.png and
// tonvale_lesson6.png, the whole screen as the student sees it.
#include "shelltestsupport.h"

#include "common/random.h"
#include "common/testing/screenshots.h"
#include "common/testing/testoutput.h"
#include "student/palettes/paletteregistry.h"

#include <QAbstractButton>
#include <QMouseEvent>
#include <QScreen>
#include <QToolButton>
#include <QTreeWidget>

namespace shell {
namespace {

using testing::click;

class ItemLessonScreens : public testing::ShellTest {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a real X display (run under xvfb-run)";
        ShellTest::SetUp();
        common::Random::setInstance(&random_);
        writeProfile(testing::lines({"begin", "name=Clara", "password=fugue", "upper=89", "lower=79",
                                     "practice=true", "interval=3", "lesson3=L7S80M6Q3", "lesson5=L6S80M5Q3",
                                     "lesson6=L4S80M3Q3", "end"}));
        frm_ = loadedWindow();
        frm_->move(0, 0);
        frm_->resize(1200, 760);
        scriptLogin("Clara", "fugue");
        frm_->runMenuCommand("mnuGamePlayer");
    }
    void TearDown() override {
        frm_.reset();
        common::Random::setInstance(nullptr);
        ShellTest::TearDown();
    }
    void start(int lesson) {
        frm_->lvwLesson->clearSelection();
        frm_->lvwLesson->topLevelItem(lesson - 1)->setSelected(true);
        frm_->cmdStart_Click();
        ASSERT_EQ(frm_->state.CurrentLesson, lesson);
    }
    void press(const char* window, const QString& key) {
        palettes::PaletteWindow* w = frm_->paletteWindows().palette(window);
        ASSERT_NE(w, nullptr);
        QToolButton* b = w->findChild<QToolButton*>(key);
        ASSERT_NE(b, nullptr) << key.toStdString();
        b->click();
    }
    // The screen with the named widgets on it, saved and judged not blank.
    void shoot(const QString& file, const std::vector<QWidget*>& mustShow) {
        frm_->raise();
        for (const char* w : {"frmIntervals", "frmFloatingCadence", "frmTime", "frmFloatingNotes"})
            if (QWidget* p = frm_->paletteWindows().window(w)) p->raise();
        settle(500);
        for (QWidget* w : mustShow) {
            ASSERT_NE(w, nullptr);
            EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
        }
        const QImage shot = frm_->screen()->grabWindow(0).toImage();
        ASSERT_TRUE(shot.save(testOutputPath(file)));
        EXPECT_GT(colourVariety(shot.copy(frm_->frameGeometry())), 20) << "the window looks blank";
    }

    common::SeededRandom random_{7};
    std::unique_ptr<FrmTonvale> frm_;
};

TEST_F(ItemLessonScreens, ChordsAnswered) {
    start(3);
    const char* answers[6][2] = {{"Plus", ""}, {"Minus", ""}, {"7th", "Minus"}, {"dom7", ""}, {"Dim", ""}, {"Aug", ""}};
    for (int item = 1; item <= 6; ++item) {
        if (item > 1) frm_->cmdNext->click();
        for (const char* k : answers[item - 1])
            if (*k) press("frmIntervals", k);
    }
    NotationArrays& a = *frm_->arrays;
    shoot("tonvale_lesson3.png", {a.cmdSpeaker[1], a.cmdSpeaker[8], a.lblLetter[1], a.lblLetter[6],
                                  frm_->paletteWindows().window("frmIntervals"), frm_->cmdNext});
}

TEST_F(ItemLessonScreens, CadencesAnswered) {
    start(5);
    const char* answers[5] = {"Perfect Open", "Plagal", "Imperfect", "Deceptive", "Perfect Close"};
    for (int item = 1; item <= 5; ++item) {
        if (item > 1) frm_->cmdNext->click();
        press("frmFloatingCadence", answers[item - 1]);
    }
    NotationArrays& a = *frm_->arrays;
    shoot("tonvale_lesson5.png", {a.cmdSpeaker[1], a.lblLetter[1], a.lblLetter[5],
                                  frm_->paletteWindows().window("frmFloatingCadence"),
                                  frm_->paletteWindows().window("frmFloatingNotes")});
}

TEST_F(ItemLessonScreens, TimeSignaturesAnswered) {
    start(6);
    palettes::PaletteWindow* time = frm_->paletteWindows().palette("frmTime");
    ASSERT_NE(time, nullptr);
    auto button = [&](const char* name) { time->findChild<QAbstractButton*>(name)->click(); };
    const std::vector<std::vector<const char*>> answers = {
        {"cmdGroup0", "cmdBeat2", "cmdValue1"}, {"cmdBeat1"}, {"cmdGroup1", "cmdBeat0", "cmdValue2"},
        {"cmdGroup0", "cmdBeat0", "cmdValue1"}, {"cmdBeat1"}};
    for (size_t item = 1; item <= answers.size(); ++item) {
        if (item > 1) frm_->cmdNext->click();
        for (const char* b : answers[item - 1]) button(b);
        click(time->findChild<QWidget*>("Metre1"));
    }
    NotationArrays& a = *frm_->arrays;
    shoot("tonvale_lesson6.png", {a.cmdSpeaker[1], a.tmMeter[9], a.tmMeter[13], time,
                                  frm_->paletteWindows().window("frmFloatingNotes")});
}

} // namespace
} // namespace shell
