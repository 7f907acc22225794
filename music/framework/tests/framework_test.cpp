#include "music/framework/classregistry.h"
#include "music/framework/control.h"
#include "music/framework/dispatch.h"
#include "music/framework/persistence.h"
#include "music/framework/textmetrics.h"
#include "music/clef/clef.h"
#include "music/staff/staff.h"
#include "platform/registry.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace music;

namespace {
struct RecordingSite : ControlSite {
    QList<int> asked, changed_;
    bool allow = true;
    bool requestEdit(int id) override { asked << id; return allow; }
    void changed(int id) override { changed_ << id; }
};
} // namespace

TEST(Dispatch, ByNameIgnoringCaseAndById) {
    Staff s;
    EXPECT_TRUE(dispPut(&s, "linetop", 33));
    EXPECT_EQ(s.LineTop(), 33);
    EXPECT_EQ(dispGet(&s, "LINETOP").toInt(), 33);
    EXPECT_TRUE(dispPut(&s, 4, 12));               // LineSpace
    EXPECT_EQ(s.LineSpace(), 12);
    QVariant v;
    EXPECT_TRUE(dispGet(&s, DISPID_BACKCOLOR, &v));
    EXPECT_EQ(v.toUInt(), 0xFFFFFFu);
    EXPECT_EQ(dispIdOf(&s, "LineNumbers"), 5);
    EXPECT_EQ(dispIdOf(&s, "forecolor"), DISPID_FORECOLOR);
    EXPECT_EQ(memberNameOf(&s, 3), "LineWidth");
    // Staff has no Font; unknown members fail.
    EXPECT_FALSE(dispPut(&s, "Font", QFont()));
    EXPECT_EQ(dispIdOf(&s, "Font"), 0);
    EXPECT_FALSE(dispPut(&s, "NoSuchThing", 1));
    EXPECT_FALSE(dispGet(&s, 99, &v));
    // "enabled" is the stock property, which does not disable the widget.
    EXPECT_TRUE(dispPut(&s, "enabled", false));
    EXPECT_FALSE(s.Enabled());
    EXPECT_TRUE(s.isEnabled());
}

TEST(StockProperties, SetterOrderAskStoreDirtyNotify) {
    Staff s;
    RecordingSite site;
    s.setClientSite(&site);
    QSignalSpy spy(&s, &MusicControl::propertyChanged);
    EXPECT_FALSE(s.isDirty());
    EXPECT_TRUE(s.setForeColor(0x0000FF));
    EXPECT_EQ(site.asked, QList<int>{DISPID_FORECOLOR});
    EXPECT_EQ(site.changed_, QList<int>{DISPID_FORECOLOR});
    EXPECT_EQ(spy.count(), 1);
    EXPECT_TRUE(s.isDirty());
    EXPECT_EQ(s.foreRgb(), QColor(255, 0, 0));   // OLE colours are 0x00BBGGRR

    site.allow = false;
    s.setDirty(false);
    EXPECT_FALSE(s.setBackColor(0));
    EXPECT_EQ(s.BackColor(), 0xFFFFFFu);
    EXPECT_FALSE(s.isDirty());

    // Own properties mark nothing dirty and notify nobody (LineWidth is the one exception).
    s.setLineTop(3);
    EXPECT_FALSE(s.isDirty());
    EXPECT_EQ(spy.count(), 1);
    s.setLineWidth(50);
    EXPECT_TRUE(s.isDirty());
}

TEST(MousePointer, TableAndUnknownValues) {
    struct { int mp; Qt::CursorShape shape; bool useDefault; } rows[] = {
        {0, Qt::ArrowCursor, true}, {1, Qt::ArrowCursor, false}, {2, Qt::CrossCursor, false},
        {3, Qt::IBeamCursor, false}, {7, Qt::SizeVerCursor, false}, {9, Qt::SizeHorCursor, false},
        {11, Qt::WaitCursor, false}, {12, Qt::ForbiddenCursor, false}, {15, Qt::SizeAllCursor, false},
        {16, Qt::ArrowCursor, true}, {99, Qt::ArrowCursor, true}, {-5, Qt::ArrowCursor, true}};
    for (auto r : rows) {
        bool def = false;
        EXPECT_EQ(cursorShapeFor(r.mp, &def), r.shape) << r.mp;
        EXPECT_EQ(def, r.useDefault) << r.mp;
    }
    QWidget host;
    Staff s(&host);
    s.setMousePointer(2);
    EXPECT_EQ(s.cursor().shape(), Qt::CrossCursor);
    s.setMousePointer(16);              // an unknown value is the default cursor, not a handle
    EXPECT_FALSE(s.testAttribute(Qt::WA_SetCursor));
    s.setMousePointer(99);              // Custom without an icon
    EXPECT_FALSE(s.testAttribute(Qt::WA_SetCursor));
    QPixmap icon(16, 16);
    icon.fill(Qt::red);
    s.setMouseIcon(icon);
    EXPECT_EQ(s.cursor().shape(), Qt::BitmapCursor);
}

TEST(MouseEvents, TwipsFromTheCornerSigned) {
    QWidget host;
    host.resize(400, 300);
    Staff s(&host);
    s.setGeometry(50, 40, 200, 100);
    host.show();
    QSignalSpy down(&s, &MusicControl::MouseDown), up(&s, &MusicControl::MouseUp),
        move(&s, &MusicControl::MouseMove);
    QTest::mousePress(&s, Qt::LeftButton, {}, QPoint(10, 4));
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down[0][0].toInt(), 150);
    EXPECT_EQ(down[0][1].toInt(), 60);
    // A move while captured, left of and above the control: negative, no 16-bit wrap.
    QMouseEvent ev(QEvent::MouseMove, QPointF(-20, -3), s.mapToGlobal(QPointF(-20, -3)),
                   Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&s, &ev);
    ASSERT_GE(move.count(), 1);
    EXPECT_EQ(move.last()[0].toInt(), -300);
    EXPECT_EQ(move.last()[1].toInt(), -45);
    QTest::mouseRelease(&s, Qt::LeftButton, {}, QPoint(1, 2));
    ASSERT_EQ(up.count(), 1);
    EXPECT_EQ(up[0][0].toInt(), 15);
    // The right button fires nothing.
    QTest::mousePress(&s, Qt::RightButton, {}, QPoint(3, 3));
    EXPECT_EQ(down.count(), 1);
}

TEST(MouseEvents, DoubleClickFiresMouseDownOnce) {
    QWidget host;
    host.resize(400, 300);
    Staff s(&host);
    s.setGeometry(50, 40, 200, 100);
    host.show();
    QSignalSpy down(&s, &MusicControl::MouseDown), up(&s, &MusicControl::MouseUp);
    // What a widget receives for a double click: press, release, double click, release.
    const QPointF at(10, 4);
    auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
        QMouseEvent ev(type, at, s.mapToGlobal(at), Qt::LeftButton, buttons, {});
        QApplication::sendEvent(&s, &ev);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    EXPECT_EQ(down.count(), 1);
    EXPECT_EQ(up.count(), 2);
}

TEST(Factory, ProgIdsClassObjectsAndCounting) {
    ClassRegistry& reg = ClassRegistry::instance();
    ASSERT_NE(reg.byProgId("Music.Staff"), nullptr);
    EXPECT_EQ(reg.byProgId("music.staff.1"), reg.byProgId("Music.Staff"));
    EXPECT_EQ(reg.getClassObject("{2D4848F7-3942-44C2-A9F9-DAB3AC634631}")->name, "Staff");
    EXPECT_EQ(reg.getClassObject("{00000000-0000-0000-0000-000000000000}"), nullptr);
    EXPECT_EQ(reg.createObject("Music.Nothing"), nullptr);

    const int before = ObjectCounter::liveObjects();
    EXPECT_TRUE(reg.canUnloadNow() || before > 0);
    QWidget host;
    QObject* o = reg.createObject("Music.Staff.1", &host);
    ASSERT_NE(qobject_cast<Staff*>(o), nullptr);
    EXPECT_EQ(ObjectCounter::liveObjects(), before + 1);
    EXPECT_FALSE(reg.canUnloadNow());
    delete o;
    EXPECT_EQ(ObjectCounter::liveObjects(), before);
    reg.lockServer(true);
    EXPECT_FALSE(reg.canUnloadNow());
    reg.lockServer(false);
    EXPECT_EQ(reg.canUnloadNow(), before == 0);
}

TEST(Factory, RegisterAndUnregisterKeys) {
    QTemporaryDir dir;
    platform::Registry r(dir.filePath("reg.ini"));
    ClassRegistry::instance().registerServer(r, "/usr/lib/libmusic.so");
    const QString k = "CLSID\\{2D4848F7-3942-44C2-A9F9-DAB3AC634631}";
    EXPECT_EQ(r.value(k, ""), "Staff Class");
    EXPECT_EQ(r.value(k + "\\ProgID", ""), "Music.Staff.1");
    EXPECT_EQ(r.value(k + "\\VersionIndependentProgID", ""), "Music.Staff");
    EXPECT_EQ(r.value(k + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(r.value(k + "\\ToolboxBitmap32", ""), "/usr/lib/libmusic.so, 105");
    EXPECT_EQ(r.value(k + "\\MiscStatus\\1", ""), "131473");
    EXPECT_EQ(r.value("Music.Staff\\CurVer", ""), "Music.Staff.1");
    EXPECT_TRUE(ClassRegistry::instance().unregisterServer(r));
    EXPECT_FALSE(r.keyExists(k));
    EXPECT_FALSE(r.keyExists("Music.Staff"));
    EXPECT_TRUE(r.keyExists(QString("TypeLib\\") + kTypeLibId));
}

TEST(Persistence, RoundTripThroughTheSetters) {
    Staff a;
    a.resize(300, 90);
    a.setLineTop(-4);
    a.setLineLeft(7);
    a.setLineWidth(250);
    a.setLineSpace(12);
    a.setLineNumbers(4);
    a.setForeColor(0x00FF00);
    a.setCaption("upper");
    const QByteArray data = saveControl(&a);
    EXPECT_FALSE(a.isDirty());
    Staff b;
    ASSERT_TRUE(loadControl(&b, data));
    EXPECT_EQ(b.size(), QSize(300, 90));
    for (const char* p : {"LineTop", "LineLeft", "LineWidth", "LineSpace", "LineNumbers", "ForeColor", "Caption"})
        EXPECT_EQ(dispGet(&b, p), dispGet(&a, p)) << p;
    EXPECT_EQ(propertyMap(&b).front().first, "BackColor");
    EXPECT_EQ(propertyMap(&b).back(), qMakePair(QString("Line Numbers"), 5));
    // Foreign or cut data is refused.
    EXPECT_FALSE(loadControl(&b, QByteArray("garbage")));
    EXPECT_FALSE(loadControl(&b, data.left(data.size() / 2)));
}

TEST(Persistence, AControlWithoutAFontSavesNoneAndLoadingKeepsTheMusicFont) {
    Clef unsited;   // never sited: no Font
    ASSERT_FALSE(unsited.hasFont());
    unsited.setClef(Bass);
    const QByteArray data = saveControl(&unsited);
    QWidget host;
    Clef sited(&host);
    ASSERT_TRUE(sited.hasFont());
    const QFont music = sited.Font();
    ASSERT_TRUE(loadControl(&sited, data));
    EXPECT_EQ(sited.clefName(), Bass);
    EXPECT_EQ(sited.Font(), music);
    Clef fresh;
    ASSERT_TRUE(loadControl(&fresh, data));
    EXPECT_FALSE(fresh.hasFont());   // still none, not a text font
}

TEST(TextMetrics, LinesWithoutTheirEndPoint) {
    QImage img(20, 20, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(Qt::black);
    drawLineNoEnd(p, 2, 5, 10, 5);
    drawLineNoEnd(p, 15, 2, 15, 8);
    drawLineNoEnd(p, 1, 1, 1, 1);   // nothing
    p.end();
    EXPECT_EQ(img.pixelColor(2, 5), Qt::black);
    EXPECT_EQ(img.pixelColor(9, 5), Qt::black);
    EXPECT_EQ(img.pixelColor(10, 5), Qt::white);
    EXPECT_EQ(img.pixelColor(15, 7), Qt::black);
    EXPECT_EQ(img.pixelColor(15, 8), Qt::white);
    EXPECT_EQ(img.pixelColor(1, 1), Qt::white);
    EXPECT_EQ(glyphs({0x26, 0xCF}), QString("&") + QChar(0xCF));
}

TEST(TextMetrics, IndicesOfARowOfLinesInsideARange) {
    struct Row { qint64 first, step, count, lo, hi, from, to; } rows[] = {
        {10, 10, 5, 0, 59, 0, 5},              // all inside
        {10, 10, 5, 0, 35, 0, 3},              // 10, 20, 30
        {-15, 10, 5, 0, 59, 2, 5},             // 5, 15, 25 of -15, -5, 5, 15, 25
        {50, -10, 9, 0, 30, 2, 6},             // 30, 20, 10, 0
        {10, 0, 1000, 0, 59, 0, 1},            // repeats of one row
        {70, 0, 1000, 0, 59, 0, 0},
        {0, 1073741825, 5, 0, 59, 0, 1},       // far apart: only the first
        {0, 1, 2147483647, 0, 59, 0, 60},      // a huge count is cut to the range
        {10, 10, 0, 0, 59, 0, 0},              // nothing to draw
        {200, 10, 5, 0, 59, 0, 0},             // all below
    };
    for (const Row& r : rows) {
        const IndexRange got = indicesWithin(r.first, r.step, r.count, r.lo, r.hi);
        EXPECT_EQ(got.to - got.from, r.to - r.from) << r.first << " " << r.step;
        if (r.to > r.from) {
            EXPECT_EQ(got.from, r.from) << r.first << " " << r.step;
        }
    }
}

namespace {
class Probe : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Flag MEMBER flag)
public:
    int flag = 0;
    int got = 0;
    Q_INVOKABLE QVariant Echo(int v) { got = v; return QVariant(v * 2); }
};
} // namespace

TEST(Dispatch, HostBooleansAndVariantResults) {
    Probe p;
    EXPECT_TRUE(dispPut(&p, "flag", true));      // True is -1 to a whole-number member
    EXPECT_EQ(p.flag, -1);
    bool ok = false;
    const QVariant r = dispCall(&p, "echo", {true}, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(p.got, -1);
    EXPECT_EQ(r.metaType().id(), QMetaType::Int);  // not a variant inside a variant
    EXPECT_EQ(r.toInt(), -2);
}

#include "framework_test.moc"
