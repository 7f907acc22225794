// The Inversion, Roman Numbers and Time windows (and the Cadences palette) on a real X display
// (Xvfb), each written to test-output as the student sees it: frmInversion.png with its eraser
// armed, frmFloatingRoman.png with "V" chosen, frmTime.png set to 6/8 with its tool down, and
// frmFloatingCadence.png as the cadence lesson's first levels leave it.
#include "lessontestsupport.h"

#include "student/palettes/paletteregistry.h"
#include "student/palettes/palettespecs.h"

#include "common/testing/screenshots.h"
#include "common/testing/testoutput.h"

#include <QAbstractButton>
#include <QApplication>
#include <QScreen>
#include <QToolButton>
#include <gtest/gtest.h>

namespace palettes {
namespace {

TEST(PaletteScreenshots, AnalysisPalettesAsTheStudentSeesThem) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a real X display (run under xvfb-run)";
    lessons::testing::LessonFixture f;
    PaletteRegistry registry(&f.window.widget, [] {});
    registry.setContext(f.ctx.get());
    for (const PaletteSpec& s : allPaletteSpecs()) registry.add(s);
    f.window.widget.setGeometry(0, 0, 900, 700);
    f.window.widget.show();

    struct Shot {
        const char* window;
        std::function<void(PaletteWindow*)> prepare;
        std::vector<const char*> widgets;   // children that must be on screen
    };
    const Shot shots[] = {
        {"frmInversion", [](PaletteWindow* w) { w->clickButton(1); }, {"Eraser", "Root", "First", "Second", "Third"}},
        {"frmFloatingRoman", [](PaletteWindow* w) { w->clickButton(7); }, {"Eraser", "I", "IV", "V", "VII"}},
        {"frmTime",
         [&](PaletteWindow* w) {
             w->findChild<QAbstractButton*>("cmdBeat0")->click();
             w->findChild<QAbstractButton*>("cmdGroup1")->click();
             w->findChild<QAbstractButton*>("cmdValue2")->click();
             f.state.CurrentLesson = 2;
             lessons::TimeTool t = f.state.tools.time();
             t.down = true;
             f.state.tools.setTime(t);
         },
         {"cmdBeat0", "cmdBeat1", "cmdBeat2", "cmdGroup0", "cmdGroup1", "cmdValue0", "cmdValue4", "Metre1"}},
        {"frmFloatingCadence",
         [&](PaletteWindow*) {
             f.state.tools.setLessonEnabled("frmFloatingCadence", 2, false);
             f.state.tools.setLessonEnabled("frmFloatingCadence", 3, false);
         },
         {"Perfect", "Perfect Open", "Plagal", "Deceptive"}},
    };
    int x = 20;
    for (const Shot& s : shots) {
        SCOPED_TRACE(s.window);
        registry.show(s.window);
        PaletteWindow* w = registry.palette(s.window);
        ASSERT_NE(w, nullptr);
        w->move(x, 40);
        s.prepare(w);
        w->refresh();
        settle(300);
        for (const char* name : s.widgets) {
            QWidget* child = w->findChild<QWidget*>(QString::fromLatin1(name));
            ASSERT_NE(child, nullptr) << name;
            EXPECT_TRUE(child->isVisible()) << name;
        }
        const QImage image = w->screen()->grabWindow(0).copy(w->frameGeometry()).toImage();
        ASSERT_TRUE(image.save(testOutputPath(QStringLiteral("%1.png").arg(s.window))));
        EXPECT_GT(colourVariety(image, 2), 8) << "the window looks blank";
        x += 40;
    }
}

} // namespace
} // namespace palettes
