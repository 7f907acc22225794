#include "music/clef/clef.h"
#include "music/framework/classregistry.h"
#include "music/framework/dispatch.h"
#include "music/framework/persistence.h"
#include "music/framework/textmetrics.h"
#include "testoutput.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace music;

namespace {
QFont textFont() {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(37);
    return f;
}
QImage renderOnWhite(QWidget& host) {
    QImage img(host.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    host.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}
} // namespace

TEST(Clef, GlyphByValueAndOutOfRangeKeepsIt) {
    Clef c;
    EXPECT_EQ(c.clefName(), Treble);
    EXPECT_EQ(c.glyphText(), "&");
    struct { int value; QString glyph; } rows[] = {
        {Bass, "?"}, {C_Clef, "B"}, {Percussion, glyph(0xD6)}, {Tenor, "V"}, {Treble, "&"},
        {5, "&"}, {-1, "&"}, {Bass, "?"}, {99, "?"},
    };
    for (const auto& r : rows) {
        EXPECT_TRUE(dispPut(&c, "clef", r.value));
        EXPECT_EQ(dispGet(&c, "Clef").toInt(), r.value);   // stored as given
        EXPECT_EQ(c.glyphText(), r.glyph) << r.value;
    }
    c.setRhythmicOffset(-12);
    QVariant v;
    EXPECT_TRUE(dispGet(&c, 2, &v));
    EXPECT_EQ(v.toInt(), -12);
}

TEST(Clef, DispatchRegistrationAndPersistence) {
    Clef a;
    EXPECT_EQ(dispIdOf(&a, "Clef"), 1);
    EXPECT_EQ(dispIdOf(&a, "RhythmicOffset"), 2);
    EXPECT_EQ(dispIdOf(&a, "Font"), DISPID_FONT);
    EXPECT_EQ(dispIdOf(&a, "TabStop"), 0);
    const ClassInfo* info = ClassRegistry::instance().byProgId("Music.Clef");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->versionProgId, "Music.Clef.1");
    EXPECT_EQ(info->description, "Clef Class");
    EXPECT_EQ(info->clsid, "{2F06E48A-067F-4DA9-8B32-8F7DA715F507}");
    EXPECT_EQ(info->toolboxBitmap, 107);

    a.resize(30, 90);
    a.setClef(Percussion);
    a.setRhythmicOffset(512);
    a.setForeColor(0x0000FF);
    a.setFont_(textFont());
    Clef b;
    ASSERT_TRUE(loadControl(&b, saveControl(&a)));
    EXPECT_EQ(b.clefName(), Percussion);
    EXPECT_EQ(b.glyphText(), glyph(0xD6));   // rebuilt through the setter
    EXPECT_EQ(b.RhythmicOffset(), 512);
    EXPECT_EQ(b.ForeColor(), 0x0000FFu);
    EXPECT_EQ(b.Font().pixelSize(), 37);
    const auto map = propertyMap(&a);
    ASSERT_EQ(map.size(), 9);
    EXPECT_EQ(map[6], qMakePair(QString("Clef Sign"), 1));
    EXPECT_EQ(map[7], qMakePair(QString("Font"), -512));
}

TEST(Clef, ATextFontDrawsTheLetterAtTheTopLeftCorner) {
    QWidget host;
    host.resize(60, 70);
    Clef c(&host);
    c.setGeometry(10, 5, 40, 60);
    c.setFont_(textFont());
    const QImage img = renderOnWhite(host);
    img.save(testOutputPath("clef_textfont.png"));

    QImage expected(host.size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QPainter p(&expected);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.setClipRect(QRect(10, 5, 40, 60));
        p.setFont(textFont());
        p.setPen(Qt::black);
        drawTextTop(p, 10, 5, "&");
    }
    EXPECT_EQ(img, expected);
}

TEST(Clef, WithoutAFontNothingIsDrawn) {
    Clef c;   // never sited: the default font was never made
    ASSERT_FALSE(c.hasFont());
    c.resize(40, 60);
    QImage img(c.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    c.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    QImage white(c.size(), QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_EQ(img, white);
}
