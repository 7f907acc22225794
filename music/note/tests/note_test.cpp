#include "music/framework/classregistry.h"
#include "music/framework/dispatch.h"
#include "music/framework/persistence.h"
#include "music/framework/textmetrics.h"
#include "music/note/note.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <gtest/gtest.h>

using namespace music;

namespace {
// A font every machine here has, so layout arithmetic can be checked without the music font.
QFont knownFont() {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(37);
    return f;
}

QVector<NoteDrawOp> linesOf(const QVector<NoteDrawOp>& ops) {
    QVector<NoteDrawOp> out;
    for (const auto& op : ops)
        if (op.kind == NoteDrawOp::Line) out << op;
    return out;
}
QVector<NoteDrawOp> textsOf(const QVector<NoteDrawOp>& ops) {
    QVector<NoteDrawOp> out;
    for (const auto& op : ops)
        if (op.kind == NoteDrawOp::Text) out << op;
    return out;
}
} // namespace

TEST(NoteDurations, UndottedAndDottedTicks) {
    struct Row { int note, dots, ticks; } rows[] = {
        {Whole, 0, 8192},          {Half, 0, 4096},           {Quarter, 0, 2048},
        {Eighth, 0, 1024},         {Sixteenth, 0, 512},       {ThirtySecondth, 0, 256},
        {SixtyFourth, 0, 128},     {OneTwentyEighth, 0, 64},  {DoubleWhole, 0, 16384},
        {Quarter, 1, 3072},        {Half, 2, 7168},           {Eighth, 1, 1536},
        {Half, 1, 6144},           {Whole, 6, 16256},         {OneTwentyEighth, 6, 127},
        {DoubleWhole, 1, 24576},   {Sixteenth, 3, 960},
    };
    for (const Row& r : rows) {
        Note n;
        n.setNote(r.note);
        n.setDotsNumberOf(r.dots);
        EXPECT_EQ(n.NoteValue(), r.ticks) << "note " << r.note << " dots " << r.dots;
        EXPECT_EQ(dispGet(&n, "noteValue").toInt(), r.ticks);   // late-bound, either case
    }
}

TEST(NoteDurations, DotsSetBeforeTheValueStillCount) {
    Note n;
    n.setDotsNumberOf(1);
    EXPECT_EQ(n.NoteValue(), 3072);
    n.setNote(Half);
    EXPECT_EQ(n.NoteValue(), 6144);
    n.setNote(9);                     // no such value: the duration stays
    EXPECT_EQ(n.NoteValue(), 6144);
    n.setDotsNumberOf(0);             // recomputed from the last undotted duration
    EXPECT_EQ(n.NoteValue(), 4096);
}

TEST(NoteSetters, DefaultsMatchTheFreshControl) {
    Note n;
    EXPECT_EQ(n.noteName(), Quarter);
    EXPECT_EQ(n.headText(), glyph(0xCF));
    EXPECT_EQ(n.NoteValue(), 2048);
    EXPECT_EQ(n.StemDirection(), Up);
    EXPECT_EQ(n.StemLength(), -10);
    EXPECT_EQ(n.NoteTop(), 20);
    EXPECT_EQ(n.NoteLeft(), 5);
    EXPECT_EQ(n.AccidentalOffset(), 5);
    EXPECT_EQ(n.accidentalText(), QString());
    EXPECT_EQ(n.LineSpace(), 10);
    EXPECT_EQ(n.LineNote(), -1);
    EXPECT_EQ(n.Rest(), 0);
    EXPECT_EQ(n.DotsNumberOf(), 0);
}

TEST(NoteSetters, StoredClampedAndFlagRules) {
    struct Row { const char* prop; int in, out; } rows[] = {
        {"DotsNumberOf", 9, 6},   {"DotsNumberOf", -1, 0},   {"DotsNumberOf", 3, 3},
        {"Rest", 5, -1},          {"Rest", 1, -1},           {"Rest", 0, 0},
        {"HideFlags", 2, -1},     {"MirroredNoteHead", -7, -1}, {"LineNote", 0, 0},
        {"LineNote", 1, -1},      {"ReverseLeger", 3, 3},    {"StemDirection", 5, 5},
        {"StemLength", -40, -40}, {"NoteTop", -3, -3},       {"LegerLines", -2, -2},
        {"LineSpace", 0, 0},      {"Octave", 4, 4},          {"RhythmicOffset", 6144, 6144},
        {"AccidentalName", 12, 12}, {"Note", 42, 42},
    };
    for (const Row& r : rows) {
        Note n;
        ASSERT_TRUE(dispPut(&n, r.prop, r.in)) << r.prop;
        EXPECT_EQ(dispGet(&n, r.prop).toInt(), r.out) << r.prop << " " << r.in;
    }
    // A host's boolean arrives as -1 through the dispatch layer as well as true.
    Note n;
    dispPut(&n, "Rest", true);
    EXPECT_EQ(n.Rest(), -1);
}

TEST(NoteGlyphs, HeadAndRestByValue) {
    const unsigned char heads[] = {0x77, 0xFA, 0xCF, 0xCF, 0xCF, 0xCF, 0xCF, 0xCF, 0x57};
    const unsigned char rests[] = {0xEE, 0xEE, 0xCE, 0xE4, 0xC5, 0xA8, 0xF4, 0xE5, 0xE3};
    for (int v = 0; v <= 8; ++v) {
        Note n;
        n.setNote(v);
        EXPECT_EQ(n.headText(), glyph(heads[v])) << v;
        n.setRest(-1);
        EXPECT_EQ(n.headText(), glyph(rests[v])) << v;
        n.setRest(0);
        EXPECT_EQ(n.headText(), glyph(heads[v])) << v;
    }
}

TEST(NoteGlyphs, OutOfRangeValuesKeepTheLastGlyph) {
    Note n;
    n.setNote(Eighth);
    n.setRest(-1);
    EXPECT_EQ(n.headText(), glyph(0xE4));
    n.setNote(9);
    EXPECT_EQ(n.headText(), glyph(0xE4));
    EXPECT_EQ(n.NoteValue(), 1024);
    n.setRest(0);                       // nothing to choose from for value 9
    EXPECT_EQ(n.headText(), glyph(0xE4));
    n.setNote(Half);
    EXPECT_EQ(n.headText(), glyph(0xFA));

    const QString acc[] = {"", "#", "b", glyph(0xBA), glyph(0xDC), "n", "n#", "nb"};
    for (int a = 0; a <= 7; ++a) {
        n.setAccidentalName(a);
        EXPECT_EQ(n.accidentalText(), acc[a]) << a;
    }
    n.setAccidentalName(8);
    EXPECT_EQ(n.AccidentalName(), 8);
    EXPECT_EQ(n.accidentalText(), "nb");
}

TEST(NoteStemPosition, TwipsInTheContainer) {
    QWidget host;
    Note n(&host);
    n.setFont_(knownFont());
    n.move(100, 40);
    n.setStemDirection(Down);
    EXPECT_EQ(n.StemPosition(), 1575);
    EXPECT_EQ(n.lastStemPosition(), 1575);
    n.setStemDirection(Up);
    const int w = textWidth(knownFont(), glyph(0xCF));
    ASSERT_GT(w, 0);
    EXPECT_EQ(dispGet(&n, "stemposition").toInt(), (100 + 5 + w - 1) * 15);
    n.setNoteLeft(15);
    bool called = false;
    EXPECT_EQ(dispCall(&n, "StemPosition", QVariantList(), &called).toInt(), (100 + 15 + w - 1) * 15);
}

TEST(NoteDispatch, IdsAndClassRegistration) {
    Note n;
    EXPECT_EQ(dispIdOf(&n, "Note"), 1);
    EXPECT_EQ(dispIdOf(&n, "linenote"), 18);
    EXPECT_EQ(dispIdOf(&n, "StemPosition"), 19);
    EXPECT_EQ(dispIdOf(&n, "NoteValue"), 20);
    EXPECT_EQ(dispIdOf(&n, "ReverseLeger"), 21);
    EXPECT_EQ(dispIdOf(&n, "Font"), DISPID_FONT);
    EXPECT_EQ(dispIdOf(&n, "TabStop"), 0);   // not a stock property of Note
    EXPECT_EQ(dispIdOf(&n, "Caption"), 0);
    EXPECT_TRUE(dispPut(&n, 11, 2));          // DotsNumberOf
    EXPECT_EQ(n.DotsNumberOf(), 2);
    QVariant v;
    EXPECT_TRUE(dispGet(&n, 20, &v));
    EXPECT_EQ(v.toInt(), 3584);

    const ClassInfo* info = ClassRegistry::instance().byProgId("Music.Note.1");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->description, "Note Class");
    EXPECT_EQ(info->clsid, "{5E5AFBA5-C51D-4433-AE39-0307D345A765}");
    EXPECT_EQ(info->toolboxBitmap, 109);
    QWidget host;
    QObject* o = ClassRegistry::instance().createObject("music.note", &host);
    ASSERT_NE(qobject_cast<Note*>(o), nullptr);
    delete o;
}

TEST(NotePersistence, RoundTripRebuildsDerivedStateButNotLineNote) {
    Note a;
    a.resize(37, 117);
    a.setFont_(knownFont());
    a.setForeColor(0xFF00FF);
    a.setNote(Sixteenth);
    a.setRest(-1);
    a.setStemDirection(Down);
    a.setStemLength(-14);
    a.setNoteTop(12);
    a.setNoteLeft(15);
    a.setAccidentalOffset(0);
    a.setAccidentalName(mNaturalSharp);
    a.setRhythmicOffset(4096);
    a.setOctave(-1);
    a.setDotsNumberOf(2);
    a.setDotsYOffset(-3);
    a.setDotsXOffset(4);
    a.setHideFlags(-1);
    a.setMirroredNoteHead(-1);
    a.setLegerLines(2);
    a.setLineSpace(12);
    a.setLineNote(0);
    a.setReverseLeger(1);
    const QByteArray data = saveControl(&a);
    EXPECT_FALSE(a.isDirty());

    Note b;
    ASSERT_TRUE(loadControl(&b, data));
    EXPECT_EQ(b.size(), QSize(37, 117));
    for (const char* p : {"Note", "Rest", "StemDirection", "StemLength", "NoteTop", "NoteLeft",
                          "AccidentalOffset", "AccidentalName", "RhythmicOffset", "Octave",
                          "DotsNumberOf", "DotsYOffset", "DotsXOffset", "HideFlags",
                          "MirroredNoteHead", "LegerLines", "LineSpace", "ReverseLeger", "ForeColor"})
        EXPECT_EQ(dispGet(&b, p), dispGet(&a, p)) << p;
    EXPECT_EQ(b.Font().family(), knownFont().family());
    EXPECT_EQ(b.headText(), glyph(0xC5));
    EXPECT_EQ(b.accidentalText(), "n#");
    EXPECT_EQ(b.NoteValue(), 896);
    EXPECT_EQ(b.LineNote(), -1);   // not saved: back at its default

    // The map's order is the saving order; LineNote and the methods are not in it.
    const auto map = propertyMap(&a);
    ASSERT_EQ(map.size(), 25);
    EXPECT_EQ(map[3], qMakePair(QString("Font"), -512));
    EXPECT_EQ(map[7], qMakePair(QString("Note Name"), 1));
    EXPECT_EQ(map[15], qMakePair(QString("Rhythmic Offset from Point of Origin."), 9));
    EXPECT_EQ(map[24], qMakePair(QString("Reverse direction of leger lines"), 21));
}

TEST(NoteLayout, NothingWithoutAFont) {
    Note n;   // never sited: no Font
    ASSERT_FALSE(n.hasFont());
    EXPECT_TRUE(n.drawOps(QRect(0, 0, 40, 120)).isEmpty());
    EXPECT_EQ(n.StemPosition(), (0 + 5 + 0 - 1) * 15);   // a head without width
}

// The arithmetic of each drawing path, with a text font whose metrics are known.
class NoteLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        n.setFont_(knownFont());
        tm = textMetrics(knownFont());
        head = textWidth(knownFont(), glyph(0xCF));
        ASSERT_GT(tm.internalLeading, 0);
    }
    Note n;
    TextMetrics tm;
    int head = 0;
    const QRect box{10, 30, 40, 120};   // L = 10, T = 30
};

TEST_F(NoteLayoutTest, StemUpRunsFromHeadToTopAndFlagsHangRightOfIt) {
    n.setNote(SixtyFourth);
    const auto ops = n.drawOps(box);
    const auto lines = linesOf(ops), texts = textsOf(ops);
    const int IL = tm.internalLeading, H = tm.height;
    const int xs = 10 + 5 + head - 1, top = 30 + 20;
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].x, xs);
    EXPECT_EQ(lines[0].x2, xs);
    EXPECT_EQ(lines[0].y, top + 10);                  // StemLength -10 lengthens it upwards
    EXPECT_EQ(lines[0].y2, top + IL + IL / 25);
    ASSERT_EQ(texts.size(), 5);                       // head, three inner flags, the end flag
    EXPECT_EQ(texts[0].text, glyph(0xCF));
    EXPECT_EQ(texts[0].x, 15);
    const int yf = top - IL + 10;
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(texts[k].x, xs);
        EXPECT_EQ(texts[k].y, yf + (k - 1) * (H / 10));
        EXPECT_EQ(texts[k].text, glyph(k == 4 ? 0x6A : 0xFB));
    }
}

TEST_F(NoteLayoutTest, StemDownStandsLeftAndFlagsClimbFromItsEnd) {
    n.setNote(ThirtySecondth);
    n.setStemDirection(Down);
    const auto ops = n.drawOps(box);
    const auto lines = linesOf(ops), texts = textsOf(ops);
    const int IL = tm.internalLeading, H = tm.height;
    const int v = int(tm.height * -1.2);
    const int top = 50;
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].x, 15);
    EXPECT_EQ(lines[0].y, top + IL);
    EXPECT_EQ(lines[0].y2, top - 10 - v);
    ASSERT_EQ(texts.size(), 4);
    const int yf = top - 10 - v / 2;
    EXPECT_EQ(texts[1].y, yf);
    EXPECT_EQ(texts[2].y, yf - H / 10);
    EXPECT_EQ(texts[3].y, yf - 2 * (H / 10));
    EXPECT_EQ(texts[1].text, glyph(0xF0));
    EXPECT_EQ(texts[3].text, glyph(0x4A));
}

TEST_F(NoteLayoutTest, HiddenFlagsAndStemlessValues) {
    n.setNote(Eighth);
    n.setHideFlags(-1);
    auto ops = n.drawOps(box);
    EXPECT_EQ(linesOf(ops).size(), 1);
    EXPECT_EQ(textsOf(ops).size(), 1);
    for (int v : {int(Whole), int(DoubleWhole)}) {
        for (int dir : {int(Up), int(Down), 7}) {
            n.setNote(v);
            n.setStemDirection(dir);
            n.setLegerLines(dir == 7 ? 0 : 1);
            ops = n.drawOps(box);
            // No stem whatever the direction; the one leger line is still drawn.
            EXPECT_EQ(linesOf(ops).size(), dir == 7 ? 0 : 1) << v << " " << dir;
            for (const auto& l : linesOf(ops)) EXPECT_EQ(l.y, l.y2);
        }
    }
}

TEST_F(NoteLayoutTest, LegerLinesOnTheirSide) {
    const int IL = tm.internalLeading, d = IL / 35, y0 = 50 + IL;
    struct Row { int dir, reverse, lineNote; int firstY; int step; } rows[] = {
        {Up, 0, -1, y0 + d, -10},        // low note: lines climb towards the staff
        {Up, 0, 0, y0 - 3 * d, -10},
        {Down, 0, -1, y0 + d, 10},       // high note: lines go down towards the staff
        {Down, 0, 0, y0 + 5 * d, 10},
        {Up, 1, -1, y0 + d, 10},         // reversed
        {Down, 1, 0, y0 - 3 * d, -10},
    };
    for (const Row& r : rows) {
        n.setNote(Whole);
        n.setStemDirection(r.dir);
        n.setReverseLeger(r.reverse);
        n.setLineNote(r.lineNote);
        n.setLegerLines(3);
        const auto lines = linesOf(n.drawOps(box));
        ASSERT_EQ(lines.size(), 3);
        const int w = textWidth(knownFont(), glyph(0x77));
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(lines[i].y, r.firstY + i * r.step) << r.dir << r.reverse << r.lineNote << i;
            EXPECT_EQ(lines[i].x, 15 - 5);
            EXPECT_EQ(lines[i].x2, 15 + 5 + w);
        }
    }
    n.setStemDirection(3);                 // neither up nor down: no leger lines
    EXPECT_TRUE(linesOf(n.drawOps(box)).isEmpty());
    n.setStemDirection(Up);
    n.setLegerLines(0);
    EXPECT_TRUE(linesOf(n.drawOps(box)).isEmpty());
}

TEST_F(NoteLayoutTest, MirroredHeadSitsAcrossTheStem) {
    n.setMirroredNoteHead(-1);
    n.setLegerLines(1);
    n.setStemDirection(Up);
    auto ops = n.drawOps(box);
    EXPECT_EQ(textsOf(ops)[0].x, 15 + head - 1);   // head right of the stem
    EXPECT_EQ(linesOf(ops)[0].x, 15 + head - 1);   // stem where it always is
    EXPECT_EQ(linesOf(ops)[1].x, 15 - 5 + head);   // leger line follows the head
    EXPECT_EQ(linesOf(ops)[1].x2, 15 + head + 5 + head);

    n.setStemDirection(Down);
    ops = n.drawOps(box);
    EXPECT_EQ(textsOf(ops)[0].x, 15 - head + 1);   // head left of the stem
    EXPECT_EQ(linesOf(ops)[0].x, 15);
    EXPECT_EQ(linesOf(ops)[1].x, 15 - head - 5);
    EXPECT_EQ(linesOf(ops)[1].x2, 15 - head + 5 + head);
}

TEST_F(NoteLayoutTest, AccidentalAndDots) {
    n.setAccidentalName(mFlat);
    n.setDotsNumberOf(2);
    n.setDotsXOffset(1);
    n.setDotsYOffset(-2);
    const int wa = textWidth(knownFont(), "b"), wd = textWidth(knownFont(), ".");
    // The note sits on a staff line (LineNote), with the next line LineSpace above: its dots
    // centre in the space between them, two pixels higher (DotsYOffset).
    const int IL = tm.internalLeading, headLine = 50 + IL + IL / 35, spaceMiddle = headLine - n.LineSpace() / 2;
    QPainterPath dot;
    dot.addText(0, tm.ascent, knownFont(), ".");
    const double inkCentre = dot.boundingRect().center().y();
    struct Row { int mirrored, dir; double f; int accX; } rows[] = {
        {0, Up, 1.6, 15 - 5 - wa},  {0, Down, 1.6, 15 - 5 - wa},
        {-1, Up, 3.5, 15 - 5 - wa}, {-1, Down, 0.03, 15 - 5 - 2 * wa},
    };
    for (const Row& r : rows) {
        n.setMirroredNoteHead(r.mirrored);
        n.setStemDirection(r.dir);
        const auto texts = textsOf(n.drawOps(box));
        ASSERT_GE(texts.size(), 4);
        EXPECT_EQ(texts[0].text, "b");
        EXPECT_EQ(texts[0].x, r.accX);
        EXPECT_EQ(texts[0].y, 50);
        for (int i = 1; i <= 2; ++i) {
            EXPECT_EQ(texts[i].text, ".");
            EXPECT_EQ(texts[i].x, int(wd * r.f) + int(1.6 * i * wd) + 1 + 15) << r.mirrored << r.dir;
            EXPECT_NEAR(texts[i].y + inkCentre, spaceMiddle - 2 + 0.5, 0.5) << r.mirrored << r.dir << " dot " << i;
        }
    }
}

// Where the dots' ink centres, in rows below NoteTop: never on a line. The head's line (a
// leger line through it) is at IL + IL/35; a note on it dots the space above, a note in a
// space dots its own; rests dot the space above the middle line (the half rest's line at
// IL + IL/25) or below the line the whole rest hangs from (IL - IL/15). The host's
// DotsYOffset still moves them.
TEST_F(NoteLayoutTest, DotsCentreInTheirSpace) {
    const int IL = tm.internalLeading;
    struct Row { int note, rest, lineNote, lineSpace, yOffset, row; } rows[] = {
        {Quarter, 0, -1, 10, 0, IL + IL / 35 - 5},   {Quarter, 0, 0, 10, 0, IL + IL / 35},
        {Half, 0, -1, 12, 0, IL + IL / 35 - 6},      {Whole, 0, 0, 12, 0, IL + IL / 35},
        {Eighth, 0, -1, 10, 3, IL + IL / 35 - 5 + 3}, {Half, -1, -1, 10, 0, IL + IL / 25 - 5},
        {Quarter, -1, 0, 10, 0, IL + IL / 25 - 5},   {Whole, -1, -1, 10, 0, IL - IL / 15 + 5},
    };
    QPainterPath dot;
    dot.addText(0, tm.ascent, knownFont(), ".");
    const double inkCentre = dot.boundingRect().center().y();
    for (const Row& r : rows) {
        n.setNote(r.note);
        n.setRest(r.rest);
        n.setLineNote(r.lineNote);
        n.setLineSpace(r.lineSpace);
        n.setDotsYOffset(r.yOffset);
        n.setDotsNumberOf(1);
        const auto texts = textsOf(n.drawOps(box));
        ASSERT_GE(texts.size(), 2);
        ASSERT_EQ(texts[0].text, ".");
        // The middle of pixel row `row` below the note's top (box top 30 + NoteTop 20).
        EXPECT_NEAR(texts[0].y + inkCentre, 50 + r.row + 0.5, 0.5)
            << "note " << r.note << " rest " << r.rest << " line " << r.lineNote;
    }
}

TEST_F(NoteLayoutTest, RestsDrawTheirGlyphAndOnlyWholeAndHalfALine) {
    const int IL = tm.internalLeading;
    struct Row { int note; bool line; int y; } rows[] = {
        {Whole, true, 50 + IL - IL / 15}, {Half, true, 50 + IL + IL / 25},
        {Quarter, false, 0}, {Eighth, false, 0}, {OneTwentyEighth, false, 0}, {DoubleWhole, false, 0},
    };
    for (const Row& r : rows) {
        n.setNote(r.note);
        n.setRest(-1);
        n.setLegerLines(2);
        const auto ops = n.drawOps(box);
        const auto lines = linesOf(ops);
        ASSERT_EQ(textsOf(ops).size(), 1) << r.note;   // no flags
        ASSERT_EQ(lines.size(), r.line ? 1 : 0) << r.note;
        if (r.line) {
            const int w = textWidth(knownFont(), n.headText());
            const int xr = 15 + w - 1;
            EXPECT_EQ(lines[0].x, xr - 15);
            EXPECT_EQ(lines[0].x2, xr + (w / 3) * 2);
            EXPECT_EQ(lines[0].y, r.y);
            EXPECT_EQ(lines[0].y2, r.y);
        }
    }
}

TEST_F(NoteLayoutTest, AHugeLegerCountDrawsOnlyTheLinesInsideTheControl) {
    const int IL = tm.internalLeading, first = 50 + IL + IL / 35;   // the head's line
    struct Row { int dir, space, count; int expectFirst, expectStep, expectLines; } rows[] = {
        {Up, 10, 1000000, first, -10, (first - 30) / 10 + 1},     // up to the control's top
        {Down, 10, 1000000, first, 10, (149 - first) / 10 + 1},   // down to its bottom
        {Up, -10, 1000000, first, 10, (149 - first) / 10 + 1},    // a negative space turns them
        {Up, 0, 1000000, first, 0, 1},                            // all on one row
        {Up, 10, 2147483647, first, -10, (first - 30) / 10 + 1},  // the largest count
    };
    for (const Row& r : rows) {
        n.setNote(Whole);
        n.setStemDirection(r.dir);
        n.setLineSpace(r.space);
        n.setLegerLines(r.count);
        const auto lines = linesOf(n.drawOps(box));
        ASSERT_EQ(lines.size(), r.expectLines) << r.dir << " " << r.space;
        for (int i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].y, r.expectFirst + i * r.expectStep);
    }
}

TEST(NoteDrawing, ATextFontDrawsTheCodesAsLetters) {
    QWidget host;
    host.resize(60, 120);
    Note n(&host);
    n.setGeometry(10, 0, 40, 117);
    n.setFont_(knownFont());
    n.setNote(Quarter);
    n.setRest(-1);   // one glyph, no lines
    QImage img(host.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    host.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);

    QImage expected(host.size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QPainter p(&expected);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.setClipRect(n.geometry());
        p.setFont(knownFont());
        p.setPen(Qt::black);
        drawTextTop(p, 10 + 5, 20, QString(QChar(0xCE)));   // the letter at the rest's code
    }
    EXPECT_EQ(img, expected);
}
