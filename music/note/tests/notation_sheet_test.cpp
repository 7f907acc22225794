// Renders of notes, rests, clefs and time signatures placed as the student program places them,
// with pixel checks where a fault would show: heads off their line or space, stems that do not
// meet their heads, flags on the wrong side, leger lines on the wrong side, figures off the staff.
#include "music/framework/textmetrics.h"
#include "placement.h"
#include "testoutput.h"

#include <QSet>
#include <QStack>
#include <gtest/gtest.h>

using namespace music;
using namespace placement;

namespace {

bool musicFontPresent() {
    QWidget host;
    Note probe(&host);
    return probe.hasFont();
}

#define REQUIRE_MUSIC_FONT() ASSERT_TRUE(musicFontPresent()) << "the music font was not created"

bool ink(const QImage& img, int x, int y) {
    return img.rect().contains(x, y) && qGray(img.pixel(x, y)) < 160;
}

// Bounding box of the ink inside `r`.
QRect inkBox(const QImage& img, const QRect& r) {
    QRect box;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (ink(img, x, y)) box |= QRect(x, y, 1, 1);
    return box;
}

// The ink connected (8-neighbourhood) to (x, y), limited to `limit`.
QSet<quint32> component(const QImage& img, int x, int y, const QRect& limit) {
    QSet<quint32> seen;
    if (!ink(img, x, y)) return seen;
    QStack<QPoint> todo;
    todo.push({x, y});
    seen.insert(quint32(y) << 16 | quint32(x));
    while (!todo.isEmpty()) {
        const QPoint p = todo.pop();
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = p.x() + dx, ny = p.y() + dy;
                if (!limit.contains(nx, ny) || !ink(img, nx, ny)) continue;
                const quint32 key = quint32(ny) << 16 | quint32(nx);
                if (seen.contains(key)) continue;
                seen.insert(key);
                todo.push({nx, ny});
            }
    }
    return seen;
}
QRect boxOf(const QSet<quint32>& pixels) {
    QRect box;
    for (quint32 k : pixels) box |= QRect(int(k & 0xFFFF), int(k >> 16), 1, 1);
    return box;
}

// A window with nothing but the symbols under test (no staff, so ink is the symbol's own).
struct Bench {
    QWidget host;
    StaffAt staff{0, 465, 3000};
    Bench() { host.resize(220, 240); }
    QImage render() { return renderWindow(host); }
};

} // namespace

TEST(NoteDrawing, WholeNoteHeadsCentreOnTheirLineOrSpace) {
    REQUIRE_MUSIC_FONT();
    for (int step = -7; step <= 16; ++step) {
        Bench b;
        Note* n = addNote(&b.host, b.staff, 600, step, Whole);
        n->setLegerLines(0);   // the head alone
        const QImage img = b.render();
        const QRect head = inkBox(img, n->geometry());
        ASSERT_FALSE(head.isNull()) << step;
        // Where the head belongs: the bottom line, then half a line space per step. The snap
        // moves a head in a space beyond a leger line by one pixel towards that line.
        const double want = b.staff.bottomLineY() - 5.0 * step;
        const double centre = (head.top() + head.bottom()) / 2.0;
        EXPECT_LE(std::abs(centre - want), 1.5) << "step " << step << " head rows " << head.top()
                                                << ".." << head.bottom() << " want centre " << want;
        EXPECT_GE(head.height(), 8) << step;
        EXPECT_LE(head.height(), 13) << step;
    }
}

TEST(NoteDrawing, StemsMeetTheirHeadsAndFlagsHangOnTheRight) {
    REQUIRE_MUSIC_FONT();
    for (int value = Half; value <= OneTwentyEighth; ++value) {
        for (int step : {2, 7}) {   // G4 stem up, E5 stem down (treble)
            Bench b;
            Note* n = addNote(&b.host, b.staff, 600, step, value);
            const QImage img = b.render();
            img.save(testOutputPath(QString("note_v%1_s%2.png").arg(value).arg(step)));
            const QRect r = n->geometry();
            const TextMetrics tm = textMetrics(n->Font());
            const int w = textWidth(n->Font(), n->headText());
            const int x0 = r.left() + 15, top = r.top() + 20;
            const int centreY = b.staff.bottomLineY() - 5 * step;
            const bool up = n->StemDirection() == Up;
            ASSERT_EQ(up, step < 5);
            const int xs = up ? x0 + w - 1 : x0;
            // The stem is ink down its whole length.
            const int y1 = up ? top + 10 : top + tm.internalLeading;
            const int y2 = up ? top + tm.internalLeading + tm.internalLeading / 25
                              : top - 10 - int(tm.height * -1.2);
            for (int y = y1; y < y2; ++y) ASSERT_TRUE(ink(img, xs, y)) << value << " " << step << " y " << y;
            // Stem, head and flags are one piece of ink.
            const QSet<quint32> piece = component(img, xs, (y1 + y2) / 2, r.adjusted(-20, -60, 20, 60));
            const int headX = x0 + w / 2;
            EXPECT_TRUE(piece.contains(quint32(centreY) << 16 | quint32(headX)) ||
                        piece.contains(quint32(centreY - 1) << 16 | quint32(headX)) ||
                        piece.contains(quint32(centreY + 1) << 16 | quint32(headX)) ||
                        value == Half)   // the half head is hollow in its middle
                << "head not joined to the stem: value " << value << " step " << step;
            const QRect all = boxOf(piece);
            EXPECT_LE(all.left(), x0 + 1) << value << " " << step;
            EXPECT_GE(all.right(), x0 + w - 2) << value << " " << step;
            const int flags = value >= Eighth ? value - Quarter : 0;
            // Flags: joined ink to the right of the stem at its far end, none to its left.
            const QRect farEnd = up ? QRect(xs + 2, y1, 14, 25 + 8 * (flags - 1))
                                    : QRect(xs + 2, y2 - 25 - 8 * (flags - 1), 14, 25 + 8 * (flags - 1));
            int joinedRight = 0;
            for (quint32 k : piece)
                if (farEnd.contains(int(k & 0xFFFF), int(k >> 16))) ++joinedRight;
            if (flags > 0) EXPECT_GT(joinedRight, 10 * flags) << "flag missing or detached: " << value << " " << step;
            else EXPECT_EQ(joinedRight, 0) << value << " " << step;
            const QRect leftOfStem = up ? QRect(xs - 12, y1, 10, 20) : QRect(xs - 12, y2 - 20, 10, 20);
            EXPECT_TRUE(inkBox(img, leftOfStem).isNull()) << "ink left of the stem end: " << value << " " << step;
        }
    }
}

TEST(NoteDrawing, LegerLinesRunThroughOrNextToTheHeadTowardsTheStaff) {
    REQUIRE_MUSIC_FONT();
    struct Row { int step, lines; } rows[] = {
        {-2, 1}, {-3, 1}, {-4, 2}, {-5, 2}, {-6, 3}, {-7, 3},
        {10, 1}, {11, 1}, {12, 2}, {13, 2}, {14, 3}, {15, 3},
    };
    for (const Row& r : rows) {
        Bench b;
        Note* n = addNote(&b.host, b.staff, 900, r.step, Quarter);
        ASSERT_EQ(n->LegerLines(), r.lines) << r.step;
        const QImage img = b.render();
        const int x0 = n->geometry().left() + 15;
        const int w = textWidth(n->Font(), n->headText());
        // Leger lines lie on the staff's line grid: every 10 pixels above the top line or below
        // the bottom line, from the staff outwards to the line at or next to the head.
        const bool below = r.step < 0;
        for (int i = 1; i <= 4; ++i) {
            const int y = below ? b.staff.bottomLineY() + 10 * i : b.staff.lineY(0) - 10 * i;
            const bool want = i <= r.lines;
            // Sample just outside the head, where only a leger line can be ink.
            EXPECT_EQ(ink(img, x0 - 4, y), want) << "step " << r.step << " line " << i;
            EXPECT_EQ(ink(img, x0 + w + 3, y), want) << "step " << r.step << " line " << i;
            EXPECT_FALSE(ink(img, x0 + w + 5, y)) << "the end point is not painted";
        }
    }
}

TEST(NoteDrawing, WholeRestHangsFromTheFourthLineAndHalfRestSitsOnTheThird) {
    REQUIRE_MUSIC_FONT();
    Bench b;
    Note* whole = addRest(&b.host, b.staff, 300, Whole);
    Note* half = addRest(&b.host, b.staff, 1200, Half);
    const QImage img = b.render();
    img.save(testOutputPath("rests_whole_half.png"));
    const int line4 = b.staff.lineY(1), line3 = b.staff.lineY(2);
    const QRect wr = inkBox(img, whole->geometry());
    const QRect hr = inkBox(img, half->geometry());
    EXPECT_EQ(wr.top(), line4) << "whole rest block rows " << wr.top() << ".." << wr.bottom();
    EXPECT_EQ(hr.bottom(), line3) << "half rest block rows " << hr.top() << ".." << hr.bottom();
    EXPECT_GE(wr.height(), 4);
    EXPECT_GE(hr.height(), 4);
}

TEST(MetreDrawing, FiguresFillTheUpperAndLowerHalvesOfTheStaff) {
    REQUIRE_MUSIC_FONT();
    Bench b;
    Metre* m = addMetre(&b.host, b.staff, 300, CompoundQuadruple, Eighth);
    const QImage img = b.render();
    const QRect upper = inkBox(img, QRect(m->x(), 0, m->width(), b.staff.lineY(2)));
    const QRect lower = inkBox(img, QRect(m->x(), b.staff.lineY(2) + 1, m->width(), 40));
    EXPECT_NEAR(upper.top(), b.staff.lineY(0), 2) << upper.top() << ".." << upper.bottom();
    EXPECT_NEAR(upper.bottom(), b.staff.lineY(2), 2);
    EXPECT_NEAR(lower.top(), b.staff.lineY(2), 2) << lower.top() << ".." << lower.bottom();
    EXPECT_NEAR(lower.bottom(), b.staff.lineY(4), 2);
    // "8" is centred under "12".
    EXPECT_NEAR((upper.left() + upper.right()) / 2.0, (lower.left() + lower.right()) / 2.0, 2.0);
}

TEST(ClefDrawing, ClefsSpanTheStaffWhereTheLessonsPutThem) {
    REQUIRE_MUSIC_FONT();
    struct Row { int clef; bool tenor; int minTop, maxTop, minBottom, maxBottom; } rows[] = {
        // Relative to the top line (0) and bottom line (40).
        {Treble, false, -20, -5, 45, 60},
        {Bass, false, -3, 3, 25, 35},
        {C_Clef, false, -3, 3, 37, 43},
        {C_Clef, true, -13, -7, 27, 33},
        {Percussion, false, 7, 13, 27, 33},
        {Tenor, false, -20, -5, 65, 75},   // the G clef with its 8 below
    };
    for (const Row& r : rows) {
        Bench b;
        Clef* c = addClef(&b.host, b.staff, 300, r.clef, r.tenor);
        const QImage img = b.render();
        const QRect box = inkBox(img, c->geometry());
        ASSERT_FALSE(box.isNull()) << r.clef;
        const int t = box.top() - b.staff.lineY(0), bt = box.bottom() - b.staff.lineY(0);
        EXPECT_GE(t, r.minTop) << "clef " << r.clef << (r.tenor ? " tenor" : "") << " ink " << t << ".." << bt;
        EXPECT_LE(t, r.maxTop) << "clef " << r.clef << " ink " << t << ".." << bt;
        EXPECT_GE(bt, r.minBottom) << "clef " << r.clef << " ink " << t << ".." << bt;
        EXPECT_LE(bt, r.maxBottom) << "clef " << r.clef << " ink " << t << ".." << bt;
    }
}

// The sheet a musician looks at: every clef, notes of every value stem up and down, with and
// without dots and accidentals, every rest, leger lines above and below, every time signature.
TEST(NotationSheet, RendersEverySymbolOnStaves) {
    REQUIRE_MUSIC_FONT();
    QWidget host;
    const int widthTw = 27000;
    const int rowTw = 2700;
    host.resize(px(widthTw) + 20, px(465 + 7 * rowTw));
    auto row = [&](int r) { return StaffAt{120, 465 + r * rowTw, widthTw - 240}; };
    for (int r = 0; r < 7; ++r) addStaff(&host, row(r));

    // Row 0: the clefs, each with a note on the line it names.
    {
        const StaffAt s = row(0);
        struct { int clef; bool tenor; int step; } clefs[] = {
            {Treble, false, 2}, {Bass, false, 6}, {C_Clef, false, 4},
            {C_Clef, true, 6}, {Percussion, false, 4}, {Tenor, false, 2},
        };
        int x = s.left + 60;
        for (const auto& c : clefs) {
            addClef(&host, s, x, c.clef, c.tenor);
            addNote(&host, s, x + 700, c.step, Whole);
            x += 1900;
        }
    }
    // Row 1: every value, stem up (in the lower half of the staff) then stem down.
    // Row 2: the same with one and two dots and every accidental.
    const int values[] = {DoubleWhole, Whole, Half, Quarter, Eighth, Sixteenth, ThirtySecondth,
                          SixtyFourth, OneTwentyEighth};
    for (int r = 1; r <= 2; ++r) {
        const StaffAt s = row(r);
        addClef(&host, s, s.left + 60, Treble);
        int x = s.left + 900;
        for (int pass = 0; pass < 2; ++pass) {
            int k = 0;
            for (int v : values) {
                const int step = pass == 0 ? 1 + k % 4 : 5 + k % 4;
                Note* n = addNote(&host, s, x, step, v);
                // Three or more flags need a longer stem to clear the head, as a host asks
                // for through StemLength (larger is longer either way), and a taller element
                // for a long down stem.
                const int extra = v >= ThirtySecondth && v <= OneTwentyEighth ? 8 * (v - Sixteenth) : 0;
                n->setStemLength(-10 + extra);
                if (extra) n->resize(n->width(), px(2100));
                if (r == 2) {
                    n->setDotsNumberOf(1 + k % 2);
                    n->setAccidentalName(1 + k % 7);
                    // Room for the second dot, which a 550-twip note element cuts off.
                    n->setGeometry(n->x() + 8, n->y(), px(750), n->height());
                }
                x += r == 2 ? 720 : 600;
                ++k;
            }
            x += 400;
        }
    }
    // Row 3: every rest, then seconds with a mirrored head, then beamed-style hidden flags.
    {
        const StaffAt s = row(3);
        addClef(&host, s, s.left + 60, Treble);
        int x = s.left + 900;
        for (int v : values) {
            addRest(&host, s, x, v);
            x += 700;
        }
        x += 500;
        // A second in a chord: the upper head mirrored to the right of an up stem...
        addNote(&host, s, x, 2, Quarter);
        addNote(&host, s, x, 3, Quarter)->setMirroredNoteHead(-1);
        // ... and the lower head mirrored to the left of a down stem.
        x += 900;
        Note* a = addNote(&host, s, x, 7, Quarter);
        Note* b = addNote(&host, s, x, 6, Quarter);
        b->setStemDirection(Down);
        b->setMirroredNoteHead(-1);
        a->setStemDirection(Down);
        x += 900;
        for (int i = 0; i < 4; ++i) {
            Note* n = addNote(&host, s, x, 1 + i, Eighth);
            n->setHideFlags(-1);
            x += 500;
        }
    }
    // Row 4: leger lines below (stem up) and above (stem down), on lines and in spaces, for
    // quarters and whole notes.
    {
        const StaffAt s = row(4);
        addClef(&host, s, s.left + 60, Treble);
        int x = s.left + 900;
        for (int v : {int(Quarter), int(Whole), int(Eighth)}) {
            for (int step : {-2, -3, -4, -5, -6, -7, 10, 11, 12, 13, 14, 15}) {
                addNote(&host, s, x, step, v);
                x += 600;
            }
            x += 300;
        }
    }
    // Row 5: every time signature figure.
    {
        const StaffAt s = row(5);
        addClef(&host, s, s.left + 60, Treble);
        struct { int pulses, value; const char* complex; } metres[] = {
            {Single, Quarter, ""},          {SimpleDuple, Half, ""},       {SimpleTriple, Quarter, ""},
            {SimpleQuadruple, Quarter, ""}, {CompoundDuple, Eighth, ""},   {CompoundTriple, Eighth, ""},
            {CompoundQuadruple, Eighth, ""}, {CompoundQuadruple, Sixteenth, ""},
            {SimpleDuple, Whole, ""},       {SimpleTriple, ThirtySecondth, ""},
            {SimpleQuadruple, SixtyFourth, ""}, {SimpleDuple, OneTwentyEighth, ""},
            {TimePulses::Complex, Eighth, "3+2"}, {SimpleQuadruple, DoubleWhole, ""},
        };
        int x = s.left + 800;
        for (const auto& m : metres) {
            addMetre(&host, s, x, m.pulses, m.value, QString::fromLatin1(m.complex));
            x += QString(m.complex).isEmpty() && m.value != OneTwentyEighth ? 1100 : 1500;
        }
    }
    // Row 6: a short melody as a lesson writes it: treble clef, 3/4, notes and rests.
    {
        const StaffAt s = row(6);
        addClef(&host, s, s.left + 60, Treble);
        addMetre(&host, s, s.left + 160 + 600, SimpleTriple, Quarter);
        int x = s.left + 1700;
        struct { int step, value, dots, acc; bool rest; } tune[] = {
            {0, Quarter, 0, 0, false}, {2, Eighth, 1, 0, false}, {3, Sixteenth, 0, 1, false},
            {4, Half, 0, 0, false},   {5, Quarter, 0, 0, false}, {0, Quarter, 0, 0, true},
            {7, Eighth, 0, 2, false}, {6, Eighth, 0, 0, false},   {-2, Half, 1, 0, false},
            {9, Quarter, 0, 5, false}, {0, Half, 0, 0, true},     {8, Whole, 0, 0, false},
        };
        for (const auto& t : tune) {
            Note* n = t.rest ? addRest(&host, s, x, t.value) : addNote(&host, s, x, t.step, t.value);
            n->setDotsNumberOf(t.dots);
            n->setAccidentalName(t.acc);
            x += 800 + (t.acc ? 150 : 0);
        }
    }

    const QImage sheet = renderWindow(host);
    ASSERT_TRUE(sheet.save(testOutputPath("notation_sheet.png")));
    const QImage big = sheet.scaled(sheet.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    ASSERT_TRUE(big.save(testOutputPath("notation_sheet_x3.png")));
    EXPECT_FALSE(inkBox(sheet, QRect(0, 0, 200, 200)).isNull());
}
