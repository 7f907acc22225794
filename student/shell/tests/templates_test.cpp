// The notation templates of the main window as the lessons use them: elements loaded from
// element 0 and placed where the melody, rhythm-writing and rhythm-playing lessons place them
// must show their glyphs whole, on their staff, and clear of each other.
#include "shelltestsupport.h"

#include "common/testing/testoutput.h"
#include "music/framework/dispatch.h"

#include <QImage>
#include <QPainter>

namespace shell {
namespace {

using testing::ShellTest;

void put(QObject* o, const char* name, const QVariant& v) { music::dispPut(o, QString::fromLatin1(name), v); }
int get(QObject* o, const char* name) { return music::dispGet(o, QString::fromLatin1(name)).toInt(); }

void placeAt(QWidget* w, double left, double top, double width = -1, double height = -1) {
    QRect r = w->geometry();
    r.moveTopLeft(QPoint(toPixels(left), toPixels(top)));
    if (width >= 0) r.setWidth(toPixels(width));
    if (height >= 0) r.setHeight(toPixels(height));
    w->setGeometry(r);
}

bool ink(const QImage& img, int x, int y) { return img.rect().contains(x, y) && qGray(img.pixel(x, y)) < 160; }

// Bounding box of the ink inside `r`.
QRect inkBox(const QImage& img, const QRect& r) {
    QRect box;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (ink(img, x, y)) box |= QRect(x, y, 1, 1);
    return box;
}

QString rows(const QRect& b) {
    return QString("x %1..%2 y %3..%4").arg(b.left()).arg(b.right()).arg(b.top()).arg(b.bottom());
}

class NotationTemplates : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        frm_ = loadedWindow();
        session().PlayerName = "Ann";
        a_ = frm_->arrays.get();
        frm_->fraLesson0->show();
    }
    // Entering a lesson puts the templates where that lesson starts from.
    void enter(int lesson) {
        frm_->state.CurrentLesson = qint16(lesson);
        frm_->ResetFrameControls();
    }
    template <class T>
    QWidget* load(common::ControlArray<T>& array) {
        const int i = array.next();
        EXPECT_TRUE(array.load(i));
        QWidget* w = array[i];
        w->raise();
        w->show();
        return w;
    }
    // A staff segment loaded from the template: left and width in twips, top from the template.
    QWidget* segment(double left, double width) {
        QWidget* s = load(a_->StaffLines);
        placeAt(s, left, toTwips(a_->StaffLines[0]->y()), width, 1450);
        put(s, "LineWidth", 350);
        return s;
    }
    int lineY(QWidget* staff, int k) { return staff->y() + get(staff, "LineTop") + k * get(staff, "LineSpace"); }
    // The window's lesson area as shown, with only `visible` of the given widgets drawn.
    QImage render(const QList<QWidget*>& all, const QList<QWidget*>& visible) {
        for (QWidget* w : all) w->setVisible(visible.contains(w));
        return frm_->fraLesson0->grab().toImage();
    }

    std::unique_ptr<FrmTonvale> frm_;
    NotationArrays* a_ = nullptr;
};

struct HeadCase {
    const char* what;
    int lesson;
    int clef;
    double clefLeft, clefTop;
    int segmentOfMetre;     // the metre stands at this segment's left + metreOffset
    double metreOffset;
    int pulses, noteValue;
    double firstNoteLeft;   // where the lesson writes its first note (0: the student does)
};

// Lesson 2: treble clef 60 twips into the first segment and the time signature 100 twips
// further; lesson 4: the percussion clef 60 twips in and the time signature at the segment's
// left edge; lesson 7: the time signature at the left of the first bar, whose first note
// stands 1200 twips further on.
const HeadCase kHeads[] = {
    {"melody 4/4", 2, 0, 180, 645, 1, 160, 3, 2, 0},
    {"melody 3/4", 2, 0, 180, 645, 1, 160, 2, 2, 0},
    {"melody 2/4", 2, 0, 180, 645, 1, 160, 1, 2, 0},
    {"melody 6/8", 2, 0, 180, 645, 1, 160, 4, 3, 0},
    {"rhythm writing 3/4", 4, 3, 180, 500, 1, 0, 2, 2, 0},
    {"rhythm writing 6/8", 4, 3, 180, 500, 1, 0, 4, 3, 0},
    {"rhythm playing 4/4", 7, 3, 180, 500, 2, 0, 3, 2, 720 + 1200},
    {"rhythm playing 6/8", 7, 3, 180, 500, 2, 0, 4, 3, 720 + 1200},
};

TEST_F(NotationTemplates, ClefAndTimeSignatureShowWholeAndApart) {
    QImage sheet(320, 130 * int(std::size(kHeads)), QImage::Format_RGB32);
    sheet.fill(Qt::white);
    int row = 0;
    for (const HeadCase& c : kHeads) {
        SCOPED_TRACE(c.what);
        enter(c.lesson);
        // Segment 1 holds the clef; segment 2 is the first bar.
        QWidget* s1 = segment(120, 600);
        QWidget* s2 = segment(720, 3000 + 800);
        QWidget* clef = load(a_->ClefSymbol);
        placeAt(clef, c.clefLeft, c.clefTop);
        put(clef, "Clef", c.clef);
        QWidget* metre = load(a_->tmMeter);
        QWidget* home = c.segmentOfMetre == 1 ? s1 : s2;
        placeAt(metre, toTwips(home->x()) + c.metreOffset, toTwips(home->y()) + 350);
        put(metre, "Pulses", c.pulses);
        put(metre, "NoteValue", c.noteValue);
        const QList<QWidget*> all{s1, s2, clef, metre};

        const QImage whole = render(all, all);
        {
            QPainter p(&sheet);
            p.drawImage(QPoint(0, row * 130), whole.copy(0, s1->y() - 20, 320, 130));
        }
        const QRect clefInk = inkBox(render(all, {clef}), clef->geometry());
        const QRect metreInk = inkBox(render(all, {metre}), metre->geometry());
        const int top = lineY(s1, 0), bottom = lineY(s1, 4), middle = lineY(s1, 2);
        ASSERT_FALSE(clefInk.isNull());
        ASSERT_FALSE(metreInk.isNull());

        // The clef is drawn whole: the treble clef reaches above the top line and below the
        // bottom line, the percussion clef stands on the middle lines.
        if (c.clef == 0) {
            EXPECT_LE(clefInk.top(), top - 8) << "clef " << rows(clefInk).toStdString();
            EXPECT_GE(clefInk.bottom(), bottom + 10) << "clef " << rows(clefInk).toStdString();
        } else {
            EXPECT_LE(clefInk.top(), middle - 8) << "clef " << rows(clefInk).toStdString();
            EXPECT_GE(clefInk.bottom(), middle + 8) << "clef " << rows(clefInk).toStdString();
        }
        // Both figures are drawn whole: the upper from the top line, the lower to the bottom.
        EXPECT_NEAR(metreInk.top(), top, 2) << "metre " << rows(metreInk).toStdString();
        EXPECT_NEAR(metreInk.bottom(), bottom, 2) << "metre " << rows(metreInk).toStdString();
        // The time signature stands clear to the right of the clef.
        EXPECT_GE(metreInk.left(), clefInk.right() + 3)
            << "clef " << rows(clefInk).toStdString() << ", metre " << rows(metreInk).toStdString();
        // ... and before the first note the lesson writes.
        if (c.firstNoteLeft > 0) {
            EXPECT_LT(metreInk.right(), toPixels(c.firstNoteLeft) - 10) << "metre " << rows(metreInk).toStdString();
        }

        for (QWidget* w : all) w->hide();
        a_->StaffLines.clear();
        a_->ClefSymbol.clear();
        a_->tmMeter.clear();
        ++row;
    }
    sheet.save(testOutputPath("tonvale_lesson_heads.png"));
}

// The melody lesson's editor writes a key signature one accidental per click, each a lone
// accidental loaded from KeySign(0) with its top 290 twips above the clicked line or space.
TEST_F(NotationTemplates, KeySignatureAccidentalsStandOnTheClickedStep) {
    enter(2);
    QWidget* staff = segment(720, 3800);
    // The melody lesson turns the template into a lone accidental for the editor.
    QWidget* tmpl = a_->KeySign[0];
    put(tmpl, "KeyMode", 0);
    placeAt(tmpl, toTwips(tmpl->x()), toTwips(tmpl->y()), 135, 495);

    QImage sheet(11 * 20, 3 * 90, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    const int signs[] = {1, 5, 2};   // sharp, natural, flat
    for (int s = 0; s < 3; ++s) {
        put(tmpl, "AccidentalSign", signs[s]);
        // Steps from the space above the top line to the space below the bottom line.
        for (int S = 375; S <= 1125; S += 75) {
            SCOPED_TRACE(QString("sign %1, click at %2 twips").arg(signs[s]).arg(S).toStdString());
            QWidget* acc = load(a_->KeySign);
            placeAt(acc, toTwips(staff->x()) + 15, toTwips(staff->y()) + S - 290);
            const QImage img = render({staff, acc}, {acc});
            const QRect box = inkBox(img, acc->geometry());
            ASSERT_FALSE(box.isNull());
            // The step's centre row: line rows are the lines themselves, spaces lie between.
            const double step = staff->y() + S / 15.0;
            if (signs[s] == 2) {
                // A flat's bowl sits on the step: its ink ends just below it.
                EXPECT_GE(box.bottom(), step + 4) << rows(box).toStdString();
                EXPECT_LE(box.bottom(), step + 9) << rows(box).toStdString();
            } else {
                EXPECT_LE(std::abs((box.top() + box.bottom()) / 2.0 - step), 1.5) << rows(box).toStdString();
            }
            {
                QPainter p(&sheet);
                const QImage both = render({staff, acc}, {staff, acc});
                p.drawImage(QPoint((S - 375) / 75 * 20, s * 90), both.copy(acc->x() - 6, staff->y() + 10, 20, 90));
            }
            a_->KeySign.unload(a_->KeySign.ubound());
        }
    }
    sheet.save(testOutputPath("tonvale_key_signature_steps.png"));
}

} // namespace
} // namespace shell

namespace shell {
namespace {

// Lesson 6 puts the student's time signature on the current item's answer line: its left
// 1000 twips into the line, its bottom edge 15 twips above it.
TEST_F(NotationTemplates, AnswerTimeSignatureStandsOnItsLine) {
    enter(6);
    QWidget* tmpl = a_->tmMeter[0];
    for (int c = 0; c < 4; ++c) {
        SCOPED_TRACE(c);
        const double x1 = 3000 * c + 800, y1 = 1600;
        QWidget* metre = load(a_->tmMeter);
        placeAt(metre, std::floor(x1 / 15) * 15 + 1000,
                std::floor((y1 - toTwips(tmpl->height()) - 15) / 15) * 15);
        put(metre, "Pulses", 6);   // 12/8: the widest pair
        put(metre, "NoteValue", 3);
        const QRect box = inkBox(render({metre}, {metre}), metre->geometry());
        metre->hide();
        ASSERT_FALSE(box.isNull());
        const int line = toPixels(y1);
        // Both figures whole (two staff spaces each, one above the other) and above the line.
        EXPECT_GE(box.height(), 39) << rows(box).toStdString();
        EXPECT_LT(box.bottom(), line) << rows(box).toStdString();
        EXPECT_GE(box.bottom(), line - 6) << rows(box).toStdString();
        // Within the answer line's length.
        EXPECT_GE(box.left(), toPixels(x1));
        EXPECT_LE(box.right(), toPixels(x1 + 2200));
    }
}

// The speaker buttons are placed from the template: 8100 twips left of it and 2000 up in the
// melody and rhythm-writing lessons; in the item lessons 5000 left and 1000 up, plus 3000 per
// column and 1000 per row of the eight items, whose answer lines run from 3000 c + 800 to
// 3000 c + 3000 at 1000 r + 1600.
TEST_F(NotationTemplates, SpeakerButtonsStandInTheLessonArea) {
    QWidget* tmpl = a_->cmdSpeaker[0];
    const QRectF t(toTwips(tmpl->x()), toTwips(tmpl->y()), toTwips(tmpl->width()), toTwips(tmpl->height()));
    const QRectF area(0, 0, kNarrowFrameWidth, kCanvasMinHeight - 1215);
    // Big enough to click, small enough to sit beside an answer line.
    EXPECT_GE(t.width(), 300);
    EXPECT_GE(t.height(), 300);
    EXPECT_LE(t.height(), 900);
    EXPECT_FALSE(a_->cmdSpeaker[0]->icon().isNull());

    for (int i = 1; i <= 8; ++i) {
        SCOPED_TRACE(i);
        const int c = (i - 1) % 4, r = (i - 1) / 4;
        const QRectF s = t.translated(-5000 + 3000 * c, -1000 + 1000 * r);
        EXPECT_TRUE(area.contains(s));
        const double lineEnd = 3000 * c + 3000, lineY = 1000 * r + 1600;
        // Right of its own line (where the answer label stands), nearer to it than to the
        // next item's line.
        EXPECT_GT(s.left(), lineEnd);
        EXPECT_LT(s.left() - lineEnd, lineEnd + 800 - s.right());
        // Level with its line: not above the previous row, its bottom at most on the line.
        EXPECT_LE(s.bottom(), lineY + 15);
        EXPECT_GE(s.bottom(), lineY - 500);
    }
    // Melody and rhythm writing: one speaker, in the lesson area, above the staff's top line
    // (the staff element's top is 465 twips, its top line 450 below) and clear of the treble
    // clef (ink from 705 twips, 180 to 570 across) and of the key name (top 2100).
    const QRectF s = t.translated(-8100, -2000);
    EXPECT_TRUE(area.contains(s));
    EXPECT_LE(s.bottom(), 705);
    EXPECT_LT(s.bottom(), 915);
}

} // namespace
} // namespace shell
