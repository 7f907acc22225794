// Notes under a beam shortened and lengthened through the beam-group check boxes, tuplet
// numbers over beams and tone-step labels, on the real main window's melody staff with notes
// written by the editor; renders of the results in test-output/beamedits_*.png.
#include "editorfixture.h"

#include "common/testing/testoutput.h"
#include "student/palettes/beamedits.h"
#include "student/palettes/beaming.h"
#include "student/staff/notationcalls.h"

using namespace editortest;

namespace {

constexpr double kBottomLine = 1050;

QString lines(QObject* beam) {
    QStringList out;
    const int count = getInt(beam, "Count");
    for (int j = 1; j <= count; ++j) {
        QObject* item = staffedit::beamItemOf(beam, j);
        out << QString("%1/%2").arg(getInt(item, "BeamsLeft")).arg(getInt(item, "BeamsRight"));
    }
    return out.join(' ');
}

} // namespace

TEST(TupletArithmetic, NumbersAndCentres) {
    const struct { std::vector<int> ticks; int number; } numbers[] = {
        {{1024, 1024, 1024}, 3}, {{512, 512, 512, 512, 512, 512}, 3}, {{512, 512, 512, 512, 512}, 5},
        {{1024, 1024}, 1},       {{1536, 512}, 2},                    {{}, 0},
    };
    for (const auto& c : numbers) EXPECT_EQ(palettes::tupletNumber(c.ticks), c.number) << c.ticks.size();
    EXPECT_EQ(palettes::beamCentre(1000, 1600), 1305);
    EXPECT_EQ(palettes::beamCentre(1000, 1000), 1005);
    EXPECT_EQ(palettes::beamCentre(990, 1290), 1140);
}

class BeamEditsTest : public EditorTest {
protected:
    palettes::BeamEdits edits() { return palettes::BeamEdits(ctx()); }
    // `count` notes of palette button `button` on bar 1's staff, a step apart, 490 twips apart.
    std::vector<int> write(int button, int count, double from = 1500) {
        tool("frmFloatingNotes", button);
        for (int k = 0; k < count; ++k) clickStaff(2, from + 490 * k, kBottomLine - 75 * (k % 3));
        tools().releaseAll("frmFloatingNotes");
        return notes();
    }
    // Beams the notes with the misc palette's select tool and beam button.
    int beam(const std::vector<int>& which) {
        tool("frmFloatingMisc", 14);
        for (int n : which) click(a().NoteSymbol[n], 300, 900);
        const int before = a().BeamFlag.ubound();
        tool("frmFloatingMisc", 11);
        tools().releaseAll("frmFloatingMisc");
        return a().BeamFlag.ubound() > before ? a().BeamFlag.ubound() : 0;
    }
    // One box over each note (ticked where `ticked` says), then one over nothing.
    void boxes(const std::vector<int>& over, const std::vector<bool>& ticked) {
        auto& c = a().chkGroup;
        for (int k = c.ubound(); k >= 1; --k) c.unload(k);
        for (size_t k = 0; k < over.size(); ++k) {
            ASSERT_TRUE(c.load(int(k) + 1));
            c.Move(int(k) + 1, over[k] ? a().NoteSymbol.Left(over[k]) : 99990, 3070);
            c[int(k) + 1]->setChecked(ticked[k]);
        }
    }
    std::vector<int> values(const std::vector<int>& ns) {
        std::vector<int> out;
        for (int n : ns) out.push_back(getInt(a().NoteSymbol[n], "Note"));
        return out;
    }
    void render(const char* name, int height = 160) {
        QApplication::processEvents();
        const QImage image = frm->fraLesson0->grab(QRect(0, 0, 520, height)).toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
        EXPECT_GT(colours.size(), 2);
        EXPECT_TRUE(image.scaled(image.size() * 2).save(testOutputPath(QString("beamedits_%1.png").arg(name))));
    }
    QStringList shown() {
        QStringList out;
        for (const auto& m : dialogs_.shown) out << m.title;
        return out;
    }
};

TEST_F(BeamEditsTest, ShorteningFourBeamedEighthsRedrawsTheirBeam) {
    const auto ns = write(6, 4);
    ASSERT_EQ(ns.size(), 4u);
    const int b = beam(ns);
    ASSERT_GT(b, 0);
    EXPECT_EQ(lines(a().BeamFlag[b]), "0/1 1/1 1/1 1/0");
    EXPECT_EQ(edits().FindNoteBeam(a().BeamFlag, a().NoteSymbol[ns[2]]), b);

    boxes(ns, {true, true, true, true});
    edits().BeamAddEx(a().StaffLines, a().chkGroup, a().BeamFlag, a().NoteSymbol);
    EXPECT_EQ(values(ns), (std::vector<int>{4, 4, 4, 4}));
    EXPECT_EQ(lines(a().BeamFlag[b]), "0/2 2/2 2/2 2/0");
    EXPECT_FALSE(a().chkGroup[1]->isChecked());
    render("shortened");

    // Only the second shortened again: shorter than both neighbours, its extra line reaches
    // right (the neighbour rule, neighbours by beam item order).
    boxes(ns, {false, true, false, false});
    edits().BeamAddEx(a().StaffLines, a().chkGroup, a().BeamFlag, a().NoteSymbol);
    EXPECT_EQ(values(ns), (std::vector<int>{4, 5, 4, 4}));
    EXPECT_EQ(lines(a().BeamFlag[b]).toStdString(), "0/2 2/3 2/2 2/0");
}

TEST_F(BeamEditsTest, ChoicesThatChangeNothingOrAreRefused) {
    const auto ns = write(6, 5);
    ASSERT_EQ(ns.size(), 5u);
    const int b1 = beam({ns[0], ns[1]});
    const int b2 = beam({ns[2], ns[3]});
    ASSERT_TRUE(b1 && b2);
    const int templateNote = getInt(a().NoteSymbol[0], "Note");
    const struct { const char* what; std::vector<int> over; std::vector<bool> ticked; QStringList messages; } cases[] = {
        {"no box ticked", {ns[0], ns[1]}, {false, false}, {}},
        {"boxes 2, 3 and 5", ns, {false, true, true, false, true}, {"Wrong Order of Selection"}},
        {"two beams", {ns[0], ns[1], ns[2]}, {true, true, true}, {"Wrong Selection"}},
        {"beamed and unbeamed", {ns[3], ns[4]}, {true, true}, {"Wrong Selection"}},
        {"a box over no note", {0}, {true}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (bool add : {true, false}) {
            boxes(c.over, c.ticked);
            dialogs_.shown.clear();
            if (add) edits().BeamAddEx(a().StaffLines, a().chkGroup, a().BeamFlag, a().NoteSymbol);
            else edits().BeamRemoveEx(a().chkGroup, a().BeamFlag, a().NoteSymbol, a().lblAs);
            EXPECT_EQ(shown(), c.messages);
            EXPECT_EQ(values(ns), (std::vector<int>{3, 3, 3, 3, 3}));
            EXPECT_EQ(getInt(a().NoteSymbol[0], "Note"), templateNote);
            EXPECT_TRUE(a().BeamFlag.exists(b1) && a().BeamFlag.exists(b2));
        }
    }
    // A staff array with only its template guards the shortening.
    lessons::ElementArray& bare = a().StaffLines2;
    ASSERT_LE(bare.ubound(), 0);
    boxes({ns[4]}, {true});
    edits().BeamAddEx(bare, a().chkGroup, a().BeamFlag, a().NoteSymbol);
    EXPECT_EQ(getInt(a().NoteSymbol[ns[4]], "Note"), 3);
}

TEST_F(BeamEditsTest, UnbeamedNotesGetValuesAndANewBeam) {
    const auto ns = write(5, 4);
    ASSERT_EQ(ns.size(), 4u);
    // The middle two quarters become eighths under a new beam at their first stem.
    boxes(ns, {false, true, true, false});
    edits().BeamAddEx(a().StaffLines, a().chkGroup, a().BeamFlag, a().NoteSymbol);
    EXPECT_EQ(values(ns), (std::vector<int>{2, 3, 3, 2}));
    const int b = a().BeamFlag.ubound();
    ASSERT_GT(b, 0);
    EXPECT_EQ(lines(a().BeamFlag[b]), "0/1 1/0");
    // Laid as the beam command lays it: over the higher note's stem, which both stems reach.
    EXPECT_EQ(a().BeamFlag.Top(b), a().NoteSymbol.Top(ns[2]) + 450);
    EXPECT_EQ(a().BeamFlag.Left(b), staffedit::stemPositionOf(a().NoteSymbol[ns[1]]));
    EXPECT_TRUE(ctx().LoadedFlags.get(6, b));
    EXPECT_NE(getInt(a().NoteSymbol[ns[1]], "HideFlags"), 0);
    render("newbeam");

    // A lone unbeamed note: one value shorter or longer with its flag shown; the shortest
    // value stays the shortest.
    boxes(ns, {false, false, false, true});
    edits().BeamAddEx(a().StaffLines, a().chkGroup, a().BeamFlag, a().NoteSymbol);
    EXPECT_EQ(getInt(a().NoteSymbol[ns[3]], "Note"), 3);
    EXPECT_EQ(getInt(a().NoteSymbol[ns[3]], "HideFlags"), 0);
    put(a().NoteSymbol[ns[3]], "Note", 7);
    boxes(ns, {false, false, false, true});
    edits().BeamAddEx(a().StaffLines, a().chkGroup, a().BeamFlag, a().NoteSymbol);
    EXPECT_EQ(getInt(a().NoteSymbol[ns[3]], "Note"), 7);
    boxes(ns, {false, false, false, true});
    edits().BeamRemoveEx(a().chkGroup, a().BeamFlag, a().NoteSymbol, a().lblAs);
    EXPECT_EQ(getInt(a().NoteSymbol[ns[3]], "Note"), 6);
    boxes(ns, {true, false, false, false});
    edits().BeamRemoveEx(a().chkGroup, a().BeamFlag, a().NoteSymbol, a().lblAs);
    EXPECT_EQ(getInt(a().NoteSymbol[ns[0]], "Note"), 2);   // a quarter keeps its value
}

TEST_F(BeamEditsTest, TupletNumbersOverBeamsAndTheBeamDissolved) {
    const auto ns = write(6, 3);
    ASSERT_EQ(ns.size(), 3u);
    const int b = beam(ns);
    ASSERT_GT(b, 0);
    const double centre = palettes::beamCentre(staffedit::stemPositionOf(a().NoteSymbol[ns[0]]),
                                               staffedit::stemPositionOf(a().NoteSymbol[ns[2]]));

    // Through the boxes: a "3" in small italics over the beam's middle, then gone again.
    boxes(ns, {false, true, false});
    edits().AddTuplet(a().StaffLines, a().chkGroup, a().BeamFlag, a().NoteSymbol, a().lblAs);
    ASSERT_TRUE(a().lblAs.exists(1));
    QLabel* label = a().lblAs[1];
    EXPECT_EQ(label->text(), "3");
    EXPECT_EQ(a().lblAs.Left(1), centre);
    EXPECT_EQ(a().lblAs.Top(1), 500);
    EXPECT_TRUE(label->font().italic());
    EXPECT_FALSE(label->font().bold());
    EXPECT_EQ(label->font().pointSize(), 8);
    EXPECT_TRUE(ctx().LoadedFlags.get(1, 1));
    EXPECT_FALSE(a().chkGroup[2]->isChecked());
    render("tuplet");
    boxes(ns, {true, false, false});
    edits().AddTuplet(a().StaffLines, a().chkGroup, a().BeamFlag, a().NoteSymbol, a().lblAs);
    EXPECT_FALSE(a().lblAs.exists(1));
    EXPECT_FALSE(ctx().LoadedFlags.get(1, 1));

    // Through the selection: nothing without one; with one, the label and the notes black.
    edits().Tuplit(a().StaffLines, a().BeamFlag, a().NoteSymbol, a().lblAs);
    EXPECT_FALSE(a().lblAs.exists(1));
    editor().ToggleBeamColor(qint16(ns[1]), a().NoteSymbol, a().BeamFlag, 6);
    ASSERT_EQ(quint32(getInt(a().NoteSymbol[ns[0]], "ForeColor")), staffedit::kSelected);
    edits().Tuplit(a().StaffLines, a().BeamFlag, a().NoteSymbol, a().lblAs);
    ASSERT_TRUE(a().lblAs.exists(1));
    EXPECT_EQ(a().lblAs[1]->text(), "3");
    EXPECT_EQ(getInt(a().NoteSymbol[ns[0]], "ForeColor"), 0);

    // Lengthening the beamed notes dissolves the beam into quarters with their flags, and its
    // number goes with it.
    boxes(ns, {true, true, true});
    edits().BeamRemoveEx(a().chkGroup, a().BeamFlag, a().NoteSymbol, a().lblAs);
    EXPECT_EQ(values(ns), (std::vector<int>{2, 2, 2}));
    EXPECT_FALSE(a().BeamFlag.exists(b));
    EXPECT_FALSE(ctx().LoadedFlags.get(6, b));
    EXPECT_FALSE(a().lblAs.exists(1));
    EXPECT_FALSE(ctx().LoadedFlags.get(1, 1));
    for (int n : ns) EXPECT_EQ(getInt(a().NoteSymbol[n], "HideFlags"), 0);

    // A note under no beam carries no tuplet: nothing changes, the box stays ticked.
    boxes(ns, {true, false, false});
    edits().AddTuplet(a().StaffLines, a().chkGroup, a().BeamFlag, a().NoteSymbol, a().lblAs);
    EXPECT_FALSE(a().lblAs.exists(1));
    EXPECT_TRUE(a().chkGroup[1]->isChecked());
}

// The beam-group boxes as the editor places them, ticked with the mouse: a beam over the
// chosen notes, and taken away again with every note of it drawn as before.
TEST_F(BeamEditsTest, BoxChosenNotesBeamedAndEveryNoteRestored) {
    // A bar of six eighths, A B C D C B, beamed whole: longer than the beam template is
    // wide, and the high D turns the low A's stem down to the beam with the others.
    tool("frmFloatingNotes", 6);
    for (int k : {0, 1, 2, 3, 4, 5}) clickStaff(2, 700 + 490 * k, kBottomLine - 75 * (3 + std::min(k, 6 - k)));
    tools().releaseAll("frmFloatingNotes");
    const auto ns = notes();
    ASSERT_EQ(ns.size(), 6u);
    for (int n : ns) ASSERT_EQ(a().NoteSymbol.Tag(n), "2");
    ASSERT_EQ(getInt(a().NoteSymbol[ns[0]], "StemDirection"), -1);
    ASSERT_EQ(getInt(a().NoteSymbol[ns[3]], "StemDirection"), 0);
    std::vector<double> tops;
    for (int n : ns) tops.push_back(a().NoteSymbol.Top(n));
    auto tick = [&](std::vector<int> which) {
        for (int k : which) {
            QCheckBox* box = a().chkGroup.at(k);
            ASSERT_TRUE(box && box->isVisible()) << k;
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
            ASSERT_TRUE(box->isChecked()) << k;
        }
    };
    palettes::Beaming beaming(ctx());

    editor().AddCheckBoxesToNotes(a().NoteSymbol, 0);
    ASSERT_EQ(a().chkGroup.ubound(), 6);
    tick({1, 2, 3, 4, 5, 6});
    const int beamsBefore = a().BeamFlag.ubound();
    beaming.BeamAdd(a().StaffLines, a().chkGroup, a().BeamFlag, a().NoteSymbol);
    EXPECT_TRUE(shown().isEmpty()) << shown().join(", ").toStdString();
    const int b = a().BeamFlag.ubound();
    ASSERT_GT(b, beamsBefore);
    ASSERT_TRUE(ctx().LoadedFlags.get(6, b));
    EXPECT_EQ(lines(a().BeamFlag[b]), "0/1 1/1 1/1 1/1 1/1 1/0");
    int top = ns[0];
    for (int n : ns)
        if (a().NoteSymbol.Top(n) < a().NoteSymbol.Top(top)) top = n;
    const int x1 = staffedit::stemPositionOf(a().NoteSymbol[ns.front()]);
    const int x6 = staffedit::stemPositionOf(a().NoteSymbol[ns.back()]);
    EXPECT_EQ(a().BeamFlag.Left(b), x1);
    EXPECT_EQ(a().BeamFlag.Width(b), x6 - x1 + 30);
    EXPECT_EQ(a().BeamFlag.Top(b), a().NoteSymbol.Top(top) + 1250);
    for (int n : ns) {
        SCOPED_TRACE(n);
        QObject* note = a().NoteSymbol[n];
        EXPECT_NE(getInt(note, "HideFlags"), 0);
        EXPECT_EQ(getInt(note, "StemDirection"), 0);
        // Shorter down to the beam laid below the highest note.
        EXPECT_EQ(getInt(note, "StemLength"), -10 - int(a().NoteSymbol.Top(n) - a().NoteSymbol.Top(top)) / 15);
    }
    // The beam is drawn out to the last stem.
    QApplication::processEvents();
    QWidget* beamWidget = a().BeamFlag.at(b);
    ASSERT_TRUE(beamWidget->isVisible());
    const QImage frame = frm->fraLesson0->grab().toImage();
    bool reached = false;
    for (int y = 0; y < beamWidget->height() && !reached; ++y)
        reached = qGray(frame.pixel(beamWidget->mapTo(frm->fraLesson0, QPoint((x6 - x1) / 15 - 1, y)))) < 100;
    EXPECT_TRUE(reached);
    // The boxes stand anew: a beamed group keeps one, over its first note.
    ASSERT_EQ(a().chkGroup.ubound(), 1);
    EXPECT_EQ(a().chkGroup.Left(1), a().NoteSymbol.Left(ns.front()));
    EXPECT_FALSE(a().chkGroup[1]->isChecked());
    render("boxbeam", 230);

    tick({1});
    beaming.BeamRemove(a().StaffLines, a().chkGroup, a().BeamFlag, a().NoteSymbol, a().lblAs);
    EXPECT_TRUE(shown().isEmpty()) << shown().join(", ").toStdString();
    EXPECT_FALSE(a().BeamFlag.exists(b));
    EXPECT_FALSE(ctx().LoadedFlags.get(6, b));
    // Every note of the beam, the highest and the others, draws its flag and its own stem on
    // its own line again.
    for (size_t k = 0; k < ns.size(); ++k) {
        SCOPED_TRACE(k);
        QObject* note = a().NoteSymbol[ns[k]];
        EXPECT_EQ(getInt(note, "HideFlags"), 0);
        EXPECT_EQ(getInt(note, "StemLength"), -10);
        EXPECT_EQ(a().NoteSymbol.Top(ns[k]), tops[k]);
    }
    EXPECT_EQ(a().chkGroup.ubound(), 6);
    render("boxunbeam", 230);
}

// "Flag" when no beam holds the first selected note: nothing to take away, and the selection
// goes; that note draws its flag and its own stem again, the beamed notes stay beamed.
TEST_F(BeamEditsTest, FlagWithoutABeamClearsTheSelection) {
    const auto ns = write(6, 3);
    ASSERT_EQ(ns.size(), 3u);
    const int b = beam({ns[1], ns[2]});
    ASSERT_GT(b, 0);
    tool("frmFloatingMisc", 14);
    click(a().NoteSymbol[ns[2]], 300, 900);   // selects its whole beam group
    click(a().NoteSymbol[ns[0]], 300, 900);   // and the note before it
    // The unbeamed note left flagless with a long stem, as a lost beam would leave it.
    put(a().NoteSymbol[ns[0]], "HideFlags", -1);
    put(a().NoteSymbol[ns[0]], "StemLength", 5);
    for (int n : ns) ASSERT_EQ(quint32(getInt(a().NoteSymbol[n], "ForeColor")), staffedit::kSelected) << n;
    const int stemLength = getInt(a().NoteSymbol[ns[1]], "StemLength");

    tool("frmFloatingMisc", 10);
    for (int n : ns) EXPECT_EQ(getInt(a().NoteSymbol[n], "ForeColor"), 0) << n;
    EXPECT_EQ(getInt(a().NoteSymbol[ns[0]], "HideFlags"), 0);
    EXPECT_EQ(getInt(a().NoteSymbol[ns[0]], "StemLength"), -10);
    EXPECT_TRUE(a().BeamFlag.exists(b));
    EXPECT_TRUE(ctx().LoadedFlags.get(6, b));
    for (int n : {ns[1], ns[2]}) EXPECT_NE(getInt(a().NoteSymbol[n], "HideFlags"), 0) << n;
    EXPECT_EQ(getInt(a().NoteSymbol[ns[1]], "StemLength"), stemLength);
    EXPECT_TRUE(tools().pressed("frmFloatingMisc", 14));
}

TEST_F(BeamEditsTest, ToneLabelsBesideTheFirstUnlabelledLine) {
    lessons::LineArray& lines = a().lnThird;
    lines[0]->setEnds(0, 1800, 0, 1800);
    for (int j = 1; j <= 2; ++j) {
        ASSERT_TRUE(lines.load(j));
        lines[j]->setEnds(1200 * j, 1800, 1200 * j + 900, 1800);
    }
    lessons::LabelArray& labels = a().lblMusic;
    auto run = [&](int kind, lessons::ElementArray& guard) {
        ctx().state.MouseDownFlag = true;
        edits().AddToneLabel(kind, lines, guard, labels);
    };
    const double height = labels.Height(0);
    run(2, a().StaffLines);
    ASSERT_TRUE(labels.exists(1));
    EXPECT_EQ(labels[1]->text(), "CS");
    EXPECT_EQ(labels.Left(1), 1400);
    EXPECT_EQ(labels.Top(1), 1800 - height - 15);
    EXPECT_FALSE(ctx().state.MouseDownFlag);
    run(1, a().StaffLines);
    ASSERT_TRUE(labels.exists(2));
    EXPECT_EQ(labels[2]->text(), "WT");
    EXPECT_EQ(labels.Left(2), 2600);
    render("tonelabels");
    // Every line has its label: nothing more is placed; no label flags a note.
    run(3, a().StaffLines);
    EXPECT_FALSE(labels.exists(3));
    EXPECT_FALSE(ctx().state.MouseDownFlag);
    EXPECT_FALSE(ctx().LoadedFlags.get(2, 1) || ctx().LoadedFlags.get(2, 2));
    // Kind 0 places nothing; a guard with only its template returns before the pointer state.
    labels.unload(2);
    run(0, a().StaffLines);
    EXPECT_FALSE(labels.exists(2));
    EXPECT_FALSE(ctx().state.MouseDownFlag);
    run(3, a().StaffLines2);
    EXPECT_FALSE(labels.exists(2));
    EXPECT_TRUE(ctx().state.MouseDownFlag);
}
