// The staff editor end to end on the real main window: palette buttons and staff, note and
// beam widgets clicked, dragged and double-clicked as a student does in the melody lesson.
#include "editorfixture.h"

using namespace editortest;

namespace {
// The melody staff's bottom line lies 1050 twips below the staff element's top; a note whose
// head sits on it has its top at 495.
constexpr double kBottomLine = 1050;
constexpr double kRef = 495;
} // namespace

class EditorEndToEnd : public EditorTest {};

TEST_F(EditorEndToEnd, QuarterClicksWriteNotesWhereClickedAndCountTheirTime) {
    tool("frmFloatingNotes", 5);  // "Quarter"
    ASSERT_TRUE(tools().pressed("frmFloatingNotes", 5));
    QWidget* staff2 = a().StaffLines[2];
    const double left2 = a().StaffLines.Left(2);

    clickStaff(2, 1500, kBottomLine);
    clickStaff(2, 2700, kBottomLine - 150);  // G, a line higher
    ASSERT_EQ(notes().size(), 2u);
    const int e = notes()[0], g = notes()[1];
    EXPECT_EQ(a().NoteSymbol.Left(e), left2 + 1500 - 330);
    EXPECT_EQ(a().NoteSymbol.Top(e), kRef);
    EXPECT_EQ(a().NoteSymbol.Top(g), kRef - 150);
    EXPECT_EQ(a().NoteSymbol.Tag(e), "2");
    EXPECT_EQ(getInt(a().NoteSymbol[e], "RhythmicOffset"), 2048);
    EXPECT_EQ(getInt(a().NoteSymbol[g], "RhythmicOffset"), 4096);
    EXPECT_EQ(getInt(a().NoteSymbol[e], "Note"), 2);
    EXPECT_TRUE(a().NoteSymbol[e]->isVisible());

    // A note written between them comes second in time; the later one moves on by a quarter.
    clickStaff(2, 2100, kBottomLine - 75);
    ASSERT_EQ(notes().size(), 3u);
    const int f = notes()[2];
    EXPECT_EQ(getInt(a().NoteSymbol[f], "RhythmicOffset"), 4096);
    EXPECT_EQ(getInt(a().NoteSymbol[g], "RhythmicOffset"), 6144);

    // A double click writes one note, not two.
    doubleClick(staff2, 3300, kBottomLine);
    EXPECT_EQ(notes().size(), 4u);

    // Hovering below the staff shows leger lines under the pointer; inside it hides them.
    move(staff2, 3900, kBottomLine + 300, false);
    EXPECT_TRUE(a().lnLeger.Visible(1));
    EXPECT_TRUE(a().lnLeger.Visible(2));
    EXPECT_FALSE(a().lnLeger.Visible(3));
    EXPECT_TRUE(a().lnLeger[1]->isVisible());
    move(staff2, 3900, kBottomLine - 300, false);
    EXPECT_FALSE(a().lnLeger.Visible(1));
}

TEST_F(EditorEndToEnd, DraggedNoteStaysOnTheGridAndTurnsItsStem) {
    tool("frmFloatingNotes", 5);
    clickStaff(2, 1500, kBottomLine);
    const int n = notes().at(0);
    QWidget* note = a().NoteSymbol[n];
    // Grab the head: the note follows the mouse while the button is held.
    const double grabX = 300, grabY = 900;
    press(note, grabX, grabY);
    EXPECT_TRUE(ctx().state.MouseDownFlag);
    move(note, grabX, grabY + 150);  // two steps down: middle C
    EXPECT_EQ(a().NoteSymbol.Top(n), kRef + 150);
    EXPECT_EQ(getInt(note, "StemDirection"), -1);
    EXPECT_EQ(getInt(note, "LegerLines"), 1);
    EXPECT_EQ(getInt(note, "LineNote"), -1);
    // Further down by one step: B below, one leger line, the head lifted 15 twips.
    move(note, grabX, grabY + 75);
    EXPECT_EQ(a().NoteSymbol.Top(n), kRef + 225 - 15);
    EXPECT_EQ(getInt(note, "LegerLines"), 1);
    EXPECT_EQ(getInt(note, "LineNote"), 0);
    // Back up above the middle line: stem down, no leger lines, on the grid again.
    move(note, grabX, grabY - 600 + 15);
    const double top = a().NoteSymbol.Top(n);
    EXPECT_EQ(std::fmod(kRef - top, 75.0), 0.0) << top;
    EXPECT_GT(kRef - top, 300);
    EXPECT_EQ(getInt(note, "StemDirection"), 0);
    EXPECT_LE(getInt(note, "LegerLines"), 0);
    release(note, grabX, grabY);
    EXPECT_FALSE(ctx().state.MouseDownFlag);
    // Without the button the note stays put.
    const double after = a().NoteSymbol.Top(n);
    move(note, grabX, grabY + 600, false);
    EXPECT_EQ(a().NoteSymbol.Top(n), after);
}

TEST_F(EditorEndToEnd, ArrowSelectsEighthsAndBeamJoinsThem) {
    tool("frmFloatingNotes", 6);  // "Eighth"
    for (int i = 0; i < 4; ++i) clickStaff(2, 1200 + 600 * i, kBottomLine - 75 * i);
    ASSERT_EQ(notes().size(), 4u);
    tool("frmFloatingMisc", 14);  // "Arrow"
    for (int n : notes()) {
        click(a().NoteSymbol[n], 300, 900);
        EXPECT_EQ(music::dispGet(a().NoteSymbol[n], "ForeColor").toUInt(), staffedit::kSelected);
    }
    tool("frmFloatingMisc", 11);  // "Beam"
    int beams = 0;
    for (int b = 1; b <= a().BeamFlag.ubound(); ++b) beams += a().BeamFlag.exists(b) ? 1 : 0;
    EXPECT_EQ(beams, 1);
    for (int n : notes()) {
        EXPECT_NE(getInt(a().NoteSymbol[n], "HideFlags"), 0);
        EXPECT_EQ(music::dispGet(a().NoteSymbol[n], "ForeColor").toUInt(), 0u);
    }
    EXPECT_TRUE(tools().pressed("frmFloatingMisc", 14));
    EXPECT_TRUE(dialogs_.shown.isEmpty());

    // A selection across the bar line is refused with the beaming message.
    tool("frmFloatingNotes", 6);
    clickStaff(2, 3600, kBottomLine);
    clickStaff(3, 600, kBottomLine);
    const std::vector<int> all = notes();
    const int lastOfBar1 = all[4], firstOfBar2 = all[5];
    tool("frmFloatingMisc", 14);
    click(a().NoteSymbol[lastOfBar1], 300, 900);
    click(a().NoteSymbol[firstOfBar2], 300, 900);
    ASSERT_EQ(dialogs_.shown.size(), 1);
    EXPECT_EQ(dialogs_.shown[0].title, "Beaming Error");
    EXPECT_EQ(dialogs_.shown[0].text, "Beaming across bar lines not allowed.");
    EXPECT_EQ(dialogs_.shown[0].style, 16);
    EXPECT_EQ(music::dispGet(a().NoteSymbol[firstOfBar2], "ForeColor").toUInt(), 0u);
}

TEST_F(EditorEndToEnd, EraserDissolvesTheBeamThenEmptiesTheStaff) {
    tool("frmFloatingNotes", 6);
    for (int i = 0; i < 3; ++i) clickStaff(2, 1200 + 600 * i, kBottomLine);
    tool("frmFloatingMisc", 14);
    for (int n : notes()) click(a().NoteSymbol[n], 300, 900);
    tool("frmFloatingMisc", 11);
    ASSERT_TRUE(a().BeamFlag.exists(1));

    tool("frmFloatingNotes", 1);  // "Eraser"
    EXPECT_EQ(tools().MousePointer(), 99);
    const std::vector<int> before = notes();
    click(a().NoteSymbol[before[1]], 300, 900);
    QApplication::processEvents();
    EXPECT_FALSE(a().BeamFlag.exists(1));
    EXPECT_FALSE(ctx().LoadedFlags.get(6, 1));
    EXPECT_FALSE(a().NoteSymbol.exists(before[1]));
    for (int n : {before[0], before[2]}) {
        EXPECT_EQ(getInt(a().NoteSymbol[n], "HideFlags"), 0);
        EXPECT_EQ(getInt(a().NoteSymbol[n], "StemLength"), -10);
    }
    // The note after the erased one ends an eighth earlier.
    EXPECT_EQ(getInt(a().NoteSymbol[before[2]], "RhythmicOffset"), 2048);
    EXPECT_EQ(tools().MousePointer(), 99);
    click(a().NoteSymbol[before[0]], 300, 900);
    click(a().NoteSymbol[before[2]], 300, 900);
    QApplication::processEvents();
    EXPECT_TRUE(notes().empty());
    EXPECT_EQ(tools().MousePointer(), 0);
}
