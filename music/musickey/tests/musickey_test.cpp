#include "music/framework/classregistry.h"
#include "music/framework/dispatch.h"
#include "music/framework/persistence.h"
#include "music/framework/textmetrics.h"
#include "music/musickey/musickey.h"
#include "testoutput.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using music::MusicKey;
using music::dispCall;
using music::dispGet;
using music::dispPut;

namespace {

struct RecordingSite : music::ControlSite {
    QList<int> changed_;
    void changed(int id) override { changed_ << id; }
};

// A white host, so what the control leaves unpainted reads as paper.
struct Sheet {
    QWidget host;
    MusicKey key;
    explicit Sheet(QSize size = {200, 60}) : key(&host) {
        host.setAutoFillBackground(true);
        QPalette pal = host.palette();
        pal.setColor(QPalette::Window, Qt::white);
        host.setPalette(pal);
        host.resize(size);
        key.setGeometry(QRect(QPoint(0, 0), size));
    }
    QImage render() { return host.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

// Columns that hold ink (any pixel darker than mid grey).
QRect inkBox(const QImage& img, int fromX = 0) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = fromX; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

TEST(MusicKey, DefaultsAndFontsAtSiting) {
    MusicKey loose;
    EXPECT_FALSE(loose.hasCharFont()) << "no letter font before siting";
    Sheet s;
    MusicKey& k = s.key;
    EXPECT_EQ(k.KeyScale(), 0);
    EXPECT_EQ(k.ChordDisplay(), 0);
    EXPECT_EQ(k.RomanNumber(), 1);
    EXPECT_EQ(k.RomanNumeralCase(), 0);
    EXPECT_EQ(k.ForcedKey(), 0);
    EXPECT_EQ(k.BackColor(), 0xFFFFFFu);
    EXPECT_TRUE(k.Enabled());
    ASSERT_TRUE(k.hasCharFont());
    EXPECT_EQ(k.CharFont().family(), "Times New Roman");
    EXPECT_EQ(k.CharFont().pixelSize(), 19);   // 14 points at 96 dpi
    EXPECT_EQ(k.mainText(), "C");
    EXPECT_EQ(k.accidentalText(), " ");
    // Siting again keeps a letter font the host chose.
    QFont mine("Liberation Sans");
    mine.setPixelSize(30);
    k.setCharFont(mine);
    k.setClientSite(&music::ControlSite::defaultSite());
    EXPECT_EQ(k.CharFont().pixelSize(), 30);
    // Nothing to draw with before siting: no crash, nothing drawn.
    QImage img(50, 20, QImage::Format_RGB32);
    img.fill(Qt::white);
    loose.resize(50, 20);
    loose.render(&img);
}

TEST(MusicKey, DispatchIdsAndStockSet) {
    MusicKey k;
    struct { const char* name; int id; } rows[] = {
        {"KeyScale", 1}, {"ChordDisplay", 8}, {"RomanNumeralCase", 9}, {"RomanNumber", 10},
        {"ScaleMode", 12}, {"ForcedAccidental", 13}, {"ForcedKey", 14}, {"ChordLeft", 15},
        {"ChordTop", 16}, {"CharFont", 17}, {"ChordNotes", 18}, {"ChordRaisedNotes", 19},
        {"ChordLoweredNotes", 20}, {"ChordDiminishedNotes", 21}, {"ChordAugmentedNotes", 22},
        {"OffsetAccidental", 23}, {"OffsetModeName", 24}, {"GetNoteAccidental", 26},
        {"ChordHalfDiminishedNote", 27}, {"GetRootNote", 28}, {"GetBassNote", 29},
        {"GetInversion", 30}, {"TabStop", -516}, {"Font", -512}, {"MouseIcon", -522}};
    for (auto r : rows) {
        EXPECT_EQ(music::dispIdOf(&k, r.name), r.id) << r.name;
        EXPECT_EQ(music::memberNameOf(&k, r.id).toLower(), QString(r.name).toLower()) << r.id;
    }
    EXPECT_EQ(music::dispIdOf(&k, "Caption"), 0) << "MusicKey has no Caption";
    // Custom setters store as given and mark nothing dirty.
    EXPECT_TRUE(dispPut(&k, "keyscale", -3));
    EXPECT_TRUE(dispPut(&k, 10, 5));
    EXPECT_TRUE(dispPut(&k, "ForcedKey", 1));
    EXPECT_EQ(k.KeyScale(), -3);
    EXPECT_EQ(k.RomanNumber(), 5);
    EXPECT_EQ(k.ForcedKey(), 1);
    EXPECT_FALSE(k.isDirty());
}

TEST(MusicKey, BitSetsClampThroughDispatch) {
    MusicKey k;
    for (const char* p : {"ChordNotes", "ChordRaisedNotes", "ChordLoweredNotes",
                          "ChordDiminishedNotes", "ChordAugmentedNotes", "ChordHalfDiminishedNote"}) {
        struct { int in, out; } rows[] = {{300, 255}, {-5, 0}, {96, 96}};
        for (auto r : rows) {
            ASSERT_TRUE(dispPut(&k, p, r.in)) << p;
            EXPECT_EQ(dispGet(&k, p).toInt(), r.out) << p << " " << r.in;
        }
    }
}

TEST(MusicKey, QueriesByName) {
    MusicKey k;
    struct { int key, mode, degree, notes, raised, lowered, pitch, root, bass, inversion, acc; } rows[] = {
        {0, 1, 5, 1 + 4 + 16, 4, 0, 5, 3, 3, 0, 1},   // A minor V: root E, G sharp
        {0, 0, 5, 1 + 2 + 8, 0, 1, 4, 5, 4, 3, 2},    // C major V4/2, lowered bass: F flat
        {-1, 0, 4, 0, 1, 0, 7, 7, 7, 0, 5},           // F major IV, raised root: B natural
        {-3, 0, 5, 0, 0, 0, 7, 7, 7, 0, 2},           // E flat major V: B flat
        {0, 0, 1, 8 + 32, 0, 0, 1, 1, 1, 0, 0},       // flag clear: root position
        {9, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0},            // out of range: nothing
        {0, 0, 8, 1 + 32, 0, 0, 1, 0, 0, 1, 0},
    };
    for (auto r : rows) {
        dispPut(&k, "KeyScale", r.key);
        dispPut(&k, "ScaleMode", r.mode);
        dispPut(&k, "RomanNumber", r.degree);
        dispPut(&k, "ChordNotes", r.notes);
        dispPut(&k, "ChordRaisedNotes", r.raised);
        dispPut(&k, "ChordLoweredNotes", r.lowered);
        bool ok = false;
        EXPECT_EQ(dispCall(&k, "GetNoteAccidental", {r.pitch}, &ok).toInt(), r.acc) << r.key << " " << r.degree;
        EXPECT_TRUE(ok);
        EXPECT_EQ(dispCall(&k, "getrootnote", {}, &ok).toInt(), r.root);
        EXPECT_EQ(dispGet(&k, "GetBassNote").toInt(), r.bass);
        EXPECT_EQ(dispGet(&k, 30, nullptr), true);
        QVariant inv;
        dispGet(&k, 30, &inv);
        EXPECT_EQ(inv.toInt(), r.inversion);
    }
}

TEST(MusicKey, TextsOfTheThreeDisplays) {
    MusicKey k;
    struct { int display, key, mode, forcedKey, forced, number, romanCase; QString main, acc; } rows[] = {
        {0, -3, 0, 0, 0, 1, 0, "E", "b"},
        {0, 4, 1, 0, 0, 1, 0, "C", "#"},
        {0, -2, 1, 0, 0, 1, 0, "G", " "},
        {0, 0, 0, -1, 5, 1, 0, "C", "n"},                    // forced natural
        {0, -3, 0, 1, 5, 1, 0, "E", "b"},                    // only -1 forces
        {0, -3, 0, -1, 6, 1, 0, "E", "b"},                   // natural-sharp keeps the key's
        {0, 2, 0, -1, 3, 1, 0, "D", QString(QChar(0xBA))},
        {0, 2, 0, -1, 4, 1, 0, "D", QString(QChar(0xDC))},
        {0, 2, 0, -1, 42, 1, 0, "D", " "},                   // unknown code keeps the key's
        {0, 8, 0, -1, 1, 1, 0, "", ""},                      // no such key
        {1, 0, 0, 0, 0, 5, 1, "v", ""},
        {1, 0, 0, 0, 0, 5, 0, "V", ""},
        {1, 0, 0, 0, 0, 7, 3, "vii", ""},
        {1, 0, 0, 0, 0, 0, 0, "Illegal", ""},
        {1, 0, 0, 0, 0, 8, 1, "Illegal", ""},
        {2, 0, 0, 0, 0, 7, 0, "Leading Tone", ""},
        {2, 0, 0, 0, 0, 2, 0, "Super Tonic", ""},
        {5, 0, 0, 0, 0, 4, 0, "Sub Dominant", ""},           // any other display is technical
        {2, 0, 0, 0, 0, -1, 0, "Illegal", ""},
    };
    for (const auto& r : rows) {
        k.setChordDisplay(r.display);
        k.setKeyScale(r.key);
        k.setScaleMode(r.mode);
        k.setForcedKey(r.forcedKey);
        k.setForcedAccidental(r.forced);
        k.setRomanNumber(r.number);
        k.setRomanNumeralCase(r.romanCase);
        EXPECT_EQ(k.mainText(), r.main) << r.display << " " << r.key << " " << r.number;
        EXPECT_EQ(k.accidentalText(), r.acc) << r.display << " " << r.key << " " << r.forced;
    }
}

TEST(MusicKey, CharFontIsAStockLikeChange) {
    MusicKey k;
    RecordingSite site;
    k.setClientSite(&site);
    QSignalSpy spy(&k, &music::MusicControl::propertyChanged);
    k.setDirty(false);
    k.setChordTop(4);
    EXPECT_FALSE(k.isDirty());
    QFont f("Liberation Serif");
    f.setPixelSize(24);
    EXPECT_TRUE(dispPut(&k, 17, f));
    EXPECT_TRUE(k.isDirty());
    EXPECT_EQ(site.changed_, QList<int>{MusicKey::DISPID_CHARFONT});
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(k.CharFont().pixelSize(), 24);
}

TEST(MusicKey, PersistsItsMapAndComesBackThroughTheSetters) {
    QWidget host;
    MusicKey a(&host);
    a.resize(149, 40);
    a.setKeyScale(-4);
    a.setScaleMode(1);
    a.setChordDisplay(1);
    a.setRomanNumeralCase(1);
    a.setRomanNumber(7);
    a.setForcedAccidental(5);
    a.setForcedKey(-1);
    a.setChordLeft(3);
    a.setChordTop(-5);
    a.setChordNotes(1 + 4 + 16 + 32);
    a.setChordRaisedNotes(4);
    a.setChordLoweredNotes(8);
    a.setChordDiminishedNotes(16);
    a.setChordAugmentedNotes(32);
    a.setChordHalfDiminishedNote(64);
    a.setOffsetAccidental(2);
    a.setOffsetModeName(-3);
    a.setTabStop(true);
    QFont f("Liberation Serif");
    f.setPixelSize(22);
    a.setCharFont(f);
    const QByteArray data = music::saveControl(&a);

    const auto map = music::propertyMap(&a);
    QStringList names;
    for (const auto& e : map) names << e.first;
    EXPECT_EQ(names, (QStringList{"BackColor", "Enabled", "FillColor", "Font", "ForeColor", "MouseIcon",
                                  "MousePointer", "TabStop", "Scale", "Chord Display Mode", "Roman Case",
                                  "Roman Number", "Scale Mode", "Forced Accidental", "Forced Key",
                                  "Chord Left", "Chord Top", "Character Font", "Chord Notes",
                                  "Chord with Raised Notes", "Chord with Lowered Notes",
                                  "Chord with Diminished Notes", "Chord with Augmented Notes",
                                  "Offset Accidental", "Offset Mode Name",
                                  "Chord with Half Diminished Notes"}));

    QWidget host2;
    MusicKey b(&host2);
    ASSERT_TRUE(music::loadControl(&b, data));
    EXPECT_EQ(b.size(), QSize(149, 40));
    for (const auto& e : map) {
        if (e.second == music::DISPID_MOUSEICON) continue;   // an empty picture compares unequal
        QVariant va, vb;
        music::dispGet(&a, e.second, &va);
        music::dispGet(&b, e.second, &vb);
        EXPECT_EQ(va, vb) << e.first.toStdString();
    }
    EXPECT_EQ(b.CharFont().pixelSize(), 22);
}

TEST(MusicKey, CreatedByProgId) {
    QWidget host;
    auto& reg = music::ClassRegistry::instance();
    for (const char* id : {"Music.MusicKey", "Music.MusicKey.1", "music.musickey"}) {
        QObject* o = reg.createObject(id, &host);
        auto* k = qobject_cast<MusicKey*>(o);
        ASSERT_NE(k, nullptr) << id;
        EXPECT_TRUE(k->hasCharFont()) << "sited on its window";
        delete o;
    }
    const auto* info = reg.getClassObject("{C39AF73F-B300-4811-8D2C-57E03D7DAEE3}");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->description, "MusicKey Class");
    EXPECT_EQ(info->toolboxBitmap, 123);
}

TEST(MusicKey, MouseEventsInTwips) {
    Sheet s;
    s.host.show();
    QSignalSpy down(&s.key, &music::MusicControl::MouseDown);
    QTest::mousePress(&s.key, Qt::LeftButton, {}, QPoint(10, 4));
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down[0][0].toInt(), 150);
    EXPECT_EQ(down[0][1].toInt(), 60);
}

TEST(MusicKeyDrawing, BoundingBoxIsInvisibleAndUnknownKeysDrawNothing) {
    Sheet s;
    s.key.setKeyScale(-8);
    EXPECT_TRUE(inkBox(s.render()).isNull()) << "no key, no text, no frame";
    s.key.setKeyScale(8);
    s.key.setForcedKey(-1);
    s.key.setForcedAccidental(1);
    EXPECT_TRUE(inkBox(s.render()).isNull());
    s.key.setKeyScale(0);
    EXPECT_FALSE(inkBox(s.render()).isNull());
}

TEST(MusicKeyDrawing, ChordLeftAndChordTopMoveTheLabel) {
    Sheet s;
    s.key.setChordDisplay(2);
    s.key.setRomanNumber(5);
    const QRect at0 = inkBox(s.render());
    s.key.setChordLeft(17);
    s.key.setChordTop(9);
    const QRect moved = inkBox(s.render());
    ASSERT_FALSE(at0.isNull());
    EXPECT_EQ(moved, at0.translated(17, 9));
    // The text starts 5 pixels in, as the label's own margin.
    EXPECT_GE(at0.left(), 5);
    EXPECT_LE(at0.left(), 7);
}

// The figures and marks come from the bit sets alone, so a degree outside 1..7 keeps them: the
// word "Illegal" takes the numeral's place and they follow it as they would follow a numeral.
TEST(MusicKeyDrawing, IllegalDegreeKeepsItsFiguresAndMarks) {
    Sheet s(QSize(260, 60));
    if (!s.key.hasFont()) GTEST_SKIP() << "music font not available";
    s.key.setChordDisplay(1);
    s.key.setChordTop(14);
    s.key.setChordNotes(64);
    s.key.setChordDiminishedNotes(64);
    const int w = music::textWidth(s.key.CharFont(), "Illegal");
    const int after = 5 + w + 2;
    for (int degree : {0, 8, -3}) {
        SCOPED_TRACE(degree);
        s.key.setRomanNumber(degree);
        const QImage img = s.render();
        EXPECT_FALSE(inkBox(img).isNull());
        const QRect figures = inkBox(img, after);
        ASSERT_FALSE(figures.isNull()) << "the seventh and its diminished mark follow \"Illegal\"";
        EXPECT_LE(figures.left(), 5 + w + 10 + 2) << "the mark stands where it stands after a numeral";
    }
    // Without figures the quality mark of the fifth follows the word the same way.
    s.key.setChordNotes(0);
    s.key.setChordDiminishedNotes(16);
    EXPECT_FALSE(inkBox(s.render(), after).isNull());
}

TEST(MusicKeyDrawing, QualityMarkComesAndGoes) {
    Sheet s;
    if (!s.key.hasFont()) GTEST_SKIP() << "music font not available";
    s.key.setChordDisplay(1);
    s.key.setRomanNumber(7);
    s.key.setRomanNumeralCase(1);
    s.key.setChordTop(12);
    const int w = music::textWidth(s.key.CharFont(), "vii");
    const int after = 5 + w + 3;
    EXPECT_TRUE(inkBox(s.render(), after).isNull()) << "plain vii has no mark";
    s.key.setChordDiminishedNotes(16);
    EXPECT_FALSE(inkBox(s.render(), after).isNull()) << "vii with a diminished fifth";
    s.key.setChordRaisedNotes(4);
    EXPECT_TRUE(inkBox(s.render(), after).isNull()) << "a raised third silences the mark";
}

TEST(MusicKeyDrawing, FiguresFollowTheOffsetAndMakeRoomForMarks) {
    Sheet s;
    if (!s.key.hasFont()) GTEST_SKIP() << "music font not available";
    s.key.setChordDisplay(1);
    s.key.setRomanNumber(5);
    s.key.setChordTop(14);
    s.key.setChordNotes(64);                      // V7
    const int after = 5 + music::textWidth(s.key.CharFont(), "V") + 2;
    const QRect seven = inkBox(s.render(), after);
    ASSERT_FALSE(seven.isNull());
    // An alteration of a note without a figure draws no mark but still makes room for one.
    s.key.setChordRaisedNotes(16);
    EXPECT_EQ(inkBox(s.render(), after), seven.translated(10, 0));
    s.key.setOffsetAccidental(4);
    EXPECT_EQ(inkBox(s.render(), after), seven.translated(14, 0));
    // A raised seventh puts its sharp in the room before the figure.
    s.key.setChordRaisedNotes(64);
    const QRect withSharp = inkBox(s.render(), after);
    EXPECT_LT(withSharp.left(), seven.left() + 14);
    EXPECT_EQ(withSharp.right(), seven.right() + 14);
}
