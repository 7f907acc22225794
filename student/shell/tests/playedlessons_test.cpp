// Played answers end to end on the real main window, offscreen: the recorder as MIDI device,
// a virtual clock with the metronomes ticking on it, and the lessons' draws scripted. The
// melody lesson written from the piano, the rhythm lesson from the pad, and lesson 7 built,
// tapped and marked.
#include "playedlessonsfixture.h"

#include "common/helpwindow.h"
#include "student/palettes/palettewindow.h"

#include <QFile>
#include <QToolButton>
#include <functional>

namespace shell {
namespace {

using testing::PlayedLessons;
using testing::bytesOf;

TEST_F(PlayedLessons, MelodyPlayedOnThePianoIsWrittenSpelledTiedAndBeamed) {
    // Level 7: four-four (draw 0), G major (draw 3 of 5: one sharp).
    startLesson(2, 7, {0.0, 0.7});
    ASSERT_EQ(lessons::getInt(a().ChordSymbol[1], "KeyScale"), 1);
    ASSERT_EQ(lessons::getInt(a().tmMeter[1], "Pulses"), 3);
    played::FrmKeyboard& kb = piano();
    measureBeat(kb.metronome(), kb.logic().beat);

    // G quarter, A and F sharp eighths (one beat, beamed), G quarter, C3 a half held over the
    // bar line (a quarter tied to a quarter), then D5 held 900 ms: the last note, by timer.
    const qint64 t0 = clock.nowMs();
    const struct { qint64 at; int key; qint64 held; } played[] = {
        {0, 19, 800}, {1000, 21, 400}, {1500, 18, 400}, {2000, 19, 800}, {3000, 0, 1800}, {5000, 26, 900},
    };
    for (const auto& p : played) {
        ticks.advance(t0 + p.at - clock.nowMs());
        const size_t before = midi_.messages().size();
        kb.key_MouseDown(p.key);
        // The key sounds at once; writing the note that waited sends nothing.
        ASSERT_EQ(midi_.messages().size(), before + 2);
        EXPECT_EQ(bytesOf(midi_.messages().back().message),
                  QString("90 %1 7F").arg(48 + p.key, 2, 16, QChar('0')).toUpper());
        ticks.advance(p.held);
        kb.key_MouseUp(p.key);
    }
    // Six notes written before the timer: the D waits for its commit.
    EXPECT_EQ(written().size(), 6u);
    ticks.advance(2500);
    EXPECT_EQ(written().size(), 6u);
    ticks.advance(300);
    const auto ns = written();
    ASSERT_EQ(ns.size(), 7u);

    // Values, staves, steps (0 = the treble staff's bottom line E4) and accidentals.
    const struct { int note, staff, step, accidental; } expected[] = {
        {2, 2, 2, 0}, {3, 2, 3, 0}, {3, 2, 1, 1}, {2, 2, 2, 0}, {2, 2, -9, 0}, {2, 3, -9, 0}, {2, 3, 6, 0},
    };
    for (size_t k = 0; k < ns.size(); ++k) {
        SCOPED_TRACE(k);
        QWidget* n = a().NoteSymbol[ns[k]];
        EXPECT_EQ(lessons::getInt(n, "Note"), expected[k].note);
        EXPECT_EQ(lessons::getInt(n, "DotsNumberOf"), 0);
        EXPECT_EQ(a().NoteSymbol.Tag(ns[k]).toInt(), expected[k].staff);
        EXPECT_EQ(stepOf(ns[k]), expected[k].step);
        EXPECT_EQ(lessons::getInt(n, "AccidentalName"), expected[k].accidental);
    }
    // One beam over the two eighths; one tie from the first C to the second.
    EXPECT_EQ(loaded(a().BeamFlag, 6), 1);
    EXPECT_EQ(beamedNotes(), (std::vector<int>{ns[1], ns[2]}));
    EXPECT_EQ(loaded(a().PhraseMark, 7), 1);
    // The phrase is closed: the next press starts a new one.
    EXPECT_EQ(kb.logic().NoteStartTime, 0);
    EXPECT_FALSE(kb.logic().HeldKey.has_value());

    // The computer keyboard sounds the same keys and writes nothing; auto-repeat adds nothing.
    const size_t before = midi_.messages().size();
    for (int key : {Qt::Key_Z, Qt::Key_M, Qt::Key_Comma}) {
        keyEvent(&kb, QEvent::KeyPress, key);
        keyEvent(&kb, QEvent::KeyPress, key, true);
        ticks.advance(300);
        keyEvent(&kb, QEvent::KeyRelease, key);
    }
    ticks.advance(3000);
    EXPECT_EQ(written().size(), 7u);
    QStringList notesOnly;
    for (size_t i = before; i < midi_.messages().size(); ++i) {
        const QString b = bytesOf(midi_.messages()[i].message);
        if (!b.startsWith("C9") && !b.startsWith("99") && !b.startsWith("89")) notesOnly << b;
    }
    EXPECT_EQ(notesOnly, (QStringList{"90 30 7F", "80 30 00", "90 3B 7F", "80 3B 00", "90 3C 7F", "80 3C 00"}));
}

TEST_F(PlayedLessons, RhythmTappedOnThePadIsWrittenWithTieAndBeams) {
    startLesson(4, 7, {0.0, 0.0, 0.0, 0.0});
    ASSERT_TRUE(frm->paletteWindows().isVisible("frmDrum"));
    played::FrmDrum& pad = drum();
    measureBeat(pad.metronome(), pad.logic().beat);
    QWidget* metre = a().tmMeter[1];
    const int bpb = lessons::GetBeatsPerBar(metre);
    ASSERT_GT(bpb, 0);
    // Eighth, eighth (beamed), quarters to the last beat of bar 1, then a half over the bar
    // line, then a last quarter by timer.
    std::vector<qint64> gaps = {500, 500};
    for (int b = 1; b < bpb - 1; ++b) gaps.push_back(1000);
    gaps.push_back(2000);
    const qint64 t0 = clock.nowMs();
    qint64 at = 0;
    for (qint64 g : gaps) {
        tapAt(pad, t0 + at, 200);
        at += g;
    }
    tapAt(pad, t0 + at, 900);
    ticks.advance(2800);
    const auto ns = written();
    ASSERT_EQ(ns.size(), size_t(bpb) + 3);
    std::vector<int> values;
    for (int n : ns) values.push_back(lessons::getInt(a().NoteSymbol[n], "Note"));
    std::vector<int> want = {3, 3};
    for (int b = 1; b < bpb; ++b) want.push_back(2);
    want.push_back(2);
    want.push_back(2);
    EXPECT_EQ(values, want);
    EXPECT_EQ(beamedNotes(), (std::vector<int>{ns[0], ns[1]}));
    EXPECT_EQ(loaded(a().PhraseMark, 7), 1);
    EXPECT_EQ(a().NoteSymbol.Tag(ns[size_t(bpb)]).toInt(), 2);
    EXPECT_EQ(a().NoteSymbol.Tag(ns[size_t(bpb) + 1]).toInt(), 3);
    // Every tap is written on one line.
    for (int n : ns) EXPECT_EQ(a().NoteSymbol.Top(n), a().NoteSymbol.Top(ns[0]));
}

// A phrase that ends inside a beat leaves its last notes unbeamed; once they are written
// none of them still looks selected, whether the metronome or Stop wrote the last one.
TEST_F(PlayedLessons, NoPlayedNoteIsLeftLookingSelected) {
    enum class End { Timer, Stop };
    const struct { const char* name; int lesson; End end; } cases[] = {
        {"piano, by timer", 2, End::Timer},
        {"drum, by timer", 4, End::Timer},
        {"drum, by Stop", 4, End::Stop},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::function<void(qint64, qint64)> play;
        if (c.lesson == 2) {
            startLesson(2, 7, {0.0, 0.7});
            played::FrmKeyboard& kb = piano();
            measureBeat(kb.metronome(), kb.logic().beat);
            play = [this, &kb](qint64 at, qint64 held) {
                ticks.advance(at - clock.nowMs());
                kb.key_MouseDown(19);
                ticks.advance(held);
                kb.key_MouseUp(19);
            };
        } else {
            startLesson(4, 7, {0.0, 0.0, 0.0, 0.0});
            played::FrmDrum& pad = drum();
            measureBeat(pad.metronome(), pad.logic().beat);
            play = [this, &pad](qint64 at, qint64 held) { tapAt(pad, at, held); };
        }
        // Two eighths (one beat, beamed), then a last eighth alone on the next beat.
        const qint64 t0 = clock.nowMs();
        play(t0, 200);
        play(t0 + 500, 200);
        play(t0 + 1000, 400);
        if (c.end == End::Timer) ticks.advance(2800);
        else {
            ticks.advance(100);
            frm->cmdStop->click();
        }
        const auto ns = written();
        ASSERT_EQ(ns.size(), 3u);
        EXPECT_EQ(lessons::getInt(a().NoteSymbol[ns[2]], "Note"), 3);
        for (int n : ns) EXPECT_NE(quint32(lessons::getInt(a().NoteSymbol[n], "ForeColor")), 0xFF00FFu) << n;
    }
}

TEST_F(PlayedLessons, ATapWaitingWhenTheSetEndsIsWrittenBeforeTheMarksOrNowhere) {
    // What the staff shows: every written note with its value, colour and tip.
    const auto staffShows = [this] {
        std::vector<std::string> out;
        for (int n : written())
            out.push_back(QString("%1 %2 %3 %4")
                              .arg(n)
                              .arg(lessons::getInt(a().NoteSymbol[n], "Note"))
                              .arg(quint32(lessons::getInt(a().NoteSymbol[n], "ForeColor")), 0, 16)
                              .arg(a().NoteSymbol[n]->toolTip())
                              .toStdString());
        return out;
    };
    enum class End { Stop, TapsAfterStop, StopThenGo, Lesson4Chosen };
    const struct { const char* name; int lesson; End end; int notes; } cases[] = {
        {"Stop marks the last tap with the others", 4, End::Stop, 4},
        {"taps after Stop", 4, End::TapsAfterStop, 4},
        {"Go after Stop", 4, End::StopThenGo, 0},
        {"lesson 4 chosen again", 4, End::Lesson4Chosen, 0},
        {"lesson 4 chosen after a tap in lesson 7", 7, End::Lesson4Chosen, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.lesson == 4) startLesson(4, 7, {0.0, 0.0, 0.0, 0.0});
        else startLesson(7, 3, {});
        played::FrmDrum& pad = drum();
        measureBeat(pad.metronome(), pad.logic().beat);
        // Four taps a second apart; the set ends 0.1 s after the last release.
        const qint64 t0 = clock.nowMs();
        for (int k = 0; k < 4; ++k) tapAt(pad, t0 + 1000 * k, 200);
        ticks.advance(100);
        switch (c.end) {
        case End::Stop: frm->cmdStop->click(); break;
        case End::TapsAfterStop:
            frm->cmdStop->click();
            tapAt(pad, clock.nowMs() + 400, 200);
            tapAt(pad, clock.nowMs() + 800, 200);
            break;
        case End::StopThenGo:
            frm->cmdStop->click();
            ticks.advance(400);
            dialogs_.answers = {platform::AnsYes};
            frm->cmdGo->click();
            break;
        case End::Lesson4Chosen: startLesson(4, 7, {0.0, 0.0, 0.0, 0.0}); break;
        }
        drum();   // the pad's metronome ticks on
        const auto ended = staffShows();
        EXPECT_EQ(ended.size(), size_t(c.notes));
        // Long after the last release the staff is as the end of the set left it.
        ticks.advance(3500);
        EXPECT_EQ(staffShows(), ended);
    }
}

TEST_F(PlayedLessons, PlayedNotesKeepTheirValueWithTheNotePaletteClosed) {
    for (int lesson : {2, 4}) {
        SCOPED_TRACE(lesson);
        if (lesson == 2) startLesson(2, 7, {0.0, 0.7});
        else startLesson(4, 7, {0.0, 0.0, 0.0, 0.0});
        frm->paletteWindows().toggle("mnuViewNoteSymbols");
        ASSERT_FALSE(frm->paletteWindows().isVisible("frmFloatingNotes"));
        // Four quarters a second apart, the last one by timer.
        std::function<void(qint64)> play;
        if (lesson == 2) {
            played::FrmKeyboard& kb = piano();
            measureBeat(kb.metronome(), kb.logic().beat);
            play = [this, &kb](qint64 at) {
                ticks.advance(at - clock.nowMs());
                kb.key_MouseDown(19);
                ticks.advance(900);
                kb.key_MouseUp(19);
            };
        } else {
            played::FrmDrum& pad = drum();
            measureBeat(pad.metronome(), pad.logic().beat);
            play = [this, &pad](qint64 at) { tapAt(pad, at, 900); };
        }
        const qint64 t0 = clock.nowMs();
        for (int k = 0; k < 4; ++k) play(t0 + 1000 * k);
        ticks.advance(3000);
        std::vector<int> values;
        for (int n : written()) values.push_back(lessons::getInt(a().NoteSymbol[n], "Note"));
        EXPECT_EQ(values, (std::vector<int>{2, 2, 2, 2}));
    }
}

TEST_F(PlayedLessons, Lesson7WritesTheRhythmOnAPercussionStaffAtEachLevel) {
    const struct { int level; std::vector<double> draws; int pulses; int bars; int notes; } cases[] = {
        {2, {}, 2, 2, 5},
        {3, {}, 3, 2, 6},
        {5, {0.7}, 1, 4, 8},    // two-four over four bars
        {11, {0.9}, 4, 4, 13},  // six-eight over four bars
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        startLesson(7, c.level, c.draws);
        EXPECT_TRUE(frm->paletteWindows().isVisible("frmDrum"));
        EXPECT_EQ(a().lblAs[1]->text(), "Play the following rhythms.");
        EXPECT_EQ(lessons::getInt(a().ClefSymbol[1], "Clef"), 3);
        EXPECT_EQ(lessons::getInt(a().tmMeter[1], "Pulses"), c.pulses);
        checkRhythmWritten(c.bars, c.notes);
        EXPECT_EQ(frm->playedInputs().TapCount, 0);
    }
}

// The lesson's help page tells the student what the staff shows: five lines, every note in
// the lowest space.
// The rhythm lessons' help pages say where the notes stand: five lines, every note in the
// lowest space (only the lengths count).
TEST_F(PlayedLessons, RhythmLessonsHelpDescribesTheStaffShown) {
    for (int lesson : {4, 7}) {
        SCOPED_TRACE(lesson);
        if (lesson == 4) {
            startLesson(4, 7, {0.0, 0.0, 0.0, 0.0});
            played::FrmDrum& pad = drum();
            measureBeat(pad.metronome(), pad.logic().beat);
            tapAt(pad, clock.nowMs(), 200);
            tapAt(pad, clock.nowMs() + 1000, 200);
            ticks.advance(2800);
        } else {
            startLesson(7, 3, {});
        }
        for (int s = 1; s <= a().StaffLines.ubound(); ++s) {
            if (!a().StaffLines.exists(s)) continue;
            EXPECT_EQ(lessons::getInt(a().StaffLines[s], "LineNumbers"), 5) << s;
        }
        int notes = 0;
        for (int n : written())
            if (!lessons::getInt(a().NoteSymbol[n], "Rest")) {
                EXPECT_EQ(stepOf(n), 1) << n;   // the space above the bottom line
                ++notes;
            }
        ASSERT_GT(notes, 0);

        frm->showHelp(lesson);
        ASSERT_NE(common::HelpWindow::current(), nullptr);
        QFile page(common::HelpWindow::current()->shownFile());
        ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << page.fileName().toStdString();
        const QString text = QString::fromUtf8(page.readAll()).simplified();
        if (lesson == 7) {
            EXPECT_TRUE(text.contains("staff of five lines")) << text.toStdString();
        }
        EXPECT_TRUE(text.contains("the lowest space of the staff")) << text.toStdString();
        EXPECT_FALSE(text.contains("one-line", Qt::CaseInsensitive));
        EXPECT_FALSE(text.contains("middle line", Qt::CaseInsensitive));
    }
}

TEST_F(PlayedLessons, Lesson7RhythmThatOutrunsItsBarsStopsAtTheLastBar) {
    // Level 11, six-eight; draws that keep the generator drawing long notes until it gives up
    // and hands on a rhythm longer than the four bars.
    bool found = false;
    for (double d : {0.999, 0.9, 0.8, 0.6, 0.4, 0.2, 0.0}) {
        if (found) break;
        std::vector<double> draws{0.7};
        draws.resize(4000, d);
        startLesson(7, 11, draws);
        ASSERT_EQ(lessons::getInt(a().tmMeter[1], "Pulses"), 4);
        qint64 ms = 0;
        for (const auto& n : frm->state.items.NoteTable) ms += n.ms;
        if (ms * 2048 / 1000 <= 4 * 6144) continue;
        found = true;
        SCOPED_TRACE(d);
        checkRhythmWritten(4, -1);
        // The set is ready for taps all the same: nothing old is scored.
        EXPECT_EQ(frm->playedInputs().TapCount, 0);
        EXPECT_FALSE(frm->cmdGo->isEnabled());
        EXPECT_EQ(frm->lblScore->text(), "0%");
    }
    EXPECT_TRUE(found);
}

TEST_F(PlayedLessons, Lesson7TapsAreMarkedOnStopWithThePadHidden) {
    startLesson(7, 3, {});
    played::FrmDrum& pad = drum();
    measureBeat(pad.metronome(), pad.logic().beat);
    const auto ns = written();
    std::vector<qint64> lengths;   // ms of each written note (a beat of 1000 ms a quarter)
    for (int n : ns)
        if (!lessons::getInt(a().NoteSymbol[n], "Rest")) lengths.push_back(noteTicks(n) * 1000 / 2048);
    ASSERT_EQ(lengths.size(), 6u);
    const qint64 t0 = clock.nowMs();
    qint64 at = 0;
    for (qint64 l : lengths) {
        tapAt(pad, t0 + at, 100);
        at += l;
    }
    // One tap too many, still waiting for its commit when the pad is closed and Stop comes.
    tapAt(pad, t0 + at, 100);
    ticks.advance(500);
    frm->paletteWindows().toggle("mnuDrum");
    ASSERT_FALSE(frm->paletteWindows().isVisible("frmDrum"));
    frm->cmdStop->click();
    EXPECT_EQ(frm->playedInputs().TapCount, 7);
    EXPECT_EQ(frm->lblScore->text(), "83%");
    for (size_t k = 0; k < 6; ++k)
        EXPECT_EQ(quint32(lessons::getInt(a().NoteSymbol[ns[k]], "ForeColor")), lessons::kRightSymbol) << k;

    // Go within 2.5 s of a release: the new set has no phantom tap.
    frm->paletteWindows().toggle("mnuDrum");
    played::FrmDrum& again = drum();
    tapAt(again, clock.nowMs() + 10, 100);
    tapAt(again, clock.nowMs() + 1000, 100);
    ticks.advance(500);
    dialogs_.answers = {platform::AnsYes};
    frm->cmdGo->click();
    ticks.advance(3000);
    EXPECT_EQ(frm->playedInputs().TapCount, 0);
    frm->cmdStop->click();
    EXPECT_EQ(frm->lblScore->text(), "0%");
}

// Lesson 7 writes its rhythm with the palettes' tools (its last bar's rests pressed on the
// rest palette); after it, Lesson > New Lesson and lesson 4 start with no tool armed: the
// palettes lesson 4 opens show no button down.
TEST_F(PlayedLessons, ANewLessonStartsWithNoToolArmed) {
    auto armed = [this] {
        const lessons::ToolState& t = frm->state.tools;
        QStringList out;
        for (const lessons::PaletteInfo& p : lessons::paletteInfos())
            for (int i = 1; i <= t.buttonCount(p.window); ++i)
                if (t.pressed(p.window, i)) out << QString("%1(%2)").arg(p.window).arg(i);
        if (t.time().down) out << "time tool";
        if (t.MousePointer() != lessons::kPointerDefault) out << "pointer";
        return out;
    };
    startLesson(7, 2, {});
    ASSERT_FALSE(armed().isEmpty()) << "lesson 7 wrote its set without a tool";
    frm->runMenuCommand("mnuGameNewLesson");
    ASSERT_EQ(frm->state.CurrentLesson, 0);
    startLesson(4, 7, {0.0, 0.0, 0.0, 0.0});
    EXPECT_EQ(armed(), QStringList());
    for (const char* window : {"frmFloatingNotes", "frmFloatingRests", "frmFloatingAccidentals", "frmFloatingMisc"}) {
        palettes::PaletteWindow* palette = frm->paletteWindows().palette(window);
        ASSERT_NE(palette, nullptr) << window;
        for (int i = 1; i <= frm->state.tools.buttonCount(window); ++i)
            if (QToolButton* b = palette->button(i)) {
                EXPECT_FALSE(b->isChecked()) << window << " " << i;
            }
    }
}

TEST_F(PlayedLessons, PadAndClickCarryChannelNineThemselves) {
    startLesson(7, 2, {});
    played::FrmDrum& pad = drum();
    pad.Form_Activate();
    const size_t from = midi_.messages().size();
    pad.optDrum_MouseDown();
    ticks.advance(1000);
    pad.optDrum_MouseUp();
    QStringList sent;
    for (size_t i = from; i < midi_.messages().size(); ++i) sent << bytesOf(midi_.messages()[i].message);
    // The pad's own program change and note-on, the metronome's click between, the pad's
    // note-off: every message names channel 9 itself.
    ASSERT_GE(sent.size(), 3);
    EXPECT_EQ(sent.mid(0, 2), (QStringList{"C9 00", "99 28 7F"}));
    EXPECT_EQ(sent.last(), "89 28 00");
    EXPECT_TRUE(sent.contains("99 4B 7F"));
    for (const QString& m : sent) EXPECT_EQ(m.mid(1, 1), "9") << m.toStdString();
    EXPECT_EQ(frm->context().port->MidiChannel, 0);
}

} // namespace
} // namespace shell
