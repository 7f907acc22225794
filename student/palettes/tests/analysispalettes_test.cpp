// The Inversion, Cadences, Roman Numbers and Time palettes: their clicks on the tool state,
// the labels and numerals they place, and the time tool's signature in the time lesson.
#include "lessontestsupport.h"

#include "student/palettes/palettelabels.h"
#include "student/palettes/paletteregistry.h"
#include "student/palettes/palettespecs.h"

#include "music/metre/metre.h"

#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace palettes {
namespace {

using lessons::testing::LessonFixture;

class AnalysisPaletteTest : public ::testing::Test {
protected:
    AnalysisPaletteTest() {
        registry.setContext(f.ctx.get());
        for (const PaletteSpec& s : allPaletteSpecs()) registry.add(s);
    }
    // Lines as the item lessons lay them out: eight in two rows of four.
    void itemLines(int count = 8) {
        for (int i = 1; i <= count; ++i) {
            ASSERT_TRUE(f.arrays->LineBase.load(i));
            const int c = (i - 1) % 4, r = (i - 1) / 4;
            f.arrays->LineBase[i]->setEnds(3000 * c + 800, 1000 * r + 1600, 3000 * c + 3000, 1000 * r + 1600);
        }
    }
    void click(const PaletteSpec& spec, std::initializer_list<const char*> keys) {
        for (const char* k : keys) spec.click(*f.ctx, QString::fromLatin1(k));
    }
    lessons::ToolState& tools() { return f.state.tools; }
    QString text(const lessons::LabelArray& a, int i) const { return a[i] ? a[i]->text() : QStringLiteral("<none>"); }

    LessonFixture f;
    PaletteRegistry registry{&f.window.widget, [] {}};
};

TEST_F(AnalysisPaletteTest, InversionClicksArmOnlyTheEraser) {
    const PaletteSpec inv = inversionPalette();
    f.state.SetMouseDown(true);
    tools().setValue("frmFloatingNotes", 5, 1);
    click(inv, {"Eraser"});
    EXPECT_EQ(tools().MousePointer(), lessons::kPointerEraser);
    EXPECT_TRUE(tools().pressed("frmInversion", 1));
    EXPECT_FALSE(tools().pressed("frmFloatingNotes", 5));
    click(inv, {"Eraser"});
    EXPECT_EQ(tools().MousePointer(), lessons::kPointerDefault);
    EXPECT_FALSE(tools().pressed("frmInversion", 1));

    // "Root" after "Eraser": the pointer goes back, the palette's own eraser stays down.
    click(inv, {"Eraser"});
    f.state.SetMouseDown(true);
    click(inv, {"Root"});
    EXPECT_EQ(tools().MousePointer(), lessons::kPointerDefault);
    EXPECT_TRUE(tools().pressed("frmInversion", 1));
    EXPECT_FALSE(f.state.MouseDownFlag);
    for (int b = 3; b <= 6; ++b) EXPECT_FALSE(tools().pressed("frmInversion", b)) << b;
}

TEST_F(AnalysisPaletteTest, InversionLabelsTakeTheFirstFreeLine) {
    lessons::LabelArray& labels = f.arrays->lblMusic;
    lessons::LineArray& lines = f.arrays->lnThird;
    AddInversionLabel(*f.ctx, labels, lines, 1);   // only the template line: nothing
    EXPECT_EQ(labels.ubound(), 0);
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(lines.load(i));
        lines[i]->setEnds(1000 * i, 2000, 1000 * i + 600, 2000);
    }
    labels.setHeight(0, 255);
    struct Step {
        int inversion, label, line;
        const char* caption;
    };
    const Step steps[] = {{1, 1, 1, "First"}, {2, 2, 2, "Second"}, {-1, 0, 0, ""}, {5, 3, 3, nullptr}, {0, 0, 0, ""}};
    for (const Step& s : steps) {
        const int before = labels.count();
        AddInversionLabel(*f.ctx, labels, lines, s.inversion);
        if (!s.label) {   // negative, or every line labelled
            EXPECT_EQ(labels.count(), before) << s.inversion;
            continue;
        }
        ASSERT_TRUE(labels.exists(s.label)) << s.inversion;
        EXPECT_TRUE(f.flags.get(4, s.label));
        EXPECT_EQ(labels.Left(s.label), 1000 * s.line);
        EXPECT_EQ(labels.Top(s.label), 1725);   // Int((2000 - 255 - 15) / 15) x 15
        EXPECT_TRUE(labels.Visible(s.label));
        EXPECT_EQ(text(labels, s.label), s.caption ? QString::fromLatin1(s.caption) : labels[0]->text());
    }
}

TEST_F(AnalysisPaletteTest, CadenceLabelsAnswerTheCurrentItemInTheCadenceLesson) {
    const PaletteSpec cad = cadencePalette();
    itemLines();
    lessons::LabelArray& labels = f.arrays->lblLetter;
    f.arrays->LineBase[3]->setEnds(1000, 2000, 3200, 2000);
    labels.setHeight(0, 255);

    // Outside the cadence lesson a click writes nothing and leaves no button down.
    f.state.CurrentLesson = 1;
    f.state.CurrentItem = 3;
    click(cad, {"Plagal"});
    EXPECT_FALSE(labels.exists(3));
    for (int b = 1; b <= 6; ++b) EXPECT_FALSE(tools().pressed("frmFloatingCadence", b));

    f.state.CurrentLesson = 5;
    tools().setValue("frmIntervals", 3, 1);
    tools().setMousePointer(lessons::kPointerEraser);
    click(cad, {"Plagal"});
    ASSERT_TRUE(labels.exists(3));
    EXPECT_TRUE(f.flags.get(1, 3));
    EXPECT_EQ(labels.Left(3), 990);
    EXPECT_EQ(labels.Top(3), 1725);
    EXPECT_EQ(labels.Width(3), 2200);
    EXPECT_EQ(labels[3]->font().pixelSize(), 18);
    EXPECT_EQ(text(labels, 3), "Plagal");
    EXPECT_EQ(tools().MousePointer(), lessons::kPointerDefault);
    EXPECT_FALSE(tools().pressed("frmIntervals", 3));

    // A second answer only changes the caption.
    labels.setLeft(3, 1005);
    click(cad, {"Deceptive"});
    EXPECT_EQ(labels.Left(3), 1005);
    EXPECT_EQ(text(labels, 3), "Deceptive");
    for (int k = 0; k <= 5; ++k) {
        AddCadenceLabel(*f.ctx, labels, f.arrays->LineBase, k);
        EXPECT_EQ(text(labels, 3), cadenceCaption(k));
    }
    AddCadenceLabel(*f.ctx, labels, f.arrays->LineBase, 9);
    EXPECT_EQ(text(labels, 3), "Deceptive");

    // No room: the label array reaches 20.
    f.state.CurrentItem = 4;
    ASSERT_TRUE(labels.load(20));
    click(cad, {"Perfect"});
    EXPECT_FALSE(labels.exists(4));
}

TEST_F(AnalysisPaletteTest, RomanNumeralsStayDownAndTheEraserArmsFromTheDefaultPointer) {
    const PaletteSpec rom = romanPalette();
    tools().setValue("frmFloatingAccidentals", 3, 1);
    tools().setValue("frmInversion", 4, 1);
    click(rom, {"V"});
    EXPECT_TRUE(tools().pressed("frmFloatingRoman", 7));
    EXPECT_FALSE(tools().pressed("frmFloatingAccidentals", 3));
    EXPECT_FALSE(tools().pressed("frmInversion", 4));
    click(rom, {"V"});
    EXPECT_TRUE(tools().pressed("frmFloatingRoman", 7));
    click(rom, {"II"});
    EXPECT_TRUE(tools().pressed("frmFloatingRoman", 4));
    EXPECT_FALSE(tools().pressed("frmFloatingRoman", 7));

    tools().setMousePointer(lessons::kPointerCross);
    click(rom, {"Eraser"});
    EXPECT_EQ(tools().MousePointer(), lessons::kPointerDefault);
    EXPECT_FALSE(tools().pressed("frmFloatingRoman", 1));
    click(rom, {"Eraser"});
    EXPECT_EQ(tools().MousePointer(), lessons::kPointerEraser);
    EXPECT_TRUE(tools().pressed("frmFloatingRoman", 1));
    EXPECT_EQ(f.state.tools.LessonFramePointer(), lessons::kPointerEraser);
}

TEST_F(AnalysisPaletteTest, RomanNumbersAboveFreeLinesAndWithinTheirGroup) {
    lessons::ElementArray& numerals = f.arrays->ChordRoman;
    lessons::LineArray& lines = f.arrays->LineBase;
    AddRomanNumber(*f.ctx, numerals, lines, 5);   // no lines
    EXPECT_EQ(numerals.ubound(), 0);
    for (int i = 1; i <= 15; ++i) {
        ASSERT_TRUE(lines.load(i));
        lines[i]->setEnds(600 * i, 3000, 600 * i + 500, 3000);
    }
    numerals.setHeight(0, 300);
    AddRomanNumber(*f.ctx, numerals, lines, 0);
    EXPECT_EQ(numerals.ubound(), 0);

    AddRomanNumber(*f.ctx, numerals, lines, 5, 30);
    ASSERT_TRUE(numerals.exists(1));
    EXPECT_EQ(numerals.Left(1), 630);
    EXPECT_EQ(numerals.Top(1), 3000 - 300 - 15);
    EXPECT_TRUE(numerals.Visible(1));
    EXPECT_EQ(lessons::getInt(numerals[1], "RomanNumber"), 5);
    AddRomanNumber(*f.ctx, numerals, lines, 9, 30);   // past VII: the template's numeral
    ASSERT_TRUE(numerals.exists(2));
    EXPECT_EQ(numerals.Left(2), 1230);
    EXPECT_EQ(lessons::getInt(numerals[2], "RomanNumber"), lessons::getInt(numerals[0], "RomanNumber"));

    // Group 3 of five lines is lines 11..15: filled one by one, then nothing more.
    for (int n = 1; n <= 6; ++n) AddRomanNumberEx(*f.ctx, numerals, lines, n, 0, 5, 3);
    EXPECT_EQ(numerals.count() - 1, 7);
    for (int k = 3; k <= 7; ++k) {
        EXPECT_EQ(numerals.Left(k), 600 * (k + 8)) << k;
        EXPECT_EQ(lessons::getInt(numerals[k], "RomanNumber"), k - 2);
    }
    AddRomanNumberEx(*f.ctx, numerals, lines, 1, 0, 5, 4);   // group past the last line
    AddRomanNumberEx(*f.ctx, numerals, lines, 1, 0, 0, 1);   // no lines in a group
    EXPECT_EQ(numerals.count() - 1, 7);
}

TEST_F(AnalysisPaletteTest, TimePaletteComposesTheSignature) {
    PaletteWindow* w = qobject_cast<PaletteWindow*>(registry.load("frmTime"));
    ASSERT_NE(w, nullptr);
    auto button = [&](const char* name) { return w->findChild<QAbstractButton*>(QString::fromLatin1(name)); };
    auto* metre = w->findChild<music::Metre*>("Metre1");
    ASSERT_NE(metre, nullptr);
    EXPECT_EQ(metre->upperFigure(), "4");
    EXPECT_EQ(metre->lowerFigure(), "4");

    struct Step {
        const char* button;
        int pulses, noteValue;
        const char* upper;
    };
    const Step steps[] = {
        {"cmdBeat1", 2, 2, "3"}, {"cmdGroup1", 5, 2, "9"},  {"cmdGroup1", 5, 2, "9"}, {"cmdGroup0", 2, 2, "3"},
        {"cmdGroup0", 2, 2, "3"}, {"cmdValue2", 2, 3, "3"}, {"cmdGroup1", 5, 3, "9"}, {"cmdBeat0", 4, 3, "6"},
        {"cmdValue4", 4, 5, "6"}, {"cmdBeat2", 6, 5, "12"},
    };
    for (const Step& s : steps) {
        ASSERT_NE(button(s.button), nullptr) << s.button;
        button(s.button)->click();
        EXPECT_EQ(tools().time().Pulses, s.pulses) << s.button;
        EXPECT_EQ(tools().time().NoteValue, s.noteValue) << s.button;
        EXPECT_EQ(metre->upperFigure(), s.upper) << s.button;
    }
    EXPECT_EQ(metre->lowerFigure(), "32");
    EXPECT_FALSE(tools().time().IsSimple);

    // Unloading forgets the choices: a new window shows 4 over 4, released.
    registry.unload("frmTime");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(tools().time().Pulses, 3);
    EXPECT_EQ(tools().time().NoteValue, 2);
    EXPECT_TRUE(tools().time().IsSimple);
}

TEST_F(AnalysisPaletteTest, TimeToolTogglesOutsideTheTimeLessonAndReleasesSevenPalettes) {
    PaletteWindow* w = qobject_cast<PaletteWindow*>(registry.load("frmTime"));
    auto* metre = w->findChild<music::Metre*>("Metre1");
    ASSERT_NE(metre, nullptr);
    f.state.CurrentLesson = 2;
    const char* released[] = {"frmFloatingAccidentals", "frmIntervals",     "frmFloatingClef", "frmFloatingMisc",
                              "frmFloatingNotes",       "frmFloatingRests", "frmFloatingRoman"};
    for (const char* p : released) tools().setValue(p, 3, 1);
    tools().setValue("frmInversion", 3, 1);
    tools().setValue("frmFloatingCadence", 3, 1);

    QTest::mouseClick(metre, Qt::LeftButton);
    EXPECT_TRUE(tools().time().down);
    EXPECT_EQ(tools().MousePointer(), lessons::kPointerCross);
    EXPECT_EQ(tools().LessonFramePointer(), lessons::kPointerCross);
    for (const char* p : released) EXPECT_FALSE(tools().pressed(p, 3)) << p;
    EXPECT_TRUE(tools().pressed("frmInversion", 3));
    EXPECT_TRUE(tools().pressed("frmFloatingCadence", 3));
    QTest::mouseClick(metre, Qt::LeftButton);
    EXPECT_FALSE(tools().time().down);

    // A tool chosen on the note palette raises it again.
    QTest::mouseClick(metre, Qt::LeftButton);
    EXPECT_TRUE(tools().time().down);
    lessons::beginPaletteClick(f.state, "frmFloatingNotes", false);
    EXPECT_FALSE(tools().time().down);
}

TEST_F(AnalysisPaletteTest, TimeToolPlacesTheCurrentItemsAnswerInTheTimeLesson) {
    PaletteWindow* w = qobject_cast<PaletteWindow*>(registry.load("frmTime"));
    auto* metre = w->findChild<music::Metre*>("Metre1");
    ASSERT_NE(metre, nullptr);
    lessons::ElementArray& metres = f.arrays->tmMeter;
    f.state.CurrentLesson = 6;
    f.state.CurrentItem = 3;
    QTest::mouseClick(metre, Qt::LeftButton);   // no lines yet: nothing placed
    EXPECT_FALSE(metres.exists(11));
    EXPECT_FALSE(tools().time().down);

    itemLines();
    f.arrays->LineBase[3]->setEnds(1000, 2000, 3200, 2000);
    for (int i = 1; i <= 8; ++i) ASSERT_TRUE(metres.load(i));   // the set's key metres
    w->findChild<QAbstractButton*>("cmdBeat1")->click();
    QTest::mouseClick(metre, Qt::LeftButton);
    ASSERT_TRUE(metres.exists(11));
    EXPECT_TRUE(f.flags.get(1, 11));
    EXPECT_EQ(metres.Left(11), 990 + 1000);
    EXPECT_EQ(metres.Top(11), std::floor((2000 - metres.Height(0) - 15) / 15) * 15);
    EXPECT_TRUE(metres.Visible(11));
    EXPECT_EQ(lessons::getInt(metres[11], "Pulses"), 2);
    EXPECT_EQ(lessons::getInt(metres[11], "NoteValue"), 2);
    EXPECT_FALSE(tools().time().down);   // every press is one placing, the tool ends released

    // Another press after changing the beats updates the same element.
    metres.setLeft(11, 2100);
    w->findChild<QAbstractButton*>("cmdGroup1")->click();
    QTest::mouseClick(metre, Qt::LeftButton);
    EXPECT_EQ(metres.Left(11), 2100);
    EXPECT_EQ(lessons::getInt(metres[11], "Pulses"), 5);
    EXPECT_EQ(metres.count() - 1, 9);

    // Twenty metres: no room for another answer.
    f.state.CurrentItem = 4;
    ASSERT_TRUE(metres.load(20));
    QTest::mouseClick(metre, Qt::LeftButton);
    EXPECT_FALSE(metres.exists(12));
}

} // namespace
} // namespace palettes
