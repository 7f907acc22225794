// The palette framework (windows over the tool state, the View toggles, the close box) and the
// interval palette with its labels.
#include "lessontestsupport.h"

#include "student/lessons/itemscorers.h"
#include "student/palettes/intervallabels.h"
#include "student/palettes/paletteregistry.h"
#include "student/palettes/palettespecs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QToolButton>
#include <gtest/gtest.h>

namespace palettes {
namespace {

using lessons::testing::LessonFixture;

class PaletteTest : public ::testing::Test {
protected:
    PaletteTest() {
        registry.setContext(f.ctx.get());
        for (const PaletteSpec& s : allPaletteSpecs()) registry.add(s);
        // The registry stands in for the fixture's window-less host.
        ctx = std::make_unique<lessons::LessonContext>(*f.ctx);
    }
    // Item lesson with eight answer lines, as the interval builder lays them out.
    void lessonWithLines(int lesson) {
        f.state.CurrentLesson = qint16(lesson);
        f.state.CurrentItem = 1;
        for (int i = 1; i <= 8; ++i) {
            ASSERT_TRUE(f.arrays->LineBase.load(i));
            const int c = (i - 1) % 4, r = (i - 1) / 4;
            f.arrays->LineBase[i]->setEnds(3000 * c + 800, 1000 * r + 1600, 3000 * c + 3000, 1000 * r + 1600);
        }
    }
    // Clicks on the interval palette by key.
    void click(std::initializer_list<const char*> keys) {
        for (const char* k : keys) intervalsPalette().click(*f.ctx, QString::fromLatin1(k));
    }
    QString caption(int item) const {
        QLabel* l = f.arrays->lblLetter[item];
        return l ? l->text() : QStringLiteral("<none>");
    }

    LessonFixture f;
    PaletteRegistry registry{&f.window.widget, [this] { ++setups; }};
    std::unique_ptr<lessons::LessonContext> ctx;
    int setups = 0;
};

TEST_F(PaletteTest, IntervalLabelsFromClickSequences) {
    lessonWithLines(1);
    const struct { int style; std::vector<const char*> keys; const char* caption; } cases[] = {
        {3, {"3rd", "Plus", "above"}, "maj 3 above"},
        {3, {"3rd", "Plus", "above", "Minus"}, "min 3 above"},
        {3, {"Plus"}, "maj  "},
        {2, {"5th", "Perfect", "below"}, "P5 below"},
        {1, {"3rd", "Dim", "above"}, "\u00B03 above"},
        {3, {"Tritone", "below"}, "Tri-Tone below"},
        {3, {"Tritone", "5th"}, "Tri-Tone"},
        {3, {"above", "8ve", "Perfect"}, "per 8 above"},
        {3, {"Unis", "Perfect"}, "per U"},
        {3, {"6th", "dom7"}, "6"},
        {3, {"Eraser"}, "<none>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        // A new set: no labels yet.
        f.arrays->lblLetter.clear();
        f.flags.clear();
        f.session.IntervalStyle = c.style;
        f.state.CurrentItem = 3;
        for (const char* k : c.keys) click({k});
        EXPECT_EQ(caption(f.state.CurrentItem), QString::fromUtf8(c.caption));
        EXPECT_EQ(f.flags.get(1, f.state.CurrentItem), caption(f.state.CurrentItem) != "<none>");
        if (f.state.tools.MousePointer() == lessons::kPointerEraser) click({"Eraser"});
    }
    // The label stands 15 twips above its line, 2200 wide, in front.
    f.state.CurrentItem = 6;
    click({"4th"});
    const lessons::LabelArray& l = f.arrays->lblLetter;
    EXPECT_EQ(l.Left(6), 3800);
    EXPECT_EQ(l.Top(6), 2600 - l.Height(0) - 15);
    EXPECT_EQ(l.Width(6), 2200);
    EXPECT_TRUE(l.Visible(6));
}

// A quality given to one item never fills in another's size (the palette keeps what it was
// given per item).
TEST_F(PaletteTest, ChordLabelsKeepTheirPartsPerItem) {
    lessonWithLines(3);
    f.session.IntervalStyle = 3;
    click({"7th", "dom7"});
    EXPECT_EQ(caption(1), "dom7");
    click({"Minus"});
    EXPECT_EQ(caption(1), "min 7");
    click({"Plus"});
    EXPECT_EQ(caption(1), "maj 7");
    click({"above"});   // no direction in the chord lesson
    EXPECT_EQ(caption(1), "maj 7");

    f.state.CurrentItem = 2;
    click({"Minus"});
    EXPECT_EQ(caption(2), "min  ");
    f.state.CurrentItem = 1;
    click({"Dim"});
    EXPECT_EQ(caption(1), "dim 7");
    f.state.CurrentItem = 2;
    click({"3rd"});
    EXPECT_EQ(caption(2), "min 3");
    f.session.IntervalStyle = 1;
    click({"Dim"});
    EXPECT_EQ(caption(2), "\u00B03");
}

// Whatever the naming style, the answer the palette builds for each chord quality is marked
// right, the sevenths ("M7", "-7", "dim 7" ...) as well as the triads.
TEST_F(PaletteTest, ChordAnswersBuiltOnThePaletteAreMarkedRight) {
    lessonWithLines(3);
    const struct { int kind; std::vector<const char*> keys; const char* captions[4]; } answers[] = {
        {1, {"Plus"}, {"", "+ ", "M ", "maj  "}},
        {2, {"Minus"}, {"", "- ", "m ", "min  "}},
        {3, {"Dim"}, {"", "\u00B0 ", "d ", "dim  "}},
        {5, {"dom7"}, {"", "dom7", "dom7", "dom7"}},
        {6, {"7th", "Dim"}, {"", "\u00B07", "d7", "dim 7"}},
        {7, {"7th", "Plus"}, {"", "+7", "M7", "maj 7"}},
        {8, {"7th", "Minus"}, {"", "-7", "m7", "min 7"}},
        {7, {"Plus", "7th"}, {"", "+7", "M7", "maj 7"}},
    };
    for (int style = 1; style <= 3; ++style) {
        SCOPED_TRACE(style);
        f.arrays->lblLetter.clear();
        f.flags.clear();
        f.state.IntervalLabelParts = {};
        f.session.IntervalStyle = style;
        for (int i = 1; i <= 8; ++i) {
            const auto& a = answers[i - 1];
            f.state.CurrentItem = qint16(i);
            f.state.items.ItemChordKind[size_t(i)] = qint16(a.kind);
            for (const char* k : a.keys) click({k});
            EXPECT_EQ(caption(i), QString::fromUtf8(a.captions[style])) << i;
        }
        f.state.ExerciseScore = 0;
        lessons::ScoreChords(*f.ctx);
        EXPECT_EQ(f.state.ExerciseScore, 100);
        for (int i = 1; i <= 8; ++i)
            EXPECT_EQ(lessons::labelBackColor(f.arrays->lblLetter[i]), lessons::kRightLabel) << i;
        // A seventh's answer names neither its triad nor another seventh.
        for (const auto& [item, kind] : {std::pair{5, 3}, {6, 1}, {7, 7}, {8, 8}})
            f.state.items.ItemChordKind[size_t(item)] = qint16(kind);
        f.state.ExerciseScore = 0;
        lessons::ScoreChords(*f.ctx);
        EXPECT_EQ(f.state.ExerciseScore, 4 * 12.5);
    }
}

TEST_F(PaletteTest, LabelsStopAtTheirCapacityAndWithoutLines) {
    f.state.CurrentLesson = 1;
    click({"3rd"});   // no lines yet
    EXPECT_EQ(f.arrays->lblLetter.ubound(), 0);
    lessonWithLines(1);
    ASSERT_TRUE(f.arrays->lblLetter.load(20));
    click({"3rd"});
    EXPECT_FALSE(f.arrays->lblLetter.exists(1));
    f.arrays->lblLetter.unload(20);

    // The two labelling operations no control uses: first free line, their own column.
    f.session.IntervalStyle = 2;
    AddIntervalNumber(*f.ctx, f.arrays->lblLetter, f.arrays->LineBase, 3);
    AddIntervalNumber(*f.ctx, f.arrays->lblLetter, f.arrays->LineBase, 9);
    EXPECT_EQ(caption(1), "3");
    EXPECT_EQ(f.arrays->lblLetter.Left(2), 3800);
    EXPECT_EQ(caption(2), f.arrays->lblLetter[0]->text());
    f.arrays->lblLetter.clear();
    f.flags.clear();
    AddChordQualityLabel(*f.ctx, f.arrays->lblLetter, f.arrays->LineBase, 2);
    EXPECT_TRUE(f.flags.get(3, 1));
    EXPECT_EQ(caption(1), "m");
    EXPECT_EQ(f.arrays->lblLetter.Left(1), 1100);
}

TEST_F(PaletteTest, EraserArmsAndQualityButtonsNeverStayDown) {
    lessonWithLines(1);
    f.state.tools.setValue("frmFloatingNotes", 5, 1);
    click({"Eraser"});
    EXPECT_EQ(f.state.tools.MousePointer(), lessons::kPointerEraser);
    EXPECT_TRUE(f.state.tools.pressed("frmIntervals", 1));
    EXPECT_FALSE(f.state.tools.pressed("frmFloatingNotes", 5));
    // With the eraser armed a quality resets the pointer and leaves the eraser button down.
    click({"Plus"});
    EXPECT_EQ(f.state.tools.MousePointer(), lessons::kPointerDefault);
    EXPECT_TRUE(f.state.tools.pressed("frmIntervals", 1));
    for (int b = 3; b <= 21; ++b) EXPECT_FALSE(f.state.tools.pressed("frmIntervals", b)) << b;
    // In another lesson the clicks write nothing.
    f.state.CurrentLesson = 2;
    f.state.CurrentItem = 3;
    click({"3rd"});
    EXPECT_FALSE(f.arrays->lblLetter.exists(3));
}

TEST_F(PaletteTest, WindowShowsTheToolStateAndTheCloseBoxUnloadsIt) {
    f.state.CurrentLesson = 1;
    f.session.IntervalStyle = 1;
    registry.toggle("mnuViewIntervals");
    EXPECT_EQ(setups, 1);
    EXPECT_TRUE(f.window.checks["mnuViewIntervals"]);
    PaletteWindow* w = registry.palette("frmIntervals");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "Intervals");
    EXPECT_TRUE(w->windowFlags() & Qt::Tool);
    EXPECT_EQ(w->parentWidget(), &f.window.widget);
    EXPECT_EQ(f.state.tools.Image("frmIntervals", 3), 10);   // the load applies the style

    // The lesson's set-up shows: a hidden button takes no room, a disabled one is greyed.
    f.state.tools.setVisible("frmIntervals", 20, false);
    f.state.tools.setEnabled("frmIntervals", 5, false);
    EXPECT_FALSE(w->button(20)->isVisibleTo(w));
    EXPECT_FALSE(w->button(5)->isEnabled());
    EXPECT_EQ(w->button(2), nullptr);   // a separator
    w->clickButton(1);
    EXPECT_TRUE(w->button(1)->isChecked());
    EXPECT_EQ(f.state.tools.MousePointer(), lessons::kPointerEraser);
    w->clickButton(5);   // disabled: nothing
    EXPECT_EQ(f.state.tools.MousePointer(), lessons::kPointerEraser);

    // The close box unchecks the View item and unloads: the set-up is forgotten.
    QCloseEvent close;
    QApplication::sendEvent(w, &close);
    EXPECT_FALSE(f.window.checks["mnuViewIntervals"]);
    EXPECT_FALSE(registry.isVisible("frmIntervals"));
    EXPECT_EQ(registry.window("frmIntervals"), nullptr);
    EXPECT_TRUE(f.state.tools.Visible("frmIntervals", 20));
    EXPECT_FALSE(f.state.tools.pressed("frmIntervals", 1));

    // The toggle: checked item only unchecks; the next shows again.
    registry.toggle("mnuViewIntervals");
    EXPECT_TRUE(registry.isVisible("frmIntervals"));
    registry.toggle("mnuViewIntervals");
    EXPECT_FALSE(registry.isVisible("frmIntervals"));
    EXPECT_FALSE(f.window.checks["mnuViewIntervals"]);
    // A window that is not built: the item follows the clicks all the same.
    PaletteRegistry bare(&f.window.widget, [] {});
    bare.setContext(f.ctx.get());
    bare.toggle("mnuViewTime");
    EXPECT_TRUE(f.window.checks["mnuViewTime"]);
    EXPECT_FALSE(bare.isVisible("frmTime"));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(PaletteTest, TheCloseBoxUnloadsAndClearsTheViewItemButTheTimePalettes) {
    const struct { const char* window; const char* item; bool staysChecked; } cases[] = {
        {"frmFloatingNotes", "mnuViewNoteSymbols", false}, {"frmFloatingAccidentals", "mnuViewAccidentals", false},
        {"frmFloatingCadence", "mnuViewCadence", false},   {"frmIntervals", "mnuViewIntervals", false},
        {"frmInversion", "mnuInversion", false},           {"frmFloatingRests", "mnuViewRests", false},
        {"frmFloatingMisc", "mnuViewMisc", false},         {"frmTime", "mnuViewTime", true},
    };
    f.state.CurrentLesson = 6;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.window);
        registry.toggle(c.item);
        QWidget* w = registry.window(c.window);
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(w->isVisible());
        QCloseEvent close;
        QApplication::sendEvent(w, &close);
        EXPECT_EQ(registry.window(c.window), nullptr);
        EXPECT_EQ(f.window.checks[c.item], c.staysChecked);
        // A checked item's next click only removes the check; the one after shows the window.
        if (c.staysChecked) {
            registry.toggle(c.item);
            EXPECT_FALSE(f.window.checks[c.item]);
            EXPECT_FALSE(registry.isVisible(c.window));
            registry.toggle(c.item);
            EXPECT_TRUE(registry.isVisible(c.window));
            registry.unload(c.window);
        }
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
} // namespace palettes
