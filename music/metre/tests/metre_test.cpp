#include "music/framework/classregistry.h"
#include "music/framework/dispatch.h"
#include "music/framework/persistence.h"
#include "music/framework/textmetrics.h"
#include "music/metre/metre.h"
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
} // namespace

TEST(Metre, FiguresByPulsesAndNoteValue) {
    Metre m;
    EXPECT_EQ(m.upperFigure(), "4");
    EXPECT_EQ(m.lowerFigure(), "4");
    const char* upper[] = {"1", "2", "3", "4", "6", "9", "12"};
    for (int p = 0; p <= 6; ++p) {
        m.setPulses(p);
        EXPECT_EQ(m.upperFigure(), upper[p]) << p;
    }
    const char* lower[] = {"1", "2", "4", "8", "16", "32", "64", "128", ""};
    for (int v = 0; v <= 8; ++v) {
        dispPut(&m, "noteValue", v);
        EXPECT_EQ(m.lowerFigure(), lower[v]) << v;
    }
    for (int bad : {9, -1, 100}) {
        m.setPulses(bad);
        m.setNoteValue(bad);
        EXPECT_EQ(m.Pulses(), bad);
        EXPECT_EQ(m.NoteValue(), bad);
        EXPECT_EQ(m.upperFigure(), "4");
        EXPECT_EQ(m.lowerFigure(), "4");
    }
}

TEST(Metre, ComplexTextBecomesTheUpperFigureOnlyInComplexTime) {
    Metre m;
    m.setPulses(CompoundDuple);
    dispPut(&m, "Complex", QString("3+2"));
    EXPECT_EQ(m.Complex(), "3+2");
    EXPECT_EQ(m.upperFigure(), "6");
    m.setPulses(TimePulses::Complex);
    EXPECT_EQ(m.upperFigure(), "3+2");
    m.setComplex("2+2+3");
    EXPECT_EQ(m.upperFigure(), "2+2+3");
    m.setComplex(QString());
    EXPECT_EQ(m.upperFigure(), "");
    // The music font has 8-bit codes only.
    m.setComplex(QString::fromUtf8("3\u20AC2\u00E9"));
    EXPECT_EQ(m.upperFigure(), QString::fromUtf8("3?2\u00E9"));
    EXPECT_EQ(m.Complex(), QString::fromUtf8("3\u20AC2\u00E9"));
}

TEST(Metre, CentringOfTheNarrowerFigure) {
    Metre m;
    m.setFont_(textFont());
    const QFont f = textFont();
    const TextMetrics tm = textMetrics(f);
    const int e = int(0.9 * tm.internalLeading);
    m.setMetreLeft(3);
    m.setMetreTop(-4);
    const QRect box(20, 50, 40, 60);
    const int x = 20 + 3, yu = 50 - 4 - e + 10, yl = yu + tm.height / 4;
    struct Row { int pulses; QString complex; int value; int upperShift, lowerShift; } rows[] = {
        {SimpleQuadruple, "", Quarter, 0, 0},
        {CompoundDuple, "", Eighth, 0, 0},
        {CompoundQuadruple, "", Eighth, 0, (textWidth(f, "12") - textWidth(f, "8")) / 2},
        {SimpleDuple, "", Sixteenth, (textWidth(f, "16") - textWidth(f, "2")) / 2, 0},
        {CompoundQuadruple, "", Sixteenth, 0, 0},   // same length: never shifted
        {TimePulses::Complex, "3+2+3", Eighth, 0, (textWidth(f, "3+2+3") - textWidth(f, "8")) / 2},
        {SimpleTriple, "", DoubleWhole, 0, textWidth(f, "3") / 2},   // nothing drawn below
    };
    for (const Row& r : rows) {
        m.setComplex(r.complex);
        m.setPulses(r.pulses);
        m.setNoteValue(r.value);
        const Metre::Placement at = m.placement(box);
        EXPECT_EQ(at.upper, QPoint(x + r.upperShift, yu)) << r.pulses << " " << r.value;
        EXPECT_EQ(at.lower, QPoint(x + r.lowerShift, yl)) << r.pulses << " " << r.value;
    }
}

TEST(Metre, ATextFontDrawsTheFiguresAsLetters) {
    QWidget host;
    host.resize(60, 100);
    Metre m(&host);
    m.setGeometry(5, 30, 50, 70);
    m.setFont_(textFont());
    m.setPulses(CompoundQuadruple);
    m.setNoteValue(Eighth);
    QImage img(host.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    host.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    img.save(testOutputPath("metre_textfont.png"));

    QImage expected(host.size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QPainter p(&expected);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.setClipRect(m.geometry());
        p.setFont(textFont());
        p.setPen(Qt::black);
        const Metre::Placement at = m.placement(m.geometry());
        drawTextTop(p, at.upper.x(), at.upper.y(), "12");
        drawTextTop(p, at.lower.x(), at.lower.y(), "8");
    }
    EXPECT_EQ(img, expected);
}

TEST(Metre, DispatchRegistrationAndPersistence) {
    Metre a;
    EXPECT_EQ(dispIdOf(&a, "Pulses"), 1);
    EXPECT_EQ(dispIdOf(&a, "complex"), 2);
    EXPECT_EQ(dispIdOf(&a, "NoteValue"), 3);
    EXPECT_EQ(dispIdOf(&a, "RhythmicOffset"), 6);
    const ClassInfo* info = ClassRegistry::instance().byProgId("Music.Time.1");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->name, "Metre");
    EXPECT_EQ(info->description, "Time Class");
    EXPECT_EQ(info->clsid, "{65D237DF-F37B-40D8-9A16-31E7C4FFB99A}");
    EXPECT_EQ(info->toolboxBitmap, 111);

    a.resize(40, 60);
    a.setComplex("5+4");
    a.setPulses(TimePulses::Complex);
    a.setNoteValue(Sixteenth);
    a.setMetreTop(7);
    a.setMetreLeft(-2);
    a.setRhythmicOffset(3);
    Metre b;
    ASSERT_TRUE(loadControl(&b, saveControl(&a)));
    EXPECT_EQ(b.Pulses(), int(TimePulses::Complex));
    EXPECT_EQ(b.Complex(), "5+4");
    EXPECT_EQ(b.upperFigure(), "5+4");
    EXPECT_EQ(b.lowerFigure(), "16");
    EXPECT_EQ(b.MetreTop(), 7);
    EXPECT_EQ(b.MetreLeft(), -2);
    EXPECT_EQ(b.RhythmicOffset(), 3);
    const auto map = propertyMap(&a);
    ASSERT_EQ(map.size(), 13);
    EXPECT_EQ(map[7], qMakePair(QString("Number of Pulses"), 1));
    EXPECT_EQ(map[12], qMakePair(QString("Rhythmic Offset"), 6));
}
