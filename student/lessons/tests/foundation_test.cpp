// The lesson engine's foundation: the music arithmetic, the element pool's unloaders and the
// palettes' tool state with its release lists and the lessons' palette set-up.
#include "lessontestsupport.h"

#include "student/lessons/answerpalettes.h"
#include "student/lessons/elementpool.h"
#include "student/lessons/intervalnaming.h"

#include <gtest/gtest.h>

namespace lessons {
namespace {

TEST(MusicMath, KeysBeatsAndBars) {
    // Tonic of every key, and nothing outside -7..7.
    const int tonics[] = {-1, 6, 1, -4, 3, -2, 5, 0, -5, 2, -3, 4, -1, -6, 1};
    for (int k = -7; k <= 7; ++k) EXPECT_EQ(KeyToTonicOffset(k), tonics[k + 7]) << k;
    EXPECT_EQ(KeyToTonicOffset(9), 0);
    EXPECT_EQ(KeyToTonicOffset(-8), 0);

    const struct { int pulses, unit; double bar, beat; qint16 perBar; } metres[] = {
        {3, 2, 4.0, 2048, 4}, {4, 3, 3.0, 3072, 2}, {6, 3, 6.0, 3072, 4}, {5, 4, 2.25, 1536, 3},
        {1, 1, 4.0, 4096, 2}, {2, 2, 3.0, 2048, 3},
        // Beyond a 16-bit product: twelve half notes, four whole notes.
        {6, 1, 24.0, 12288, 4}, {3, 0, 16.0, 8192, 4},
        {0, 2, 0.0, 0, 0}, {7, 2, 0.0, 0, 0}, {3, 5, 0.0, 0, 4},
    };
    for (const auto& m : metres) {
        SCOPED_TRACE(QString("%1/%2").arg(m.pulses).arg(m.unit).toStdString());
        EXPECT_EQ(GetBarLength(m.pulses, m.unit), m.bar);
        EXPECT_EQ(GetBeatTicks(m.pulses, m.unit), m.beat);
        EXPECT_EQ(beatsPerBarForPulses(m.pulses), m.perBar);
    }
    EXPECT_TRUE(IsNonZero(-3));
    EXPECT_FALSE(IsNonZero(0));
}

TEST(MusicMath, KeySignatureAccidentalsAndLetters) {
    fillKeyTables();
    const struct { int step, key, accidental; } cases[] = {
        {7, -1, 2}, {4, 1, 1}, {3, 2, 0}, {1, 2, 1}, {1, 1, 0},   // B flat in F; F sharp in G; C sharp in D
        {4, 7, 1}, {7, 7, 1}, {4, -7, 2}, {4, -6, 0},              // all seven; F flat only with seven
        {4, 8, 0}, {7, -9, 0}, {4, 100, 0},                        // beyond -7..7: none
    };
    for (const auto& c : cases) EXPECT_EQ(KeyAccidentalForStep(c.step, c.key), c.accidental) << c.step << " " << c.key;
    EXPECT_EQ(LetterToStep("C"), 1);
    EXPECT_EQ(LetterToStep("B"), 7);
    EXPECT_EQ(LetterToStep("c"), 0);
    EXPECT_EQ(LetterToStep("CD"), 0);
    EXPECT_EQ(LetterToStep(""), 0);
    // The white keys from the treble staff's bottom line (E = 5 above the reference C = 1).
    const struct { int step, value; } keys[] = {{-3, 0}, {-2, 1}, {-1, 3}, {0, 5}, {1, 6}, {4, 12}, {5, 13},
                                                {-4, -2}, {-7, -7}, {-8, -9}, {20, 39}, {-20, -30}, {21, 0}, {-21, 0}};
    for (const auto& k : keys) EXPECT_EQ(whiteKeyValue(k.step), k.value) << k.step;
}

// The staff editor's step for a note, scripted.
class StepsAt : public StaffSeam {
public:
    qint16 NoteMouseMove(int, double, double, ElementArray&, int& staffIndex) override {
        staffIndex = 1;
        return step;
    }
    QString AdjustNoteToStaff(QObject*, qint16, int) override { return letter; }
    qint16 step = 0;
    QString letter = "E";
};

TEST(MusicMath, EffectiveAccidentalOfAWrittenNote) {
    testing::LessonFixture f;
    ElementArray& notes = f.arrays->NoteSymbol;
    ASSERT_TRUE(notes.load(1));
    QObject* clef = f.arrays->ClefSymbol[0];
    put(clef, "Clef", 0);
    StepsAt steps;
    int staff = 0;
    EXPECT_EQ(GetEffectiveAccidental(steps, 1, notes, clef, staff), 5);   // E, no key
    EXPECT_EQ(staff, 1);
    steps.step = 1;
    steps.letter = "F";
    EXPECT_EQ(GetEffectiveAccidental(steps, 1, notes, clef, staff, 4), 7);   // F sharp in E major
    put(notes[1], "AccidentalName", 5);                                        // its own natural wins
    EXPECT_EQ(GetEffectiveAccidental(steps, 1, notes, clef, staff, 4), 6);
    put(notes[1], "AccidentalName", 3);                                        // double flat
    EXPECT_EQ(GetEffectiveAccidental(steps, 1, notes, clef, staff, 4), 4);
    put(notes[1], "AccidentalName", 0);
    put(clef, "Clef", 1);                                                       // bass: 12 steps down
    steps.step = 0;
    steps.letter = "G";
    EXPECT_EQ(GetEffectiveAccidental(steps, 1, notes, clef, staff), whiteKeyValue(-12));
}

// Hit-testing skips the gaps an eraser leaves, and the lowest 200 twips and the edges miss.
TEST(MusicMath, ControlAtPointSkipsMissingElements) {
    testing::LessonFixture f;
    LabelArray& labels = f.arrays->lblLetter;
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(labels.load(i));
        labels.Move(i, 1000 * i, 500, 800, 600);
    }
    labels.unload(1);
    const struct { qint32 x, y; qint16 index; } points[] = {
        {1500, 700, 0}, {2500, 700, 2}, {2000, 700, 0}, {2799, 899, 2}, {2500, 900, 0}, {3001, 501, 3},
    };
    for (const auto& p : points) EXPECT_EQ(ControlAtPoint(p.x - 100, p.y - 50, 100, 50, labels), p.index) << p.x;
    EXPECT_TRUE(PointInRect(0, 0, 10, 10, 5, 5));
    EXPECT_FALSE(PointInRect(0, 0, 10, 10, 0, 5));
}

TEST(ElementPool, UnloadersFollowTheirFlags) {
    testing::LessonFixture f;
    NotationArrays& a = *f.arrays;
    LoadedFlags& flags = f.flags;
    // Nothing given: columns cleared, nothing unloaded.
    flags.set(3, 5, true);
    flags.set(6, 2, true);
    UnloadControlArrays5(flags, {});
    EXPECT_FALSE(flags.get(3, 5));
    EXPECT_TRUE(flags.get(6, 2));   // the five-column routine leaves columns 6 and 7
    UnloadControlArrays7(flags, {});
    EXPECT_FALSE(flags.any());

    // Flagged elements go, unflagged ones stay; a flag without an element is skipped; the
    // untracked arrays go whole; element 0 always stays.
    for (int i = 1; i <= 4; ++i) ASSERT_TRUE(a.lblLetter.load(i));
    for (int i = 1; i <= 3; ++i) ASSERT_TRUE(a.cmdSpeaker.load(i));
    ASSERT_TRUE(a.ChordRoman.load(2));
    flags.set(1, 1, true);
    flags.set(1, 3, true);
    flags.set(1, 9, true);   // lesson 6 flags answers whose label never came
    flags.set(4, 2, true);
    UnloadLesson(1, a, flags);
    EXPECT_FALSE(a.lblLetter.exists(1));
    EXPECT_TRUE(a.lblLetter.exists(2));
    EXPECT_FALSE(a.lblLetter.exists(3));
    EXPECT_TRUE(a.lblLetter.exists(4));
    EXPECT_EQ(a.cmdSpeaker.ubound(), 0);
    EXPECT_TRUE(a.cmdSpeaker.exists(0));
    // Roman numerals are unloaded by their column in every lesson.
    EXPECT_FALSE(a.ChordRoman.exists(2));
    EXPECT_FALSE(flags.any());

    // The staff lessons: seven columns, Roman numerals at position 4.
    const UnloaderCall call = unloaderCall(2, a);
    EXPECT_EQ(call.tracked, 7);
    ASSERT_EQ(call.args.size(), 13u);
    for (const ArrayArg& arg : call.args) EXPECT_TRUE(arg.given());
    EXPECT_EQ(unloaderCall(5, a).args.size(), 10u);
    EXPECT_FALSE(unloaderCall(5, a).args[1].given());
    EXPECT_EQ(unloaderCall(0, a).tracked, 0);
}

TEST(ToolState, PaletteClicksReleaseByTheirLists) {
    ExerciseState s;
    ToolState& t = s.tools;
    // Notes "Quarter" down, then a click on the rests palette's "Half".
    t.setValue("frmFloatingNotes", 5, 1);
    t.setValue("frmFloatingCadence", 2, 1);
    s.SetMouseDown(true);
    beginPaletteClick(s, "frmFloatingRests", false);
    t.setValue("frmFloatingRests", 4, 1);
    endPaletteClick(s, "frmFloatingRests");
    EXPECT_FALSE(t.pressed("frmFloatingNotes", 5));
    EXPECT_TRUE(t.pressed("frmFloatingRests", 4));
    EXPECT_TRUE(t.pressed("frmFloatingCadence", 2));   // no click releases the cadences
    EXPECT_FALSE(s.MouseDownFlag);

    // The clef click keeps the drag flag; the interval click leaves its own palette and the
    // time tool; the notes click raises the time tool.
    s.SetMouseDown(true);
    beginPaletteClick(s, "frmFloatingClef", false);
    endPaletteClick(s, "frmFloatingClef");
    EXPECT_TRUE(s.MouseDownFlag);
    t.setTime({true, 3, 2});
    t.setValue("frmIntervals", 1, 1);
    beginPaletteClick(s, "frmIntervals", true);
    EXPECT_TRUE(t.pressed("frmIntervals", 1));
    EXPECT_TRUE(t.time().down);
    beginPaletteClick(s, "frmFloatingNotes", false);
    EXPECT_FALSE(t.pressed("frmIntervals", 1));
    EXPECT_FALSE(t.time().down);

    // Every rule's list as the palettes' handlers give it.
    const QStringList kAll = {"frmFloatingAccidentals", "frmIntervals", "frmFloatingClef", "frmFloatingMisc",
                              "frmFloatingNotes", "frmFloatingRests", "frmFloatingRoman", "frmInversion"};
    for (const ClickRule& r : clickRules()) {
        QStringList released;
        for (const char* p : r.released) released << p;
        EXPECT_FALSE(released.contains("frmFloatingCadence")) << r.palette;
        EXPECT_EQ(released.contains("frmIntervals"),
                  QStringList({"frmFloatingNotes", "frmFloatingAccidentals", "frmFloatingClef", "frmInversion",
                               "frmFloatingCadence"})
                      .contains(r.palette))
            << r.palette;
        EXPECT_EQ(released.contains("frmInversion"), QString(r.palette) != "frmInversion") << r.palette;
        for (const QString& p : released) EXPECT_TRUE(kAll.contains(p)) << r.palette;
    }
}

TEST(ToolState, EraserPointerAndDesignReset) {
    ExerciseState s;
    ToolState& t = s.tools;
    int notified = 0;
    const int id = t.subscribe([&] { ++notified; });
    toggleEraser(s, "frmIntervals");
    EXPECT_EQ(t.MousePointer(), kPointerEraser);
    EXPECT_TRUE(t.pressed("frmIntervals", 1));
    toggleEraser(s, "frmIntervals");
    EXPECT_EQ(t.MousePointer(), kPointerDefault);
    EXPECT_FALSE(t.pressed("frmIntervals", 1));
    t.setMousePointer(kPointerCross);
    toggleEraser(s, "frmIntervals");   // the cross-hair arms it too
    EXPECT_EQ(t.MousePointer(), kPointerEraser);
    EXPECT_GT(notified, 0);
    t.unsubscribe(id);

    // Closing a window forgets the lesson's set-up but not the builder's own states.
    t.setVisible("frmFloatingCadence", 3, false);
    t.setWindowWidth("frmFloatingCadence", 4000);
    t.setLessonEnabled("frmFloatingCadence", 2, false);
    t.setValue("frmFloatingCadence", 1, 1);
    EXPECT_FALSE(t.Enabled("frmFloatingCadence", 2));
    t.resetDesign("frmFloatingCadence");
    EXPECT_TRUE(t.Visible("frmFloatingCadence", 3));
    EXPECT_FALSE(t.windowWidth("frmFloatingCadence"));
    EXPECT_FALSE(t.pressed("frmFloatingCadence", 1));
    EXPECT_FALSE(t.Enabled("frmFloatingCadence", 2));
    EXPECT_TRUE(t.Enabled("frmFloatingCadence", 3));
    // Unknown palettes and buttons read released.
    EXPECT_EQ(t.Value("frmNothing", 1), 0);
    EXPECT_EQ(t.Value("frmIntervals", 22), 0);
}

TEST(AnswerPalettes, EachLessonFitsItsPalettes) {
    testing::LessonFixture f;
    ToolState& t = f.state.tools;
    t.setWindowPlace("frmFloatingNotes", 300, 7000);
    t.setWindowPlace("frmTime", 200, 6000);
    f.state.CurrentLesson = 1;
    SetupAnswerPalettes(*f.ctx);
    EXPECT_FALSE(t.Enabled("frmIntervals", 5));
    EXPECT_FALSE(t.Enabled("frmIntervals", 6));
    EXPECT_FALSE(t.Visible("frmIntervals", 20));
    EXPECT_TRUE(t.Visible("frmIntervals", 21));
    EXPECT_EQ(t.windowWidth("frmIntervals"), 10000);

    for (int lesson : {5, 6}) {
        f.state.CurrentLesson = qint16(lesson);
        SetupAnswerPalettes(*f.ctx);
        EXPECT_TRUE(t.Visible("frmFloatingNotes", 1)) << lesson;   // only the eraser is left
        for (int b = 2; b <= 16; ++b) EXPECT_FALSE(t.Visible("frmFloatingNotes", b)) << b;
        EXPECT_EQ(t.windowWidth("frmFloatingNotes"), 700);
    }
    EXPECT_EQ(t.windowLeft("frmTime"), 4700);
    EXPECT_EQ(t.windowTop("frmTime"), 7000);

    f.state.CurrentLesson = 2;
    SetupAnswerPalettes(*f.ctx);
    EXPECT_EQ(t.windowTop("frmFloatingMisc"), 7000);
    EXPECT_EQ(t.windowTop("frmFloatingRests"), 7000);
    EXPECT_FALSE(t.Enabled("frmFloatingMisc", 12));
    EXPECT_FALSE(t.Visible("frmFloatingMisc", 13));
    EXPECT_TRUE(t.Visible("frmFloatingMisc", 14));
}

TEST(IntervalNaming, PrefixesAndDirectionWords) {
    const struct { int style, quality; const char* caption; const char* out; } cases[] = {
        {3, 5, "5", "per 5"},   {1, 3, "4", "\u00B04"},      {2, 4, "6", "A6"},      {2, 1, "Tri-Tone", "Me"},
        {3, 2, "", "min "},     {0, 7, "3", "Tri-Tone"},     {4, 7, "3", "Tri-Tone"}, {3, 6, "maj 3", "maj 3"},
        {3, 2, "maj 3", "min 3"}, {3, 0, "dim 7", "7"},     {5, 1, "3", "3"},       {3, -1, "3", "3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ModifyInterval(c.style, c.quality, QString::fromUtf8(c.caption)), QString::fromUtf8(c.out))
            << c.style << " " << c.quality << " " << c.caption;
    EXPECT_EQ(GetDirectionWord(2, "maj 3"), "maj 3 below");
    EXPECT_EQ(GetDirectionWord(3, "maj 3"), "maj 3");
}

} // namespace
} // namespace lessons
