// A sheet of key signatures, key changes, ties and slurs, bar lines and beams, placed on staves
// the way the student program places its elements (twips, 15 to a pixel), with checks where a
// musician would see a fault: a stem that does not reach its beam, a bar line that does or
// does not cross the gap between staves, a tie that cuts through a note head.
#include "music/accidental/accidental.h"
#include "music/barline/barline.h"
#include "music/beam/beammusic.h"
#include "music/clef/clef.h"
#include "music/framework/textmetrics.h"
#include "music/metre/metre.h"
#include "music/note/note.h"
#include "music/phrase/phrase.h"
#include "music/staff/staff.h"
#include "testoutput.h"

#include <QImage>
#include <QLabel>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>

using namespace music;

namespace {

int px(int twips) { return int(std::floor(twips / 15.0)); }
void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(px(left), px(top), px(width), px(height));
}

constexpr int kLineTop = 30;   // the lesson templates' staff: top line 30 px below the element

bool ink(const QImage& img, int x, int y) {
    return img.rect().contains(x, y) && qGray(img.pixel(x, y)) < 160;
}

struct Sheet {
    QWidget host;
    QVector<QWidget*> staves;   // made first, so every symbol paints over them

    Sheet() { host.resize(1060, 1700); }

    Staff* staff(int left, int top, int width) {
        auto* s = new Staff(&host);
        place(s, left, top, width, 1450);
        s->setLineTop(kLineTop);
        s->setLineLeft(0);
        s->setLineWidth(px(width));
        s->setLineSpace(10);
        staves << s;
        return s;
    }
    // Pixel row of staff line k (0 = top) of a staff element at `top` twips.
    static int lineY(int top, int k) { return px(top) + kLineTop + 10 * k; }

    // The clef adder's place: 60 twips in; the treble clef's top 270 twips above the top line,
    // the bass clef's 570.
    Clef* clef(int staffLeft, int staffTop, int which) {
        auto* c = new Clef(&host);
        place(c, staffLeft + 60, staffTop + 15 * kLineTop - (which == Bass ? 570 : 270), 600, 1500);
        c->setClef(which);
        return c;
    }

    Metre* metre(int staffLeft, int staffTop, int pulses, int value) {
        auto* m = new Metre(&host);
        place(m, staffLeft + 160, staffTop + 350, 600, 900);
        m->setPulses(pulses);
        m->setNoteValue(value);
        return m;
    }

    // The lesson template of a key signature: 750/645 against a staff at 120/465, so 630
    // twips in and 180 down, 945 x 915 twips. KeyTop -30 puts step 0 on the top line (18 px
    // below the control). A bass signature stands two steps lower: the control moves down
    // 150 twips.
    AccidentalControl* keySignature(int left, int staffTop, int oldKey, int newKey, bool bass, int width = 945) {
        auto* a = new AccidentalControl(&host);
        place(a, left, staffTop + 180 + (bass ? 150 : 0), width, 915);
        a->setKeyMode(KeySignature);
        a->setKeyTop(-30);
        a->setKeyOldMajor(oldKey);
        a->setKeyNewMajor(newKey);
        return a;
    }

    // A bar line closing a staff segment: left = the segment's right end - 75, top 15 twips
    // below the staff's top line, one staff group per staff at its top line in pixels.
    BarLineControl* bar(int right, const QVector<int>& staffTops, int type, bool breakBar = true,
                        int width = 75, int height = 615) {
        auto* b = new BarLineControl(&host);
        place(b, right - 75, staffTops.first() + 15 * kLineTop + 15, width, height);
        b->setBarLineType(type);
        b->setBreakBar(breakBar ? -1 : 0);
        for (int top : staffTops) b->Add(px(top) + kLineTop);
        return b;
    }

    // The note adder's template (550 x 1760, NoteLeft 15, NoteTop 20) snapped to staff step
    // `step` (0 = the bottom line, 75 twips a step upwards).
    Note* note(int left, int staffTop, int step, int value, int stem) {
        auto* n = new Note(&host);
        n->setNoteLeft(15);
        n->setNoteTop(20);
        n->setAccidentalOffset(0);
        n->setNote(value);
        n->setStemDirection(stem);
        n->setLineNote(step % 2 == 0 ? -1 : 0);
        place(n, left, staffTop + 15 * kLineTop + 40 * 15 - 720 - 15 * 20 - 75 * step, 550, 1760);
        return n;
    }

    // The slur adder: left = note left + 15 x NoteLeft + 55, width = template width + 150,
    // top = template top + note top - 495 - lift (800 up, 450 down). The design-time template
    // here: top 2000, width 750 (a tie to the next note 900 twips on), height 285, which puts
    // the ends of a curve 9 px above or 8 px below the head's centre alike.
    Phrase* slur(Note* n, int direction, int type, int width = 900) {
        auto* ph = new Phrase(&host);
        const int left = 15 * n->x() + 15 * n->NoteLeft() + 55;
        const int lift = direction == Up ? 800 : 450;
        place(ph, left, 2000 + 15 * n->y() - 495 - lift, width, 285);
        ph->setCurveType(type);
        ph->setCurveDirection(direction == Up ? Up : Down);
        return ph;
    }

    QLabel* label(const QString& text, int x, int y, int points = 8) {
        auto* l = new QLabel(text, &host);
        QFont f("Arial");
        f.setPixelSize(points * 96 / 72);
        l->setFont(f);
        l->move(x, y);
        l->adjustSize();
        return l;
    }

    QImage render() {
        for (QWidget* s : staves) s->lower();
        QImage img(host.size(), QImage::Format_RGB32);
        img.fill(Qt::white);
        host.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
        return img;
    }
};

struct BeamedNote {
    Note* note;
    int stemX;       // pixels
    int beamRow;     // pixel row where the main beam meets the stem (its top row)
};

// The beam palette's rule for the items' beam counts (B = Note - 2), then a BeamMusic over the
// notes: left at the first stem, width to the last stem + 30 twips. Flat beams sit where the
// palette puts them (the highest note's top + 450 twips for stems up, + 1250 for stems down,
// that note keeping StemLength -10); tilted ones are placed by the same measure, and every
// stem is made to reach the beam.
QVector<BeamedNote> beam(Sheet& s, const QVector<Note*>& notes, int angle, bool stemUp) {
    const int n = notes.size();
    auto B = [&](int i) { return notes[i]->noteName() - 2; };
    auto V = [&](int i) { return notes[i]->NoteValue(); };
    auto* bm = new BeamMusic(&s.host);
    bm->setBeamAngle(angle);
    QVector<int> sp;
    for (int i = 0; i < n; ++i) {
        notes[i]->setHideFlags(-1);
        sp << notes[i]->StemPosition();
        int left, right;
        if (i == 0) { left = 0; right = B(0); }
        else if (i == n - 1) { left = B(i); right = 0; }
        else if (V(i - 1) <= V(i) && V(i) <= V(i + 1)) { left = B(i); right = B(i + 1); }
        else if (V(i - 1) < V(i) && V(i) > V(i + 1)) { left = B(i); right = B(i); }
        else { left = B(i - 1); right = B(i); }
        bm->Add(left, right, stemUp ? Up : Down, sp.last());
    }
    // Where the beam's rows run at each stem, relative to the control's top.
    const int d = bm->slopeDivisor();
    QVector<int> o(n);
    o[0] = d > 0 ? (sp[n - 1] / 15 - sp[0] / 15) / d : 0;
    for (int k = 1; k < n; ++k) o[k] = o[k - 1] - (d ? (sp[k] / 15 - sp[k - 1] / 15) / d : 0);
    int top = INT_MAX;
    for (int k = 0; k < n; ++k) {
        // Stem up: the stem's top is the note's top + 30 at StemLength -10; no stem is
        // shorter. Stem down: the stem ends (end excluded) at the note's top + 110, two rows
        // into the main beam; no stem is longer, since a longer one would leave the note
        // control (117 px high) and be cut off.
        const int t = notes[k]->y();
        top = qMin(top, stemUp ? t + 30 - o[k] : t + 110 - 27 - o[k]);
    }
    int maxO = 0;
    QVector<BeamedNote> out;
    for (int k = 0; k < n; ++k) {
        maxO = qMax(maxO, o[k]);
        const int t = notes[k]->y();
        const int row = top + o[k] + (stemUp ? 0 : 25);
        notes[k]->setStemLength(stemUp ? t + 20 - row : row + 2 - t - 120);
        out.push_back({notes[k], sp[k] / 15, row});
    }
    bm->setGeometry(sp[0] / 15, top, px(sp[n - 1] - sp[0] + 30), maxO + 31);
    return out;
}

QString keyName(int key) {
    static const char* sharps[] = {"C", "G", "D", "A", "E", "B", "F#", "C#"};
    static const char* flats[] = {"C", "F", "Bb", "Eb", "Ab", "Db", "Gb", "Cb"};
    return QString(key >= 0 ? sharps[key] : flats[-key]) + " major";
}

} // namespace

TEST(MarksSheet, KeysBarsTiesSlursAndBeams) {
    {
        QWidget probe;
        Note n(&probe);
        if (!n.hasFont()) GTEST_SKIP() << "the music font is not installed";
    }
    Sheet s;
    s.label("Key signatures from C (KeyMode 1 on the lesson template, 945 x 915 twips)", 8, 4, 10);

    // Key signatures, treble then bass: C and the sharp keys, then the flat keys.
    const int rowKeys[4][8] = {{0, 1, 2, 3, 4, 5, 6, 7}, {-1, -2, -3, -4, -5, -6, -7, 99},
                               {0, 1, 2, 3, 4, 5, 6, 7}, {-1, -2, -3, -4, -5, -6, -7, 99}};
    for (int r = 0; r < 4; ++r) {
        const int top = 600 + r * 1800;
        const bool bass = r >= 2;
        const int count = rowKeys[r][7] == 99 ? 7 : 8;
        for (int i = 0; i < count; ++i) {
            const int left = 120 + i * 1755;
            s.staff(left, top, 1755);
            s.clef(left, top, bass ? Bass : Treble);
            s.keySignature(left + 630, top, 0, rowKeys[r][i], bass);
            const bool last = i == count - 1;
            s.bar(left + 1755, {top}, last ? Finale : fmBarLines::BarLine, true, last ? 150 : 75);
            s.label(keyName(rowKeys[r][i]), px(left) + 40, Sheet::lineY(top, 4) + 17);
        }
    }

    // Key changes after a double bar: the naturals first, then the new key, treble and bass.
    const int sharpWidth = textWidth(AccidentalControl(&s.host).Font(), "#");
    s.label("Key changes: E, then B-flat, D-flat, F, A and C majors", 8, px(8100) + 4, 10);
    const QPair<int, int> changes[] = {{4, -2}, {-2, -5}, {-5, -1}, {-1, 3}, {3, 0}};
    for (int r = 0; r < 2; ++r) {
        const int top = 8100 + 300 + r * 1800;
        const bool bass = r == 1;
        s.staff(120, top, 1755);
        s.clef(120, top, bass ? Bass : Treble);
        s.keySignature(120 + 630, top, 0, 4, bass);
        s.bar(120 + 1755, {top}, DoubleBarLine, true, 150);
        s.label(keyName(4), px(120) + 40, Sheet::lineY(top, 4) + 17);
        int left = 120 + 1755;
        for (int i = 0; i < 5; ++i) {
            const auto [from, to] = changes[i];
            const int cols = keySignatureLayout(from, to, TrebleSharpOrder).size();
            const int width = 15 * (cols * sharpWidth + 28);
            s.staff(left, top, width);
            s.keySignature(left + 120, top, from, to, bass, 15 * (cols * sharpWidth + 4));
            // The final bar here gets room for its thick stroke (the lessons give it 150 twips).
            s.bar(left + width, {top}, i == 4 ? Finale : DoubleBarLine, true, i == 4 ? 300 : 150);
            s.label(keyName(to), px(left) + 8, Sheet::lineY(top, 4) + 17);
            left += width;
        }
    }

    // Ties and slurs, placed by the slur adder over the first note of each group.
    const int tieTop = 12300;
    s.label("Ties and slurs: below stems-up notes, above stems-down notes", 8, px(tieTop) - 30, 10);
    struct Group { const char* name; QVector<int> steps; int value, stem, dir, type, spacing, rightOffset; };
    const Group groups[] = {
        {"tie, down", {2, 2}, Half, Up, Down, Tie, 900, 0},
        {"tie, up", {6, 6}, Half, Down, Up, Tie, 900, 0},
        {"slur, down", {2, 0, 0, 2}, Quarter, Up, Down, Slur, 600, 0},
        {"slur, up", {5, 7, 7, 5}, Quarter, Down, Up, Slur, 600, 0},
        {"slur, down, RightOffset 15", {0, 1, 2, 3}, Quarter, Up, Down, Slur, 600, 15},
    };
    QVector<QPair<Phrase*, QVector<Note*>>> phrases;
    int right = 120 + 900;
    QVector<int> tieBars;
    for (const Group& g : groups) {
        const int first = right + 300;
        QVector<Note*> notes;
        for (int k = 0; k < g.steps.size(); ++k)
            notes << s.note(first + k * g.spacing, tieTop, g.steps[k], g.value, g.stem);
        const int span = g.spacing * (g.steps.size() - 1);
        Phrase* ph = s.slur(notes.first(), g.dir, g.type, span);
        ph->setRightOffset(g.rightOffset);
        phrases.push_back({ph, notes});
        s.label(g.name, px(first), Sheet::lineY(tieTop, 0) - 44);
        right = first + span + 900;
        tieBars << right;
    }
    s.staff(120, tieTop, right - 120);
    s.clef(120, tieTop, Treble);
    for (int b : tieBars) s.bar(b, {tieTop}, b == right ? Finale : fmBarLines::BarLine, true, b == right ? 150 : 75);

    // The six bar lines over a two-staff system, through the system and broken between staves.
    const int kinds[] = {fmBarLines::BarLine, DoubleBarLine, RepeatStart, RepeatEnd, Dashed, Finale};
    const int widths[] = {75, 150, 360, 360, 75, 150};
    const char* kindNames[] = {"BarLine", "DoubleBarLine", "RepeatStart", "RepeatEnd", "Dashed", "Finale"};
    QVector<BarLineControl*> systemBars[2];
    int systemTops[2];
    for (int sys = 0; sys < 2; ++sys) {
        const int treble = 14400 + sys * 2850, bass = treble + 1200;
        systemTops[sys] = treble;
        s.label(sys == 0 ? "Bar lines, BreakBar False: through the system"
                         : "Bar lines, BreakBar True: broken between staves",
                8, Sheet::lineY(treble, 0) - 34, 10);
        s.staff(120, treble, 600 + 6 * 1500);
        s.staff(120, bass, 600 + 6 * 1500);
        s.clef(120, treble, Treble);
        s.clef(120, bass, Bass);
        const int trebleSteps[] = {4, 5, 6, 7, 6, 5}, bassSteps[] = {2, 3, 4, 5, 4, 1};
        for (int m = 0; m < 6; ++m) {
            const int left = 720 + m * 1500;
            s.note(left + 500, treble, trebleSteps[m], Whole, Up);
            s.note(left + 500, bass, bassSteps[m], Whole, Up);
            systemBars[sys] << s.bar(left + 1500, {treble, bass}, kinds[m], sys == 1, widths[m], 2000);
            if (sys == 0) s.label(kindNames[m], px(left + 1500) - 40, Sheet::lineY(bass, 4) + 14);
        }
    }

    // Beams at the five tilts: eighths with stems up (2/4), then sixteenths with stems down.
    const int angles[] = {Pos30, Pos15, Deg0, Neg15, Neg30};
    const char* angleNames[] = {"Pos30", "Pos15", "Deg0", "Neg15", "Neg30"};
    QVector<BeamedNote> beamed;
    const int eighthTop = 20700, sixteenthTop = 23100;
    s.label("Beams at the five BeamAngle values: eighths, stems up; sixteenths, stems down",
            8, Sheet::lineY(eighthTop, 0) - 52, 10);
    {
        const int steps[5][4] = {{0, 1, 3, 4}, {1, 2, 2, 3}, {2, 3, 2, 1}, {3, 2, 2, 1}, {4, 3, 1, 0}};
        s.staff(120, eighthTop, 1200 + 5 * 2400);
        s.clef(120, eighthTop, Treble);
        s.metre(120 + 600, eighthTop, SimpleDuple, Quarter);
        for (int g = 0; g < 5; ++g) {
            const int left = 1320 + g * 2400;
            QVector<Note*> notes;
            for (int k = 0; k < 4; ++k) notes << s.note(left + 300 + k * 450, eighthTop, steps[g][k], Eighth, Up);
            beamed += beam(s, notes, angles[g], true);
            s.bar(left + 2400, {eighthTop}, g == 4 ? Finale : fmBarLines::BarLine, true, g == 4 ? 150 : 75);
            s.label(angleNames[g], px(left) + 40, Sheet::lineY(eighthTop, 4) + 14);
        }
    }
    {
        struct Beat { QVector<int> steps, values, dots; };
        const Beat beats[5] = {
            {{4, 5, 7, 8}, {Sixteenth, Sixteenth, Sixteenth, Sixteenth}, {0, 0, 0, 0}},
            {{5, 6, 6}, {Eighth, Sixteenth, Sixteenth}, {0, 0, 0}},
            {{6, 5, 6, 7}, {Sixteenth, Sixteenth, Sixteenth, Sixteenth}, {0, 0, 0, 0}},
            {{7, 6}, {Eighth, Sixteenth}, {1, 0}},
            {{8, 7, 5}, {Sixteenth, Sixteenth, Eighth}, {0, 0, 0}},
        };
        s.staff(120, sixteenthTop, 900 + 5 * 2100);
        s.clef(120, sixteenthTop, Treble);
        for (int g = 0; g < 5; ++g) {
            const int left = 1020 + g * 2100;
            QVector<Note*> notes;
            int x = left + 300;
            for (int k = 0; k < beats[g].steps.size(); ++k) {
                Note* n = s.note(x, sixteenthTop, beats[g].steps[k], beats[g].values[k], Down);
                n->setDotsNumberOf(beats[g].dots[k]);
                notes << n;
                x += n->NoteValue() >= 1024 ? 540 : 360;
            }
            beamed += beam(s, notes, angles[g], false);
            s.bar(left + 2100, {sixteenthTop}, g == 4 ? Finale : fmBarLines::BarLine, true, g == 4 ? 150 : 75);
            s.label(angleNames[g], px(left) + 40, Sheet::lineY(sixteenthTop, 0) - 30);
        }
    }

    const QImage img = s.render();
    img.save(testOutputPath("marks_sheet.png"));
    img.scaled(img.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .save(testOutputPath("marks_sheet_x3.png"));

    // Every stem reaches its beam: no gap in the stem's column between head and beam.
    for (const BeamedNote& b : beamed) {
        const int head = b.note->y() + 20 + 48;
        const bool up = b.note->StemDirection() == Up;
        const int from = up ? b.beamRow : head + 4, to = up ? head - 4 : b.beamRow + 1;
        for (int y = from; y <= to; ++y)
            EXPECT_TRUE(ink(img, b.stemX, y)) << "stem at x " << b.stemX << ", row " << y;
        // The beam is there at the stem (the last stem meets the beam's end from the side).
        EXPECT_TRUE(ink(img, b.stemX - (up ? 1 : 0), b.beamRow + 1) || ink(img, b.stemX + 1, b.beamRow + 1))
            << "beam at x " << b.stemX;
    }

    // A bar line crosses the gap between the staves only when it is not broken.
    for (int sys = 0; sys < 2; ++sys) {
        const int gapTop = Sheet::lineY(systemTops[sys], 4) + 3;
        const int gapBottom = Sheet::lineY(systemTops[sys] + 1200, 0) - 3;
        for (BarLineControl* b : {systemBars[sys][0], systemBars[sys][1], systemBars[sys][5]}) {
            const int x = b->x() + 2;
            for (int y = gapTop; y <= gapBottom; ++y)
                EXPECT_EQ(ink(img, x, y), sys == 0) << "system " << sys << " bar " << b->BarLineType() << " row " << y;
        }
        // The dashed line keeps its pattern on each staff: the first dash of every staff starts
        // four rows below its top line.
        const BarLineControl* dashed = systemBars[sys][4];
        for (int staffTop : {systemTops[sys], systemTops[sys] + 1200}) {
            const int line0 = Sheet::lineY(staffTop, 0) + 1;   // the bar's top edge
            if (sys == 1) {
                EXPECT_FALSE(ink(img, dashed->x() + 2, line0 + 2));
                EXPECT_TRUE(ink(img, dashed->x() + 2, line0 + 4));
                EXPECT_TRUE(ink(img, dashed->x() + 2, line0 + 7));
                EXPECT_FALSE(ink(img, dashed->x() + 2, line0 + 8));
            }
        }
    }

    // Ties and slurs keep clear of the note heads (12 x 10 px, centred on their line or space).
    for (const auto& [ph, notes] : phrases) {
        const QImage arc = ph->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int inkCount = 0;
        for (int y = 0; y < arc.height(); ++y)
            for (int x = 0; x < arc.width(); ++x) {
                if (qGray(arc.pixel(x, y)) >= 160) continue;
                ++inkCount;
                const QPoint p(ph->x() + x, ph->y() + y);
                for (Note* n : notes) {
                    const QRect head(n->x() + n->NoteLeft(), n->y() + 20 + 48 - 5, 12, 11);
                    EXPECT_FALSE(head.contains(p)) << "curve over " << p.x() << "," << p.y();
                }
            }
        EXPECT_GT(inkCount, 40);
    }
}
