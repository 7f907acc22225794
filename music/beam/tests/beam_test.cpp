#include "music/beam/beammusic.h"
#include "music/framework/classregistry.h"
#include "music/framework/dispatch.h"
#include "music/framework/persistence.h"
#include "testoutput.h"

#include <QCoreApplication>
#include <QImage>
#include <QPointer>
#include <gtest/gtest.h>

using music::BeamLine;
using music::BeamMusic;
using music::BeamStem;
using music::beamLines;
using music::FlagNote;

namespace {
BeamLine L(int x1, int y1, int x2, int y2) { return {QPoint(x1, y1), QPoint(x2, y2)}; }
QString describe(const QVector<BeamLine>& v) {
    QStringList out;
    for (const auto& l : v)
        out << QString("(%1,%2)-(%3,%4)").arg(l.from.x()).arg(l.from.y()).arg(l.to.x()).arg(l.to.y());
    return out.join(' ');
}
QImage render(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }
bool isInk(const QImage& img, int x, int y) {
    return x >= 0 && y >= 0 && x < img.width() && y < img.height() && qGray(img.pixel(x, y)) < 128;
}
QString row(const QImage& img, int y) {
    QString s;
    for (int x = 0; x < img.width(); ++x) s += isInk(img, x, y) ? '#' : '.';
    return s;
}
int stemPosition(QObject* o) { return music::dispGet(o, "StemPosition").toInt(); }
} // namespace

TEST(BeamGeometry, PlaceholderBelowTwoStems) {
    EXPECT_EQ(beamLines({}, 0, 3, 4), QVector<BeamLine>{L(3, 4, 53, 4)});
    EXPECT_EQ(beamLines({{0, 1, -1, 300}}, 4, 0, 0), QVector<BeamLine>{L(0, 0, 50, 0)});
}

TEST(BeamGeometry, LevelsStubsAndSides) {
    struct Row { const char* what; QVector<BeamStem> stems; int d; QVector<BeamLine> want; } rows[] = {
        {"eighths, stems up", {{0, 1, -1, 0}, {1, 0, -1, 300}}, 0, {L(0, 0, 20, 0)}},
        {"eighths, stems down", {{0, 1, 0, 0}, {1, 0, 0, 300}}, 0, {L(0, 25, 20, 25)}},
        {"a stub right on level 1", {{0, 2, -1, 0}, {1, 0, -1, 300}}, 0, {L(0, 0, 20, 0), L(0, 5, 10, 5)}},
        {"a stub left on level 1", {{0, 1, -1, 0}, {2, 0, -1, 300}}, 0, {L(0, 0, 20, 0), L(20, 5, 10, 5)}},
        {"stems down: levels upwards", {{0, 3, 0, 0}, {3, 0, 0, 300}}, 0,
         {L(0, 25, 20, 25), L(0, 20, 20, 20), L(0, 15, 20, 15)}},
        {"side from the left stem's lowest byte", {{0, 1, 0x100, 0}, {1, 0, -1, 300}}, 0, {L(0, 25, 20, 25)}},
        {"beam counts above 5 draw as 5", {{0, 9, -1, 0}, {9, 0, -1, 150}}, 0,
         {L(0, 0, 10, 0), L(0, 5, 10, 5), L(0, 10, 10, 10), L(0, 15, 10, 15), L(0, 20, 10, 20)}},
        {"negative counts draw nothing", {{0, -1, -1, 0}, {-1, 0, -1, 150}}, 0, {}},
        {"Pos30 rises", {{0, 1, -1, 0}, {1, 0, -1, 400}}, 4, {L(0, 6, 26, 0)}},
        {"Neg30 falls", {{0, 1, -1, 0}, {1, 0, -1, 400}}, -4, {L(0, 0, 26, 6)}},
        {"Pos15", {{0, 1, -1, 0}, {1, 0, -1, 400}}, 8, {L(0, 3, 26, 0)}},
        {"Neg15", {{0, 1, -1, 0}, {1, 0, -1, 400}}, -8, {L(0, 0, 26, 3)}},
        // Eighth, sixteenth, sixteenth, eighth at 20-pixel spacing, rising: the next pair starts
        // where the last one ended; stubs rise by 10 / 4 = 2.
        {"Pos30 over four", {{0, 1, -1, 0}, {1, 2, -1, 300}, {2, 1, -1, 600}, {1, 0, -1, 900}}, 4,
         {L(0, 15, 20, 10), L(20, 10, 40, 5), L(20, 15, 40, 10), L(40, 5, 60, 0)}},
        {"Neg15 with stubs", {{0, 2, -1, 0}, {1, 0, -1, 300}, {2, 0, -1, 600}}, -8,
         {L(0, 0, 20, 2), L(0, 5, 10, 6), L(40, 4, 30, 3), L(40, 9, 30, 8)}},
    };
    for (const Row& r : rows) {
        const auto got = beamLines(r.stems, r.d, 0, 0);
        EXPECT_EQ(got, r.want) << r.what << ": " << describe(got).toStdString();
    }
    // Stem positions are twips from any origin: only differences count.
    EXPECT_EQ(beamLines({{0, 1, -1, 1500}, {1, 0, -1, 1800}}, 0, 7, 9), QVector<BeamLine>{L(7, 9, 27, 9)});
}

TEST(BeamMusic, AnglesAndDivisors) {
    BeamMusic b;
    EXPECT_EQ(b.BeamAngle(), music::Deg0);
    EXPECT_EQ(b.slopeDivisor(), 0);
    struct { int angle, divisor; } rows[] = {{0, 4}, {1, 8}, {2, 0}, {3, -8}, {4, -4}, {7, -4}, {-1, -4}, {0, 4}, {5, 4}};
    for (auto r : rows) {
        music::dispPut(&b, "BeamAngle", r.angle);
        EXPECT_EQ(b.BeamAngle(), r.angle);
        EXPECT_EQ(b.slopeDivisor(), r.divisor) << r.angle;
    }
}

TEST(BeamMusic, CollectionKeepsStemOrder) {
    QWidget host;
    BeamMusic b(&host);
    bool ok = false;
    QObject* first = music::dispCall(&b, "Add", {0, 1, -1, 900}, &ok).value<QObject*>();
    ASSERT_TRUE(ok);
    ASSERT_NE(first, nullptr);
    b.Add(1, 1, -1, 300);
    b.Add(1, 0, 0, 600);
    b.Add(2, 2, -1, 600);   // after the other 600
    EXPECT_EQ(music::dispGet(&b, "count").toInt(), 4);
    EXPECT_EQ(stemPosition(b.Item(1)), 300);
    EXPECT_EQ(stemPosition(b.Item(2)), 600);
    EXPECT_EQ(music::dispGet(b.Item(2), "StemDirection").toInt(), 0);
    EXPECT_EQ(music::dispGet(b.Item(3), "BeamsLeft").toInt(), 2);
    EXPECT_EQ(b.Item(4), first);
    auto* f = qobject_cast<FlagNote*>(b.Item(4));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->BeamsLeft(), 0);
    EXPECT_EQ(f->BeamsRight(), 1);
    EXPECT_EQ(f->StemDirection(), -1);
    // Items are edited in place, as the palettes do; nothing is reordered.
    EXPECT_TRUE(music::dispPut(b.Item(1), "BeamsRight", 3));
    EXPECT_EQ(music::dispGet(b.Item(1), "BeamsRight").toInt(), 3);
    music::dispPut(b.Item(1), "StemPosition", 5000);
    EXPECT_EQ(stemPosition(b.Item(1)), 5000);
}

TEST(BeamMusic, IndexErrorsFailWithoutChange) {
    QWidget host;
    BeamMusic b(&host);
    for (int i : {-1, 0, 1}) {
        EXPECT_EQ(b.Item(i), nullptr) << i;
        EXPECT_FALSE(b.Remove(i)) << i;
    }
    b.Add(0, 1, -1, 0);
    b.Add(1, 0, -1, 300);
    for (int i : {0, 3, 99999}) {
        EXPECT_EQ(b.Item(i), nullptr);
        EXPECT_FALSE(b.Remove(i));
    }
    bool ok = false;
    EXPECT_FALSE(music::dispCall(&b, "Remove", {5}, &ok).toBool());
    EXPECT_TRUE(ok);
    EXPECT_EQ(b.Count(), 2);
    QObject* second = b.Item(2);
    EXPECT_TRUE(b.Remove(1));
    EXPECT_EQ(b.Item(1), second);
    EXPECT_EQ(b.Count(), 1);
}

TEST(BeamMusic, ItemsAreLiveObjectsAndEnumeratorsAreSnapshots) {
    QWidget host;
    const int before = music::ObjectCounter::liveObjects();
    auto* b = new BeamMusic(&host);
    QPointer<QObject> a = b->Add(0, 1, -1, 0);
    b->Add(1, 0, -1, 300);
    EXPECT_EQ(music::ObjectCounter::liveObjects(), before + 3);
    bool ok = false;
    const QVariantList snap = music::dispCall(b, "NewEnum", {}, &ok).toList();
    ASSERT_TRUE(ok);
    b->Add(1, 0, -1, 600);
    EXPECT_EQ(snap.size(), 2);
    EXPECT_EQ(snap[0].value<QObject*>(), a.data());
    EXPECT_EQ(music::dispIdOf(b, "_NewEnum") == -4 || music::dispIdOf(b, "NewEnum") == -4, true);
    delete b;
    EXPECT_TRUE(a.isNull());
    EXPECT_EQ(music::ObjectCounter::liveObjects(), before);
}

TEST(BeamMusic, PlaceholderAndFlatBeamPixels) {
    QWidget host;
    BeamMusic b(&host);
    b.resize(60, 30);
    QImage img = render(b);
    // Nothing marks the bounding rectangle: no pen, hollow brush.
    EXPECT_FALSE(isInk(img, 59, 29));
    EXPECT_FALSE(isInk(img, 59, 10));
    const QString placeholder = QString(50, '#') + QString(10, '.');
    for (int y = 0; y < 3; ++y) EXPECT_EQ(row(img, y), placeholder) << y;
    EXPECT_EQ(row(img, 3), QString(60, '.'));

    b.Add(1, 0, -1, 300);
    b.Add(0, 1, -1, 0);
    img = render(b);
    const QString beam = QString(20, '#') + QString(40, '.');
    for (int y = 0; y < 3; ++y) EXPECT_EQ(row(img, y), beam) << y;
    EXPECT_EQ(row(img, 3), QString(60, '.'));

    // Stems down: 25 pixels below the top.
    music::dispPut(b.Item(1), "StemDirection", 0);
    b.update();
    img = render(b);
    EXPECT_EQ(row(img, 0), QString(60, '.'));
    for (int y = 25; y < 28; ++y) EXPECT_EQ(row(img, y), beam) << y;
}

TEST(BeamMusic, SlopedBeamPixels) {
    QWidget host;
    BeamMusic b(&host);
    b.resize(30, 30);
    b.Add(0, 1, -1, 0);
    b.Add(1, 0, -1, 400);
    b.setBeamAngle(music::Pos30);
    QImage img = render(b);
    img.save(testOutputPath("beam_pos30_pixels.png"));
    // From (0, 6) up to (26, 0), three pixels thick.
    EXPECT_TRUE(isInk(img, 0, 6) && isInk(img, 0, 7) && isInk(img, 0, 8));
    EXPECT_FALSE(isInk(img, 0, 5));
    EXPECT_FALSE(isInk(img, 0, 9));
    EXPECT_TRUE(isInk(img, 25, 0) || isInk(img, 25, 1));
    EXPECT_FALSE(isInk(img, 26, 0)) << "the end point is not drawn";
    b.setBeamAngle(music::Neg30);
    img = render(b);
    EXPECT_TRUE(isInk(img, 0, 0) && isInk(img, 0, 2));
    EXPECT_FALSE(isInk(img, 0, 3));
    EXPECT_TRUE(isInk(img, 25, 6) || isInk(img, 25, 5));
}

TEST(BeamMusic, PersistsOnlyTheAngle) {
    QWidget host;
    BeamMusic b(&host);
    b.resize(100, 30);
    b.setBeamAngle(music::Neg15);
    b.Add(0, 1, -1, 0);
    BeamMusic c(&host);
    ASSERT_TRUE(music::loadControl(&c, music::saveControl(&b)));
    EXPECT_EQ(c.BeamAngle(), music::Neg15);
    EXPECT_EQ(c.slopeDivisor(), -8) << "the divisor follows through the setter";
    EXPECT_EQ(c.Count(), 0);
    QStringList names;
    for (const auto& e : music::propertyMap(&c)) names << e.first;
    EXPECT_EQ(names.join(","), "BackColor,Enabled,FillColor,ForeColor,MouseIcon,MousePointer,Beam Angle");
    EXPECT_FALSE(c.hasFont());
    EXPECT_EQ(music::dispIdOf(&c, "Font"), 0);
}

TEST(FlagNote, ACountedItemMadeByProgId) {
    auto& reg = music::ClassRegistry::instance();
    const auto* info = reg.byProgId("music.flagnote.1");
    ASSERT_NE(info, nullptr);
    EXPECT_FALSE(info->isControl);
    EXPECT_EQ(info->description, "FlagNote Class");
    const int before = music::ObjectCounter::liveObjects();
    QObject* o = reg.createObject("Music.FlagNote");
    auto* f = qobject_cast<FlagNote*>(o);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(music::ObjectCounter::liveObjects(), before + 1);
    EXPECT_EQ(f->StemDirection(), music::Up);
    const char* names[] = {"BeamsLeft", "BeamsRight", "StemDirection", "StemPosition"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(music::dispIdOf(o, names[i]), i + 1);
        EXPECT_TRUE(music::dispPut(o, i + 1, -7 - i));
        EXPECT_EQ(music::dispGet(o, names[i]).toInt(), -7 - i) << "stored unchecked";
    }
    delete o;
    EXPECT_EQ(music::ObjectCounter::liveObjects(), before);
}
