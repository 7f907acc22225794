// Lessons 3, 5 and 6 end to end on the real main window, offscreen, with the recorder as MIDI
// device and a seeded random stream: a test-mode set started from the lesson list, item 1
// heard and compared with the item's tables, every item answered on the palettes (two wrong),
// Stop with its colours, score, saved record and list row, and Go with a fresh set.
#include "shelltestsupport.h"

#include "common/random.h"
#include "music/framework/dispatch.h"
#include "platform/clock.h"
#include "student/lessons/itemscorers.h"
#include "student/palettes/paletteregistry.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

namespace shell {
namespace {

using testing::ShellTest;
using testing::click;

// A note-on: its key and velocity.
struct NoteOn {
    int key, velocity;
};

class ItemLessons : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        common::Random::setInstance(&random_);
    }
    void TearDown() override {
        common::Random::setInstance(nullptr);
        ShellTest::TearDown();
    }

    // Ann in test mode with `record` for `lesson`, the lesson started from the list: yes to the
    // test-mode question, OK to the announcement.
    std::unique_ptr<FrmTonvale> started(int lesson, const char* record) {
        writeProfile(testing::lines({"begin", "name=Ann", "password=pw", "upper=85", "lower=70", "practice=false",
                                     "interval=3", record, "end"}));
        auto frm = loadedWindow();
        scriptLogin("Ann", "pw");
        frm->runMenuCommand("mnuGamePlayer");
        frm->lvwLesson->clearSelection();
        frm->lvwLesson->topLevelItem(lesson - 1)->setSelected(true);
        dialogs_.answers = {platform::AnsYes, platform::AnsOk};
        dialogs_.shown.clear();
        frm->cmdStart_Click();
        return frm;
    }

    // Eight speakers and lines, item 1's live, no answers yet.
    void expectFreshSet(FrmTonvale& frm) {
        NotationArrays& a = *frm.arrays;
        EXPECT_EQ(a.cmdSpeaker.count() - 1, 8);
        EXPECT_EQ(a.LineBase.count() - 1, 8);
        EXPECT_EQ(a.lblLetter.count() - 1, 0);
        for (int i = 1; i <= 8; ++i) {
            EXPECT_EQ(a.cmdSpeaker[i]->isEnabled(), i == 1) << i;
            EXPECT_EQ(a.LineBase[i]->DrawMode(), i == 1 ? 13 : 16) << i;
            EXPECT_EQ(frm.state.ItemPlayCount[size_t(i)], 0);
        }
        EXPECT_EQ(frm.state.CurrentItem, 1);
        EXPECT_TRUE(frm.state.ExerciseRunning);
        EXPECT_TRUE(frm.Timer1->isActive());
    }

    // The note-ons of item 1's question; a further play up to the limit, then the refusal.
    std::vector<NoteOn> playItemOne(FrmTonvale& frm, int limit, const QString& refusal) {
        const size_t from = midi_.messages().size();
        frm.arrays->cmdSpeaker[1]->click();
        std::vector<NoteOn> ons;
        const auto m = midi_.messages();
        for (size_t i = from; i < m.size(); ++i) {
            const auto b = platform::shortMessageBytes(m[i].message);
            if (b.size() == 3 && b[0] == 0x90 && b[2] > 0) ons.push_back({b[1], b[2]});
        }
        for (int p = 2; p <= limit; ++p) frm.arrays->cmdSpeaker[1]->click();
        dialogs_.shown.clear();
        const size_t before = midi_.messages().size();
        frm.arrays->cmdSpeaker[1]->click();
        EXPECT_EQ(messageTexts(), QStringList{"Sorry!: " + refusal});
        EXPECT_EQ(midi_.messages().size(), before);
        return ons;
    }

    void press(FrmTonvale& frm, const char* window, const QString& key) {
        palettes::PaletteWindow* w = frm.paletteWindows().palette(window);
        ASSERT_NE(w, nullptr) << window;
        QToolButton* b = w->findChild<QToolButton*>(key);
        ASSERT_NE(b, nullptr) << key.toStdString();
        ASSERT_TRUE(b->isVisibleTo(w) && b->isEnabled()) << key.toStdString();
        b->click();
    }

    // Stop: the score and the record saved; then back at the list, the lesson's row.
    void stopAndExpect(FrmTonvale& frm, int lesson, const QString& record, const QStringList& row) {
        frm.cmdStop->click();
        EXPECT_EQ(frm.lblScore->text(), "75%");
        EXPECT_FALSE(frm.Timer1->isActive());
        EXPECT_TRUE(profileText().contains("\r\n" + record + "\r\n")) << profileText().toStdString();
        EXPECT_TRUE(frm.cmdGo->isEnabled());
        checkColours();
        frm.runMenuCommand("mnuGameNewLesson");
        QTreeWidgetItem* item = frm.lvwLesson->topLevelItem(lesson - 1);
        EXPECT_EQ(QStringList({item->text(2), item->text(3), item->text(4), item->text(5)}), row);
    }

    // Started again, item 1 answered, marked; Go deals a set with nothing of that one left.
    void goAndExpectFreshSet(FrmTonvale& frm, int lesson, const std::function<void()>& answerItemOne) {
        frm.lvwLesson->clearSelection();
        frm.lvwLesson->topLevelItem(lesson - 1)->setSelected(true);
        dialogs_.answers.clear();
        frm.cmdStart_Click();
        ASSERT_EQ(frm.state.CurrentLesson, lesson);
        answerItemOne();
        frm.cmdStop->click();
        ASSERT_TRUE(frm.cmdGo->isEnabled());
        ASSERT_FALSE(frm.state.ExerciseRunning);
        frm.cmdGo->click();
        expectFreshSet(frm);
        for (int i = 1; i <= 16; ++i) EXPECT_EQ(frm.LoadedFlags.get(1, i), lesson == 6 && i <= 8) << i;
        EXPECT_EQ(frm.arrays->tmMeter.ubound(), lesson == 3 ? 0 : 8);
    }

    std::function<void()> checkColours = [] {};
    common::SeededRandom random_{20261210};
};

// The chord players' keys for a chord (root, kind, inversion, doubled top), as sounded.
std::vector<int> chordKeys(int t, int kind, int v, bool doubled) {
    std::vector<int> k;
    auto triad = [&](int q) {
        const int w = v % 3;
        k = {t + (w >= 1 ? 12 : 0), t + q + (w == 2 ? 12 : 0), t + 7};
        if (doubled) k.push_back(t + 12 + (w == 0 ? 0 : w == 1 ? q : 7));
    };
    auto seventh = [&](int q, int x) { k = {t + (v >= 1 ? 12 : 0), t + q + (v >= 2 ? 12 : 0), t + 7 + (v >= 3 ? 12 : 0), t + x}; };
    switch (kind) {
    case 1: triad(4); break;
    case 2: triad(3); break;
    case 3: k = {t, t + 3, t + 6}; break;
    case 4: k = {t, t + 4, t + 8}; break;
    case 5: seventh(4, 10); break;
    case 6: k = {t, t + 3, t + 6, t + 9}; break;
    case 7: seventh(4, 11); break;
    case 8: seventh(3, 10); break;
    }
    for (int& n : k) n += 60;
    return k;
}

std::vector<int> keysOf(const std::vector<NoteOn>& ons) {
    std::vector<int> k;
    for (const NoteOn& n : ons) k.push_back(n.key);
    return k;
}

TEST_F(ItemLessons, ChordsFromTheListToTheSavedResult) {
    platform::VirtualClock clock(50000);
    platform::ClockOverride clockGuard(&clock);
    auto frm = started(3, "lesson3=L11S80M2Q4");
    ASSERT_EQ(frm->state.CurrentLesson, 3);
    EXPECT_EQ(messageTexts(), (QStringList{"Test Mode: The Practice Mode is deactivated. Continue anyway?",
                                           "Test Mode: Starting lesson 3 exercise 10"}));
    expectFreshSet(*frm);
    EXPECT_EQ(frm->arrays->lblAs[1]->text(),
              "You have 2 chances to listen to the chord. Click the speaker button to play it.");
    // The interval palette cut down to its chord buttons.
    palettes::PaletteWindow* intervals = frm->paletteWindows().palette("frmIntervals");
    ASSERT_TRUE(intervals && intervals->isVisible());
    for (const char* key : {"Plus", "Minus", "Dim", "Aug", "7th", "dom7", "Eraser"})
        EXPECT_TRUE(intervals->findChild<QToolButton*>(key)->isVisibleTo(intervals)) << key;
    for (const char* key : {"Perfect", "Unis", "3rd", "8ve", "above", "below", "Tritone"})
        EXPECT_FALSE(intervals->findChild<QToolButton*>(key)->isVisibleTo(intervals)) << key;

    const lessons::ItemTables& t = frm->state.items;
    const std::vector<NoteOn> heard = playItemOne(*frm, 2, "Chord played 2 times already.");
    EXPECT_EQ(keysOf(heard), chordKeys(t.ItemTonic[1], t.ItemChordKind[1], t.ItemInversion[1], t.DoubleTopNote));

    // The answer of each quality; items 1 and 2 get a wrong one.
    const std::map<int, QStringList> keys = {{1, {"Plus"}},        {2, {"Minus"}},       {3, {"Dim"}},
                                             {4, {"Aug"}},         {5, {"dom7"}},        {6, {"7th", "Dim"}},
                                             {7, {"7th", "Plus"}}, {8, {"7th", "Minus"}}};
    for (int item = 1; item <= 8; ++item) {
        if (item > 1) frm->cmdNext->click();
        const int kind = t.ItemChordKind[size_t(item)];
        const int answer = item <= 2 ? (kind == 1 ? 2 : 1) : kind;
        for (const QString& k : keys.at(answer)) press(*frm, "frmIntervals", k);
        ASSERT_TRUE(frm->arrays->lblLetter.exists(item));
    }
    EXPECT_EQ(frm->arrays->lblLetter[8]->text().trimmed(),
              (QStringList{"", "maj", "min", "dim", "aug", "dom7", "dim 7", "maj 7", "min 7"}[t.ItemChordKind[8]]));
    checkColours = [&] {
        for (int item = 1; item <= 8; ++item)
            EXPECT_EQ(lessons::labelBackColor(frm->arrays->lblLetter[item]),
                      item <= 2 ? lessons::kWrongLabel : lessons::kRightLabel) << item;
    };
    stopAndExpect(*frm, 3, "lesson3=L11S79M10Q5", {"10", "83%", "79%", "5"});
    goAndExpectFreshSet(*frm, 3, [&] { press(*frm, "frmIntervals", "Plus"); });
}

// The voices the cadence chord player sounds under a top key (a, b, c below it).
std::vector<int> cadenceVoices(int top, int kind, int position) {
    struct Voicing {
        int kind, position, a, b, c;
    };
    static const Voicing table[] = {
        {1, 0, 3, 7, 19}, {1, 1, 5, 8, 12}, {1, 2, 4, 9, 16}, {2, 0, 4, 7, 19}, {2, 1, 5, 9, 12},
        {2, 2, 3, 8, 15}, {5, 0, 3, 6, 10}, {5, 1, 2, 5, 8},  {5, 2, 4, 6, 9},  {5, 3, 3, 7, 9},
    };
    for (const Voicing& v : table)
        if (v.kind == kind && v.position == position) return {top, top - v.a, top - v.b, top - v.c};
    return {};
}

// The answer button for a cadence at a level, and a wrong one.
QString cadenceButton(const QString& name, int level) {
    if (name.startsWith("V-I ") || name.startsWith("V7-I "))
        return level <= 4 ? "Perfect" : name.endsWith("Open") ? "Perfect Open" : "Perfect Close";
    if (name == "IV-I") return "Plagal";
    if (name == "IV-V" || name == "I-V") return "Imperfect";
    return "Deceptive";
}

class CadenceLesson : public ItemLessons, public ::testing::WithParamInterface<int> {};

TEST_P(CadenceLesson, FromTheListToTheSavedResult) {
    const int level = GetParam();
    platform::VirtualClock clock(50000);
    platform::ClockOverride clockGuard(&clock);
    const QString record = QStringLiteral("lesson5=L%1S80M%2Q3").arg(level + 1).arg(level);
    auto frm = started(5, record.toLatin1().constData());
    ASSERT_EQ(frm->state.CurrentLesson, 5);
    EXPECT_EQ(messageTexts().value(1), QStringLiteral("Test Mode: Starting lesson 5 exercise %1").arg(level));
    expectFreshSet(*frm);
    palettes::PaletteWindow* cadences = frm->paletteWindows().palette("frmFloatingCadence");
    ASSERT_TRUE(cadences && cadences->isVisible());
    EXPECT_TRUE(frm->menus()->item("mnuViewCadence")->isChecked());
    EXPECT_EQ(cadences->button(1)->isEnabled(), level <= 4);
    EXPECT_EQ(cadences->button(2)->isEnabled(), level > 4);
    EXPECT_EQ(cadences->button(3)->isEnabled(), level > 4);

    // Item 1: the tonic triad, the melody, its last two notes as four voices under the melody.
    const lessons::ItemTables& t = frm->state.items;
    const std::vector<NoteOn> heard = playItemOne(*frm, 3, "Cadence played 3 time already.");
    const int tonic = 60 + t.ItemTonic[1];
    const std::vector<lessons::TimedNote>& notes = t.ItemNoteTable[1];
    ASSERT_EQ(notes.size(), 10u);
    ASSERT_EQ(heard.size(), 3u + 8u + 8u);
    EXPECT_EQ(keysOf({heard.begin(), heard.begin() + 3}), (std::vector<int>{tonic, tonic + 4, tonic + 7}));
    const int bar = (lessons::getInt(frm->arrays->tmMeter[1], "Pulses") > 3 ? 1500 : 1000) *
                    lessons::GetBeatsPerBar(frm->arrays->tmMeter[1]);
    int elapsed = 0;
    for (int j = 0; j < 8; ++j) {
        EXPECT_EQ(heard[size_t(3 + j)].key, tonic + notes[size_t(j)].pitch) << j;
        EXPECT_EQ(heard[size_t(3 + j)].velocity, elapsed % bar == 0 ? 127 : 75) << j;
        elapsed += notes[size_t(j)].ms;
    }
    for (int c = 1; c <= 2; ++c) {
        const int top = tonic + notes[size_t(7 + c)].pitch;
        const std::vector<NoteOn> chord(heard.begin() + 11 + 4 * (c - 1), heard.begin() + 15 + 4 * (c - 1));
        EXPECT_EQ(keysOf(chord), cadenceVoices(top, t.ItemCadenceKinds[1][size_t(c)], t.ItemCadencePositions[1][size_t(c)]));
        for (const NoteOn& n : chord) EXPECT_LE(n.key, top);
    }

    for (int item = 1; item <= 8; ++item) {
        if (item > 1) frm->cmdNext->click();
        const QString right = cadenceButton(t.ItemCadenceName[size_t(item)], level);
        press(*frm, "frmFloatingCadence", item <= 2 ? (right == "Plagal" ? "Deceptive" : "Plagal") : right);
        ASSERT_TRUE(frm->arrays->lblLetter.exists(item));
    }
    frm->cmdPrevious->click();
    EXPECT_EQ(frm->state.CurrentItem, 7);
    // The palette closed and opened again in the middle of a set shows the level's buttons.
    frm->runMenuCommand("mnuViewCadence");
    frm->runMenuCommand("mnuViewCadence");
    cadences = frm->paletteWindows().palette("frmFloatingCadence");
    ASSERT_TRUE(cadences && cadences->isVisible());
    EXPECT_EQ(cadences->button(1)->isEnabled(), level <= 4);
    EXPECT_EQ(cadences->button(2)->isEnabled(), level > 4);

    const QString saved = QStringLiteral("lesson5=L%1S79M%2Q4").arg(level + 1).arg(level);
    checkColours = [&] {
        for (int item = 1; item <= 8; ++item)
            EXPECT_EQ(lessons::labelBackColor(frm->arrays->lblLetter[item]),
                      item <= 2 ? lessons::kWrongLabel : lessons::kRightLabel) << item;
    };
    stopAndExpect(*frm, 5, saved, {QString::number(level), level == 1 ? "16%" : "83%", "79%", "4"});
    goAndExpectFreshSet(*frm, 5, [&] { press(*frm, "frmFloatingCadence", "Plagal"); });
}

INSTANTIATE_TEST_SUITE_P(Levels, CadenceLesson, ::testing::Values(1, 5));

TEST_F(ItemLessons, TimeSignaturesFromTheListToTheSavedResult) {
    platform::VirtualClock clock(50000);
    platform::ClockOverride clockGuard(&clock);
    auto frm = started(6, "lesson6=L4S80M3Q3");
    ASSERT_EQ(frm->state.CurrentLesson, 6);
    expectFreshSet(*frm);
    palettes::PaletteWindow* time = frm->paletteWindows().palette("frmTime");
    ASSERT_TRUE(time && time->isVisible());
    EXPECT_FALSE(frm->state.tools.time().down);

    // Item 1: each note, loud on the first beat of a bar, else at 60.
    NotationArrays& a = *frm->arrays;
    const lessons::ItemTables& t = frm->state.items;
    const std::vector<NoteOn> heard = playItemOne(*frm, 3, "Melody played 3 times already.");
    const std::vector<lessons::TimedNote>& notes = t.ItemNoteTable[1];
    ASSERT_EQ(heard.size(), notes.size());
    const int bar = (lessons::getInt(a.tmMeter[1], "Pulses") > 3 ? 1500 : 1000) * lessons::GetBeatsPerBar(a.tmMeter[1]);
    int elapsed = 0;
    for (size_t j = 0; j < notes.size(); ++j) {
        EXPECT_EQ(heard[j].key, 60 + t.ItemTonic[1] + notes[j].pitch) << j;
        EXPECT_EQ(heard[j].velocity, elapsed % bar == 0 ? 127 : 60) << j;
        elapsed += notes[j].ms;
    }

    // Each item's signature set on the palette and placed with its tool; 1 and 2 wrong.
    auto set = [&](int pulses, int noteValue) {
        time->findChild<QAbstractButton*>(pulses > 3 ? "cmdGroup1" : "cmdGroup0")->click();
        time->findChild<QAbstractButton*>(QStringLiteral("cmdBeat%1").arg((pulses - 1) % 3))->click();
        time->findChild<QAbstractButton*>(QStringLiteral("cmdValue%1").arg(noteValue - 1))->click();
    };
    auto* tool = time->findChild<QWidget*>("Metre1");
    ASSERT_NE(tool, nullptr);
    for (int item = 1; item <= 8; ++item) {
        if (item > 1) frm->cmdNext->click();
        const int pulses = lessons::getInt(a.tmMeter[item], "Pulses");
        const int value = lessons::getInt(a.tmMeter[item], "NoteValue");
        set(item <= 2 ? (pulses == 1 ? 2 : 1) : pulses, value);
        click(tool);
        ASSERT_TRUE(a.tmMeter.exists(item + 8)) << item;
        EXPECT_EQ(a.tmMeter.Left(item + 8), std::floor(a.LineBase[item]->X1() / 15) * 15 + 1000);
        EXPECT_FALSE(frm->state.tools.time().down);
    }
    // Answers stay on screen whichever item is current.
    for (int item = 1; item <= 8; ++item) EXPECT_TRUE(a.tmMeter[item + 8]->isVisible()) << item;
    EXPECT_FALSE(a.tmMeter.Visible(1));

    checkColours = [&] {
        for (int item = 1; item <= 8; ++item)
            EXPECT_EQ(lessons::getInt(a.tmMeter[item + 8], "ForeColor"), item <= 2 ? 255 : 0) << item;
    };
    stopAndExpect(*frm, 6, "lesson6=L4S79M3Q4", {"3", "75%", "79%", "4"});
    goAndExpectFreshSet(*frm, 6, [&] {
        click(frm->paletteWindows().palette("frmTime")->findChild<QWidget*>("Metre1"));
        ASSERT_TRUE(a.tmMeter.exists(9));
    });
}

} // namespace
} // namespace shell
