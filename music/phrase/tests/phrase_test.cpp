#include "music/framework/classregistry.h"
#include "music/framework/dispatch.h"
#include "music/framework/persistence.h"
#include "music/phrase/phrase.h"
#include "testoutput.h"

#include <QImage>
#include <gtest/gtest.h>

using music::Phrase;
using music::PhraseArc;
using music::phraseArcs;
using music::toPainterArc;

namespace {
QImage render(Phrase& ph) { return ph.grab().toImage().convertToFormat(QImage::Format_RGB32); }
bool isInk(const QImage& img, int x, int y) {
    return x >= 0 && y >= 0 && x < img.width() && y < img.height() && qGray(img.pixel(x, y)) < 128;
}
// Ink within `r` pixels of (x, y).
bool inkNear(const QImage& img, int x, int y, int r = 1) {
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            if (isInk(img, x + dx, y + dy)) return true;
    return false;
}
int inkInRow(const QImage& img, int y) {
    int n = 0;
    for (int x = 0; x < img.width(); ++x) n += isInk(img, x, y);
    return n;
}
int inkInColumn(const QImage& img, int x) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) n += isInk(img, x, y);
    return n;
}
} // namespace

TEST(Phrase, DefaultsAndDispatch) {
    Phrase ph;
    EXPECT_EQ(ph.CurveType(), music::Slur);
    EXPECT_EQ(ph.CurveDirection(), music::Up);
    EXPECT_EQ(ph.LeftOffset(), 0);
    EXPECT_EQ(ph.RightOffset(), 0);
    EXPECT_FALSE(ph.hasFont());
    EXPECT_EQ(music::dispIdOf(&ph, "curvedirection"), 2);
    EXPECT_EQ(music::dispIdOf(&ph, "Font"), 0) << "a phrase has no Font";
    EXPECT_TRUE(music::dispPut(&ph, 4, 7));
    EXPECT_EQ(ph.RightOffset(), 7);
    EXPECT_TRUE(music::dispPut(&ph, "CurveDirection", 1));
    EXPECT_EQ(ph.CurveDirection(), 1) << "stored unchecked";
}

TEST(Phrase, ArcsOfEachKind) {
    // Bounds (0, 0, 120, 30): q = 10.
    struct Row { int type, dir, lo, ro; QVector<PhraseArc> arcs; } rows[] = {
        {music::Tie, music::Up, 5, 6, {{0, 0, 120, 60, {120, 20}, {0, 20}}}},
        {music::Tie, music::Down, 5, 6, {{0, -30, 120, 30, {0, 10}, {120, 10}}}},
        {music::Tie, 1, 0, 0, {{0, -30, 120, 30, {0, 10}, {120, 10}}}},
        {music::Slur, music::Up, 3, 4,
         {{0, 0, 120, 60, {120, 24}, {0, 23}}, {0, 1, 120, 60, {120, 24}, {0, 23}}}},
        {7, music::Down, 3, 4,
         {{0, -30, 120, 30, {0, 7}, {120, 6}}, {0, -30, 120, 29, {0, 7}, {120, 6}}}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(phraseArcs(r.type, r.dir, r.lo, r.ro, 0, 0, 120, 30), r.arcs) << r.type << " " << r.dir;
}

TEST(Phrase, PainterAnglesFollowTheRays) {
    // Upward tie over (0, 0, 120, 60): the ray from the centre (60, 30) towards (120, 20) meets
    // the ellipse at parameter atan2(10 / 30, 60 / 60) = 18.43 degrees; towards (0, 20) at
    // 161.57; counter-clockwise between them is the top of the ellipse.
    auto up = toPainterArc({0, 0, 120, 60, {120, 20}, {0, 20}});
    EXPECT_EQ(up.rect, QRectF(0.5, 0.5, 119, 59));
    EXPECT_EQ(up.startAngle, 295);   // 18.43 x 16
    EXPECT_EQ(up.spanAngle, 2290);   // 143.13 x 16
    // Downward tie: from 198.43 round the bottom to 341.57.
    auto down = toPainterArc({0, -30, 120, 30, {0, 10}, {120, 10}});
    EXPECT_EQ(down.startAngle, 3175);
    EXPECT_EQ(down.spanAngle, 2290);
    // Equal radials draw the whole ellipse.
    EXPECT_EQ(toPainterArc({0, 0, 40, 40, {40, 20}, {40, 20}}).spanAngle, 360 * 16);
    // A circle: parameter angles are plain angles.
    auto quarter = toPainterArc({0, 0, 40, 40, {40, 20}, {20, 0}});
    EXPECT_EQ(quarter.startAngle, 0);
    EXPECT_EQ(quarter.spanAngle, 90 * 16);
}

TEST(Phrase, TieUpPixels) {
    QWidget host;
    Phrase ph(&host);
    ph.resize(120, 30);
    ph.setCurveType(music::Tie);
    const QImage img = render(ph);
    img.save(testOutputPath("phrase_tie_up.png"));
    // It crosses the top edge in the middle.
    EXPECT_TRUE(isInk(img, 59, 0) || isInk(img, 60, 0));
    EXPECT_FALSE(isInk(img, 20, 0));
    // It ends where the rays towards (120, 20) and (0, 20) meet the ellipse: near (116, 20)
    // and (3, 20); nothing lower.
    EXPECT_TRUE(inkNear(img, 116, 20));
    EXPECT_TRUE(inkNear(img, 3, 20));
    for (int y = 23; y < 30; ++y) EXPECT_EQ(inkInRow(img, y), 0) << y;
    // One pixel thick at the crown.
    EXPECT_EQ(inkInColumn(img, 60), 1);
}

TEST(Phrase, TieDownPixels) {
    QWidget host;
    Phrase ph(&host);
    ph.resize(120, 30);
    ph.setCurveType(music::Tie);
    ph.setCurveDirection(music::Down);
    const QImage img = render(ph);
    img.save(testOutputPath("phrase_tie_down.png"));
    // It touches the bottom edge in the middle and ends a third down, near (3, 10), (116, 10).
    EXPECT_TRUE(isInk(img, 59, 29) || isInk(img, 60, 29));
    EXPECT_TRUE(inkNear(img, 3, 10));
    EXPECT_TRUE(inkNear(img, 116, 10));
    for (int y = 0; y < 8; ++y) EXPECT_EQ(inkInRow(img, y), 0) << y;
    EXPECT_EQ(inkInColumn(img, 60), 1);

    ph.setCurveDirection(1);   // only -1 is up
    EXPECT_EQ(render(ph), img);
}

TEST(Phrase, SlurIsThickInTheMiddleAndOffsetsLengthenIt) {
    QWidget host;
    Phrase ph(&host);
    ph.resize(120, 30);
    QImage img = render(ph);
    img.save(testOutputPath("phrase_slur_up.png"));
    EXPECT_EQ(inkInColumn(img, 60), 2) << "two arcs, a pixel apart at the crown";
    EXPECT_TRUE(isInk(img, 60, 0) && isInk(img, 60, 1));
    EXPECT_LE(inkInColumn(img, 2), 3) << "thin at the ends";

    // A left offset moves the left end's ray down: the curve reaches lower at the left only.
    int lowestLeft = 0;
    for (int y = 0; y < 30; ++y)
        if (inkInRow(img, y) && isInk(img, 1, y)) lowestLeft = y;
    ph.setLeftOffset(6);
    const QImage longer = render(ph);
    int lowestLeft2 = 0, lowestRight2 = 0, lowestRight = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 10; ++x)
            if (isInk(longer, x, y)) lowestLeft2 = y;
        for (int x = 110; x < 120; ++x) {
            if (isInk(longer, x, y)) lowestRight2 = y;
            if (isInk(img, x, y)) lowestRight = y;
        }
    }
    EXPECT_GT(lowestLeft2, lowestLeft + 2);
    EXPECT_EQ(lowestRight2, lowestRight);

    // Offsets do nothing to a tie.
    ph.setCurveType(music::Tie);
    const QImage tie = render(ph);
    ph.setLeftOffset(0);
    EXPECT_EQ(render(ph), tie);
}

TEST(Phrase, SlurDownOffsetsMoveTheEndsUp) {
    QWidget host;
    Phrase ph(&host);
    ph.resize(120, 30);
    ph.setCurveDirection(music::Down);
    const QImage plain = render(ph);
    EXPECT_TRUE(isInk(plain, 60, 29) && isInk(plain, 60, 28));
    ph.setRightOffset(6);
    const QImage img = render(ph);
    img.save(testOutputPath("phrase_slur_down_offset.png"));
    auto highestRight = [](const QImage& im) {
        for (int y = 0; y < 30; ++y)
            for (int x = 110; x < 120; ++x)
                if (isInk(im, x, y)) return y;
        return 99;
    };
    EXPECT_LT(highestRight(img), highestRight(plain) - 2);
}

// Ties and slurs are one-pixel curves: drawn aliased they climb in visible stairs, so they
// are drawn antialiased, their edge pixels partly covered (grey) along the whole curve.
TEST(Phrase, CurvesAreSmoothedAlongTheirLength) {
    QWidget host;
    Phrase ph(&host);
    ph.resize(120, 30);
    for (int type : {int(music::Tie), int(music::Slur)}) {
        ph.setCurveType(type);
        const QImage img = render(ph);
        int grey = 0, greyLeft = 0, greyRight = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const int g = qGray(img.pixel(x, y));
                if (g <= 30 || g >= 225) continue;
                ++grey;
                greyLeft += x < 40;
                greyRight += x >= 80;
            }
        EXPECT_GT(grey, 60) << type;
        EXPECT_GT(greyLeft, 15) << type;
        EXPECT_GT(greyRight, 15) << type;
    }
}

TEST(Phrase, CreatedByProgIdAndPersisted) {
    QWidget host;
    QObject* o = music::ClassRegistry::instance().createObject("Music.Phrase.1", &host);
    auto* ph = qobject_cast<Phrase*>(o);
    ASSERT_NE(ph, nullptr);
    ph->resize(90, 20);
    ph->setCurveType(music::Tie);
    ph->setCurveDirection(music::Down);
    ph->setLeftOffset(3);
    ph->setRightOffset(-2);
    ph->setForeColor(0x0000FF);
    const QByteArray data = music::saveControl(ph);
    Phrase copy(&host);
    ASSERT_TRUE(music::loadControl(&copy, data));
    EXPECT_EQ(copy.size(), QSize(90, 20));
    EXPECT_EQ(copy.CurveType(), music::Tie);
    EXPECT_EQ(copy.CurveDirection(), music::Down);
    EXPECT_EQ(copy.LeftOffset(), 3);
    EXPECT_EQ(copy.RightOffset(), -2);
    EXPECT_EQ(copy.ForeColor(), 0x0000FFu);
    QStringList names;
    for (const auto& e : music::propertyMap(&copy)) names << e.first;
    EXPECT_EQ(names.join(","), "BackColor,Enabled,FillColor,ForeColor,MouseIcon,MousePointer,Curve Type,"
                               "Curve Direction,Left Offset Phrase,Right Offset Phrase");
    delete o;
}
