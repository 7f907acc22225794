// Lesson 1's builder, the answer items, the item scorers, the scoring cycle and level update,
// the countdown and the question sequences, on a lesson context without the main window.
#include "lessontestsupport.h"

#include "student/lessons/answeritems.h"
#include "student/lessons/exerciseflow.h"
#include "student/lessons/itemscorers.h"
#include "student/lessons/lesson1/intervalexercise.h"
#include "student/lessons/playback.h"

#include "common/random.h"
#include "common/storedtext/storedtext.h"
#include "music/framework/dispatch.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/midi/recordermidiout.h"
#include "platform/paths.h"
#include "student/sound/midiport.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lessons {
namespace {

class RandomOverride {
public:
    explicit RandomOverride(std::vector<double> values) : random_(std::move(values)) { common::Random::setInstance(&random_); }
    ~RandomOverride() { common::Random::setInstance(nullptr); }

private:
    common::ScriptedRandom random_;
};

class FlowTest : public ::testing::Test {
protected:
    FlowTest() {
        f.session.PlayerName = "Ann";
        f.session.UpperBound = 90;
        f.session.LowerBound = 80;
        // Ann's profile, for the saves after a test-mode set.
        previousData_ = platform::Paths::dataFolder();
        platform::Paths::setDataFolder(data_.path());
        common::SaveStoredText(platform::Paths::dataFile("Tonvale.txt"),
                               "begin\r\nname=Ann\r\npassword=pw\r\nend\r\n");
    }
    ~FlowTest() override { platform::Paths::setDataFolder(previousData_); }
    // A set of lesson 1 at shown level `level`; at level 3 every item is a major third below C.
    void build(int level, std::vector<double> draws = {}) {
        if (draws.empty())
            for (int i = 0; i < 8; ++i) draws.insert(draws.end(), {0.5, 0.3});
        RandomOverride random(draws);
        f.state.CurrentLesson = 1;
        f.state.CurrentLevel = qint16(level + 1);
        NewIntervalExercise(*f.ctx);
    }
    // Answer label `item` with a caption, as the palette leaves it.
    void answer(int item, const QString& caption) {
        NotationArrays& a = *f.arrays;
        if (!a.lblLetter.exists(item)) {
            ASSERT_TRUE(a.lblLetter.load(item));
        }
        a.lblLetter[item]->setText(caption);
        f.flags.set(1, item, true);
    }
    std::string shown() const {
        QStringList out;
        for (const platform::ShownMessage& m : dialogs.shown) out << m.title + ": " + m.text;
        return out.join(" | ").toStdString();
    }

    QTemporaryDir data_;
    QString previousData_;

    platform::VirtualClock clock{100000};
    platform::ClockOverride clockGuard{&clock};
    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride dialogsGuard{&dialogs};
    testing::LessonFixture f;
};

TEST(IntervalQuestions, EachLevelDrawsFromItsTable) {
    const struct { int level; std::vector<double> draws; qint16 tonic, interval; bool below; } cases[] = {
        {1, {0.0, 0.0}, 5, 7, true},       // F major (one flat), a fifth below
        {1, {0.99, 0.5}, -3, 4, true},     // A major, a major third below
        {2, {0.5, 0.99}, -5, 3, false},    // G major, a minor third above
        {3, {0.5, 0.3}, 0, 4, true},       // C major, a major third below
        {4, {0.0, 0.95}, 3, 7, false},     // E flat major, a fifth above
        {5, {0.99, 0.5}, 4, 9, true},      // E major, a major sixth below
        {6, {0.99, 0.07}, -1, 12, false},  // B major, an octave above
        {7, {0.0, 0.75}, 6, 12, true},     // G flat major, an octave below
        {8, {0.5, 0.43, 0.0}, 0, 6, true}, // the tritone always falls at level 8 (no third draw)
        {8, {0.5, 0.1, 0.0}, 0, 2, false},
        {9, {0.5, 0.43, 0.0}, 0, 6, false},   // beyond it, it may rise
        {0, {0.99, 0.99, 0.99}, 1, 12, true}, // other levels: the last row (C sharp major)
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        RandomOverride random(c.draws);
        const IntervalQuestion q = drawIntervalQuestion(c.level);
        EXPECT_EQ(q.tonic, c.tonic);
        EXPECT_EQ(q.interval, c.interval);
        EXPECT_EQ(q.below, c.below);
    }
}

TEST_F(FlowTest, TwoSetsInARowLeaveEightItemsAndNoLabels) {
    f.window.practice = true;
    build(3);
    answer(2, "maj 3 below");
    f.state.CurrentItem = 2;
    build(3);
    NotationArrays& a = *f.arrays;
    EXPECT_EQ(a.cmdSpeaker.ubound(), 8);
    EXPECT_EQ(a.LineBase.ubound(), 8);
    EXPECT_EQ(a.lblLetter.ubound(), 0);
    EXPECT_EQ(a.lblAs.ubound(), 1);
    EXPECT_EQ(a.lblAs.Top(1), 300);
    EXPECT_FALSE(f.flags.any());
    for (int i = 1; i <= 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(a.cmdSpeaker[i]->isEnabled(), i == 1);
        EXPECT_EQ(a.LineBase[i]->DrawMode(), i == 1 ? 13 : 16);
        EXPECT_EQ(f.state.ItemPlayCount[size_t(i)], 0);
        // Every item of this level-3 set: C major, a major third below.
        EXPECT_EQ(f.state.items.ItemTonic[size_t(i)], 0);
        EXPECT_EQ(f.state.items.ItemInterval[size_t(i)], 4);
        EXPECT_TRUE(f.state.items.ItemBelow[size_t(i)]);
    }
    // Items in four columns of two rows, speakers beside the end of their lines.
    EXPECT_EQ(a.cmdSpeaker.Left(4), a.cmdSpeaker.Left(0) - 5000 + 9000);
    EXPECT_EQ(a.cmdSpeaker.Top(5), a.cmdSpeaker.Top(0) - 1000 + 1000);
    EXPECT_EQ(a.LineBase[6]->X1(), 3800);
    EXPECT_EQ(a.LineBase[6]->Y1(), 2600);
    EXPECT_EQ(a.LineBase[6]->X2(), 6000);
    EXPECT_EQ(f.state.CurrentItem, 1);
    EXPECT_TRUE(f.state.ExerciseRunning);
    EXPECT_EQ(f.state.tools.LessonFramePointer(), kPointerCross);
    EXPECT_FALSE(f.controls.cmdGo->isEnabled());
    EXPECT_EQ(f.controls.lblScore->text(), "0%");
    EXPECT_EQ(f.controls.lblLevel->text(), "3");
    EXPECT_EQ(f.controls.cmdNext->pos(), QPoint(500, 233));
    // Practice: no announcement, no deadline, the countdown left as it was.
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(f.state.TestDeadline, 0);
    EXPECT_FALSE(f.controls.Timer1->isActive());
}

TEST_F(FlowTest, ATestSetIsAnnouncedAndTimed) {
    f.window.practice = false;
    dialogs.answers = {platform::ScriptedDialogs::PressHelp, platform::AnsOk};
    build(1);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(shown(), "Test Mode: Starting lesson 1 exercise 1");
    EXPECT_EQ(dialogs.shown[0].style, platform::Information + platform::HelpButton);
    EXPECT_EQ(f.window.helpContexts, QList<int>{1});   // Help opened the lesson's page, the box stayed
    EXPECT_EQ(f.state.TestDeadline, clock.nowMs() + 120000);
    EXPECT_TRUE(f.controls.Timer1->isActive());
}

// The countdown from 00:03:00 to the time-out on the monotonic clock; a tick that comes 15 s
// late still ends the set, and a time-out waits while a question sounds.
TEST_F(FlowTest, CountdownAndTimeOut) {
    f.window.practice = false;
    build(1);
    dialogs.shown.clear();
    const struct { qint64 after; const char* text; } ticks[] = {
        {500, "00:03:00"}, {1000, "00:02:59"}, {61000, "00:01:59"}, {179000, "00:00:01"}, {179500, "00:00:01"},
    };
    const qint64 start = clock.nowMs();
    for (const auto& t : ticks) {
        clock.advance(start + t.after - clock.nowMs());
        Timer1_Timer(*f.ctx);
        EXPECT_EQ(f.controls.lblTime->text(), t.text) << t.after;
    }
    EXPECT_TRUE(dialogs.shown.isEmpty());
    // A question still sounding when the time is up: the time-out waits for it.
    clock.advance(start + 195000 - clock.nowMs());
    f.state.QuestionSounding = true;
    Timer1_Timer(*f.ctx);
    EXPECT_TRUE(f.state.ExerciseRunning);
    EXPECT_TRUE(f.controls.Timer1->isActive());
    f.state.QuestionSounding = false;
    Timer1_Timer(*f.ctx);
    EXPECT_EQ(f.controls.lblTime->text(), "00:00:00");
    EXPECT_EQ(shown(), "Timeout: Sorry. you ran out of time.");
    EXPECT_EQ(dialogs.shown[0].style, platform::Exclamation);
    EXPECT_FALSE(f.controls.Timer1->isActive());
    EXPECT_FALSE(f.state.ExerciseRunning);   // marked
    EXPECT_EQ(f.controls.lblScore->text(), "0%");
    EXPECT_EQ(countdownText(-1), "00:00:00");
    EXPECT_EQ(countdownText(3600 * 1000 + 1), "01:00:01");
}

TEST_F(FlowTest, ScoringMovesTheLevelByTheBounds) {
    struct Case {
        const char* what;
        bool practice;
        int lesson, level;
        double score;
        int average, attempts, completed;   // before
        bool running;
        int newLevel, newAverage, newAttempts, newCompleted;
        bool restart, song, congratulated;
        const char* label;
    };
    const Case cases[] = {
        {"rise", false, 1, 5, 100, 80, 2, 3, true, 6, 87, 3, 4, false, true, false, "100%"},
        {"at the upper bound", false, 1, 5, 90, 100, 0, 0, true, 6, 90, 1, 4, false, true, false, "90%"},
        {"at the lower bound", false, 1, 5, 80, 100, 0, 0, true, 5, 80, 1, 4, false, false, false, "80%"},
        {"below, level 2 stays", false, 1, 2, 0, 100, 0, 0, true, 2, 0, 1, 1, false, false, false, "0%"},
        {"below, falls", false, 1, 6, 62.5, 50, 1, 7, true, 5, 56, 2, 7, false, false, false, "62%"},
        {"2.5 to even", false, 1, 4, 4, 1, 1, 0, true, 3, 2, 2, 3, false, false, false, "4%"},
        {"3.5 to even", false, 1, 4, 5, 2, 1, 0, true, 3, 4, 2, 3, false, false, false, "5%"},
        {"three attempts", false, 1, 4, 95, 80, 2, 0, true, 5, 85, 3, 3, false, true, false, "95%"},
        {"end level in test mode", false, 6, 5, 100, 100, 0, 0, true, 5, 100, 1, 4, false, true, true, "100%"},
        {"practice end level", true, 5, 7, 50, 70, 4, 2, true, 7, 70, 4, 2, true, false, false, "50%"},
        {"practice climbs", true, 1, 3, 0, 70, 4, 2, true, 4, 70, 4, 2, false, false, false, "0%"},
        {"marked again", false, 1, 5, 100, 70, 4, 2, false, 5, 70, 4, 2, false, false, false, "7%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.shown.clear();
        f.window.songs.clear();
        f.window.practice = c.practice;
        f.state.CurrentLesson = qint16(c.lesson);
        f.state.CurrentLevel = qint16(c.level);
        f.state.ExerciseRunning = c.running;
        f.state.RestartLesson = false;
        f.controls.lblScore->setText("7%");
        f.session.AverageScore[c.lesson] = qint16(c.average);
        f.session.AttemptCount[c.lesson] = qint16(c.attempts);
        f.session.CompletedLevel[c.lesson] = qint16(c.completed);
        const double score = c.score;
        f.table.setRow(c.lesson, {{}, [score](LessonContext& ctx) { ctx.state.ExerciseScore += score; }, {}});
        f.controls.Timer1->start();
        DoScore(*f.ctx);
        EXPECT_EQ(f.state.CurrentLevel, c.newLevel);
        EXPECT_EQ(f.session.AverageScore[c.lesson], c.newAverage);
        EXPECT_EQ(f.session.AttemptCount[c.lesson], c.newAttempts);
        EXPECT_EQ(f.session.CompletedLevel[c.lesson], c.newCompleted);
        EXPECT_EQ(f.state.RestartLesson, c.restart);
        EXPECT_EQ(!f.window.songs.isEmpty(), c.song);
        if (c.song) {
            EXPECT_TRUE(f.window.songs[0].endsWith("/done.mid"));
        }
        EXPECT_EQ(shown(), c.congratulated ? "Finished: Congratulations, You Did It!" : "");
        EXPECT_EQ(f.controls.lblScore->text().toStdString(), c.label);
        EXPECT_EQ(f.controls.lblScore->toolTip().toStdString(),
                  "Updated Score: " + std::to_string(int(c.score)) + "%");
        EXPECT_FALSE(f.state.ExerciseRunning);
        EXPECT_FALSE(f.controls.Timer1->isActive());
        EXPECT_EQ(f.controls.cmdGo->isEnabled(), c.running);
        f.controls.cmdGo->setEnabled(false);
    }
}

// Practice mode, a set scored, then Go: Yes goes on (from the first level once the lesson's
// end was reached), No takes the set just scored again at its own level.
TEST_F(FlowTest, PracticeGoAfterAScoredSet) {
    const struct { const char* what; int level; int answer; int built; bool restart; } cases[] = {
        {"climbing, yes", 3, platform::AnsYes, 4, false},
        {"climbing, no", 3, platform::AnsNo, 3, false},
        {"end level, yes", 5, platform::AnsYes, 2, true},
        {"end level, no", 5, platform::AnsNo, 5, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        f.window.practice = true;
        f.state.CurrentLesson = 6;
        f.state.CurrentLevel = qint16(c.level);
        f.state.ExerciseRunning = true;
        int built = 0;
        f.table.setRow(6, {[&](LessonContext& ctx) { built = ctx.state.CurrentLevel; }, {}, {}});
        DoScore(*f.ctx);
        EXPECT_EQ(f.state.RestartLesson, c.restart);
        dialogs.answers = {c.answer};
        dialogs.shown.clear();
        cmdGo_Click(*f.ctx);
        EXPECT_EQ(shown(), "Question: Skip to next exercise?");
        EXPECT_EQ(built, c.built);
        EXPECT_EQ(f.state.CurrentLevel, c.built);
    }
}

TEST(ValidatePlayedInterval, EachStyle) {
    const struct { int style, semitones; const char* text; bool right; } cases[] = {
        {2, 4, "M3 above", true},     {2, 4, "m3 above", false},   {2, 4, "M3", true},
        {2, 7, "P5 below", true},     {2, 0, "PU above", true},    {2, 12, "P8", true},
        {3, 7, "per 5 above", true},  {3, 4, "maj 3 above", true}, {3, 3, "min 3", true},
        {3, 3, "min 2", false},       {3, 11, "maj 7", true},      {3, 10, "maj 7", false},
        {1, 6, "Tri-Tone below", true}, {2, 6, "Tri-Tone", true},  {3, 6, "maj 4", false},
        {1, 9, "+6 above", true},     {1, 1, "-2", true},          {1, 2, "-2", false},
        {2, 13, "anything", true},    {0, 4, "M3", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ValidatePlayedInterval(c.style, c.semitones, QString::fromUtf8(c.text)), c.right)
            << c.style << " " << c.semitones << " " << c.text;
}

TEST_F(FlowTest, ItemScorersMarkAndColourTheAnswers) {
    // Intervals, letters style: items 1..4 rise by a major third, 5..8 fall by a fifth.
    f.session.IntervalStyle = 2;
    f.state.CurrentLesson = 1;
    for (int i = 1; i <= 8; ++i) {
        f.state.items.ItemInterval[size_t(i)] = i <= 4 ? 4 : 7;
        f.state.items.ItemBelow[size_t(i)] = i > 4;
    }
    answer(1, "M3 above");
    answer(2, "M3 below");
    answer(3, "m3 above");
    answer(4, "M3");
    answer(5, "P5 below");
    answer(6, "Tri-Tone below");
    // 7 and 8 unanswered.
    ScoreIntervals(*f.ctx);
    EXPECT_EQ(f.state.ExerciseScore, 25);
    const quint32 colours[] = {kRightLabel, kWrongLabel, kWrongLabel, kWrongLabel, kRightLabel, kWrongLabel};
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(labelBackColor(f.arrays->lblLetter[i]), colours[i - 1]) << i;

    // Chords: the short forms fit a triad and the seventh on its quality alike.
    f.state.ExerciseScore = 0;
    const struct { int kind; const char* caption; bool right; } chords[] = {
        {6, " d ", true}, {5, "dom 7", false}, {5, "dom7", true}, {1, "+", true},
        {8, "m", true},   {2, "min 7", false}, {3, "\u00B0", true}, {4, "aug", true},
    };
    for (int i = 1; i <= 8; ++i) {
        f.state.items.ItemChordKind[size_t(i)] = qint16(chords[i - 1].kind);
        answer(i, QString::fromUtf8(chords[i - 1].caption));
    }
    ScoreChords(*f.ctx);
    EXPECT_EQ(f.state.ExerciseScore, 6 * 12.5);
    for (int i = 1; i <= 8; ++i)
        EXPECT_EQ(labelBackColor(f.arrays->lblLetter[i]), chords[i - 1].right ? kRightLabel : kWrongLabel) << i;

    // Cadences.
    f.state.ExerciseScore = 0;
    const struct { const char* name; const char* answer; bool right; } cadences[] = {
        {"V7-I Close", "Perfect", true}, {"V7-I Close", "Perfect Open", false}, {"V7-I Close", "Perfect Close", true},
        {"IV-I", "Plagal", true},        {"I-V", "Half", true},                 {"IV-V", "Imperfect", true},
        {"V-VI", "Deceptive", true},     {"V-I Open", "Plagal", false},
    };
    for (int i = 1; i <= 8; ++i) {
        f.state.items.ItemCadenceName[size_t(i)] = cadences[i - 1].name;
        answer(i, cadences[i - 1].answer);
    }
    ScoreCadences(*f.ctx);
    EXPECT_EQ(f.state.ExerciseScore, 6 * 12.5);
}

TEST_F(FlowTest, TimeSignaturesAndPlayedRhythms) {
    NotationArrays& a = *f.arrays;
    for (int i : {1, 2, 9, 10}) ASSERT_TRUE(a.tmMeter.load(i));
    put(a.tmMeter[1], "Pulses", 4);
    put(a.tmMeter[1], "NoteValue", 3);
    put(a.tmMeter[9], "Pulses", 4);
    put(a.tmMeter[9], "NoteValue", 3);
    put(a.tmMeter[2], "Pulses", 2);
    put(a.tmMeter[2], "NoteValue", 2);
    put(a.tmMeter[10], "Pulses", 2);
    put(a.tmMeter[10], "NoteValue", 3);   // same pulses, another beat value
    f.flags.set(1, 9, true);
    f.flags.set(1, 10, true);
    ScoreTimeSignatures(*f.ctx);
    EXPECT_EQ(f.state.ExerciseScore, 12.5);
    EXPECT_EQ(getInt(a.tmMeter[9], "ForeColor"), 0);
    EXPECT_EQ(getInt(a.tmMeter[10], "ForeColor"), 255);

    // Six sounding notes (quarters) and a rest at the end; seven taps, the first six right.
    for (int k = 1; k <= 7; ++k) {
        ASSERT_TRUE(a.NoteSymbol.load(k));
        put(a.NoteSymbol[k], "Note", 2);
    }
    put(a.NoteSymbol[7], "Rest", true);
    struct CountingInput : PlayedInput {
        void CommitPendingTap() override { ++commits; }
        int commits = 0;
    } input;
    f.ctx->playedInput = &input;
    const struct { std::vector<qint16> taps; const char* label; } cases[] = {
        {{2048, 2048, 2048, 2048, 2048, 2048, 2048}, "83"},   // 100 - 100/6 + 0.5
        {{2048, 1024}, "17"},                                  // one of six right, plus 0.5
        {{}, "0"},
        {{1024}, "0"},
    };
    for (const auto& c : cases) {
        input.TapTicks.assign(1, 0);
        for (qint16 t : c.taps) input.TapTicks.push_back(t);
        input.TapCount = qint16(c.taps.size());
        f.state.ExerciseScore = 0;
        ScorePlayedRhythm(*f.ctx);
        EXPECT_EQ(QString::number(int(f.state.ExerciseScore)), c.label);
    }
    EXPECT_EQ(input.commits, 4);   // the pending tap is taken, nothing waits
    EXPECT_EQ(getInt(a.NoteSymbol[1], "ForeColor"), 255);

    // No sounding note at all: nothing to share out, score 0.
    for (int k = 1; k <= 6; ++k) put(a.NoteSymbol[k], "Rest", true);
    input.TapTicks = {0, 2048};
    input.TapCount = 1;
    f.state.ExerciseScore = 0;
    ScorePlayedRhythm(*f.ctx);
    EXPECT_EQ(f.state.ExerciseScore, 0);
}

TEST_F(FlowTest, NextPreviousAndTheEraserOnAnswerLabels) {
    f.window.practice = true;
    build(3);
    answer(1, "maj 3");
    answer(3, "min 3");
    f.state.CurrentItem = 1;
    NotationArrays& a = *f.arrays;
    for (int press = 1; press <= 8; ++press) {
        cmdNext_Click(*f.ctx);
        const int item = std::min(press + 1, 8);
        EXPECT_EQ(f.state.CurrentItem, item) << press;
        for (int i = 1; i <= 8; ++i) {
            EXPECT_EQ(a.LineBase[i]->DrawMode(), i == item ? 13 : 16);
            EXPECT_EQ(a.cmdSpeaker[i]->isEnabled(), i == item);
        }
    }
    EXPECT_FALSE(a.lblLetter[1]->isEnabled());
    for (int press = 1; press <= 8; ++press) cmdPrevious_Click(*f.ctx);
    EXPECT_EQ(f.state.CurrentItem, 1);
    EXPECT_TRUE(a.lblLetter[1]->isEnabled());

    // The eraser on another item's label does nothing; on the current one it erases, and the
    // pointer stays armed while a label is left.
    f.state.tools.setMousePointer(kPointerEraser);
    lblLetter_MouseDown(*f.ctx, 3, 14.6, 30.5);
    EXPECT_TRUE(a.lblLetter.exists(3));
    EXPECT_EQ(f.state.DragX, 15);
    EXPECT_TRUE(f.state.MouseDownFlag);
    lblLetter_MouseDown(*f.ctx, 1, 0, 0);
    EXPECT_FALSE(a.lblLetter.exists(1));
    EXPECT_FALSE(f.flags.get(1, 1));
    EXPECT_EQ(f.state.tools.MousePointer(), kPointerEraser);
    f.state.CurrentItem = 3;
    lblLetter_MouseDown(*f.ctx, 3, 0, 0);
    EXPECT_FALSE(a.lblLetter.exists(3));
    EXPECT_EQ(f.state.tools.MousePointer(), kPointerDefault);   // none left
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // A quality pressed on the interval palette rewrites the clicked label (first one wins).
    answer(2, "3 above");
    f.state.tools.setValue("frmIntervals", 4, 1);
    f.state.tools.setValue("frmIntervals", 3, 1);
    lblLetter_MouseDown(*f.ctx, 2, 0, 0);
    EXPECT_EQ(a.lblLetter[2]->text(), "maj e");
    // In a staff lesson nothing happens.
    f.state.CurrentLesson = 2;
    lblLetter_MouseDown(*f.ctx, 2, 0, 0);
    EXPECT_EQ(a.lblLetter[2]->text(), "maj e");
}

// The questions as timelines on the recorder: bytes and due times.
class PlaybackTest : public FlowTest {
protected:
    PlaybackTest() {
        port.load();
        f.ctx->port = &port;
    }
    // "time: bytes" of every message the device got since `from`, times from the first.
    QStringList heard(size_t from = 0) {
        QStringList out;
        const std::vector<platform::TimedMessage> m = midi.messages();
        for (size_t i = from; i < m.size(); ++i) {
            QStringList bytes;
            for (quint8 b : platform::shortMessageBytes(m[i].message))
                bytes << QString("%1").arg(b, 2, 16, QChar('0')).toUpper();
            out << QString("%1: %2").arg(m[i].timeMs - m[from].timeMs).arg(bytes.join(' '));
        }
        return out;
    }
    platform::RecorderMidiDevices midi;
    sound::MidiPort port{&midi};
};

TEST_F(PlaybackTest, IntervalsPlayTheCurrentItemThreeTimes) {
    f.window.practice = true;
    build(3);   // C major, a major third below
    f.state.items.ItemBelow[2] = false;
    f.state.items.ItemTonic[2] = 2;
    const qint64 before = clock.nowMs();
    cmdSpeaker_Click(*f.ctx, 5);   // any speaker: the current item plays
    EXPECT_EQ(heard(), (QStringList{"0: 90 40 7F", "1000: 80 40 00", "1000: 90 3C 7F", "2000: 80 3C 00"}));
    EXPECT_EQ(clock.nowMs() - before, 2000);   // the click returns once it has sounded
    EXPECT_EQ(f.state.ItemPlayCount[1], 1);
    cmdNext_Click(*f.ctx);
    size_t from = midi.messages().size();
    cmdSpeaker_Click(*f.ctx, 2);
    EXPECT_EQ(heard(from), (QStringList{"0: 90 3E 7F", "1000: 80 3E 00", "1000: 90 42 7F", "2000: 80 42 00"}));
    cmdSpeaker_Click(*f.ctx, 2);
    cmdSpeaker_Click(*f.ctx, 2);
    from = midi.messages().size();
    cmdSpeaker_Click(*f.ctx, 2);
    EXPECT_EQ(shown(), "Sorry!: Interval played 3 times already.");
    EXPECT_EQ(dialogs.shown[0].style, platform::Exclamation);
    EXPECT_EQ(midi.messages().size(), from);
    EXPECT_EQ(f.state.ItemPlayCount[2], 3);
    // Once marked there is no limit; the counter still counts.
    f.state.ExerciseRunning = false;
    cmdSpeaker_Click(*f.ctx, 2);
    EXPECT_EQ(f.state.ItemPlayCount[2], 4);
}

TEST_F(PlaybackTest, EveryLessonsSequence) {
    NotationArrays& a = *f.arrays;
    ItemTables& t = f.state.items;
    for (int i = 1; i <= 2; ++i) ASSERT_TRUE(a.tmMeter.load(i));
    f.state.ExerciseRunning = true;

    // Chords: a first-inversion major triad with the doubled top, held two seconds.
    f.state.CurrentLesson = 3;
    f.state.CurrentItem = 1;
    t.ItemChordKind[1] = 1;
    t.ItemTonic[1] = 0;
    t.ItemInversion[1] = 1;
    t.DoubleTopNote = true;
    size_t from = midi.messages().size();
    cmdSpeaker_Click(*f.ctx, 1);
    EXPECT_EQ(heard(from), (QStringList{"0: 90 48 7F", "0: 90 40 7F", "0: 90 43 7F", "0: 90 4C 7F", "2000: 80 48 00",
                                        "2000: 80 40 00", "2000: 80 43 00", "2000: 80 4C 00"}));
    cmdSpeaker_Click(*f.ctx, 1);
    from = midi.messages().size();
    cmdSpeaker_Click(*f.ctx, 1);
    EXPECT_EQ(midi.messages().size(), from);
    EXPECT_EQ(shown(), "Sorry!: Chord played 2 times already.");

    // Melody in 2/4 (a bar of 2000 ms): the arpeggio the first time only; a 2000 ms note gets
    // no click inside it; the accent on every whole bar.
    f.state.CurrentLesson = 2;
    f.state.ItemPlayCount = {};
    put(a.tmMeter[1], "Pulses", 1);
    t.ItemTonic[1] = 0;
    t.NoteTable = {{0, 500}, {2, 1500}, {4, 2000}, {5, 1000}};
    from = midi.messages().size();
    cmdSpeaker_Click(*f.ctx, 1);
    QStringList first = heard(from);
    ASSERT_GT(first.size(), 8);
    EXPECT_EQ(first.mid(first.size() - 17),
              (QStringList{"6000: 90 3C 7F", "6000: C9 00", "6000: 99 4B 7F", "6000: 89 4B 00", "6500: 80 3C 00",
                           "6500: 90 3E 4B", "8000: 80 3E 00", "8000: 90 40 7F", "8000: C9 00", "8000: 99 4B 7F",
                           "8000: 89 4B 00", "10000: 80 40 00", "10000: 90 41 7F", "10000: C9 00", "10000: 99 4B 7F",
                           "10000: 89 4B 00", "11000: 80 41 00"}))
        << first.join(" | ").toStdString();
    from = midi.messages().size();
    cmdSpeaker_Click(*f.ctx, 1);
    EXPECT_EQ(heard(from).first(), "0: 90 3C 7F");   // at once, no arpeggio

    // Rhythm in 6/8: a bar of clicks (two), beats of 1500 ms, drum key 38 on channel 9.
    f.state.CurrentLesson = 4;
    f.state.ItemPlayCount = {};
    put(a.tmMeter[1], "Pulses", 4);
    t.NoteTable = {{-20, 1500}, {-20, 1500}, {-20, 3000}};
    from = midi.messages().size();
    cmdSpeaker_Click(*f.ctx, 1);
    const QStringList rhythm = heard(from);
    EXPECT_EQ(rhythm.filter("99 4B").size(), 2);
    EXPECT_TRUE(rhythm.contains("3000: 99 26 7F")) << rhythm.join(" | ").toStdString();
    EXPECT_TRUE(rhythm.contains("4500: 99 26 4B"));
    EXPECT_TRUE(rhythm.contains("6000: 99 26 7F"));   // a new bar: the accent
    EXPECT_EQ(port.MidiChannel, 0);

    // Cadence of two notes: the reference triad first, then two four-voice chords only.
    f.state.CurrentLesson = 5;
    f.state.ItemPlayCount = {};
    put(a.tmMeter[2], "Pulses", 3);
    t.ItemTonic[2] = 0;
    t.ItemNoteTable[2] = {{7, 1000}, {7, 1000}};
    t.ItemCadencePositions[2] = {0, 0, 0};
    t.ItemCadenceKinds[2] = {0, 5, 1};
    from = midi.messages().size();
    cmdSpeaker_Click(*f.ctx, 2);
    const QStringList cadence = heard(from);
    EXPECT_EQ(cadence.filter(QRegularExpression("^3000: 9")).size(), 4) << cadence.join(" | ").toStdString();
    EXPECT_EQ(cadence.filter(QRegularExpression("^4000: 9")).size(), 4);
    EXPECT_EQ(cadence.size(), 6 + 16);

    // Time signatures: accent 127 on each bar, 60 between; a bar of 0 (no metre) accents nothing.
    f.state.CurrentLesson = 6;
    put(a.tmMeter[2], "Pulses", 2);
    t.ItemNoteTable[2] = {{0, 1000}, {2, 1000}, {4, 1000}, {5, 1000}};
    from = midi.messages().size();
    cmdSpeaker_Click(*f.ctx, 2);
    EXPECT_EQ(heard(from).filter(" 90 ").join(","), "0: 90 3C 7F,1000: 90 3E 3C,2000: 90 40 3C,3000: 90 41 7F");
    put(a.tmMeter[2], "Pulses", 0);
    from = midi.messages().size();
    cmdSpeaker_Click(*f.ctx, 2);
    EXPECT_EQ(heard(from).filter(" 90 ").first(), "0: 90 3C 3C");

    // Rhythms to play: nothing sounds and nothing counts.
    f.state.CurrentLesson = 7;
    f.state.ItemPlayCount[1] = 7;
    from = midi.messages().size();
    cmdSpeaker_Click(*f.ctx, 1);
    EXPECT_EQ(midi.messages().size(), from);
    EXPECT_EQ(f.state.ItemPlayCount[1], 7);
    EXPECT_EQ(accentVelocity(3000, 3000, 75), 127);
    EXPECT_EQ(accentVelocity(1500, 3000, 75), 75);
}

} // namespace
} // namespace lessons
