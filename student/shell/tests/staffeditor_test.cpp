// The staff editor's operations called as the palettes, the captures and the lessons call
// them, on the melody lesson's staff, with exact twips.
#include "editorfixture.h"

#include "common/basic.h"
#include "music/note/note.h"
#include "student/palettes/beaming.h"
#include "student/staff/notationcalls.h"
#include "student/palettes/wholenote.h"

using namespace editortest;

namespace {
constexpr double kRef = 495;  // a note's top with its head on the bottom line
constexpr double kBottomLine = 1050;
} // namespace

class StaffEditor : public EditorTest {
protected:
    // Writes a note of value `button` (3 whole .. 8 thirty-second) on staff `s` at `x`
    // twips from the staff's left, `steps` above the bottom line, as a click does.
    int write(int s, double x, int steps, int button = 5) {
        tool("frmFloatingNotes", button);
        a().NoteSymbol.setLeft(0, a().StaffLines.Left(s) + x - 330);
        editor().AddSymbolToStaff(qint16(s), qint32(kBottomLine - 75 * steps), 50, 0, -160, 27, -495, 980, true,
                                  {}, 0);
        return lastNote();
    }
    int lastNote() {
        const auto n = notes();
        return n.empty() ? 0 : n.back();
    }
    int offset(int n) { return getInt(a().NoteSymbol[n], "RhythmicOffset"); }
    quint32 colour(QObject* o) { return music::dispGet(o, "ForeColor").toUInt(); }
    template <class Arr>
    int loadedCount(Arr& arr) {
        int c = 0;
        for (int i = 1; i <= arr.ubound(); ++i) c += arr.exists(i) ? 1 : 0;
        return c;
    }
    void select(std::initializer_list<int> ns) {
        for (int n : ns) put(a().NoteSymbol[n], "ForeColor", staffedit::kSelected);
    }
};

TEST_F(StaffEditor, KeySignatureAndTimeSignaturePositions) {
    tool("frmFloatingAccidentals", 3);  // "Sharp"
    const double left2 = a().StaffLines.Left(2);
    for (int k = 0; k < 8; ++k) editor().AddSymbolToStaff(2, 450, 50, 0, -160, 27, -495, 980, true, {}, 0);
    ASSERT_EQ(loadedCount(a().KeySign), 7);  // the eighth is refused
    EXPECT_EQ(a().KeySign.Left(1), left2 + 15);
    EXPECT_EQ(a().KeySign.Left(7), left2 + 795);
    EXPECT_EQ(getInt(a().KeySign[7], "RhythmicOffset"), 6);
    EXPECT_EQ(getInt(a().KeySign[1], "AccidentalSign"), 1);
    EXPECT_EQ(a().KeySign.Top(1), a().StaffLines.Top(2) + 450 - 290);
    // The time signature of the staff moved after the seven sharps.
    EXPECT_EQ(a().tmMeter.Left(1), left2 + 130 * 7 + 160);
    // A staff without key signatures (flag 2) takes none.
    editor().AddSymbolToStaff(3, 450, 50, 0, -160, 17, -495, 980, true, {}, 0);
    EXPECT_EQ(loadedCount(a().KeySign), 7);
}

TEST_F(StaffEditor, ClefsRestsAndATimeSignatureOfTheirOwn) {
    tool("frmFloatingClef", 2);  // "Bass"
    editor().AddClefToStaff(3, 340, a().StaffLines, a().ClefSymbol);
    const int c = a().ClefSymbol.ubound();
    ASSERT_GT(c, 1);
    EXPECT_EQ(getInt(a().ClefSymbol[c], "Clef"), 1);
    EXPECT_EQ(a().ClefSymbol.Left(c), a().StaffLines.Left(3) + 60);
    EXPECT_EQ(a().ClefSymbol.Top(c), a().StaffLines.Top(3) + 300 - 720);
    editor().AddClefToStaff(3, 340, a().StaffLines, a().ClefSymbol);  // one per staff
    EXPECT_EQ(loadedCount(a().ClefSymbol), 2);
    tools().releaseAll("frmFloatingClef");
    editor().AddClefToStaff(2, 340, a().StaffLines, a().ClefSymbol);
    EXPECT_EQ(getInt(a().ClefSymbol[a().ClefSymbol.ubound()], "Clef"), 2);  // no button: C clef

    tool("frmFloatingRests", 3);  // whole rest
    const int whole = editor().AddRestToStaff(3, a().StaffLines, a().NoteSymbol, 50, -160, 0, {}, 980);
    tool("frmFloatingRests", 5);
    const int quarter = editor().AddRestToStaff(3, a().StaffLines, a().NoteSymbol, 50, -160, 0, {}, 980);
    ASSERT_GT(whole, 0);
    EXPECT_EQ(a().NoteSymbol.Top(quarter) - a().NoteSymbol.Top(whole), 95);
    EXPECT_NE(getInt(a().NoteSymbol[whole], "Rest"), 0);
    EXPECT_EQ(offset(quarter), 8192 + 2048);
    EXPECT_EQ(a().NoteSymbol.Left(quarter), a().StaffLines.Left(3) - 160 + 4 * 980);

    ctx().state.tools.setTime({true, 4, 3});
    pal().show("frmTime");
    editor().AddMetreToStaff(3, 0, a().StaffLines, a().tmMeter, a().KeySign);
    const int m = a().tmMeter.ubound();
    EXPECT_EQ(a().tmMeter.Tag(m), "3");
    EXPECT_EQ(a().tmMeter.Left(m), a().StaffLines.Left(3) + 160);
    EXPECT_EQ(a().tmMeter.Top(m), a().StaffLines.Top(3) + 350);
}

// The dot tool on what the palettes write: each dot inside its note, the lessons' 550 twips
// kept where one fits (a quarter, the rests up to the 32nd, whose dot clears its stem) and
// widened where it does not (a whole note's dot clears its wider head); the note stays put.
TEST_F(StaffEditor, ADotNeverStandsOutsideItsNote) {
    struct Case { const char* palette; int button; bool widened; };
    const Case cases[] = {
        {"frmFloatingNotes", 5, false}, {"frmFloatingNotes", 3, true},
        {"frmFloatingRests", 5, false}, {"frmFloatingRests", 8, false},
    };
    double x = 600;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        const bool note = QString(c.palette) == "frmFloatingNotes";
        int n = 0;
        if (note) {
            n = write(2, x, 2, c.button);
        } else {
            tool(c.palette, c.button);
            n = editor().AddRestToStaff(3, a().StaffLines, a().NoteSymbol, 50, -160, 0, {}, 980);
        }
        ASSERT_GT(n, 0);
        x += 600;
        const double left = a().NoteSymbol.Left(n), top = a().NoteSymbol.Top(n);
        EXPECT_EQ(a().NoteSymbol.Width(n), 550);
        tool(c.palette, note ? 13 : 11);
        editor().EditNoteSymbol(qint16(n), 100, 100, a().StaffLines, a().NoteSymbol);
        auto* control = qobject_cast<music::Note*>(a().NoteSymbol[n]);
        ASSERT_TRUE(control);
        ASSERT_EQ(control->DotsNumberOf(), 1);
        EXPECT_LE(control->dotsRight(), control->width());
        EXPECT_EQ(a().NoteSymbol.Width(n) > 550, c.widened);
        EXPECT_EQ(a().NoteSymbol.Left(n), left);
        EXPECT_EQ(a().NoteSymbol.Top(n), top);
    }
}

TEST_F(StaffEditor, RomanNumeralsReadTheRomanPaletteOnlyWhileItIsOpen) {
    const int n = write(2, 1500, 2);
    const int templateNumber = getInt(a().ChordRoman[0], "RomanNumber");
    ASSERT_NE(templateNumber, 5);
    tool("frmFloatingRoman", 7);  // "V"
    ASSERT_TRUE(tools().pressed("frmFloatingRoman", 7));
    editor().AddRomanNumeralToStaff(2, a().StaffLines, n, a().ChordRoman, 2);
    const int r = a().ChordRoman.ubound();
    ASSERT_GT(r, 0);
    EXPECT_EQ(getInt(a().ChordRoman[r], "RomanNumber"), 5);
    EXPECT_EQ(a().ChordRoman.Left(r), a().NoteSymbol.Left(n) + 140);
    EXPECT_EQ(a().ChordRoman.Tag(r), "2");
    EXPECT_TRUE(a().ChordRoman.Visible(r));
    // Closed, the palette's pressed button is not read: the numeral keeps the template's.
    pal().window("frmFloatingRoman")->hide();
    editor().AddRomanNumeralToStaff(2, a().StaffLines, n, a().ChordRoman, 2);
    const int r2 = a().ChordRoman.ubound();
    ASSERT_GT(r2, r);
    EXPECT_EQ(getInt(a().ChordRoman[r2], "RomanNumber"), templateNumber);
    // The staff's limit (two here) refuses a third.
    editor().AddRomanNumeralToStaff(2, a().StaffLines, n, a().ChordRoman, 2);
    EXPECT_EQ(a().ChordRoman.ubound(), r2);
}

TEST_F(StaffEditor, NotesByDurationWithoutATemplate) {
    tool("frmFloatingNotes", 6);
    auto add = [&] {
        return editor().AddNoteToStaff(3, float(kBottomLine), a().StaffLines, a().NoteSymbol, 50, -160, 0, {}, 980,
                                       {}, true);
    };
    add();
    add();
    tool("frmFloatingNotes", 5);
    const int q = add();
    EXPECT_EQ(a().NoteSymbol.Left(q), a().StaffLines.Left(3) + 820);
    EXPECT_EQ(offset(q), 4096);
    tool("frmFloatingNotes", 4);
    const int h1 = add();
    const int h2 = add();
    EXPECT_EQ(a().NoteSymbol.Left(h2) - a().NoteSymbol.Left(h1), 1960 - 768);
    // A click 40 twips below a step stays on the step above.
    const int low = editor().AddNoteToStaff(3, float(kBottomLine + 40), a().StaffLines, a().NoteSymbol, 50, -160, 0);
    EXPECT_EQ(a().NoteSymbol.Top(low), a().StaffLines.Top(3) + kBottomLine - 215 - 810);
}

TEST_F(StaffEditor, AFullStaffAndStrayIndexesAddNothing) {
    for (int i = 0; i < 50; ++i) ASSERT_GT(write(3, 100 + 20 * i, 0), 0) << i;
    const int before = int(notes().size());
    const double templateTop = a().NoteSymbol.Top(0);
    const int templateStem = getInt(a().NoteSymbol[0], "StemDirection");
    a().NoteSymbol.setLeft(0, 2000);
    editor().AddSymbolToStaff(3, 1500, 50, 0, -160, 17, -495, 980, true, {}, 0);  // the fifty-first
    EXPECT_EQ(int(notes().size()), before);
    // A refused note leaves the template where it was: later notes keep their own stems.
    EXPECT_EQ(a().NoteSymbol.Top(0), templateTop);
    EXPECT_EQ(getInt(a().NoteSymbol[0], "StemDirection"), templateStem);
    EXPECT_EQ(a().NoteSymbol.Left(0), 2000);

    // Staff 0 is the template and staff 9 is not loaded: nothing is written on either.
    for (int s : {0, 9}) {
        editor().AddSymbolToStaff(qint16(s), 1000, 50, 0, -160, 17, -495, 980, true, {}, 0);
        editor().AddSlur(-1, qint16(s), a().StaffLines, notes().front(), a().PhraseMark, 10);
    }
    EXPECT_EQ(int(notes().size()), before);
    EXPECT_EQ(loadedCount(a().PhraseMark), 0);
    // An index that someone loaded without marking it is not loaded again.
    ASSERT_TRUE(a().PhraseMark.load(1));
    editor().AddSlur(-1, 3, a().StaffLines, notes().front(), a().PhraseMark, 10);
    EXPECT_FALSE(ctx().LoadedFlags.get(7, 1));
    EXPECT_EQ(loadedCount(a().PhraseMark), 1);
}

TEST_F(StaffEditor, OffsetsFollowEveryChangeOfDuration) {
    const int first = write(2, 600, 0);
    const int third = write(2, 1800, 0);
    const int second = write(2, 1200, 0, 6);  // an eighth written between
    EXPECT_EQ(offset(first), 2048);
    EXPECT_EQ(offset(second), 3072);
    EXPECT_EQ(offset(third), 5120);
    // The first note becomes a half: the later ones end a quarter later.
    tool("frmFloatingNotes", 4);
    editor().EditNoteSymbol(qint16(first), 100, 100, a().StaffLines, a().NoteSymbol);
    EXPECT_EQ(offset(first), 4096);
    EXPECT_EQ(offset(second), 5120);
    EXPECT_EQ(offset(third), 7168);
    // A dot on the eighth lengthens it by a sixteenth; a second dot changes nothing.
    tool("frmFloatingNotes", 13);
    for (int i = 0; i < 2; ++i) editor().EditNoteSymbol(qint16(second), 100, 100, a().StaffLines, a().NoteSymbol);
    EXPECT_EQ(getInt(a().NoteSymbol[second], "DotsNumberOf"), 1);
    EXPECT_EQ(offset(second), 5632);
    EXPECT_EQ(offset(third), 7680);
    // Erasing the half moves both back.
    tool("frmFloatingNotes", 1);
    editor().EraseSymbol(qint16(first), a().NoteSymbol, 2);
    QApplication::processEvents();
    EXPECT_EQ(offset(second), 1536);
    EXPECT_EQ(offset(third), 3584);
}

TEST_F(StaffEditor, EditToolsInTheirOrder) {
    const int n = write(2, 600, 0);
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, int>> pressed;
        const char* property;
        int value;
    };
    const Case cases[] = {
        {"sharp before flat", {{"frmFloatingAccidentals", 3}, {"frmFloatingAccidentals", 4}}, "AccidentalName", 1},
        {"double flat before natural", {{"frmFloatingAccidentals", 5}, {"frmFloatingAccidentals", 7}}, "AccidentalName", 3},
        {"natural sharp", {{"frmFloatingAccidentals", 8}}, "AccidentalName", 6},
        {"stem down", {{"frmFloatingNotes", 16}}, "StemDirection", 0},
        {"stem up", {{"frmFloatingNotes", 15}}, "StemDirection", -1},
        {"slur tool: no change", {{"frmFloatingMisc", 7}, {"frmFloatingNotes", 6}}, "Note", 2},
        {"sixty-fourth: value kept", {{"frmFloatingNotes", 9}}, "Note", 2},
        {"eighth", {{"frmFloatingNotes", 6}}, "Note", 3},
    };
    pal().show("frmFloatingNotes");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* p : {"frmFloatingAccidentals", "frmFloatingNotes", "frmFloatingMisc", "frmFloatingRests"})
            tools().releaseAll(p);
        for (auto [p, b] : c.pressed) tools().setValue(p, b, 1);
        ctx().state.MouseDownFlag = false;
        editor().EditNoteSymbol(qint16(n), 100, 100, a().StaffLines, a().NoteSymbol);
        EXPECT_EQ(getInt(a().NoteSymbol[n], c.property), c.value);
    }
    // A value change starts a drag from the click; the slur tool started none.
    EXPECT_TRUE(ctx().state.MouseDownFlag);
    EXPECT_EQ(ctx().state.DragX, 100);
    // With the notes and accidentals palettes closed nothing changes.
    pal().unload("frmFloatingNotes");
    pal().unload("frmFloatingAccidentals");
    tools().setValue("frmFloatingNotes", 4, 1);
    editor().EditNoteSymbol(qint16(n), 100, 100, a().StaffLines, a().NoteSymbol);
    EXPECT_EQ(getInt(a().NoteSymbol[n], "Note"), 3);
}

TEST_F(StaffEditor, SelectionTogglesAndItsRefusals) {
    const int q = write(2, 600, 0);
    const int e1 = write(2, 1200, 1, 6);
    const int e2 = write(3, 600, 1, 6);
    tool("frmFloatingMisc", 14);  // "Arrow"
    EXPECT_TRUE(editor().ToggleNoteColor(qint16(q)));  // a quarter is not eligible: unchanged
    EXPECT_EQ(colour(a().NoteSymbol[q]), 0u);
    EXPECT_TRUE(editor().ToggleNoteColor(qint16(e1)));
    EXPECT_EQ(colour(a().NoteSymbol[e1]), staffedit::kSelected);
    EXPECT_FALSE(editor().ToggleNoteColor(qint16(e2), true));  // quiet refusal across the bar line
    EXPECT_TRUE(dialogs_.shown.isEmpty());
    EXPECT_FALSE(editor().ToggleNoteColor(qint16(e2)));
    ASSERT_EQ(dialogs_.shown.size(), 1);
    EXPECT_EQ(colour(a().NoteSymbol[e2]), 0u);
    EXPECT_TRUE(editor().ToggleNoteColor(qint16(e1)));
    EXPECT_EQ(colour(a().NoteSymbol[e1]), 0u);
    // Without the arrow only the played-input variant selects.
    tools().releaseAll("frmFloatingMisc");
    EXPECT_TRUE(editor().ToggleNoteColor(qint16(e1)));
    EXPECT_EQ(colour(a().NoteSymbol[e1]), 0u);
    EXPECT_TRUE(editor().ToggleNoteColorEx(qint16(e1)));
    EXPECT_EQ(colour(a().NoteSymbol[e1]), staffedit::kSelected);
    EXPECT_FALSE(editor().ToggleNoteColorEx(99));
}

TEST_F(StaffEditor, BeamItItemsAndMessages) {
    const int e1 = write(2, 600, 1, 6), s1 = write(2, 1200, 3, 7), s2 = write(2, 1800, 2, 7), e2 = write(2, 2400, 0, 6);
    palettes::Beaming beaming(ctx());
    auto beamIt = [&] { return beaming.BeamIt(a().StaffLines, a().BeamFlag, a().NoteSymbol, 6); };
    select({e1});
    EXPECT_FALSE(beamIt());
    ASSERT_EQ(dialogs_.shown.size(), 1);
    EXPECT_EQ(dialogs_.shown.last().title, "Wrong Number of Selection");
    select({s2});
    EXPECT_FALSE(beamIt());  // e1 and s2 with s1 between
    EXPECT_EQ(dialogs_.shown.last().title, "Wrong Order of Selection");
    put(a().NoteSymbol[e2], "StemDirection", 0);
    select({s1, e2});
    EXPECT_FALSE(beamIt());
    EXPECT_EQ(dialogs_.shown.last().title, "Invalid Stem Directions");
    EXPECT_EQ(dialogs_.shown.last().style, 16);
    put(a().NoteSymbol[e2], "StemDirection", -1);
    const int shown = dialogs_.shown.size();

    ASSERT_TRUE(beamIt());
    EXPECT_EQ(dialogs_.shown.size(), shown);
    ASSERT_TRUE(a().BeamFlag.exists(1));
    QObject* beam = a().BeamFlag[1];
    ASSERT_EQ(getInt(beam, "Count"), 4);
    const std::pair<int, int> expected[] = {{0, 1}, {1, 2}, {2, 1}, {1, 0}};
    for (int j = 1; j <= 4; ++j) {
        QObject* item = staffedit::beamItemOf(beam, j);
        EXPECT_EQ(getInt(item, "BeamsLeft"), expected[j - 1].first) << j;
        EXPECT_EQ(getInt(item, "BeamsRight"), expected[j - 1].second) << j;
    }
    const int x1 = staffedit::stemPositionOf(a().NoteSymbol[e1]);
    const int x4 = staffedit::stemPositionOf(a().NoteSymbol[e2]);
    EXPECT_EQ(a().BeamFlag.Left(1), x1);
    EXPECT_EQ(a().BeamFlag.Width(1), x4 - x1 + 30);
    EXPECT_EQ(a().BeamFlag.Top(1), a().NoteSymbol.Top(s1) + 450);  // s1 is the highest
    EXPECT_EQ(a().BeamFlag.Tag(1), "2");
    EXPECT_EQ(getInt(a().NoteSymbol[s1], "StemLength"), -10);
    EXPECT_EQ(getInt(a().NoteSymbol[e2], "StemLength"), -10 + 225 / 15);
    for (int n : {e1, s1, s2, e2}) {
        EXPECT_NE(getInt(a().NoteSymbol[n], "HideFlags"), 0);
        EXPECT_EQ(colour(a().NoteSymbol[n]), 0u);
    }
    // Beaming beamed notes again does nothing; a full beam array makes no beam and says so.
    select({e1, s1});
    EXPECT_FALSE(beamIt());
    put(a().NoteSymbol[e1], "ForeColor", 0);
    put(a().NoteSymbol[s1], "ForeColor", 0);
    const int f1 = write(3, 600, 0, 6), f2 = write(3, 1200, 0, 6);
    for (int b = 2; b <= 200; ++b) ctx().LoadedFlags.set(6, b, true);
    select({f1, f2});
    EXPECT_FALSE(beamIt());
    EXPECT_EQ(loadedCount(a().BeamFlag), 1);
}

TEST_F(StaffEditor, UnBeamItTakesOnlyTheBeamOfTheSelection) {
    const int a1 = write(2, 600, 0, 6), a2 = write(2, 1200, 0, 6), b1 = write(2, 2000, 2, 6), b2 = write(2, 2600, 2, 6);
    palettes::Beaming beaming(ctx());
    select({a1, a2});
    ASSERT_TRUE(beaming.BeamIt(a().StaffLines, a().BeamFlag, a().NoteSymbol));
    select({b1, b2});
    ASSERT_TRUE(beaming.BeamIt(a().StaffLines, a().BeamFlag, a().NoteSymbol));
    // Labels over both beams' middles.
    auto mid = [&](int b) {
        const double x1 = a().BeamFlag.Left(b), x2 = x1 + a().BeamFlag.Width(b) - 30;
        return basic::Int(((x2 - x1) / 2 + x1 + 14) / 15) * 15;
    };
    for (int l = 1; l <= 2; ++l) {
        ASSERT_TRUE(a().lblAs.load(l));
        a().lblAs.setLeft(l, mid(l));
        ctx().LoadedFlags.set(1, l, true);
    }
    // The second group selected by a click on its note, and a note of the first marked too.
    tool("frmFloatingMisc", 14);
    editor().ToggleBeamColor(qint16(b1), a().NoteSymbol, a().BeamFlag, 6);
    EXPECT_EQ(colour(a().BeamFlag[2]), staffedit::kSelected);
    EXPECT_EQ(colour(a().NoteSymbol[b2]), staffedit::kSelected);
    put(a().NoteSymbol[a1], "ForeColor", staffedit::kSelected);
    beaming.UnBeamIt(a().StaffLines, a().BeamFlag, a().NoteSymbol, a().lblAs, 6);
    // a1 comes first: its beam goes, with all its notes and its label only.
    EXPECT_FALSE(a().BeamFlag.exists(1));
    EXPECT_TRUE(a().BeamFlag.exists(2));
    EXPECT_FALSE(a().lblAs.exists(1));
    EXPECT_TRUE(a().lblAs.exists(2));
    EXPECT_EQ(getInt(a().NoteSymbol[a2], "HideFlags"), 0);
    EXPECT_NE(getInt(a().NoteSymbol[b1], "HideFlags"), 0);
    EXPECT_EQ(colour(a().NoteSymbol[b1]), staffedit::kSelected);
}

TEST_F(StaffEditor, MendedFaultsOnMissingElements) {
    const int n = write(2, 600, 0, 6);
    const int m = write(2, 1200, 0, 6);
    // A note under no beam: nothing changes, not even the other selections.
    put(a().NoteSymbol[m], "ForeColor", staffedit::kSelected);
    editor().ToggleBeamColor(qint16(n), a().NoteSymbol, a().BeamFlag, 6);
    EXPECT_EQ(colour(a().NoteSymbol[m]), staffedit::kSelected);
    EXPECT_EQ(colour(a().NoteSymbol[n]), 0u);
    EXPECT_EQ(colour(a().BeamFlag[0]), 0u);

    // The eraser with the arrow: the erased note is not selected afterwards (it is gone).
    tool("frmFloatingNotes", 1);
    tools().setValue("frmFloatingMisc", 14, 1);
    press(a().NoteSymbol[n], 300, 900);
    QApplication::processEvents();
    EXPECT_FALSE(a().NoteSymbol.exists(n));
    EXPECT_FALSE(tools().Enabled("frmFloatingMisc", 12));

    // Erasing, dragging and dropping elements that are not loaded changes nothing.
    editor().EraseSymbol(42, a().NoteSymbol, 2);
    editor().BeginSymbolDrag(42, 0, 0, a().KeySign, 1);
    editor().DropKeySignature(42, 0, 0, a().StaffLines, a().KeySign, -500);
    EXPECT_EQ(tools().MousePointer(), 99);
    // The eraser on element 0 disarms it and releases both erasers.
    editor().BeginSymbolDrag(0, 0, 0, a().KeySign, 1);
    EXPECT_EQ(tools().MousePointer(), 0);
    EXPECT_FALSE(tools().pressed("frmFloatingNotes", 1));
}

TEST_F(StaffEditor, KeySignatureDragAndDrop) {
    tool("frmFloatingAccidentals", 4);  // "Flat"
    for (int k = 0; k < 3; ++k) editor().AddSymbolToStaff(2, 450 + 225 * k, 50, 0, -160, 27, -495, 980, true);
    const double left2 = a().StaffLines.Left(2);
    EXPECT_EQ(a().tmMeter.Left(1), left2 + 550);
    tools().releaseAll("frmFloatingAccidentals");
    // Drop the second accidental with the mouse 20 twips inside it.
    a().KeySign.setTop(2, 100);
    editor().DropKeySignature(2, 0, 20, a().StaffLines, a().KeySign, -500);
    EXPECT_EQ(a().KeySign.Top(2), a().StaffLines.Top(2) + 200);  // -200 lies above the staff
    for (int k = 1; k <= 3; ++k) EXPECT_EQ(a().KeySign.Left(k), left2 + 130 * (k - 1) + 10);
    a().KeySign.setTop(2, 1000);
    editor().DropKeySignature(2, 0, 20, a().StaffLines, a().KeySign, -500);
    EXPECT_EQ(a().KeySign.Top(2), basic::Int(1035 / 75.0) * 75 - 275);
    // A drag by the mouse: press arms it on the last accidental, moves follow.
    press(a().KeySign[1], 30, 30);
    EXPECT_TRUE(ctx().state.MouseDownFlag);
    EXPECT_EQ(ctx().state.DragX, 30);
}

TEST_F(StaffEditor, SlursTiesAndWholeNotes) {
    const int n = write(2, 600, 0);
    a().PhraseMark.Move(0, 0, 2000, 500);
    editor().AddSlur(-1, 2, a().StaffLines, n, a().PhraseMark, 10);
    editor().AddSlur(0, 2, a().StaffLines, n, a().PhraseMark, 10);
    const double noteLeft = a().NoteSymbol.Left(n), noteTop = a().NoteSymbol.Top(n);
    const int noteLeftPx = getInt(a().NoteSymbol[n], "NoteLeft");
    EXPECT_EQ(a().PhraseMark.Top(1), 2000 + noteTop - 495 - 800);
    EXPECT_EQ(a().PhraseMark.Top(2), 2000 + noteTop - 495 - 450);
    EXPECT_EQ(a().PhraseMark.Left(1), noteLeft + 15 * noteLeftPx + 55);
    EXPECT_EQ(a().PhraseMark.Width(1), 650);
    EXPECT_EQ(getInt(a().PhraseMark[1], "CurveDirection"), -1);
    EXPECT_EQ(a().PhraseMark.Tag(2), "2");
    for (int i = 0; i < 12; ++i) editor().AddSlur(-1, 3, a().StaffLines, n, a().PhraseMark, 10);
    EXPECT_EQ(editor().countOnStaff(a().PhraseMark, 7, 3), 10);
    // The eraser takes a slur in the writing lessons.
    tool("frmFloatingNotes", 1);
    click(a().PhraseMark[1], 100, 100);
    QApplication::processEvents();
    EXPECT_FALSE(a().PhraseMark.exists(1));

    // Whole notes on a row of places: a note at a place's left + 180 takes it; when every
    // place is taken nothing is made.
    lessons::ElementArray& places = a().StaffLines;
    int index = -1;
    const int before = int(notes().size());
    for (int i : notes()) a().NoteSymbol.setLeft(i, places.Left(1) + 180);
    EXPECT_GT(palettes::CreateWholeNote(ctx(), index, places, a().NoteSymbol, 10, 180), 0);
    EXPECT_EQ(a().NoteSymbol.Left(index), places.Left(2) + 180);
    palettes::CreateWholeNote(ctx(), index, places, a().NoteSymbol, 10, 180);
    EXPECT_EQ(a().NoteSymbol.Left(index), places.Left(3) + 180);
    EXPECT_EQ(palettes::CreateWholeNote(ctx(), index, places, a().NoteSymbol, 10, 180), 0);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(int(notes().size()), before + 2);
}

TEST_F(StaffEditor, CheckBoxesWalkingAndFraming) {
    const int e1 = write(2, 900, 0, 6), e2 = write(2, 600, 0, 6), q = write(2, 1500, 0);
    editor().AddCheckBoxesToNotes(a().NoteSymbol, 0, 2);
    ASSERT_EQ(loadedCount(a().chkGroup), 2);
    EXPECT_EQ(a().chkGroup.Left(1), a().NoteSymbol.Left(e2));
    EXPECT_EQ(a().chkGroup.Left(2), a().NoteSymbol.Left(e1));
    EXPECT_EQ(a().chkGroup.Top(1), a().StaffLines.Top(2) + 2650);
    (void)q;
    // More notes than the old list held (100) all get boxes.
    for (int b = 0; b < 110; ++b) {
        const int i = editor().claimIndex(a().NoteSymbol, 2);
        ASSERT_GT(i, 0);
        ASSERT_TRUE(a().NoteSymbol.load(i));
        put(a().NoteSymbol[i], "Note", 3);
        a().NoteSymbol.Move(i, 100 + b);
        a().NoteSymbol.setTag(i, "3");
    }
    editor().AddCheckBoxesToNotes(a().NoteSymbol, 0);
    EXPECT_EQ(loadedCount(a().chkGroup), 112);
    EXPECT_EQ(a().chkGroup.Top(1), 3070);

    editor().CurrentControl = 0;
    std::vector<int> walk;
    for (int i = 0; i < 3; ++i) walk.push_back(editor().NextControl(a().tmMeter, 5));
    EXPECT_EQ(walk, (std::vector<int>{1, 1, 1}));
    a().tmMeter.Move(1, 1000, 2000, 300, 400);
    editor().FrameControl(a().tmMeter, 1);
    EXPECT_EQ(a().shpRect.Left(0), 970);
    EXPECT_EQ(a().shpRect.Top(0), 1970);
    EXPECT_EQ(a().shpRect.Width(0), 360);
    EXPECT_EQ(a().shpRect.Height(0), 460);
    EXPECT_TRUE(a().shpRect.Visible(0));
    tool("frmFloatingMisc", 14);
    EXPECT_FALSE(a().shpRect.Visible(0));
}

TEST_F(StaffEditor, LettersFollowTheClefOnTheStaff) {
    const int n = write(2, 600, 0);
    int staff = 0;
    EXPECT_EQ(editor().NoteMouseMove(n, 0, 0, a().NoteSymbol, staff), 0);
    EXPECT_EQ(staff, 2);
    QObject* clef = a().ClefSymbol[1];
    EXPECT_EQ(editor().AdjustNoteToStaff(clef, 0, 2), "E");
    put(clef, "Clef", 2);
    EXPECT_EQ(editor().AdjustNoteToStaff(clef, 0, 2), "F");  // alto
    a().ClefSymbol.setTop(1, a().StaffLines.Top(2) + 450 - 570);
    editor().setLessonName([] { return QStringLiteral("Melody in the Tenor clef"); });
    EXPECT_EQ(editor().AdjustNoteToStaff(clef, 0, 2), "D");
    EXPECT_TRUE(editor().TenorClef);
}

TEST_F(StaffEditor, PaletteKeys) {
    // The notes eraser toggles on two clicks; a value click disarms it.
    tool("frmFloatingNotes", 1);
    EXPECT_EQ(tools().MousePointer(), 99);
    EXPECT_TRUE(tools().pressed("frmFloatingNotes", 1));
    tool("frmFloatingNotes", 1);
    EXPECT_EQ(tools().MousePointer(), 0);
    EXPECT_FALSE(tools().pressed("frmFloatingNotes", 1));
    tool("frmFloatingNotes", 1);
    tool("frmFloatingNotes", 13);
    EXPECT_EQ(tools().MousePointer(), 0);
    EXPECT_TRUE(tools().pressed("frmFloatingNotes", 13));
    // One tool across the palettes.
    tool("frmFloatingNotes", 5);
    tool("frmFloatingRests", 4);
    EXPECT_FALSE(tools().pressed("frmFloatingNotes", 5));
    EXPECT_TRUE(tools().pressed("frmFloatingRests", 4));
    // Sixty-fourth arms nothing on the notes palette; the rests palette keeps it down.
    tool("frmFloatingNotes", 9);
    for (int b = 1; b <= 16; ++b) EXPECT_FALSE(tools().pressed("frmFloatingNotes", b)) << b;
    tool("frmFloatingRests", 9);
    EXPECT_TRUE(tools().pressed("frmFloatingRests", 9));
    // In the chord lesson an accidental gives the cross-hair; the rests eraser then disarms.
    ctx().state.CurrentLesson = 3;
    tools().setVisible("frmFloatingRests", 1, true);
    tool("frmFloatingAccidentals", 4);
    EXPECT_EQ(tools().MousePointer(), 2);
    EXPECT_EQ(tools().LessonFramePointer(), 0);
    tool("frmFloatingRests", 1);
    EXPECT_EQ(tools().MousePointer(), 0);
    EXPECT_FALSE(tools().pressed("frmFloatingRests", 1));
    tool("frmFloatingRests", 1);
    EXPECT_EQ(tools().MousePointer(), 99);
    // The clef palette keeps the drag flag; the notes palette clears it.
    ctx().state.MouseDownFlag = true;
    tool("frmFloatingClef", 1);
    EXPECT_TRUE(ctx().state.MouseDownFlag);
    tool("frmFloatingNotes", 3);
    EXPECT_FALSE(ctx().state.MouseDownFlag);
    // "Beam" outside the writing lessons beams nothing but arms the arrow.
    tool("frmFloatingMisc", 11);
    EXPECT_TRUE(tools().pressed("frmFloatingMisc", 14));
}
