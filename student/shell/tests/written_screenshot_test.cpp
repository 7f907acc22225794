// The written lessons marked, on a real X display (Xvfb): the main window after Stop with an
// answer written by palette clicks, one bar faulty, in test-output/tonvale_lesson2_marked.png
// and tonvale_lesson4_marked.png.
#include "writtenscenario.h"

#include "common/testing/screenshots.h"
#include "common/testing/testoutput.h"

#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSet>

namespace shell {
namespace {

using testing::Symbol;

class WrittenScreenshot : public testing::WrittenLessonTest {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a real X display (run under xvfb-run)";
        WrittenLessonTest::SetUp();
    }
    // The main window as it stands on the screen (palettes over it included), saved; the
    // picture must hold the staves and a red mark.
    void shoot(const QString& name) {
        frm->raise();
        frm->activateWindow();
        settle(400);
        for (int i = 1; i <= a().StaffLines.ubound(); ++i) ASSERT_TRUE(a().StaffLines[i]->isVisible()) << i;
        for (int n : writtenNotes()) ASSERT_TRUE(a().NoteSymbol[n]->isVisible()) << n;
        ASSERT_TRUE(a().tmMeter[1]->isVisible());
        ASSERT_TRUE(a().ClefSymbol[1]->isVisible());
        const QImage shot = frm->screen()->grabWindow(0).copy(frm->frameGeometry()).toImage();
        ASSERT_FALSE(shot.isNull());
        ASSERT_TRUE(shot.save(testOutputPath(name)));
        QSet<QRgb> colours;
        bool red = false;
        for (int y = 0; y < shot.height(); y += 2)
            for (int x = 0; x < shot.width(); x += 2) {
                const QColor c = shot.pixelColor(x, y);
                colours.insert(c.rgb());
                red |= c.red() > 200 && c.green() < 60 && c.blue() < 60;
            }
        EXPECT_GT(colours.size(), 20);
        EXPECT_TRUE(red);
    }
};

TEST_F(WrittenScreenshot, MelodyMarkedWithItsLastBarShortOfARest) {
    annAtTheList({});
    start(2, {0.0}, 11);
    writeKeySignature();
    std::vector<Symbol> answer = heardAsWritten(true);
    answer.pop_back();
    writeSymbols(answer, true);
    frm->cmdStop->click();
    EXPECT_EQ(frm->lblScore->text(), "90%");
    shoot("tonvale_lesson2_marked.png");
}

TEST_F(WrittenScreenshot, RhythmMarkedWithARestForANote) {
    annAtTheList({"lesson4=L6S80M5Q3"});
    start(4, {0.0}, 5);
    std::vector<Symbol> answer = heardAsWritten(false);
    auto quarter = std::find_if(answer.begin(), answer.end(),
                                [](const Symbol& s) { return s.staff == 3 && !s.rest && s.ms == 1000; });
    ASSERT_NE(quarter, answer.end());
    quarter->rest = true;
    writeSymbols(answer, false);
    frm->cmdStop->click();
    EXPECT_EQ(frm->lblScore->text(), "93%");
    shoot("tonvale_lesson4_marked.png");
}

} // namespace
} // namespace shell
