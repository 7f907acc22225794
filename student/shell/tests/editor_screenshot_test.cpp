// Pictures on a real X display (Xvfb) of a two-bar melody written with the staff editor in the
// melody lesson (clef, key and time signature, a sharp and a natural, a beamed group, a slur
// and a tie over the bar line) and of each of the five note-writing palettes, in
// test-output/editor_melody.png and editor_palette_<name>.png.
#include "editorfixture.h"

#include "common/testing/screenshots.h"
#include "common/testing/testoutput.h"

#include <QScreen>
#include <QToolButton>

using namespace editortest;

class EditorScreenshot : public EditorTest {
protected:
    // Clicks staff `s` at `x` twips, `step` steps above its bottom line.
    void writeAt(int s, double x, int step) { clickStaff(s, x, 1050 - 75 * step); }
    int noteAt(int s, double x) {
        const double left = a().StaffLines.Left(s) + x - 330;
        for (int n : notes())
            if (a().NoteSymbol.Left(n) == left) return n;
        return 0;
    }
};

TEST_F(EditorScreenshot, TwoBarMelodyAndThePalettes) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a real X display (run under xvfb-run)";
    frm->move(0, 0);
    settle(200);

    // G major: one sharp on the top line of the first bar's staff.
    tool("frmFloatingAccidentals", 3);
    writeAt(2, 450, 8);
    // Bar 1: G quarter, A and B eighths, D quarter; bar 2: D quarter (tied), C sharp, C natural.
    tool("frmFloatingNotes", 5);
    writeAt(2, 1500, 2);
    tool("frmFloatingNotes", 6);
    writeAt(2, 2160, 3);
    writeAt(2, 2655, 4);
    tool("frmFloatingNotes", 5);
    writeAt(2, 3255, 6);
    writeAt(3, 510, 6);
    writeAt(3, 1200, 5);
    writeAt(3, 1905, 5);
    ASSERT_EQ(notes().size(), 7u);
    const int g = noteAt(2, 1500), aNote = noteAt(2, 2160), b = noteAt(2, 2655), d1 = noteAt(2, 3255),
              cSharp = noteAt(3, 1200), cNatural = noteAt(3, 1905);
    ASSERT_TRUE(g && aNote && b && d1 && cSharp && cNatural);

    tool("frmFloatingAccidentals", 3);
    click(a().NoteSymbol[cSharp], 300, 900);
    tool("frmFloatingAccidentals", 5);
    click(a().NoteSymbol[cNatural], 300, 900);
    EXPECT_EQ(getInt(a().NoteSymbol[cSharp], "AccidentalName"), 1);
    EXPECT_EQ(getInt(a().NoteSymbol[cNatural], "AccidentalName"), 5);

    tool("frmFloatingMisc", 14);
    click(a().NoteSymbol[aNote], 300, 900);
    click(a().NoteSymbol[b], 300, 900);
    tool("frmFloatingMisc", 11);
    ASSERT_TRUE(a().BeamFlag.exists(1));

    // A slur under the first three notes (their stems are up) and a tie over the bar line
    // above the two Ds (their stems are down).
    editor().AddSlur(0, 2, a().StaffLines, g, a().PhraseMark, 10);
    editor().AddSlur(-1, 2, a().StaffLines, d1, a().PhraseMark, 10);
    ASSERT_EQ(editor().countOnStaff(a().PhraseMark, 7, 2), 2);
    tools().releaseAll("frmFloatingMisc");
    settle(300);

    QWidget* frame = frm->fraLesson0;
    const QRect area(frame->mapToGlobal(QPoint(0, 0)), QSize(500, 150));
    const QImage melody = frm->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
    EXPECT_GT(colourVariety(melody, 3), 2);
    EXPECT_TRUE(melody.scaled(melody.size() * 2, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                    .save(testOutputPath("editor_melody.png")));

    pal().show("frmFloatingClef");
    for (const char* name : {"frmFloatingNotes", "frmFloatingRests", "frmFloatingAccidentals", "frmFloatingClef",
                             "frmFloatingMisc"}) {
        SCOPED_TRACE(name);
        pal().show(name);
        QWidget* w = pal().window(name);
        ASSERT_NE(w, nullptr);
        w->raise();
        settle(150);
        ASSERT_TRUE(w->isVisible());
        const QRect r = w->frameGeometry();
        const QImage shot = w->screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage();
        EXPECT_GT(colourVariety(shot, 3), 2);
        EXPECT_TRUE(shot.scaled(shot.size() * 2).save(testOutputPath(QString("editor_palette_%1.png").arg(name))));
    }
}
