#include "music/barline/barline.h"
#include "music/framework/classregistry.h"
#include "music/framework/dispatch.h"
#include "music/framework/persistence.h"
#include "music/framework/textmetrics.h"
#include "testoutput.h"

#include <QCoreApplication>
#include <QImage>
#include <QPointer>
#include <gtest/gtest.h>

using music::BarLineControl;
using music::BarPart;
using music::barLineParts;
using music::StaffGroup;

namespace {
BarPart line(int x, int y1, int y2) { return {BarPart::Line, x, y1, x, y2}; }
BarPart bar(int x1, int y1, int x2, int y2) { return {BarPart::Bar, x1, y1, x2, y2}; }
BarPart dot(int x, int y) { return {BarPart::Dot, x, y, x, y}; }

QString describe(const QVector<BarPart>& v) {
    QStringList out;
    for (const auto& p : v)
        out << QString("%1(%2,%3,%4,%5)").arg("LBD"[p.kind]).arg(p.x1).arg(p.y1).arg(p.x2).arg(p.y2);
    return out.join(' ');
}

QImage render(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }
bool isInk(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 128; }
QString column(const QImage& img, int x) {
    QString s;
    for (int y = 0; y < img.height(); ++y) s += isInk(img, x, y) ? '#' : '.';
    return s;
}
int staffPosition(QObject* o) { return music::dispGet(o, "StaffPosition").toInt(); }
int staffPosition(const QVariant& v) { return staffPosition(v.value<QObject*>()); }
} // namespace

TEST(BarLineParts, EachKindOnOneStaff) {
    // Space 10, W 45 (W/7 = 6, W/9 = 5, W/4 = 11, W/12 = 3), IL 40: dots at 15 - 40, 25 - 40.
    struct Row { int type; QVector<BarPart> want; } rows[] = {
        {0, {line(2, 0, 40)}},
        {1, {line(2, 0, 40), line(7, 0, 40)}},
        {2, {line(2, 0, 40), bar(6, 0, 9, 40)}},
        {3, {dot(11, -25), dot(11, -15), bar(3, 0, 6, 40), line(9, 0, 40)}},
        {4, {dot(0, -25), dot(0, -15), line(5, 0, 40), bar(9, 0, 12, 40)}},
        {5, {line(2, 4, 8), line(2, 12, 16), line(2, 20, 24), line(2, 28, 32), line(2, 36, 40)}},
        {6, {line(2, 0, 40)}},
        {-1, {line(2, 0, 40)}},
    };
    for (const Row& r : rows) {
        const auto got = barLineParts(r.type, 10, true, {}, 45, 40);
        EXPECT_EQ(got, r.want) << r.type << ": " << describe(got).toStdString();
    }
}

TEST(BarLineParts, BrokenAndUnbrokenSystems) {
    // Staves at 100 and 180 are drawn at 0 and 80.
    EXPECT_EQ(barLineParts(0, 10, true, {100, 180}, 45, 40), (QVector<BarPart>{line(2, 0, 40), line(2, 80, 120)}));
    EXPECT_EQ(barLineParts(0, 10, false, {100, 180}, 45, 40),
              (QVector<BarPart>{line(2, 0, 40), line(2, 40, 120), line(2, 80, 120)}));
    // The first staff's bars run through the system; the others keep their own.
    EXPECT_EQ(barLineParts(2, 10, false, {0, 80}, 45, 40),
              (QVector<BarPart>{line(2, 0, 40), line(2, 40, 120), bar(6, 0, 9, 120), line(2, 80, 120),
                                bar(6, 80, 9, 120)}));
    // Repeat dots stay on each staff.
    const auto repeat = barLineParts(4, 10, false, {0, 80}, 45, 40);
    EXPECT_TRUE(repeat.contains(dot(0, 55)) && repeat.contains(dot(0, 65))) << describe(repeat).toStdString();
}

TEST(BarLineParts, DashesRestartOnEveryStaff) {
    // Broken: each staff has the same dash pattern from its own top line, and nothing is drawn
    // in the gaps between staves.
    const auto broken = barLineParts(5, 10, true, {0, 80, 160}, 45, 40);
    QVector<BarPart> want;
    for (int top : {0, 80, 160})
        for (int y = 4; y < 40; y += 8) want << line(2, top + y, top + y + 4);
    EXPECT_EQ(broken, want) << describe(broken).toStdString();
    // Unbroken: one walk from the top of the first staff to the bottom of the last.
    const auto whole = barLineParts(5, 10, false, {0, 80, 160}, 45, 40);
    QVector<BarPart> one;
    for (int y = 4; y < 200; y += 8) one << line(2, y, y + 4);
    EXPECT_EQ(whole, one);
}

TEST(BarLine, CollectionKeepsStaffOrder) {
    QWidget host;
    BarLineControl b(&host);
    EXPECT_EQ(b.Count(), 0);
    EXPECT_EQ(b.BarLineType(), 0);
    EXPECT_EQ(b.LineSpace(), 10);
    EXPECT_EQ(b.BreakBar(), -1);

    bool ok = false;
    const QVariant first = music::dispCall(&b, "Add", {40}, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(staffPosition(first), 40);
    music::dispCall(&b, "add", {0}, &ok);
    music::dispCall(&b, "Add", {80}, &ok);
    music::dispCall(&b, "Add", {40}, &ok);   // after the existing 40
    EXPECT_EQ(music::dispGet(&b, "Count").toInt(), 4);
    EXPECT_EQ(staffPosition(b.Item(1)), 0);
    EXPECT_EQ(staffPosition(b.Item(2)), 40);
    EXPECT_EQ(b.Item(2), first.value<QObject*>());
    EXPECT_EQ(staffPosition(b.Item(3)), 40);
    EXPECT_NE(b.Item(3), first.value<QObject*>());
    EXPECT_EQ(staffPosition(music::dispCall(&b, "Item", {4}, &ok)), 80);

    // Moving an item later does not reorder.
    music::dispPut(b.Item(1), "StaffPosition", 500);
    EXPECT_EQ(staffPosition(b.Item(1)), 500);
}

TEST(BarLine, IndexErrorsFailWithoutChange) {
    QWidget host;
    BarLineControl b(&host);
    // Empty collection: every index fails.
    for (int i : {-1, 0, 1, 2}) {
        EXPECT_FALSE(b.Item(i) != nullptr) << i;
        EXPECT_FALSE(b.Remove(i)) << i;
    }
    b.Add(10);
    b.Add(20);
    for (int i : {0, 3, -5, 1000000}) {
        EXPECT_FALSE(b.Item(i) != nullptr) << i;
        EXPECT_FALSE(b.Remove(i)) << i;
    }
    bool ok = false;
    EXPECT_EQ(music::dispCall(&b, "Item", {3}, &ok).value<QObject*>(), nullptr);
    EXPECT_TRUE(ok);
    const QVariant r = music::dispCall(&b, "Remove", {0}, &ok);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(r.toBool());
    EXPECT_EQ(b.Count(), 2);

    // Remove(1): the second moves up.
    QObject* second = b.Item(2);
    EXPECT_TRUE(b.Remove(1));
    EXPECT_EQ(b.Count(), 1);
    EXPECT_EQ(b.Item(1), second);
}

TEST(BarLine, RemovedItemsStayUsableUntilTheHandlerReturns) {
    QWidget host;
    BarLineControl b(&host);
    const int before = music::ObjectCounter::liveObjects();
    QPointer<QObject> item = b.Add(30);
    EXPECT_EQ(music::ObjectCounter::liveObjects(), before + 1) << "a staff group counts as a live object";
    ASSERT_TRUE(b.Remove(1));
    EXPECT_EQ(music::dispGet(item.data(), "StaffPosition").toInt(), 30);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(item.isNull());
    EXPECT_EQ(music::ObjectCounter::liveObjects(), before);
}

TEST(BarLine, EnumeratorIsASnapshot) {
    BarLineControl b;
    b.Add(5);
    b.Add(1);
    bool ok = false;
    const QVariantList snap = music::dispCall(&b, "NewEnum", {}, &ok).toList();
    ASSERT_TRUE(ok);
    ASSERT_EQ(snap.size(), 2);
    b.Add(3);
    b.Remove(2);
    ASSERT_EQ(snap.size(), 2);
    EXPECT_EQ(staffPosition(snap[0]), 1);
    EXPECT_EQ(music::dispIdOf(&b, "NewEnum"), -4);
    EXPECT_EQ(music::dispIdOf(&b, "Add"), 4);
    EXPECT_EQ(music::dispIdOf(&b, "BreakBar"), 6);
}

TEST(BarLine, BreakBarIsTrueOrFalse) {
    BarLineControl b;
    struct { int in, out; } rows[] = {{1, -1}, {0, 0}, {-1, -1}, {7, -1}, {-300, -1}};
    for (auto r : rows) {
        music::dispPut(&b, "BreakBar", r.in);
        EXPECT_EQ(b.BreakBar(), r.out) << r.in;
    }
    b.setLineSpace(-4);
    EXPECT_EQ(b.LineSpace(), -4) << "not range-checked";
    b.setBarLineType(9);
    EXPECT_EQ(b.BarLineType(), 9);
}

TEST(BarLine, LinesOverTwoStavesBrokenAndWhole) {
    QWidget host;
    BarLineControl b(&host);
    b.resize(5, 130);
    b.Add(61);
    b.Add(141);
    QImage img = render(b);
    const QString broken = column(img, 2);
    EXPECT_EQ(broken, QString(40, '#') + QString(40, '.') + QString(40, '#') + QString(10, '.'));
    EXPECT_FALSE(isInk(img, 1, 10));
    EXPECT_FALSE(isInk(img, 3, 10));
    b.setBreakBar(0);
    img = render(b);
    EXPECT_EQ(column(img, 2), QString(120, '#') + QString(10, '.'));

    // No staff groups: one staff 4 x LineSpace high at the top.
    BarLineControl lone(&host);
    lone.resize(5, 60);
    EXPECT_EQ(column(render(lone), 2), QString(40, '#') + QString(20, '.'));
}

TEST(BarLine, DashedPixels) {
    QWidget host;
    BarLineControl b(&host);
    b.resize(5, 130);
    b.setBarLineType(music::Dashed);
    b.Add(0);
    b.Add(80);
    const QString dashes = "....####....####....####....####....####";
    EXPECT_EQ(column(render(b), 2), dashes + QString(40, '.') + dashes + QString(10, '.'));
}

// A host may give any line space or staff position. The dash walk goes only as far as the
// control can show, so a huge value neither runs away nor changes the visible pattern.
TEST(BarLineParts, DashesStopBelowTheControlsBottom) {
    QVector<BarPart> staff;
    for (int y = 4; y < 40; y += 8) staff << line(2, y, y + 4);
    EXPECT_EQ(barLineParts(5, 10, true, {}, 45, 40, 40), staff);
    EXPECT_EQ(barLineParts(5, 536870911, true, {}, 45, 40, 40), staff);
    EXPECT_EQ(barLineParts(5, 10, false, {0, 2147483000}, 45, 40, 40), staff);
    EXPECT_EQ(barLineParts(5, 2000000000, true, {0, 2000000000}, 45, 40, 40), staff);
    // A dash that starts above the bottom edge is kept whole; none starts below it.
    EXPECT_EQ(barLineParts(5, 10, true, {}, 45, 40, 14), staff.mid(0, 2));
    EXPECT_EQ(barLineParts(5, 10, true, {}, 45, 40, 11), staff.mid(0, 1));
}

TEST(BarLine, HugeLineSpaceDrawsLikeTallStaff) {
    QWidget host;
    BarLineControl b(&host);
    b.resize(5, 40);
    b.setBarLineType(music::Dashed);
    b.setLineSpace(536870911);
    EXPECT_EQ(column(render(b), 2), QString("....####").repeated(5));
    b.setBarLineType(music::BarLine);
    b.setLineSpace(1000000000);
    EXPECT_EQ(column(render(b), 2), QString(40, '#'));
}

TEST(BarLine, PersistedWithoutItems) {
    QWidget host;
    BarLineControl b(&host);
    b.resize(10, 100);
    b.setBarLineType(3);
    b.setLineSpace(12);
    b.setBreakBar(0);
    b.Add(4);
    BarLineControl c(&host);
    ASSERT_TRUE(music::loadControl(&c, music::saveControl(&b)));
    EXPECT_EQ(c.BarLineType(), 3);
    EXPECT_EQ(c.LineSpace(), 12);
    EXPECT_EQ(c.BreakBar(), 0);
    EXPECT_EQ(c.Count(), 0) << "the staff groups are not saved";
    QStringList names;
    for (const auto& e : music::propertyMap(&c)) names << e.first;
    EXPECT_EQ(names.join(","), "BackColor,Enabled,FillColor,Font,ForeColor,MouseIcon,MousePointer,"
                               "Bar Line,Space Between Lines,Break Bar Line Between Staves.");
}

TEST(StaffGroup, ACountedItemMadeByProgId) {
    auto& reg = music::ClassRegistry::instance();
    const auto* info = reg.byProgId("Music.StaffGroup");
    ASSERT_NE(info, nullptr);
    EXPECT_FALSE(info->isControl);
    EXPECT_EQ(info->toolboxBitmap, 0);
    EXPECT_EQ(info->clsid, "{E52B3A46-1E9D-4473-8E81-B7627419EE27}");
    const int before = music::ObjectCounter::liveObjects();
    QObject* o = reg.createObject("Music.StaffGroup.1");
    ASSERT_NE(qobject_cast<StaffGroup*>(o), nullptr);
    EXPECT_EQ(music::ObjectCounter::liveObjects(), before + 1);
    EXPECT_EQ(music::dispIdOf(o, "staffposition"), 1);
    EXPECT_TRUE(music::dispPut(o, 1, -20));
    EXPECT_EQ(music::dispGet(o, "StaffPosition").toInt(), -20);
    EXPECT_FALSE(music::dispPut(o, "ForeColor", 5)) << "no stock properties";
    delete o;
    EXPECT_EQ(music::ObjectCounter::liveObjects(), before);
}

namespace {
bool musicFontPresent() {
    QWidget host;
    BarLineControl probe(&host);
    return probe.hasFont();
}
QRect inkBox(const QImage& img, const QRect& r) {
    QRect box;
    for (int y = qMax(0, r.top()); y <= qMin(img.height() - 1, r.bottom()); ++y)
        for (int x = qMax(0, r.left()); x <= qMin(img.width() - 1, r.right()); ++x)
            if (qGray(img.pixel(x, y)) < 160) box |= QRect(x, y, 1, 1);
    return box;
}
} // namespace

// Thick bars and repeat dots come from the music font: its widest advance W and its internal
// leading. The dots must land in the second and third spaces of each staff.
TEST(BarLineDrawing, RepeatsAndFinalFromTheFontsMetrics) {
    if (!musicFontPresent()) GTEST_SKIP() << "the music font is not installed";
    QWidget host;
    BarLineControl b(&host);
    b.resize(40, 130);
    b.Add(10);
    b.Add(90);
    const int W = QFontMetrics(b.Font()).maxWidth();
    const int IL = music::textMetrics(b.Font()).internalLeading;
    for (int type : {music::Finale, music::RepeatStart, music::RepeatEnd}) {
        SCOPED_TRACE(type);
        b.setBarLineType(type);
        const QImage img = render(b);
        img.save(testOutputPath(QString("barline_type%1.png").arg(type)));
        const auto parts = barLineParts(type, 10, true, {10, 90}, W, IL);
        for (const BarPart& p : parts) {
            if (p.kind == BarPart::Bar) {
                for (int x = p.x1; x < p.x2; ++x) EXPECT_TRUE(isInk(img, x, p.y1 + 20)) << x;
                EXPECT_FALSE(isInk(img, p.x2, p.y1 + 20));
            } else if (p.kind == BarPart::Dot) {
                // Cell top at y + 15 - IL (or y + 25 - IL): the dot's ink centres on the space.
                const int space = p.y1 + IL;
                const QRect dot = inkBox(img, QRect(p.x1, space - 4, 6, 9));
                ASSERT_FALSE(dot.isEmpty());
                EXPECT_NEAR((dot.top() + dot.bottom()) / 2.0, space + 0.0, 1.0);
                EXPECT_LE(dot.height(), 5);
            }
        }
    }
}
