// The builders of the written lessons: what each level lays out (staves, bar lines, clef, time
// signature, key), the elements it records, the test-mode tail, and a next set that leaves
// nothing of the previous one.
#include "writtenfixture.h"

#include "platform/clock.h"
#include "platform/dialogs.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>

namespace lessons::testing {
namespace {

using written::WrittenMetre;

struct Layout {
    int level;                  // CurrentLevel
    std::vector<double> draws;
    WrittenMetre metre;
    int staves;
    std::vector<int> barKinds;  // BarLineType of bar lines 1..staves - 1
    int key;                    // lesson 2 only
};

// Every staff abuts the one before it, on screen too (no column between them to break its
// lines), the head staff 600 twips wide, each bar staff 1800 + 200 x the metre's factor wide
// (the first a further 1200), and each bar line stands on the right end of its bar's staff.
void expectStaves(const NotationArrays& a, const Layout& c) {
    const int w = c.metre.widthFactor;
    ASSERT_EQ(a.StaffLines.ubound(), c.staves);
    EXPECT_EQ(a.StaffLines.Left(1), 120);
    EXPECT_EQ(a.StaffLines.Width(1), 600);
    for (int i = 1; i <= c.staves; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(a.StaffLines.Visible(i));
        EXPECT_EQ(a.StaffLines.Top(i), 465);
        EXPECT_EQ(a.StaffLines.Height(i), 1450);
        if (i >= 2) {
            EXPECT_EQ(a.StaffLines.Left(i), a.StaffLines.Left(i - 1) + a.StaffLines.Width(i - 1));
            EXPECT_EQ(a.StaffLines[i]->x(), a.StaffLines[i - 1]->geometry().right() + 1);
            EXPECT_EQ(a.StaffLines.Width(i), 1800 + 200 * w + (i == 2 ? 1200 : 0));
        }
    }
    ASSERT_EQ(a.Bar.ubound(), c.staves - 1);
    for (int i = 1; i < c.staves; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(a.Bar.Left(i), a.StaffLines.Left(i + 1) + a.StaffLines.Width(i + 1) - 75);
        EXPECT_EQ(a.Bar.Top(i), 930);
        EXPECT_EQ(getInt(a.Bar[i], "BarLineType"), c.barKinds[size_t(i - 1)]);
        EXPECT_EQ(a.Bar.Width(i), c.barKinds[size_t(i - 1)] == 0 ? 75 : 150);
        EXPECT_EQ(getInt(a.Bar[i], "Count"), 1);
        EXPECT_TRUE(a.Bar.Visible(i));
    }
    EXPECT_EQ(getInt(a.tmMeter[1], "Pulses"), c.metre.pulses);
    EXPECT_EQ(getInt(a.tmMeter[1], "NoteValue"), c.metre.unit);
    EXPECT_EQ(a.tmMeter.Tag(1), "2");
    EXPECT_EQ(a.tmMeter.Top(1), 815);
    EXPECT_TRUE(a.tmMeter.Visible(1));
}

// Only the clef and the time signature are recorded; everything else of the set is unloaded
// whole by the lesson's unloader call.
void expectRecorded(const LoadedFlags& flags) {
    for (int c = 1; c < LoadedFlags::kColumns; ++c)
        for (int i = 1; i < LoadedFlags::kElements; ++i)
            EXPECT_EQ(flags.get(c, i), (c == 3 || c == 5) && i == 1) << c << "," << i;
}

TEST(WrittenBuilders, MelodyLayoutsByLevel) {
    const WrittenMetre k44 = written::kFourFour, k34 = written::kThreeFour, k24 = written::kTwoFour,
                       k68 = written::kSixEight;
    const Layout cases[] = {
        {1, {0.0}, k34, 3, {0, 2}, -1},   // below the first level: the first level
        {2, {0.5}, k34, 3, {0, 2}, 0},
        {3, {0.99}, k44, 3, {0, 2}, 2},
        {4, {0.6, 0.0}, k34, 3, {0, 2}, -1},
        {5, {0.7, 0.3}, k24, 4, {0, 0, 2}, 0},
        {6, {0.0, 0.0}, k44, 3, {0, 2}, -1},
        {7, {0.5, 0.9}, k34, 3, {0, 2}, 2},
        {8, {0.9}, k44, 3, {0, 2}, 2},
        {9, {0.7, 0.0}, k24, 4, {0, 0, 2}, -3},
        {10, {0.7, 0.99}, k24, 3, {0, 2}, 3},
        {11, {0.7, 0.7}, k68, 3, {0, 2}, 1},
        {11, {0.0, 0.0}, k44, 4, {0, 0, 2}, -3},
        {12, {0.9, 0.5}, k68, 5, {0, 0, 0, 2}, 0},
        {12, {0.6, 0.6}, k24, 5, {0, 0, 0, 2}, 1},
        {14, {0.3, 0.3}, k34, 4, {0, 0, 2}, -1},
    };
    for (const Layout& c : cases) {
        SCOPED_TRACE(QString("level %1, first draw %2").arg(c.level).arg(c.draws[0]).toStdString());
        WrittenFixture f;
        f.build(2, c.level, c.draws);
        const NotationArrays& a = *f.arrays;
        expectStaves(a, c);
        EXPECT_EQ(getInt(a.ClefSymbol[1], "Clef"), 0);
        EXPECT_EQ(a.ClefSymbol.Left(1), 180);
        EXPECT_EQ(a.ClefSymbol.Top(1), 645);
        EXPECT_EQ(a.tmMeter.Left(1), 280);
        EXPECT_EQ(getInt(a.ChordSymbol[1], "KeyScale"), c.key);
        EXPECT_EQ(getInt(a.ChordSymbol[1], "ChordDisplay"), 0);
        EXPECT_EQ(a.ChordSymbol.Left(1), 100);
        EXPECT_EQ(a.ChordSymbol.Top(1), 2100);
        EXPECT_EQ(f.state.items.ItemTonic[1], KeyToTonicOffset(c.key));
        // The editor writes single accidentals: no key signature is drawn.
        EXPECT_EQ(a.KeySign.ubound(), 0);
        EXPECT_EQ(getInt(a.KeySign[0], "KeyMode"), 0);
        EXPECT_EQ(a.KeySign.Width(0), 135);
        EXPECT_EQ(a.lblAs[1]->text(),
                  "You have 3 chances to listen to the melody. Click the speaker button to play it.");
        EXPECT_EQ(a.lblAs.Top(1), 2500);
        expectRecorded(f.flags);
    }
    // One layout in figures: four-four over three bars (a factor of 8).
    WrittenFixture f;
    f.build(2, 11, {0.0});
    const double lefts[] = {120, 720, 5320, 8720}, widths[] = {600, 4600, 3400, 3400}, bars[] = {5245, 8645, 12045};
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(f.arrays->StaffLines.Left(i), lefts[i - 1]);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(f.arrays->StaffLines.Width(i), widths[i - 1]);
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(f.arrays->Bar.Left(i), bars[i - 1]);
}

TEST(WrittenBuilders, RhythmLayoutsByLevel) {
    const WrittenMetre k34 = written::kThreeFour, k24 = written::kTwoFour, k68 = written::kSixEight;
    const Layout cases[] = {
        {2, {0.0}, k34, 3, {0, 2}, 0},
        {2, {0.5}, k24, 4, {0, 0, 2}, 0},
        {4, {0.5}, k24, 4, {0, 0, 2}, 0},
        {5, {0.0}, k68, 4, {0, 0, 2}, 0},
        {5, {0.5}, k24, 4, {0, 0, 2}, 0},
        {6, {0.0}, k34, 5, {0, 0, 1, 2}, 0},
        {6, {0.5}, k68, 5, {0, 0, 1, 2}, 0},
        {7, {0.0}, k34, 5, {0, 0, 1, 2}, 0},
        {7, {0.5}, k24, 5, {0, 0, 1, 2}, 0},
        {7, {0.9}, k68, 5, {0, 0, 1, 2}, 0},
        {1, {0.9}, k68, 5, {0, 0, 1, 2}, 0},    // level 0 and levels past 6 build level 6
        {12, {0.5}, k24, 5, {0, 0, 1, 2}, 0},
    };
    for (const Layout& c : cases) {
        SCOPED_TRACE(QString("level %1, draw %2").arg(c.level - 1).arg(c.draws[0]).toStdString());
        WrittenFixture f;
        f.build(4, c.level, c.draws);
        const NotationArrays& a = *f.arrays;
        expectStaves(a, c);
        EXPECT_EQ(getInt(a.ClefSymbol[1], "Clef"), 3);
        EXPECT_EQ(a.ClefSymbol.Left(1), 180);
        EXPECT_EQ(a.ClefSymbol.Top(1), 500);
        EXPECT_EQ(a.tmMeter.Left(1), 120);
        EXPECT_EQ(a.ChordSymbol.ubound(), 0);
        EXPECT_EQ(a.lblAs[1]->text(),
                  "You have 3 chances to listen to the rhythms. Click the speaker button to play it.");
        expectRecorded(f.flags);
    }
}

TEST(WrittenBuilders, LevelTables) {
    common::ScriptedRandom zero({0.0});
    // Lesson 2: notes, shortest value, start mask and repeats by CurrentLevel.
    const struct { int level; int notes, range, leap, mask, shortest; bool repeat; } melody[] = {
        {2, 4, 3, 3, 1, 1000, true}, {3, 5, 5, 3, 1, 1000, false}, {4, 5, 5, 5, 1, 500, false},
        {5, 6, 5, 5, 1, 500, false}, {6, 7, 6, 5, 1, 500, false}, {7, 9, 8, 5, 17, 500, false},
        {8, 9, 8, 5, 21, 500, false}, {9, 9, 8, 5, 21, 250, false}, {12, 10, 8, 5, 21, 250, false},
        {13, 11, 8, 5, 21, 250, false}, {20, 11, 8, 5, 21, 250, false},
    };
    for (const auto& r : melody) {
        const written::MelodyLevel m = written::melodyLevel(r.level, zero);
        EXPECT_EQ(m.notes, r.notes) << r.level;
        EXPECT_EQ(m.stepRange, r.range) << r.level;
        EXPECT_EQ(m.maxLeap, r.leap) << r.level;
        EXPECT_EQ(m.startMask, r.mask) << r.level;
        EXPECT_EQ(m.shortest, r.shortest) << r.level;
        EXPECT_EQ(m.allowRepeat, r.repeat) << r.level;
    }
    // Six-eight from level 9 on keeps eighths as its shortest.
    common::ScriptedRandom last({0.99});
    EXPECT_EQ(written::melodyLevel(11, last).shortest, 500);
    EXPECT_EQ(written::melodyLevel(13, last).shortest, 500);
    // Lesson 4: notes and shortest value by shown level and metre.
    const struct { int level; double draw; int notes, shortest; } rhythm[] = {
        {1, 0.0, 7, 500}, {2, 0.5, 8, 500}, {3, 0.0, 9, 500}, {4, 0.0, 10, 500}, {4, 0.5, 10, 250},
        {5, 0.0, 13, 250}, {5, 0.5, 13, 500}, {6, 0.0, 13, 250}, {6, 0.5, 13, 250}, {6, 0.9, 13, 500},
        {0, 0.9, 13, 500}, {9, 0.0, 13, 250},
    };
    for (const auto& r : rhythm) {
        common::ScriptedRandom draws({r.draw});
        const written::RhythmLevel l = written::rhythmLevel(r.level, draws);
        EXPECT_EQ(l.notes, r.notes) << r.level << " " << r.draw;
        EXPECT_EQ(l.shortest, r.shortest) << r.level << " " << r.draw;
    }
}

// What every heard melody and rhythm keeps: its count, values no shorter than the level's
// shortest (no 750 beside a shortest of 500), no note across a beat, dotted values on the
// beat, and an end within the bars. Returns the first broken rule.
QString brokenRule(const std::vector<TimedNote>& notes, int count, int barCount, const WrittenMetre& metre,
                   int shortest) {
    if (int(notes.size()) != count) return QString("%1 notes").arg(notes.size());
    const int beat = metre.pulses > 3 ? 1500 : 1000;
    const int bar = beat * beatsPerBarForPulses(metre.pulses);
    int pos = 0;
    for (size_t i = 0; i < notes.size(); ++i) {
        const int d = notes[i].ms;
        if (d < shortest || (shortest == 500 && d == 750) || (shortest == 1000 && d == 1500) ||
            (d != 250 && d != 500 && d != 750 && d != 1000 && d != 1500))
            return QString("note %1 lasts %2").arg(i + 1).arg(d);
        if (pos % beat + d > beat) return QString("note %1 crosses a beat").arg(i + 1);
        if ((d == 750 || d == 1500) && pos % beat != 0) return QString("dotted note %1 off the beat").arg(i + 1);
        pos += d;
    }
    if (pos > (barCount - 1) * bar) return QString("overruns: %1 ms").arg(pos);
    return QString();
}

TEST(WrittenBuilders, EveryMelodyAndRhythmFitsItsBars) {
    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride dialogsGuard(&dialogs);
    const std::vector<double> metreDraws = {0.0, 0.3, 0.6, 0.9};
    for (int level = 2; level <= 13; ++level) {
        std::vector<int> walked;   // metres of this level already walked
        for (double draw : metreDraws) {
            common::ScriptedRandom pick({draw});
            const written::MelodyLevel m = written::melodyLevel(level, pick);
            if (std::find(walked.begin(), walked.end(), m.metre.pulses) != walked.end()) continue;
            walked.push_back(m.metre.pulses);
            for (int seed = 1; seed <= 1000; ++seed) {
                common::SeededRandom random{uint64_t(seed)};
                const QString broken =
                    brokenRule(written::writtenMelody(m, random), m.notes, m.barCount, m.metre, m.shortest);
                ASSERT_TRUE(broken.isEmpty()) << "lesson 2, level " << level - 1 << ", pulses " << m.metre.pulses
                                              << ", seed " << seed << ": " << qPrintable(broken);
            }
        }
    }
    EXPECT_TRUE(dialogs.shown.isEmpty());
    for (int level = 1; level <= 6; ++level) {
        for (double draw : metreDraws) {
            common::ScriptedRandom pick({draw});
            const written::RhythmLevel r = written::rhythmLevel(level, pick);
            for (int seed = 1; seed <= 1000; ++seed) {
                common::SeededRandom random{uint64_t(seed)};
                const QString broken =
                    brokenRule(written::writtenRhythm(r, random), r.notes, r.barCount, r.metre, r.shortest);
                ASSERT_TRUE(broken.isEmpty()) << "lesson 4, level " << level << ", pulses " << r.metre.pulses
                                              << ", seed " << seed << ": " << qPrintable(broken);
            }
        }
    }
}

TEST(WrittenBuilders, TheBuildersLeaveTheHeardNotes) {
    for (int lesson : {2, 4}) {
        WrittenFixture f;
        common::SeededRandom random{7};
        common::Random::setInstance(&random);
        f.state.CurrentLesson = qint16(lesson);
        f.state.CurrentLevel = 6;
        f.table.row(lesson).build(*f.ctx);
        common::Random::setInstance(nullptr);
        const auto& heard = f.state.items.NoteTable;
        EXPECT_EQ(int(heard.size()), lesson == 2 ? 7 : 13) << lesson;
        for (const TimedNote& n : heard) EXPECT_EQ(n.pitch == -20, lesson == 4) << lesson;
    }
}

TEST(WrittenBuilders, TheNextSetLeavesNothingOfThePrevious) {
    for (int lesson : {2, 4}) {
        SCOPED_TRACE(lesson);
        WrittenFixture f;
        f.build(lesson, 13, {0.3});
        // The student wrote on it: a key signature, notes, a beam, a Roman numeral.
        f.keyAccidental(0, 1, 0);
        f.write(2, "q [e e]");
        f.write(3, "rq");
        NotationArrays& a = *f.arrays;
        ASSERT_TRUE(a.ChordRoman.load(1));
        f.flags.set(4, 1, true);
        f.state.ItemPlayCount[1] = 2;

        f.build(lesson, 2, {0.0});   // Go, at level 1 now
        EXPECT_EQ(a.NoteSymbol.ubound(), 0);
        EXPECT_EQ(a.BeamFlag.ubound(), 0);
        EXPECT_EQ(a.KeySign.ubound(), 0);
        EXPECT_EQ(a.ChordRoman.ubound(), 0);
        EXPECT_EQ(a.StaffLines.ubound(), 3);
        EXPECT_EQ(a.Bar.ubound(), 2);
        EXPECT_EQ(a.ClefSymbol.ubound(), 1);
        EXPECT_EQ(a.tmMeter.ubound(), 1);
        EXPECT_EQ(a.lblAs.ubound(), 1);
        EXPECT_EQ(a.cmdSpeaker.ubound(), 1);
        EXPECT_EQ(a.ChordSymbol.ubound(), lesson == 2 ? 1 : 0);
        EXPECT_EQ(a.lnLeger.ubound(), 10);
        EXPECT_EQ(f.state.ItemPlayCount[1], 0);
        expectRecorded(f.flags);
        // The speaker stands at the top left corner, in line with the staves.
        EXPECT_EQ(a.cmdSpeaker.Left(1), a.StaffLines.Left(0));
        EXPECT_EQ(a.cmdSpeaker.Top(1), a.cmdSpeaker.Top(0) - 2000);
        EXPECT_TRUE(a.cmdSpeaker.Visible(1));
    }
}

TEST(WrittenBuilders, TestModeAnnouncesAndTimes) {
    platform::VirtualClock clock(5000);
    platform::ClockOverride clockGuard(&clock);
    for (int lesson : {2, 4}) {
        SCOPED_TRACE(lesson);
        WrittenFixture f;
        f.window.practice = false;
        f.state.ExerciseScore = 75;
        f.build(lesson, 5);
        ASSERT_EQ(f.dialogs.shown.size(), 1);
        EXPECT_EQ(f.dialogs.shown[0].text, QString("Starting lesson %1 exercise 4").arg(lesson));
        EXPECT_EQ(f.dialogs.shown[0].title, "Test Mode");
        EXPECT_EQ(f.dialogs.shown[0].style, platform::Information | platform::HelpButton);
        EXPECT_EQ(f.state.TestDeadline, 5000 + 120000);
        EXPECT_TRUE(f.controls.Timer1->isActive());
        EXPECT_TRUE(f.state.ExerciseRunning);
        EXPECT_EQ(f.controls.lblScore->text(), "0%");
        EXPECT_EQ(f.controls.lblLevel->text(), "4");
        EXPECT_FALSE(f.controls.cmdGo->isEnabled());
        EXPECT_EQ(f.window.menuUpdates, 1);

        // Practice mode: nothing shown, no deadline.
        WrittenFixture p;
        p.build(lesson, 5);
        EXPECT_TRUE(p.dialogs.shown.isEmpty());
        EXPECT_EQ(p.state.TestDeadline, 0);
        EXPECT_FALSE(p.controls.Timer1->isActive());
    }
}

} // namespace
} // namespace lessons::testing
