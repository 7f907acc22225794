#include "music/accidental/accidental.h"
#include "music/framework/classregistry.h"
#include "music/framework/dispatch.h"
#include "music/framework/persistence.h"
#include "music/framework/textmetrics.h"
#include "testoutput.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <limits>

using music::AccidentalControl;
using music::KeySignGlyph;
using music::keySignatureLayout;

namespace {
QVector<KeySignGlyph> signs(QChar c, const QVector<int>& steps, int firstColumn = 0) {
    QVector<KeySignGlyph> out;
    for (int i = 0; i < steps.size(); ++i) out.push_back({c, firstColumn + i, steps[i]});
    return out;
}
QString describe(const QVector<KeySignGlyph>& v) {
    QStringList parts;
    for (const auto& g : v) parts << QString("%1@%2:%3").arg(g.sign).arg(g.column).arg(g.step);
    return parts.join(' ');
}
} // namespace

// Every key from C: the new signs alone, on the positions of the layout's tables.
TEST(KeySignature, FromCToEveryKeyInEachLayout) {
    const QVector<int> trebleSharps{0, 3, -1, 2, 5, 1, 4}, trebleFlats{4, 1, 5, 2, 6, 3, 7};
    const QVector<int> tenorSharps{0, -4, -1, -5, -2, -6, -3}, tenorFlats{-3, -6, -2, -5, -1, -4, 0};
    for (int key = -7; key <= 7; ++key) {
        const int n = std::abs(key);
        const QChar sign = key >= 1 ? '#' : 'b';
        struct { int order; const QVector<int>& table; } layouts[] = {
            {music::TrebleSharpOrder, key >= 1 ? trebleSharps : trebleFlats},
            {music::TenorSharpOrder, key >= 1 ? tenorSharps : tenorFlats},
            {2, tenorFlats},   // any other layout takes the tenor flat places, sharps too
            {-1, tenorFlats},
        };
        for (const auto& l : layouts) {
            const auto got = keySignatureLayout(0, key, l.order);
            const auto want = signs(sign, l.table.mid(0, n));
            EXPECT_EQ(got, want) << "key " << key << " order " << l.order << ": " << describe(got).toStdString();
        }
    }
}

TEST(KeySignature, KeyChangesPutTheNaturalsFirst) {
    struct Row { int from, to; QVector<KeySignGlyph> want; } rows[] = {
        {0, 3, signs('#', {0, 3, -1})},
        {4, 2, signs('n', {-1, 2}) + signs('#', {0, 3}, 2)},
        {-3, 2, signs('n', {4, 1, 5}) + signs('#', {0, 3}, 3)},
        {2, 5, signs('#', {0, 3, -1, 2, 5})},
        {3, 0, signs('n', {0, 3, -1})},
        {-5, -2, signs('n', {5, 2, 6}) + signs('b', {4, 1}, 3)},
        {-2, -5, signs('b', {4, 1, 5, 2, 6})},
        {5, -1, signs('n', {0, 3, -1, 2, 5}) + signs('b', {4}, 5)},
        {-1, 0, signs('n', {4})},
        {-7, 7, signs('n', {4, 1, 5, 2, 6, 3, 7}) + signs('#', {0, 3, -1, 2, 5, 1, 4}, 7)},
        {6, 6, signs('#', {0, 3, -1, 2, 5, 1})},
        {0, 0, {}},
    };
    for (const Row& r : rows) {
        const auto got = keySignatureLayout(r.from, r.to, music::TrebleSharpOrder);
        EXPECT_EQ(got, r.want) << r.from << " -> " << r.to << ": " << describe(got).toStdString();
    }
    // The naturals of the tenor layout come from the old key's own table.
    EXPECT_EQ(keySignatureLayout(3, -1, music::TenorSharpOrder),
              signs('n', {0, -4, -1}) + signs('b', {-3}, 3));
}

TEST(KeySignature, CountsBeyondSevenStopAtTheSeventhPlace) {
    // Hosts may store any count; the tables have seven places, so no more are drawn.
    EXPECT_EQ(keySignatureLayout(0, 9, music::TrebleSharpOrder), signs('#', {0, 3, -1, 2, 5, 1, 4}));
    EXPECT_EQ(keySignatureLayout(-12, 0, music::TrebleSharpOrder), signs('n', {4, 1, 5, 2, 6, 3, 7}));
    EXPECT_EQ(keySignatureLayout(9, 8, music::TrebleSharpOrder), signs('#', {0, 3, -1, 2, 5, 1, 4}));
}

TEST(KeySignature, ExtremeCountsStayInsideTheTables) {
    const int lowest = std::numeric_limits<int>::min(), highest = std::numeric_limits<int>::max();
    const QVector<int> flats{4, 1, 5, 2, 6, 3, 7}, sharps{0, 3, -1, 2, 5, 1, 4};
    // Any count past seven is a full key signature, whatever its size.
    EXPECT_EQ(keySignatureLayout(lowest, -1, music::TrebleSharpOrder),
              signs('n', flats.mid(1)) + signs('b', {4}, 6));
    EXPECT_EQ(keySignatureLayout(lowest, lowest, music::TrebleSharpOrder), signs('b', flats));
    EXPECT_EQ(keySignatureLayout(-1, lowest, music::TrebleSharpOrder), signs('b', flats));
    EXPECT_EQ(keySignatureLayout(lowest, highest, music::TrebleSharpOrder),
              signs('n', flats) + signs('#', sharps, 7));
    EXPECT_EQ(keySignatureLayout(highest, 2, music::TrebleSharpOrder),
              signs('n', sharps.mid(2)) + signs('#', sharps.mid(0, 2), 5));
}

TEST(Accidental, GlyphTextsAndDefaults) {
    AccidentalControl a;
    EXPECT_EQ(a.AccidentalSign(), music::mSharp);
    EXPECT_EQ(a.KeyMode(), music::KeySignature);
    EXPECT_EQ(a.KeyOldMajor(), 0);
    EXPECT_EQ(a.KeyNewMajor(), 0);
    EXPECT_EQ(a.glyphText(), "#");
    struct { int sign; QString text; } rows[] = {
        {0, ""}, {1, "#"}, {2, "b"}, {3, QString(QChar(0xBA))}, {4, QString(QChar(0xDC))},
        {5, "n"}, {6, "n#"}, {7, "nb"}};
    for (const auto& r : rows) {
        a.setAccidentalSign(r.sign);
        EXPECT_EQ(a.glyphText(), r.text) << r.sign;
    }
    a.setAccidentalSign(8);   // stored, and the last glyph stays
    EXPECT_EQ(a.AccidentalSign(), 8);
    EXPECT_EQ(a.glyphText(), "nb");
    a.setAccidentalSign(-1);
    EXPECT_EQ(a.glyphText(), "nb");
}

TEST(Accidental, DispatchIdsAndProgId) {
    QWidget host;
    QObject* o = music::ClassRegistry::instance().createObject("Music.Accidental", &host);
    auto* a = qobject_cast<AccidentalControl*>(o);
    ASSERT_NE(a, nullptr);
    const char* names[] = {"AccidentalSign", "RhythmicOffset", "KeyOldMajor", "KeyNewMajor",
                           "KeyMode", "SharpOrder", "KeyTop", "KeyLeft"};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(music::dispIdOf(a, names[i]), i + 1) << names[i];
        EXPECT_TRUE(music::dispPut(a, i + 1, 100 + i));
        EXPECT_EQ(music::dispGet(a, QString(names[i]).toLower()).toInt(), 100 + i) << "stored unchanged";
    }
    EXPECT_EQ(music::dispIdOf(a, "Font"), -512);
    EXPECT_EQ(music::dispIdOf(a, "TabStop"), 0);
    const auto* info = music::ClassRegistry::instance().byProgId("Music.Accidental.1");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->name, "Accidental");
    EXPECT_EQ(info->toolboxBitmap, 113);
    delete o;
}

TEST(Accidental, PersistedInItsOrder) {
    QWidget host;
    AccidentalControl a(&host);
    a.resize(63, 61);
    a.setAccidentalSign(music::mNaturalFlat);
    a.setRhythmicOffset(3);
    a.setKeyOldMajor(-3);
    a.setKeyNewMajor(2);
    a.setKeyMode(music::KeySignature);
    a.setSharpOrder(music::TenorSharpOrder);
    a.setKeyTop(-30);
    a.setKeyLeft(4);
    AccidentalControl b(&host);
    ASSERT_TRUE(music::loadControl(&b, music::saveControl(&a)));
    EXPECT_EQ(b.size(), QSize(63, 61));
    EXPECT_EQ(b.AccidentalSign(), music::mNaturalFlat);
    EXPECT_EQ(b.glyphText(), "nb") << "loading goes through the setter";
    EXPECT_EQ(b.RhythmicOffset(), 3);
    EXPECT_EQ(b.KeyOldMajor(), -3);
    EXPECT_EQ(b.KeyNewMajor(), 2);
    EXPECT_EQ(b.SharpOrder(), 1);
    EXPECT_EQ(b.KeyTop(), -30);
    EXPECT_EQ(b.KeyLeft(), 4);
    QStringList names;
    for (const auto& e : music::propertyMap(&b)) names << e.first;
    EXPECT_EQ(names.join(","),
              "BackColor,Enabled,FillColor,Font,ForeColor,MouseIcon,MousePointer,"
              "Rhythmic Offset from Point of Origin.,Accidental Sign.,Old Major Key.,New Major Key.,"
              "Accidental or Key Signature Mode.,Sharp Order.,Key Top Position.,Key Left Position.");
}

namespace {
bool musicFontPresent() {
    QWidget host;
    AccidentalControl probe(&host);
    return probe.hasFont();
}
#define REQUIRE_MUSIC_FONT() \
    if (!musicFontPresent()) GTEST_SKIP() << "the music font is not installed"

QImage render(QWidget& w) {
    QImage img(w.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    w.render(&img);
    return img;
}
// The same text drawn straight onto a white image: where the rules say it goes.
QImage expected(const QFont& font, QSize size, const QVector<QPair<QPoint, QString>>& texts) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(font);
    p.setPen(Qt::black);
    for (const auto& t : texts) music::drawTextTop(p, t.first.x(), t.first.y(), t.second);
    return img;
}
QRect inkBox(const QImage& img, const QRect& r) {
    QRect box;
    for (int y = qMax(0, r.top()); y <= qMin(img.height() - 1, r.bottom()); ++y)
        for (int x = qMax(0, r.left()); x <= qMin(img.width() - 1, r.right()); ++x)
            if (qGray(img.pixel(x, y)) < 160) box |= QRect(x, y, 1, 1);
    return box;
}
// The same glyphs in the same places: ink boxes agree to a pixel (the two paint paths may
// shade edge pixels differently).
void expectSameInk(const QImage& got, const QImage& want, const QRect& r) {
    const QRect a = inkBox(got, r), b = inkBox(want, r);
    EXPECT_EQ(a.isEmpty(), b.isEmpty());
    if (a.isEmpty() || b.isEmpty()) return;
    EXPECT_NEAR(a.left(), b.left(), 1);
    EXPECT_NEAR(a.right(), b.right(), 1);
    EXPECT_NEAR(a.top(), b.top(), 1);
    EXPECT_NEAR(a.bottom(), b.bottom(), 1);
}
} // namespace

TEST(AccidentalDrawing, SingleSignAtKeyLeftAndKeyTop) {
    REQUIRE_MUSIC_FONT();
    QWidget host;
    AccidentalControl a(&host);
    a.resize(60, 90);
    a.setKeyMode(music::fmAccKey::Accidental);
    a.setKeyLeft(7);
    a.setKeyTop(3);
    for (int sign = 0; sign <= 7; ++sign) {
        SCOPED_TRACE(sign);
        a.setAccidentalSign(sign);
        expectSameInk(render(a), expected(a.Font(), a.size(), {{QPoint(7, 3), a.glyphText()}}), a.rect());
    }
    a.setAccidentalSign(music::mNothing);
    EXPECT_TRUE(inkBox(render(a), a.rect()).isEmpty());
}

TEST(AccidentalDrawing, KeySignaturesStepByHeightOverFifteen) {
    REQUIRE_MUSIC_FONT();
    QWidget host;
    AccidentalControl a(&host);
    a.resize(140, 130);
    a.setKeyLeft(2);
    a.setKeyTop(10);
    const QFont f = a.Font();
    const int w = music::textWidth(f, "#"), u = music::textHeight(f, "#") / 15;
    ASSERT_EQ(u, 5) << "the music font's steps are half a line space";
    EXPECT_TRUE(inkBox(render(a), a.rect()).isEmpty()) << "C to C shows nothing";
    struct Row { int from, to; };
    for (Row r : {Row{0, 3}, Row{4, 2}, Row{-3, 2}, Row{3, 0}, Row{-7, -1}, Row{0, -7}}) {
        a.setKeyOldMajor(r.from);
        a.setKeyNewMajor(r.to);
        QVector<QPair<QPoint, QString>> texts;
        for (const auto& g : keySignatureLayout(r.from, r.to, music::TrebleSharpOrder))
            texts.push_back({QPoint(2 + g.column * w, 10 + g.step * u), QString(g.sign)});
        const QImage got = render(a), want = expected(f, a.size(), texts);
        // Sign by sign: each column of the layout holds the same ink in the same place.
        for (int col = 0; col < 16; ++col) {
            SCOPED_TRACE(QString("%1 -> %2, column %3").arg(r.from).arg(r.to).arg(col).toStdString());
            expectSameInk(got, want, QRect(2 + col * w, 0, w, a.height()));
        }
    }
}

// On a staff whose top line lies 18 pixels below the control (the lesson template's key
// signature: 645 twips against a top line at 915) and KeyTop -30, each sign sits on its line
// or space: sharps and naturals centred on it, a flat's bowl on it.
TEST(AccidentalDrawing, SignsStandOnTheirLinesAndSpaces) {
    REQUIRE_MUSIC_FONT();
    QWidget host;
    AccidentalControl a(&host);
    a.resize(150, 90);
    a.setKeyTop(-30);
    const int topLine = 18;
    const int w = music::textWidth(a.Font(), "#");
    for (int key : {7, -7}) {
        a.setKeyOldMajor(-key);
        a.setKeyNewMajor(key);
        const QImage img = render(a);
        for (const auto& g : keySignatureLayout(-key, key, music::TrebleSharpOrder)) {
            const int centre = topLine + 5 * g.step;
            const QRect box = inkBox(img, QRect(g.column * w, 0, w, img.height()));
            ASSERT_FALSE(box.isEmpty()) << g.column;
            if (g.sign == 'b') {
                // The bowl (the ink right of the stem) is centred on the line or space.
                const QRect bowl = inkBox(img, QRect(box.left() + 3, 0, w - 3, img.height()));
                EXPECT_NEAR((bowl.top() + bowl.bottom()) / 2.0, centre + 0.5, 1.0) << "flat at step " << g.step;
                EXPECT_LT(box.top(), bowl.top() - 5) << "the stem rises above the bowl";
            } else {
                EXPECT_NEAR((box.top() + box.bottom()) / 2.0, centre + 0.5, 1.0) << g.sign.toLatin1() << " at step " << g.step;
            }
        }
    }
}
