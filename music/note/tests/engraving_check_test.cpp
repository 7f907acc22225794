// The engraving check: every note value with its stem up and down, every rest, every
// accidental before a head on a line and in a space, and the stacked figures of chord
// symbols, drawn at the sizes and places the lessons use (28-point notes, 14-point chord
// symbols), with the checks an engraver's eye makes: flags stay clear of their heads and
// stacked figures stay clear of each other.
#include "music/framework/textmetrics.h"
#include "music/musickey/musickey.h"
#include "placement.h"
#include "testoutput.h"

#include <QLabel>
#include <QPainter>
#include <QSet>
#include <gtest/gtest.h>

using namespace music;
using namespace placement;

namespace {

bool inkAt(const QImage& img, int x, int y, int darkerThan = 160) {
    return img.rect().contains(x, y) && qGray(img.pixel(x, y)) < darkerThan;
}

QRect inkBox(const QImage& img, const QRect& r, int darkerThan = 160) {
    QRect box;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (inkAt(img, x, y, darkerThan)) box |= QRect(x, y, 1, 1);
    return box;
}

// Stems of three or more flags are lengthened by the host, 8 px (a flag's step) for each
// flag beyond two, as the notation sheet does: the rule's stem of about four spaces holds
// two flags and no more.
int hostStemLength(int value) {
    return -10 + (value >= ThirtySecondth && value <= OneTwentyEighth ? 8 * (value - Sixteenth) : 0);
}

Note* addLessonNote(QWidget* host, const StaffAt& s, int leftTw, int step, int value) {
    Note* n = addNote(host, s, leftTw, step, value);
    n->setStemLength(hostStemLength(value));
    if (n->StemLength() > -10) n->resize(n->width(), px(2100));   // room for the long down stem
    return n;
}

QLabel* caption(QWidget* host, const QString& text, int x, int y) {
    auto* l = new QLabel(text, host);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(11);
    l->setFont(f);
    l->move(x, y);
    l->adjustSize();
    return l;
}

struct FigureCase {
    const char* name;
    int notes;      // ChordNotes
    int raised;     // ChordRaisedNotes
    int count;      // figures drawn, one above the other
};
// The figures a theory lesson writes under a numeral (the full figuring of 6/5 is 6/5/3),
// and a raised third whose sharp must stand on its figure's line.
const FigureCase kFigures[] = {
    {"V 6/5", 1 + 4 + 16 + 32, 0, 3}, {"I 6/4", 1 + 8 + 32, 0, 2}, {"V 4/3", 1 + 4 + 8, 0, 2},
    {"V 4/2", 1 + 2 + 8, 0, 2},       {"V 7", 64, 0, 1},           {"V 9/7", 2 + 64, 0, 2},
    {"V #5/3", 1 + 4 + 16, 4, 2},
};

MusicKey* addFigure(QWidget* host, const FigureCase& c, int x, int y) {
    auto* k = new MusicKey(host);
    k->setGeometry(x, y, 80, 44);
    k->setChordDisplay(mRomanNumeral);
    k->setRomanNumber(c.notes == 1 + 8 + 32 ? 1 : 5);
    k->setChordNotes(c.notes);
    k->setChordRaisedNotes(c.raised);
    return k;
}

// The box of a note's head: its glyph alone, drawn where the note draws it.
QRect headBox(const QSize& size, const Note& n) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setFont(n.Font());
    p.setPen(Qt::black);
    drawTextTop(p, n.x() + n.NoteLeft(), n.y() + n.NoteTop(), n.headText());
    p.end();
    return inkBox(img, img.rect());
}

QImage renderAlone(QWidget& w) {
    QImage img(w.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

} // namespace

// The head's box, from the head glyph alone at the place the note draws it; the flags'
// ink, from the note drawn with and without its flags. Every flagged value, stem up and
// down, on a line and in a space, with the lessons' stem (and the host's longer one for
// three flags or more).
TEST(EngravingCheck, FlagsStayClearOfTheirHead) {
    for (int value = Eighth; value <= OneTwentyEighth; ++value) {
        for (int step : {1, 2, 6, 7}) {
            QWidget host;
            host.resize(120, 200);
            const StaffAt staff{0, 465, 1500};
            Note* n = addLessonNote(&host, staff, 300, step, value);
            const bool up = n->StemDirection() == Up;
            ASSERT_EQ(up, step < 4);
            const QImage withFlags = renderWindow(host);
            n->setHideFlags(-1);
            const QImage without = renderWindow(host);

            const QRect head = headBox(host.size(), *n);
            ASSERT_FALSE(head.isNull());

            int flagPixels = 0;
            for (int y = 0; y < host.height(); ++y)
                for (int x = 0; x < host.width(); ++x) {
                    // Any trace of a flag counts, however light its antialiased edge.
                    if (!inkAt(withFlags, x, y, 250) || inkAt(without, x, y, 250)) continue;
                    ++flagPixels;
                    ASSERT_FALSE(head.contains(x, y))
                        << "value " << value << " step " << step << ": flag ink at (" << x << ", " << y
                        << ") inside the head's box " << head.left() << ".." << head.right() << " x "
                        << head.top() << ".." << head.bottom();
                    // Nor level with the head: flags end on their side of it.
                    if (up) ASSERT_LT(y, head.top()) << "value " << value << " step " << step << " x " << x;
                    else ASSERT_GT(y, head.bottom()) << "value " << value << " step " << step << " x " << x;
                }
            EXPECT_GT(flagPixels, 40 * (value - Quarter)) << "flags missing: value " << value;
        }
    }
}

// Each accidental before a head on a line and in a space, as the lessons draw it (NoteLeft
// 15, AccidentalOffset 0): wholly inside the note control, with two clean columns before the
// head.
TEST(EngravingCheck, AccidentalsStandClearOfTheirHeadAndInsideTheirNote) {
    const int minWidth[] = {0, 6, 6, 10, 9, 5, 12, 12};   // ink of each sign, at least
    for (int a = mSharp; a <= mNaturalFlat; ++a) {
        for (int step : {2, 3}) {
            QWidget host;
            host.resize(80, 200);
            const StaffAt staff{0, 465, 1200};
            Note* n = addLessonNote(&host, staff, 300, step, Quarter);
            const QImage plain = renderWindow(host);
            n->setAccidentalName(a);
            const QImage with = renderWindow(host);
            QRect sign;
            for (int y = 0; y < host.height(); ++y)
                for (int x = 0; x < host.width(); ++x)
                    if (inkAt(with, x, y, 250) && !inkAt(plain, x, y, 250)) sign |= QRect(x, y, 1, 1);
            const QRect head = headBox(host.size(), *n);
            ASSERT_FALSE(sign.isNull()) << a;
            EXPECT_GE(sign.left(), n->x()) << "accidental " << a << " cut off at the note's edge";
            EXPECT_GE(sign.width(), minWidth[a]) << "accidental " << a;
            EXPECT_LE(sign.right(), head.left() - 3) << "accidental " << a << " step " << step << " touches its head";
            // On the head's line or space: sharps and naturals centred on it, a flat's bowl
            // around it, ending about where the head ends.
            if (a == mFlat || a == mDoubleFlat) {
                EXPECT_NEAR(sign.bottom(), head.bottom(), 3) << "accidental " << a << " step " << step;
            } else if (a != mNaturalFlat) {
                EXPECT_NEAR(sign.center().y(), head.center().y(), 2) << "accidental " << a << " step " << step;
            }
        }
    }
}

// Rests stand where engraving puts them: the breve rest fills the space below the fourth
// line, the sixteenth's hooks fill the eighth's space and the one below, down to the bottom
// line, and the 64th's hooks start in the 32nd's top space.
TEST(EngravingCheck, RestsStandWhereEngraved) {
    QWidget host;
    host.resize(500, 200);
    const StaffAt s{0, 465, 7000};
    QVector<Note*> rests;
    int x = 150;
    for (int v : {DoubleWhole, Half, Eighth, Sixteenth, ThirtySecondth, SixtyFourth}) {
        rests << addRest(&host, s, x, v);
        x += 900;
    }
    const QImage img = renderWindow(host);
    QVector<QRect> box;
    for (Note* r : rests) box << inkBox(img, r->geometry());
    const QRect breve = box[0], half = box[1], eighth = box[2], sixteenth = box[3],
                thirtySecond = box[4], sixtyFourth = box[5];
    EXPECT_EQ(breve.top(), s.lineY(1));
    EXPECT_EQ(breve.bottom(), s.lineY(2));
    EXPECT_LE(breve.width(), 7) << "a block filling the space, not the half rest's bar";
    EXPECT_NE(breve.size(), half.size());
    EXPECT_NEAR(sixteenth.top(), eighth.top(), 1);
    EXPECT_NEAR(sixteenth.bottom(), s.lineY(4), 1);
    EXPECT_NEAR(sixtyFourth.top(), thirtySecond.top(), 1);
    EXPECT_NEAR(sixtyFourth.bottom(), s.lineY(4) + 10, 1);
}

// Stacked figures are drawn a third of the letter height apart (7 px at 14 points): the
// figures' column must show one band of ink per figure with clean rows between them.
TEST(EngravingCheck, StackedFiguresNeverOverlap) {
    for (const FigureCase& c : kFigures) {
        QWidget host;
        host.resize(100, 60);
        MusicKey* k = addFigure(&host, c, 0, 0);
        const QImage img = renderAlone(host);
        const int w = textWidth(k->CharFont(), k->mainText());
        // The figures' column: the numeral ends at 5 + w, the figures start at w + 8, or
        // 10 px further when a mark stands before them at w + 10.
        const int from = w + 8 + (c.raised ? 10 : 0) - 1;
        QVector<bool> rows(img.height());
        for (int y = 0; y < img.height(); ++y)
            for (int x = from; x < img.width(); ++x) rows[y] = rows[y] || inkAt(img, x, y, 245);
        int bands = 0;
        for (int y = 0; y < img.height(); ++y)
            if (rows[y] && (y == 0 || !rows[y - 1])) ++bands;
        EXPECT_EQ(bands, c.count) << c.name << ": figures run into each other";
        // Each figure stands level with its mark: the sharp of a raised figure is centred on
        // the figure's rows.
        if (c.raised) {
            const QRect mark = inkBox(img, QRect(w + 9, 0, 8, img.height()));
            const QRect figs = inkBox(img, QRect(from, 0, img.width() - from, img.height()));
            ASSERT_FALSE(mark.isNull());
            const QRect lower = inkBox(img, QRect(from, figs.bottom() - 7, img.width() - from, 8));
            EXPECT_NEAR(mark.center().y(), lower.center().y(), 1.5) << c.name;
        }
    }
}

// Augmentation dots as an engraver sets them: the dot of a note on a line stands in the space
// above it, the dot of a note in a space in that space, every rest's dot in the third space
// (beside the half rest on the middle line and under the line the whole rest hangs from);
// each dot clear of the lines, of its head, stem and flag, and whole inside its control. The
// dots are found as what the note adds when DotsNumberOf goes from 0 to 1 or 2.
TEST(EngravingCheck, DotsStandInSpaces) {
    const StaffAt notes1{120, 1065, 16500}, notes2{120, 1065 + 2550, 16500}, flagged{120, 1065 + 5100, 16500},
        rests{120, 1065 + 7650, 16500};
    QWidget host;
    host.resize(px(16800), px(1065 + 10200) - 20);
    struct Dotted { Note* n; int dots; int space; };   // space: pixel row the dots centre on
    QVector<Dotted> dotted;
    QVector<QWidget*> named;
    for (const StaffAt* s : {&notes1, &notes2, &flagged, &rests}) {
        named << addStaff(&host, *s);
        named << addClef(&host, *s, s->left + 60, Treble);
    }
    auto dotsSpace = [](const StaffAt& s, int step) {
        const int row = s.bottomLineY() - 5 * step;
        return step % 2 == 0 ? row - 5 : row;
    };

    // Every step from the space under the first leger line below to the one over the first
    // above: stems up, then down from the middle line on; a note on a line (even step) dots
    // the space above it. The lessons' note is 550 twips wide, room for one dot after most
    // heads and rests; the staff editor widens a note whose dot needs more, and so does this
    // sheet for two dots.
    const int values[] = {Quarter, Half, Eighth, Whole, Sixteenth};
    for (int dots : {1, 2}) {
        const StaffAt& s = dots == 1 ? notes1 : notes2;
        int x = s.left + 800, k = 0;
        for (int step = -3; step <= 11; ++step, ++k) {
            dotted << Dotted{addLessonNote(&host, s, x, step, values[k % 5]), dots, dotsSpace(s, step)};
            x += 760;
        }
    }
    // Every flagged value on a line and in a space, stem up and down, two dots: a flag that
    // hangs down beside the space above the head pushes the dots to its right.
    {
        int x = flagged.left + 800;
        for (int v = Eighth; v <= OneTwentyEighth; ++v)
            for (int step : {2, 3, 6, 7}) {
                dotted << Dotted{addLessonNote(&host, flagged, x, step, v), 2, dotsSpace(flagged, step)};
                x += 760;
            }
    }
    {
        int x = rests.left + 800;
        for (int v : {Whole, Half, Quarter, Eighth, Sixteenth, ThirtySecondth, SixtyFourth, OneTwentyEighth,
                      DoubleWhole})
            for (int dots : {1, 2}) {
                Note* r = addRest(&host, rests, x, v);
                // The palettes end at the 64th: the 128th rest is wider than the lessons' note.
                if (v == OneTwentyEighth) r->resize(px(700), r->height());
                dotted << Dotted{r, dots, rests.lineY(1) + 5};
                x += 800;
            }
    }

    const QImage without = renderWindow(host);
    for (const Dotted& d : dotted) {
        d.n->setDotsNumberOf(d.dots);
        if (d.n->dotsRight() > d.n->width()) d.n->resize(d.n->dotsRight(), d.n->height());
    }
    const QImage with = renderWindow(host);
    for (const Dotted& d : dotted) named << d.n;

    caption(&host, "one dot: notes on lines and in spaces, from B below the staff to B above", 130,
            notes1.lineY(4) + 50);
    caption(&host, "two dots", 130, notes2.lineY(4) + 50);
    caption(&host, "flagged values, two dots, on a line and in a space with the stem up, then down", 130,
            flagged.lineY(4) + 50);
    caption(&host, "rests, each with one dot then two: whole, half, quarter, 8th to 128th, breve", 130,
            rests.lineY(4) + 50);
    host.show();
    for (QWidget* w : named) ASSERT_TRUE(w->isVisible());
    const QImage sheet = renderWindow(host);
    ASSERT_TRUE(sheet.save(testOutputPath("dots_check.png")));
    ASSERT_TRUE(sheet.scaled(sheet.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                    .save(testOutputPath("dots_check_x3.png")));
    EXPECT_NE(sheet.pixel(1, 1), sheet.pixel(px(notes1.left) + 5, notes1.lineY(0)));

    for (const Dotted& d : dotted) {
        const QRect cell = d.n->geometry();
        const std::string what = QString("%1 at x %2 (value %3, y %4), %5 dot(s)")
                                     .arg(d.n->Rest() ? "rest" : "note").arg(d.n->x()).arg(d.n->noteName())
                                     .arg(d.n->y()).arg(d.dots).toStdString();
        // The dots' ink, column group by column group, weighted by how dark it is.
        struct Blob { QRect box; double sum = 0, ySum = 0; };
        QVector<Blob> blobs;
        bool inBlob = false;
        for (int x = cell.left(); x <= cell.right(); ++x) {
            bool any = false;
            for (int y = cell.top(); y <= cell.bottom(); ++y) {
                const int added = qGray(without.pixel(x, y)) - qGray(with.pixel(x, y));
                if (added < 40) continue;
                if (!inBlob) blobs.push_back({});
                inBlob = any = true;
                blobs.back().box |= QRect(x, y, 1, 1);
                blobs.back().sum += added;
                blobs.back().ySum += added * (y + 0.5);
            }
            inBlob = any;
        }
        ASSERT_EQ(blobs.size(), d.dots) << what;
        const QRect head = headBox(host.size(), *d.n);
        ASSERT_FALSE(head.isNull()) << what;
        // The editor moves a note in a space beyond a leger line 1 px towards that line, so
        // its head and its dot sit 1 px off the middle of the space.
        const bool nudged = !d.n->Rest() && !d.n->LineNote() && d.n->LegerLines() > 0;
        for (const Blob& b : blobs) {
            const double centre = b.ySum / b.sum;
            EXPECT_NEAR(centre, d.space + 0.5, nudged ? 1.01 : 0.5) << what << ": dot centred at " << centre;
            // Clear of the lines that bound its space and of everything else drawn.
            EXPECT_GT(b.box.top(), d.space - 5) << what;
            EXPECT_LT(b.box.bottom(), d.space + 5) << what;
            for (int y = b.box.top() - 1; y <= b.box.bottom() + 1; ++y)
                for (int x = b.box.left() - 1; x <= b.box.right() + 1; ++x)
                    EXPECT_FALSE(inkAt(without, x, y, 200)) << what << ": dot touches ink at " << x << ", " << y;
            // As much ink as every other dot: none cut off by the note's edge.
            EXPECT_NEAR(b.sum, blobs[0].sum, blobs[0].sum * 0.05) << what;
            EXPECT_LE(b.box.right(), cell.right()) << what;
        }
        // A quarter of a space or more after the head, or after the rest where it passes the
        // dot's rows; the next dot as far again.
        const QRect& first = blobs[0].box;
        const QRect beside = d.n->Rest() ? inkBox(without, QRect(cell.left(), first.top() - 1, first.left() - cell.left(),
                                                                 first.height() + 2), 200)
                                         : head;
        EXPECT_GE(first.left() - beside.right() - 1, 2) << what << ": dot against what it follows";
        if (d.dots == 2) {
            EXPECT_GE(blobs[1].box.left() - first.right() - 1, 2) << what;
        }
    }


}

// The render to look at.
TEST(EngravingCheck, RendersNotesRestsAccidentalsAndFigures) {
    QWidget host;
    const int widthTw = 15000, rowTw = 2550;
    host.resize(px(widthTw) + 20, px(465 + 3 * rowTw) + 80);
    host.setAutoFillBackground(true);
    QPalette pal = host.palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, QColor(80, 80, 80));
    host.setPalette(pal);
    auto row = [&](int r) { return StaffAt{120, 465 + r * rowTw, widthTw - 240}; };
    QVector<QWidget*> named;
    for (int r = 0; r < 3; ++r) named << addStaff(&host, row(r));

    const int values[] = {DoubleWhole, Whole, Half, Quarter, Eighth, Sixteenth, ThirtySecondth,
                          SixtyFourth, OneTwentyEighth};
    const char* valueNames[] = {"whole", "half", "quarter", "8th", "16th", "32nd", "64th", "128th", "breve"};

    // Row 0: every value, stem up (on the second line or space), then stem down.
    {
        const StaffAt s = row(0);
        named << addClef(&host, s, s.left + 60, Treble);
        int x = s.left + 800;
        for (int pass = 0; pass < 2; ++pass) {
            int k = 0;
            for (int v : values) {
                const int step = pass == 0 ? 1 + k % 2 : 6 + k % 2;
                named << addLessonNote(&host, s, x, step, v);
                if (pass == 0) caption(&host, valueNames[v], px(x) + 8, s.lineY(4) + 40);
                x += 620;
                ++k;
            }
            x += 300;
        }
        caption(&host, "stems up", px(s.left + 800) + 2, s.lineY(4) + 56);
        caption(&host, "stems down (the same values)", px(s.left + 800 + 9 * 620 + 300) + 2,
                s.lineY(4) + 56);
    }
    // Row 1: every rest.
    {
        const StaffAt s = row(1);
        named << addClef(&host, s, s.left + 60, Treble);
        int x = s.left + 800;
        for (int v : values) {
            named << addRest(&host, s, x, v);
            caption(&host, QString(valueNames[v]) + " rest", px(x) + 4, s.lineY(4) + 40);
            x += 1100;
        }
    }
    // Row 2: every accidental before a head on a line (G) and in a space (A).
    {
        const StaffAt s = row(2);
        named << addClef(&host, s, s.left + 60, Treble);
        const char* accidentalNames[] = {"", "sharp", "flat", "double flat", "double sharp",
                                         "natural", "natural sharp", "natural flat"};
        int x = s.left + 800;
        for (int a = mSharp; a <= mNaturalFlat; ++a) {
            for (int step : {2, 3}) {
                Note* n = addLessonNote(&host, s, x, step, Quarter);
                n->setAccidentalName(a);
                named << n;
                x += 600;
            }
            caption(&host, accidentalNames[a], px(x - 1200) + 6, s.lineY(4) + 40);
            x += 450;
        }
    }
    // Then chord symbols at 14 points with their figures.
    {
        int x = px(row(0).left) + 20;
        const int y = row(2).lineY(4) + 66;
        for (const FigureCase& c : kFigures) {
            named << addFigure(&host, c, x, y);
            caption(&host, c.name, x + 6, y + 46);
            x += 110;
        }
    }

    host.show();
    for (QWidget* w : named) ASSERT_TRUE(w->isVisible());
    const QImage sheet = host.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_TRUE(sheet.save(testOutputPath("engraving_check.png")));
    ASSERT_TRUE(sheet.scaled(sheet.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                    .save(testOutputPath("engraving_check_x3.png")));
    // Not one uniform colour: ink on the staves and white between them.
    EXPECT_FALSE(inkBox(sheet, QRect(0, 0, 200, 120)).isNull());
    EXPECT_NE(sheet.pixel(2, 2), sheet.pixel(named[0]->x() + 5, row(0).lineY(0)));
}
