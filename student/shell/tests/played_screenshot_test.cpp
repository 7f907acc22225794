// Pictures on a real X display (Xvfb): the piano beside a melody lesson written by playing it,
// and the drum pad beside a lesson 7 rhythm tapped and marked and beside a lesson 4 rhythm
// tapped and marked, in test-output/piano_lesson2.png, drum_lesson7.png and drum_lesson4.png;
// sixteenths tapped and shown in notespacing_lesson4.png and notespacing_lesson7.png.
#include "playedlessonsfixture.h"

#include "common/testing/screenshots.h"
#include "common/testing/testoutput.h"

#include <QScreen>

namespace shell {
namespace {

using testing::PlayedLessons;

class PlayedScreenshot : public PlayedLessons {
protected:
    // The main window and `tool` below its lesson frame, grabbed together.
    void shoot(QWidget* tool, const QString& file) {
        frm->move(0, 0);
        frm->resize(1000, 620);
        tool->move(20, frm->frameGeometry().bottom() + 10);
        tool->raise();
        settle(400);
        ASSERT_TRUE(frm->isVisible());
        ASSERT_TRUE(frm->fraLesson0->isVisible());
        ASSERT_TRUE(tool->isVisible());
        const QRect area = frm->frameGeometry().united(tool->frameGeometry());
        const QImage shot = frm->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
        EXPECT_GT(colourVariety(shot, 3), 2);
        EXPECT_TRUE(shot.save(testOutputPath(file)));
    }
};

TEST_F(PlayedScreenshot, PianoBesideAPlayedMelody) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a real X display (run under xvfb-run)";
    startLesson(2, 7, {0.0, 0.7});
    played::FrmKeyboard& kb = piano();
    measureBeat(kb.metronome(), kb.logic().beat);
    const qint64 t0 = clock.nowMs();
    const struct { qint64 at; int key; qint64 held; } played[] = {
        {0, 19, 800}, {1000, 21, 400}, {1500, 18, 400}, {2000, 19, 800}, {3000, 14, 1800}, {5000, 23, 400},
        {5500, 21, 400}, {6000, 19, 1900},
    };
    for (const auto& p : played) {
        ticks.advance(t0 + p.at - clock.nowMs());
        kb.key_MouseDown(p.key);
        ticks.advance(p.held);
        kb.key_MouseUp(p.key);
    }
    ticks.advance(2800);
    EXPECT_EQ(written().size(), 9u);
    // A key held down shows pressed.
    kb.key_MouseDown(19);
    shoot(&kb, "piano_lesson2.png");
    kb.key_MouseUp(19);
}

TEST_F(PlayedScreenshot, DrumPadBesideAMarkedRhythm) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a real X display (run under xvfb-run)";
    startLesson(7, 3, {});
    played::FrmDrum& pad = drum();
    measureBeat(pad.metronome(), pad.logic().beat);
    std::vector<qint64> lengths;
    for (int n : written())
        if (!lessons::getInt(a().NoteSymbol[n], "Rest")) lengths.push_back(noteTicks(n) * 1000 / 2048);
    ASSERT_FALSE(lengths.empty());
    // Every note tapped right but the third, held twice as long.
    if (lengths.size() > 2) lengths[2] *= 2;
    const qint64 t0 = clock.nowMs();
    qint64 at = 0;
    // The last tap is held for its length: Stop records it as held.
    for (size_t k = 0; k < lengths.size(); ++k) {
        tapAt(pad, t0 + at, k + 1 < lengths.size() ? 100 : lengths[k]);
        at += lengths[k];
    }
    frm->cmdStop->click();
    EXPECT_NE(frm->lblScore->text(), "0%");
    shoot(&pad, "drum_lesson7.png");
}

TEST_F(PlayedScreenshot, DrumPadBesideATappedAndMarkedRhythm) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a real X display (run under xvfb-run)";
    // Level 7, three-four: a quarter is one measured beat of 1000 ms.
    startLesson(4, 7, {0.0, 0.0, 0.0, 0.0});
    ASSERT_EQ(lessons::getInt(a().tmMeter[1], "Pulses"), 2);
    played::FrmDrum& pad = drum();
    measureBeat(pad.metronome(), pad.logic().beat);
    std::vector<qint64> lengths;
    for (const auto& n : frm->state.items.NoteTable) lengths.push_back(n.ms);
    ASSERT_GT(lengths.size(), 3u);
    // The heard rhythm tapped with its second and third notes the other way round where they
    // differ; the last tap held for its length and Stop pressed 0.1 s after its release.
    std::swap(lengths[1], lengths[2]);
    const qint64 t0 = clock.nowMs();
    qint64 at = 0;
    for (size_t k = 0; k < lengths.size(); ++k) {
        tapAt(pad, t0 + at, k + 1 < lengths.size() ? 100 : lengths[k]);
        at += lengths[k];
    }
    ticks.advance(100);
    frm->cmdStop->click();
    ASSERT_EQ(written().size(), lengths.size());
    // Long after the release the marks stand.
    ticks.advance(3500);
    EXPECT_EQ(written().size(), lengths.size());
    shoot(&pad, "drum_lesson4.png");
}

// Sixteenths as the student meets them: lesson 4 at level 4 (two-four) with sixteen-sixteen-
// eighth tapped on every beat, and a lesson 7 rhythm of level 6 with its sixteenths, in
// test-output/notespacing_lesson4.png and notespacing_lesson7.png.
TEST_F(PlayedScreenshot, SixteenthsTappedAndShown) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs a real X display (run under xvfb-run)";
    startLesson(4, 5, {0.5});
    ASSERT_EQ(lessons::getInt(a().tmMeter[1], "Pulses"), 1);
    played::FrmDrum& pad = drum();
    measureBeat(pad.metronome(), pad.logic().beat);
    const qint64 t0 = clock.nowMs();
    for (int beat = 0; beat < 6; ++beat) {
        const qint64 at = t0 + 1000 * beat;
        tapAt(pad, at, 100);
        tapAt(pad, at + 250, 100);
        tapAt(pad, at + 500, beat < 5 ? 100 : 500);
    }
    ticks.advance(2800);
    ASSERT_EQ(written().size(), 18u);
    shoot(&pad, "notespacing_lesson4.png");

    startLesson(7, 7, {}, 7001);
    int sixteenths = 0;
    for (int n : written()) sixteenths += lessons::getInt(a().NoteSymbol[n], "Note") == 4;
    EXPECT_GE(sixteenths, 4);
    shoot(&drum(), "notespacing_lesson7.png");
}

} // namespace
} // namespace shell
