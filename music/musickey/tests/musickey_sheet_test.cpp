// A sheet of chord symbols in the three displays, for a person to judge: key names in every
// key, Roman numerals in both cases with their figures and quality marks, technical names.
#include "music/musickey/musickey.h"
#include "testoutput.h"

#include <QLabel>
#include <QPainter>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using music::MusicKey;

namespace {

struct Entry {
    QString caption;
    std::function<void(MusicKey&)> set;
};

class SheetBuilder {
public:
    SheetBuilder() {
        host.setAutoFillBackground(true);
        QPalette pal = host.palette();
        pal.setColor(QPalette::Window, Qt::white);
        pal.setColor(QPalette::WindowText, QColor(90, 90, 90));
        host.setPalette(pal);
    }
    // One row of controls of the given size, each with its caption below.
    void row(const QString& title, QSize size, const std::vector<Entry>& entries) {
        auto* head = new QLabel(title, &host);
        QFont hf("Liberation Sans");
        hf.setPixelSize(13);
        hf.setBold(true);
        head->setFont(hf);
        head->move(10, y);
        head->adjustSize();
        y += 20;
        int x = 10;
        for (const Entry& e : entries) {
            if (x + size.width() > kWidth) {
                x = 10;
                y += size.height() + 18;
            }
            auto* key = new MusicKey(&host);
            key->setGeometry(x, y, size.width(), size.height());
            e.set(*key);
            keys.push_back(key);
            auto* cap = new QLabel(e.caption, &host);
            QFont cf("Liberation Sans");
            cf.setPixelSize(10);
            cap->setFont(cf);
            cap->move(x + 5, y + size.height());
            cap->adjustSize();
            x += size.width() + 6;
        }
        y += size.height() + 26;
    }
    QImage render() {
        host.resize(kWidth, y);
        return host.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    static constexpr int kWidth = 1000;
    QWidget host;
    std::vector<MusicKey*> keys;
    int y = 10;
};

std::function<void(MusicKey&)> keyName(int key, int mode) {
    return [=](MusicKey& k) {
        k.setChordDisplay(0);
        k.setKeyScale(key);
        k.setScaleMode(mode);
        k.setOffsetModeName(-3);   // as the lessons place their key names
    };
}

struct Chord {
    int number, romanCase, notes, raised = 0, lowered = 0, dim = 0, aug = 0, half = 0, mode = 0;
};
std::function<void(MusicKey&)> roman(Chord c) {
    return [=](MusicKey& k) {
        k.setChordDisplay(1);
        k.setScaleMode(c.mode);
        k.setRomanNumber(c.number);
        k.setRomanNumeralCase(c.romanCase);
        k.setChordNotes(c.notes);
        k.setChordRaisedNotes(c.raised);
        k.setChordLoweredNotes(c.lowered);
        k.setChordDiminishedNotes(c.dim);
        k.setChordAugmentedNotes(c.aug);
        k.setChordHalfDiminishedNote(c.half);
        k.setChordTop(14);
    };
}

bool hasInk(const QImage& img, const QRect& r) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(img.pixel(x, y)) < 100) return true;
    return false;
}

} // namespace

TEST(MusicKeySheet, ThreeDisplaysWithFiguresAndMarks) {
    SheetBuilder b;
    const char* majorNames[] = {"Cb", "Gb", "Db", "Ab", "Eb", "Bb", "F", "C", "G", "D", "A", "E", "B", "F#", "C#"};
    const char* minorNames[] = {"ab", "eb", "bb", "f", "c", "g", "d", "a", "e", "b", "f#", "c#", "g#", "d#", "a#"};
    std::vector<Entry> majors, minors;
    for (int k = -7; k <= 7; ++k) {
        majors.push_back({QString("%1 major (%2)").arg(majorNames[k + 7]).arg(k), keyName(k, 0)});
        minors.push_back({QString("%1 minor (%2)").arg(minorNames[k + 7]).arg(k), keyName(k, 1)});
    }
    b.row("Key names, major (display 0)", {135, 44}, majors);
    b.row("Key names, minor", {135, 44}, minors);
    b.row("Forced accidentals on C major (natural, double flat, double sharp)", {135, 44},
          {{"forced natural", [](MusicKey& k) { keyName(0, 0)(k); k.setForcedKey(-1); k.setForcedAccidental(5); }},
           {"forced double flat", [](MusicKey& k) { keyName(0, 0)(k); k.setForcedKey(-1); k.setForcedAccidental(3); }},
           {"forced double sharp", [](MusicKey& k) { keyName(0, 0)(k); k.setForcedKey(-1); k.setForcedAccidental(4); }}});

    const QSize rs(92, 54);
    b.row("Roman numerals, triads of C major, upper and lower case (display 1)", rs,
          {{"I", roman({1, 0, 0})}, {"ii", roman({2, 1, 0})}, {"iii", roman({3, 1, 0})},
           {"IV", roman({4, 0, 0})}, {"V", roman({5, 0, 0})}, {"vi", roman({6, 1, 0})},
           {"vii dim", roman({7, 1, 0, 0, 0, 16})}, {"III aug", roman({3, 0, 0, 0, 0, 0, 16})},
           {"VII upper", roman({7, 0, 0})}, {"Illegal (8)", roman({8, 0, 64})}});
    b.row("Inversions and figures", rs,
          {{"I 5/3", roman({1, 0, 1 + 4 + 16})}, {"I6", roman({1, 0, 1 + 32})},
           {"I6/4", roman({1, 0, 1 + 8 + 32})}, {"V7", roman({5, 0, 64})},
           {"V6/5", roman({5, 0, 1 + 4 + 16 + 32})}, {"V4/3", roman({5, 0, 1 + 4 + 8})},
           {"V4/2", roman({5, 0, 1 + 2 + 8})}, {"V9", roman({5, 0, 2 + 64})},
           {"ii7", roman({2, 1, 64})}, {"V13", roman({5, 0, 32})}});
    b.row("Quality and alteration marks", rs,
          {{"vii dim 7", roman({7, 1, 64, 0, 0, 64})}, {"vii half-dim 7", roman({7, 1, 64, 0, 0, 0, 0, 64})},
           {"ii dim 7", roman({2, 1, 64, 0, 0, 64, 0, 0, 1})}, {"ii half-dim 7", roman({2, 1, 64, 0, 0, 0, 0, 64, 1})},
           {"III aug 5/3", roman({3, 0, 1 + 4 + 16, 0, 0, 0, 16, 0, 1})},
           {"iv raised 6", roman({4, 1, 1 + 32, 32, 0, 0, 0, 0, 1})},
           {"V raised 3 (5/3)", roman({5, 0, 1 + 4 + 16, 4, 0, 0, 0, 0, 1})},
           {"V7 lowered 9", roman({5, 0, 2 + 64, 0, 2})},
           {"ii lowered 5", roman({2, 1, 0, 0, 16})},
           {"V raised 3, no figs", roman({5, 0, 0, 4, 0, 0, 0, 0, 1})}});
    std::vector<Entry> names;
    for (int n = 1; n <= 7; ++n)
        names.push_back({QString("degree %1").arg(n), [n](MusicKey& k) { k.setChordDisplay(2); k.setRomanNumber(n); k.setChordTop(6); }});
    names.push_back({"degree 0", [](MusicKey& k) { k.setChordDisplay(2); k.setRomanNumber(0); k.setChordTop(6); }});
    b.row("Technical names (display 2)", {130, 36}, names);

    const QImage sheet = b.render();
    ASSERT_TRUE(sheet.save(testOutputPath("musickey_sheet.png")));
    // Every label put ink inside its own box.
    for (MusicKey* k : b.keys) EXPECT_TRUE(hasInk(sheet, k->geometry())) << k->mainText().toStdString();
}
