// The music font: it resolves as itself, carries a glyph on every code the controls draw,
// has the metrics the drawing rules were worked out for, and, drawn by those rules at the
// places the student program chooses, puts heads, stems, flags, clefs and figures on the
// staff where a musician expects them.
#include "music/font/musicfont.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "testoutput.h"

namespace {

using music::ensureMusicFont;
using music::musicFont;

QString code(int c) { return QString(QChar(c)); }

struct Code {
    int code;
    const char* what;
};

const std::vector<Code> kCodes = {
    {0x26, "treble clef"}, {0x3F, "bass clef"}, {0x42, "C clef"}, {0xD6, "percussion clef"},
    {0x56, "tenor clef"}, {0x77, "whole note"}, {0xFA, "half-note head"},
    {0xCF, "black head"}, {0x57, "double whole"}, {0xEE, "whole/half rest"}, {0xE3, "breve rest"},
    {0xCE, "quarter rest"}, {0xE4, "eighth rest"}, {0xC5, "sixteenth rest"},
    {0xA8, "32nd rest"}, {0xF4, "64th rest"}, {0xE5, "128th rest"}, {0x23, "sharp"},
    {0x62, "flat"}, {0xBA, "double flat"}, {0xDC, "double sharp"}, {0x6E, "natural"},
    {0x2E, "dot"}, {0x2B, "plus between figures"}, {0xFB, "inner flag up"}, {0x6A, "last flag up"},
    {0xF0, "inner flag down"}, {0x4A, "last flag down"}, {0xC0, "augmented"},
    {0x6F, "diminished"}, {0xBF, "half-diminished"}, {0x30, "0"}, {0x31, "1"}, {0x32, "2"},
    {0x33, "3"}, {0x34, "4"}, {0x35, "5"}, {0x36, "6"}, {0x37, "7"}, {0x38, "8"},
    {0x39, "9"}, {0xE030, "figured 0"}, {0xE031, "figured 1"}, {0xE032, "figured 2"},
    {0xE033, "figured 3"}, {0xE034, "figured 4"}, {0xE035, "figured 5"}, {0xE036, "figured 6"},
    {0xE037, "figured 7"}, {0xE038, "figured 8"}, {0xE039, "figured 9"},
};

class MusicFontTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ensureMusicFont()); }
};

TEST_F(MusicFontTest, FamilyResolvesToQuillonWithoutFallback) {
    EXPECT_TRUE(ensureMusicFont());  // a second call is harmless
    EXPECT_EQ(QFontInfo(musicFont()).family(), "Quillon");
    EXPECT_EQ(QFontInfo(musicFont(14)).family(), "Quillon");
    EXPECT_EQ(QFontInfo(QFont("Quillon")).family(), "Quillon");
    // Letters are music glyphs here too: a Latin text is not handed to another family.
    const QRawFont raw = QRawFont::fromFont(musicFont());
    EXPECT_EQ(raw.familyName(), "Quillon");
}

TEST_F(MusicFontTest, DefaultFontProperties) {
    const QFont f = musicFont();
    EXPECT_EQ(f.pixelSize(), 37);
    EXPECT_EQ(f.weight(), QFont::Normal);
    EXPECT_FALSE(f.italic());
    EXPECT_FALSE(f.underline());
    EXPECT_FALSE(f.strikeOut());
    EXPECT_EQ(musicFont(14).pixelSize(), 19);
}

TEST(MusicFontPoints, WindowsRounding) {
    const std::vector<std::pair<double, int>> cases = {
        {28, 37}, {14, 19}, {12, 16}, {10, 13}, {8, 11}, {9, 12}, {10.5, 14}, {0.375, 1},
        {0, 0}, {72, 96}};
    for (const auto& [points, pixels] : cases)
        EXPECT_EQ(music::pointsToPixels(points), pixels) << points << " points";
}

TEST_F(MusicFontTest, EveryCodeHasAGlyph) {
    const QFont f = musicFont();
    const QRawFont raw = QRawFont::fromFont(f);
    ASSERT_TRUE(raw.isValid());
    const QFontMetrics fm(f);
    for (const Code& c : kCodes) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(fm.inFont(QChar(c.code)));
        const QList<quint32> idx = raw.glyphIndexesForString(code(c.code));
        ASSERT_EQ(idx.size(), 1);
        EXPECT_NE(idx[0], 0u);
        EXPECT_FALSE(raw.pathForGlyph(idx[0]).isEmpty());
    }
    // Space is the blank accidental of key names: present, with width, without ink.
    const QList<quint32> space = raw.glyphIndexesForString(" ");
    ASSERT_EQ(space.size(), 1);
    EXPECT_TRUE(raw.pathForGlyph(space[0]).isEmpty());
    EXPECT_EQ(fm.horizontalAdvance(" "), 9);
}

TEST_F(MusicFontTest, VerticalMetrics) {
    struct Case {
        int points, ascent, descent, height, leading;
    };
    for (const Case& c : {Case{28, 48, 36, 84, 47}, Case{14, 25, 18, 43, 24}}) {
        SCOPED_TRACE(c.points);
        const QFont f = musicFont(c.points);
        const QFontMetrics fm(f);
        EXPECT_EQ(fm.ascent(), c.ascent);
        EXPECT_EQ(fm.descent(), c.descent);
        EXPECT_EQ(fm.ascent() + fm.descent(), c.height);
        EXPECT_EQ(fm.height(), c.height);
        EXPECT_EQ(fm.ascent() + fm.descent() - f.pixelSize(), c.leading);
    }
    EXPECT_EQ(QFontMetrics(musicFont()).maxWidth(), 48);
}

TEST_F(MusicFontTest, AdvanceWidthsAt28Points) {
    const QFontMetrics fm(musicFont());
    const std::vector<std::pair<int, int>> widths = {
        {0xCF, 12}, {0xFA, 12}, {0x77, 15}, {0x57, 21}, {0x2E, 5}, {0xEE, 11}, {0x23, 9},
        {0x62, 9}, {0x6E, 8}, {0xDC, 12}, {0xBA, 13}, {0x34, 16}, {0x31, 16}, {0x6A, 10},
        {0x4A, 10}};
    for (const auto& [c, w] : widths)
        EXPECT_EQ(fm.horizontalAdvance(code(c)), w) << std::hex << c;
    EXPECT_EQ(fm.horizontalAdvance("12"), 32);
    // A natural before a sharp or flat is one sign, as wide as the room a lesson's note
    // gives its accidental (NoteLeft 15).
    EXPECT_EQ(fm.horizontalAdvance("n#"), 15);
    EXPECT_EQ(fm.horizontalAdvance("nb"), 15);
}

// ---- Drawing by the controls' rules ------------------------------------------------------

constexpr int kLineSpace = 10;

struct Ink {
    int top = -1, bottom = -1, left = -1, right = -1;  // inclusive, -1 when empty
    bool empty() const { return top < 0; }
    double middleY() const { return (top + bottom + 1) / 2.0; }
};

QImage layer(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

bool inked(const QImage& img, int x, int y) {
    if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) return false;
    return qAlpha(img.pixel(x, y)) >= 128;
}

Ink inkOf(const QImage& img, int x0 = 0, int x1 = -1) {
    if (x1 < 0) x1 = img.width() - 1;
    Ink ink;
    for (int y = 0; y < img.height(); ++y)
        for (int x = x0; x <= x1; ++x)
            if (inked(img, x, y)) {
                if (ink.top < 0) ink.top = y;
                ink.bottom = y;
                if (ink.left < 0 || x < ink.left) ink.left = x;
                ink.right = qMax(ink.right, x);
            }
    return ink;
}

// Glyph text with its cell's top-left corner at (x, y), as the controls draw it.
void drawTop(QPainter& p, int x, int y, const QString& text) {
    p.drawText(QPoint(x, y + QFontMetrics(p.font()).ascent()), text);
}

// A vertical one-pixel line from y1 towards y2, the end point left out.
void vline(QPainter& p, int x, int y1, int y2) {
    if (y2 > y1) p.fillRect(x, y1, 1, y2 - y1, p.pen().color());
    else if (y1 > y2) p.fillRect(x, y2 + 1, 1, y1 - y2, p.pen().color());
}

// The parts of one note drawn by the Note control's rule, each on its own layer so tests
// can look at them apart. Coordinates: (left, top) is the control's corner.
struct NoteParts {
    QImage head, stem, flags, dots, accidental;
    int stemX = 0, stemFrom = 0, stemTo = 0;  // stem rows [min, max)
};

void paintOn(QImage& img, const QFont& f, const std::function<void(QPainter&)>& draw) {
    QPainter p(&img);
    p.setFont(f);
    p.setPen(Qt::black);
    draw(p);
}

NoteParts drawNote(int w, int h, int left, int top, int note, bool stemUp, int noteTop = 20,
                   int noteLeft = 15, int stemLength = -10, int dots = 0,
                   const QString& accidental = {}) {
    const QFont f = musicFont();
    const QFontMetrics fm(f);
    const int H = fm.ascent() + fm.descent();
    const int IL = H - f.pixelSize();
    const int accidentalOffset = 0;  // as the lessons set it
    NoteParts parts{layer(w, h), layer(w, h), layer(w, h), layer(w, h), layer(w, h)};
    const int heads[] = {0x77, 0xFA, 0xCF, 0xCF, 0xCF, 0xCF, 0xCF, 0xCF, 0x57};
    const QString head = code(heads[note]);
    const int L = left, T = top;
    paintOn(parts.accidental, f, [&](QPainter& p) {
        const int aw = fm.horizontalAdvance(accidental);
        if (!accidental.isEmpty())
            drawTop(p, L + noteLeft - accidentalOffset - aw, T + noteTop, accidental);
    });
    paintOn(parts.dots, f, [&](QPainter& p) {
        const int dw = fm.horizontalAdvance(".");
        for (int i = 1; i <= dots; ++i)
            drawTop(p, int(dw * 1.6) + int(1.6 * i * dw) + L + noteLeft, T + noteTop, ".");
    });
    const int hw = fm.horizontalAdvance(head);
    paintOn(parts.head, f, [&](QPainter& p) { drawTop(p, L + noteLeft, T + noteTop, head); });
    if (note == 0 || note == 8) return parts;
    const int flagCount = note >= 3 && note <= 7 ? note - 2 : 0;
    int yf = 0, flagStep = 0;
    if (stemUp) {
        parts.stemX = L + noteLeft + hw - 1;
        parts.stemFrom = T + noteTop - stemLength;
        parts.stemTo = T + noteTop + IL + IL / 25;
        yf = T + noteTop - IL - stemLength;
        flagStep = H / 10;
    } else {
        const int v = int(H * -1.2);
        parts.stemX = L + noteLeft;
        parts.stemFrom = T + noteTop + IL;
        parts.stemTo = T + noteTop + stemLength - v;
        yf = T + noteTop + stemLength - v / 2;
        flagStep = -(H / 10);
    }
    paintOn(parts.stem, f, [&](QPainter& p) { vline(p, parts.stemX, parts.stemFrom, parts.stemTo); });
    const int inner = stemUp ? 0xFB : 0xF0, last = stemUp ? 0x6A : 0x4A;
    paintOn(parts.flags, f, [&](QPainter& p) {
        for (int i = 0; i < flagCount; ++i)
            drawTop(p, parts.stemX, yf + i * flagStep, code(i == flagCount - 1 ? last : inner));
    });
    return parts;
}

void compose(QPainter& p, const NoteParts& n) {
    for (const QImage* img : {&n.accidental, &n.dots, &n.head, &n.stem, &n.flags})
        p.drawImage(0, 0, *img);
}

void drawStaff(QPainter& p, int x0, int x1, int topLine) {
    p.save();
    p.setPen(QColor(90, 90, 90));
    for (int k = 0; k < 5; ++k) {
        const int y = topLine + k * kLineSpace;
        p.drawLine(x0, y, x1, y);
    }
    p.restore();
}

// Where the student program puts a note control whose head is on a staff position: the
// head's cell is 720 twips (48 px) above the line it sits on; a space note sits 75 twips
// (5 px) higher than the line below it. With NoteTop 20 the control's top is 20 px higher.
int noteControlTopForRow(int headRow, int noteTop = 20) { return headRow - 48 - noteTop; }

struct Stage {
    static constexpr int W = 640, H = 190, TopLine = 70;
    QImage sheet{W, H, QImage::Format_ARGB32_Premultiplied};
    Stage() {
        sheet.fill(Qt::white);
        QPainter p(&sheet);
        drawStaff(p, 4, W - 4, TopLine);
    }
    int line(int k) const { return TopLine + k * kLineSpace; }  // k = 0 top .. 4 bottom
};

TEST_F(MusicFontTest, NotesStemsAndFlagsSitWhereTheRulesPutThem) {
    Stage stage;
    QPainter sheet(&stage.sheet);
    struct Case {
        const char* what;
        int note;          // NoteName
        bool stemUp;
        int headRow;       // the staff row the head is meant to be centred on
        bool onLine;
    };
    const std::vector<Case> cases = {
        {"quarter on the bottom line, stem up", 2, true, stage.line(4), true},
        {"quarter in the bottom space, stem up", 2, true, stage.line(3) + 5, false},
        {"eighth on the middle line, stem up", 3, true, stage.line(2), true},
        {"sixteenth in the second space, stem up", 4, true, stage.line(3) - 5, false},
        {"32nd on the fourth line, stem up", 5, true, stage.line(3), true},
        {"half on the top line, stem down", 1, false, stage.line(0), true},
        {"eighth in the top space, stem down", 3, false, stage.line(0) + 5, false},
        {"sixteenth on the fourth line, stem down", 4, false, stage.line(1), true},
        {"64th in the third space, stem down", 6, false, stage.line(1) + 5, false},
        {"whole in the second space", 0, true, stage.line(2) + 5, false},
        {"double whole on the middle line", 8, true, stage.line(2), true},
    };
    int x = 90;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A space note's control sits on the 5-px step between the lines; the step row is
        // then the space's middle row.
        const int top = noteControlTopForRow(c.headRow);
        const QString accidental = c.note == 1 ? code(0x23) : c.note == 4 ? code(0x6E) : QString();
        const NoteParts n = drawNote(Stage::W, Stage::H, x, top, c.note, c.stemUp, 20, 15, -10,
                                     c.note == 2 ? 1 : 0, accidental);
        compose(sheet, n);
        const Ink head = inkOf(n.head);
        ASSERT_FALSE(head.empty());
        // The head's vertical centre on its line or space (a line's centre is row + 0.5).
        EXPECT_NEAR(head.middleY(), c.headRow + 0.5, 1.0);
        if (c.note != 8) {
            EXPECT_NEAR(head.bottom - head.top + 1, 10, 1);
        }
        if (c.note != 0 && c.note != 8) {
            EXPECT_EQ(head.right - head.left + 1, 12);
            // The stem touches the head: some pixel of the stem's column inside its rows is ink
            // of the head.
            bool touches = false;
            for (int y = qMin(n.stemFrom, n.stemTo); y < qMax(n.stemFrom, n.stemTo); ++y)
                touches = touches || inked(n.head, n.stemX, y);
            EXPECT_TRUE(touches);
        }
        if (c.note >= 3 && c.note <= 7) {
            const Ink flags = inkOf(n.flags);
            ASSERT_FALSE(flags.empty());
            // The flags start at the stem and stand to its right.
            EXPECT_GE(flags.left, n.stemX - 1);
            EXPECT_LE(flags.left, n.stemX + 1);
            // ... and meet its free end.
            const int end = c.stemUp ? n.stemFrom : n.stemTo - 1;
            bool meets = false;
            for (int y = end - 2; y <= end + 2; ++y)
                meets = meets || inked(n.flags, n.stemX, y) || inked(n.flags, n.stemX + 1, y);
            EXPECT_TRUE(meets);
            if (c.stemUp) {
                EXPECT_GE(flags.top, n.stemFrom - 1);
            } else {
                EXPECT_LE(flags.bottom, n.stemTo);
            }
        }
        if (!accidental.isEmpty()) {
            // Sharps and naturals are centred on the head's line or space, clear of the head.
            const Ink acc = inkOf(n.accidental);
            EXPECT_NEAR(acc.middleY(), c.headRow + 0.5, 1.5);
            EXPECT_LE(acc.right, head.left - 2);
            EXPECT_GE(acc.bottom - acc.top + 1, 24);
        }
        if (c.note == 2) {
            // The dot stands clear of the head, in the space (for a line note, on the line).
            const Ink dot = inkOf(n.dots);
            EXPECT_GT(dot.left, head.right + 2);
            EXPECT_NEAR(dot.middleY(), c.headRow + 0.5, 1.5);
        }
        x += 48;
    }
    sheet.end();
    stage.sheet.save(testOutputPath("font_notes.png"));
}

TEST_F(MusicFontTest, LegerLinesOfTheNoteRuleMeetTheHead) {
    // The Note rule's leger line of a line note is drawn at NoteTop + IL + IL/35, through the
    // middle of the head.
    const QFont f = musicFont();
    const QFontMetrics fm(f);
    const int IL = fm.ascent() + fm.descent() - f.pixelSize();
    const int noteTop = 20, top = 0;
    const NoteParts n = drawNote(80, 140, 0, top, 2, true, noteTop);
    const Ink head = inkOf(n.head);
    EXPECT_NEAR(head.middleY(), top + noteTop + IL + IL / 35 + 0.5, 1.0);
}

TEST_F(MusicFontTest, ClefsAndTimeSignatureOnTheStaff) {
    Stage stage;
    QPainter sheet(&stage.sheet);
    const QFont f = musicFont();
    const QFontMetrics fm(f);
    const int H = fm.ascent() + fm.descent();
    const int IL = H - f.pixelSize();
    auto glyphLayer = [&](int x, int y, const QString& text) {
        QImage img = layer(Stage::W, Stage::H);
        QPainter p(&img);
        p.setFont(f);
        p.setPen(Qt::black);
        drawTop(p, x, y, text);
        p.end();
        sheet.drawImage(0, 0, img);
        return img;
    };
    // Treble clef: the student program puts its top 18 px above the top line (G line + 48).
    {
        const int g = stage.line(3);
        const Ink ink = inkOf(glyphLayer(10, g - 48, code(0x26)));
        // Noto's G clef reaches 4.4 spaces above and 2.7 below its line.
        EXPECT_NEAR(ink.top, g + 0.5 - 44.2, 2);
        EXPECT_NEAR(ink.bottom + 1, g + 0.5 + 26.8, 2);
        EXPECT_GE(ink.right - ink.left + 1, 23);
    }
    // Bass clef, placed on its F line: the two dots flank the line.
    {
        const int fline = stage.line(1);
        const QImage img = glyphLayer(300, fline - 48, code(0x3F));
        const Ink ink = inkOf(img);
        const Ink dots = inkOf(img, ink.right - 2, ink.right);
        ASSERT_FALSE(dots.empty());
        EXPECT_LT(dots.top, fline);
        EXPECT_GT(dots.bottom, fline);
        for (int xx = ink.right - 2; xx <= ink.right; ++xx) EXPECT_FALSE(inked(img, xx, fline));
    }
    // C clef on the middle line: symmetric about it.
    {
        const int mid = stage.line(2);
        const Ink ink = inkOf(glyphLayer(360, mid - 48, code(0x42)));
        EXPECT_NEAR(ink.middleY(), mid + 0.5, 1.0);
        EXPECT_NEAR(ink.bottom - ink.top + 1, 4 * kLineSpace, 3);
    }
    // Percussion clef: two spaces around the middle line.
    {
        const int mid = stage.line(2);
        const Ink ink = inkOf(glyphLayer(400, mid - 48, code(0xD6)));
        EXPECT_NEAR(ink.middleY(), mid + 0.5, 1.0);
        EXPECT_NEAR(ink.bottom - ink.top + 1, 2 * kLineSpace, 1);
    }
    // Time signature: the metre control 350 twips below the staff control whose top line is
    // 450 twips down: 7 px above the top line once floored to pixels.
    {
        const int metreTop = stage.line(0) - 7;
        const int e = int(0.9 * IL);
        const int upperY = metreTop - e + 10, lowerY = metreTop + H / 4 - e + 10;
        const Ink upper = inkOf(glyphLayer(50, upperY, "4"));
        const Ink lower = inkOf(glyphLayer(50, lowerY, "4"));
        EXPECT_EQ(upper.top, stage.line(0));
        EXPECT_EQ(upper.bottom, stage.line(2) - 1);
        EXPECT_EQ(lower.top, stage.line(2) + 1);
        EXPECT_EQ(lower.bottom, stage.line(4));
        glyphLayer(75, upperY, "6");
        glyphLayer(75, lowerY, "8");
    }
    // Rests: the half rest sits on the middle line, the whole rest hangs from the fourth.
    {
        const int mid = stage.line(2);
        const Ink half = inkOf(glyphLayer(440, mid - 48, code(0xEE)));
        EXPECT_EQ(half.bottom, mid);
        EXPECT_EQ(half.top, mid - 4);
        const int fourth = stage.line(1);
        const Ink whole = inkOf(glyphLayer(470, fourth - 44, code(0xEE)));
        EXPECT_EQ(whole.top, fourth);
        const Ink quarter = inkOf(glyphLayer(500, mid - 48, code(0xCE)));
        EXPECT_NEAR(quarter.middleY(), mid + 0.5, 1.5);
    }
    sheet.end();
    stage.sheet.save(testOutputPath("font_clefs.png"));
}

TEST_F(MusicFontTest, RenderedSheet) {
    // A short score drawn by the rules at the student program's places: treble clef, 4/4,
    // notes of every value with their stems and flags both ways, accidentals, dots, rests.
    Stage stage;
    QPainter p(&stage.sheet);
    const QFont f = musicFont();
    const QFontMetrics fm(f);
    const int H = fm.ascent() + fm.descent();
    const int IL = H - f.pixelSize();
    p.setFont(f);
    p.setPen(Qt::black);
    drawTop(p, 8, stage.line(3) - 48, code(0x26));
    const int metreTop = stage.line(0) - 7, e = int(0.9 * IL);
    drawTop(p, 40, metreTop - e + 10, "4");
    drawTop(p, 40, metreTop + H / 4 - e + 10, "4");
    struct N {
        int note;
        bool up;
        int row;
        QString acc;
        int dots;
    };
    const std::vector<N> notes = {
        {0, true, stage.line(4) + 10, {}, 0}, {1, true, stage.line(3) + 5, code(0x23), 0},
        {2, true, stage.line(3), code(0x62), 1}, {3, true, stage.line(2) + 5, code(0x6E), 0},
        {4, true, stage.line(2), {}, 0}, {5, true, stage.line(3), code(0xDC), 0},
        {6, true, stage.line(4), code(0xBA), 0}, {7, true, stage.line(3) + 5, {}, 0},
        {3, false, stage.line(1), {}, 0}, {4, false, stage.line(1) - 5, {}, 0},
        {5, false, stage.line(0), code(0x23), 0}, {6, false, stage.line(0) - 5, {}, 0},
        {7, false, stage.line(1), {}, 2}, {8, true, stage.line(2), {}, 0}};
    int x = 60;
    for (const N& n : notes) {
        const NoteParts parts = drawNote(Stage::W, Stage::H, x, noteControlTopForRow(n.row), n.note,
                                         n.up, 20, 15, -10, n.dots, n.acc);
        compose(p, parts);
        x += 38;
    }
    p.setPen(Qt::black);
    // A leger line under the whole note (the rule's y for a line note, stem up).
    {
        const int top = noteControlTopForRow(stage.line(4) + 10);
        const int y = top + 20 + IL + IL / 35;
        p.drawLine(60 + 15 - 5, y, 60 + 15 + 5 + fm.horizontalAdvance(code(0x77)) - 1, y);
    }
    int rx = 60 + 38 * int(notes.size());
    const int mid = stage.line(2);
    for (int c : {0xCE, 0xE4, 0xC5, 0xA8}) {
        drawTop(p, rx, mid - 48, code(c));
        rx += 14;
    }
    p.end();
    stage.sheet.save(testOutputPath("font_sheet.png"));
    stage.sheet.scaled(stage.sheet.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .save(testOutputPath("font_sheet_3x.png"));
    SUCCEED();
}

TEST_F(MusicFontTest, GlyphSheetOfEveryCode) {
    const int cols = 10, cellW = 72, cellH = 110;
    const int rows = int((kCodes.size() + cols - 1) / cols);
    QImage img(cols * cellW, rows * cellH, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter p(&img);
    QFont label("Liberation Sans");
    label.setPixelSize(11);
    for (size_t i = 0; i < kCodes.size(); ++i) {
        const int cx = int(i % cols) * cellW, cy = int(i / cols) * cellH;
        p.setPen(QColor(220, 220, 220));
        p.drawRect(cx, cy, cellW - 1, cellH - 1);
        // Light staff around the reference row (cell top + 48 + 8).
        p.setPen(QColor(170, 170, 255));
        for (int k = -2; k <= 2; ++k) {
            const int y = cy + 8 + 48 + k * 10;
            p.drawLine(cx + 2, y, cx + cellW - 3, y);
        }
        p.setFont(musicFont());
        p.setPen(Qt::black);
        drawTop(p, cx + 6, cy + 8, code(kCodes[i].code));
        // The same code at 14 points (MusicKey), its reference row on the same line.
        p.setFont(musicFont(14));
        drawTop(p, cx + cellW - 16, cy + 8 + 48 - QFontMetrics(musicFont(14)).ascent(),
                code(kCodes[i].code));
        p.setFont(label);
        p.drawText(QRect(cx, cy + cellH - 16, cellW, 14), Qt::AlignCenter,
                   "0x" + QString("%1").arg(kCodes[i].code, 2, 16, QChar('0')).toUpper());
    }
    p.end();
    img.save(testOutputPath("font_glyphs.png"));
    SUCCEED();
}

TEST_F(MusicFontTest, ChordFiguresUseTheFiguredDigitsWhenTheFontHasThem) {
    const QString six13 = QString(QChar(0xE036)) + QChar(0xE031) + QChar(0xE033);
    EXPECT_EQ(music::figuredDigits(musicFont(14), "613"), six13);
    // A host's text font has no figured digits: the figures stay plain.
    EXPECT_EQ(music::figuredDigits(QFont("Liberation Serif"), "613"), "613");
    EXPECT_EQ(music::figuredDigits(musicFont(14), "b7"), "b7");
    // At 14 points they are 6 px tall: stacked 7 px apart, a clean row stays between them.
    for (int d = 0; d <= 9; ++d) {
        QImage img = layer(20, 40);
        paintOn(img, musicFont(14), [d](QPainter& p) { drawTop(p, 2, 0, QString(QChar(0xE030 + d))); });
        const Ink ink = inkOf(img);
        SCOPED_TRACE(d);
        EXPECT_EQ(ink.top, 22);
        EXPECT_EQ(ink.bottom, 27);
    }
}

} // namespace
