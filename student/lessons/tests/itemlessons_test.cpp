// The builders of the chord, cadence and time-signature lessons by level: what each set holds
// (chord kinds and inversions, metres, bars, keys, cadences, palette states), checked against
// the lesson tables and, for the keys, against the music library's key theory.
#include "lessontestsupport.h"

#include "student/lessons/generators/beatgrid.h"
#include "student/lessons/itemset.h"
#include "student/lessons/lesson3/chordexercise.h"
#include "student/lessons/lesson5/cadenceexercise.h"
#include "student/lessons/lesson6/timesignatureexercise.h"

#include "common/random.h"
#include "music/musickey/keychordtheory.h"
#include "platform/dialogs.h"

#include <QSet>
#include <gtest/gtest.h>

namespace lessons {
namespace {

using music::KeyChordTheory;
using testing::LessonFixture;

class RandomOverride {
public:
    explicit RandomOverride(common::Random& r) { common::Random::setInstance(&r); }
    ~RandomOverride() { common::Random::setInstance(nullptr); }
};

// The major tonic of a key signature in semitones from C, folded into -6..6 (G flat +6,
// F sharp -6), from the key theory; C for a key outside -7..7.
int theoryTonic(int key) {
    if (!KeyChordTheory::isKey(key)) return 0;
    static const int kWhite[8] = {0, 0, 2, 4, 5, 7, 9, 11};
    const int letter = KeyChordTheory::tonicLetter(key, KeyChordTheory::mMajor);
    const int acc = KeyChordTheory::keyAccidental(key, letter);
    int pc = kWhite[letter] + (acc == KeyChordTheory::mSharp ? 1 : acc == KeyChordTheory::mFlat ? -1 : 0);
    pc = ((pc % 12) + 12) % 12;
    if (pc == 6) return key < 0 ? 6 : -6;
    return pc > 6 ? pc - 12 : pc;
}

QSet<int> tonicsOf(int lowKey, int highKey) {
    QSet<int> s;
    for (int k = lowKey; k <= highKey; ++k) s.insert(theoryTonic(k));
    return s;
}

class ItemLessonTest : public ::testing::Test {
protected:
    void build(int lesson, int level, uint64_t seed) {
        common::SeededRandom random(seed);
        RandomOverride guard(random);
        f.state.CurrentLesson = qint16(lesson);
        f.state.CurrentLevel = qint16(level + 1);
        if (lesson == 3) NewChordExercise(*f.ctx);
        if (lesson == 5) NewCadenceExercise(*f.ctx);
        if (lesson == 6) NewTimeSignatureExercise(*f.ctx);
    }
    // Eight speakers and answer lines, item 1's live, no answers, the instruction shown.
    void expectFreshSet(const char* instruction) {
        NotationArrays& a = *f.arrays;
        EXPECT_EQ(a.cmdSpeaker.count() - 1, 8);
        EXPECT_EQ(a.LineBase.count() - 1, 8);
        EXPECT_EQ(a.lblLetter.count() - 1, 0);
        EXPECT_EQ(a.lblAs[1]->text(), QString::fromLatin1(instruction));
        for (int i = 1; i <= 8; ++i) {
            EXPECT_EQ(a.cmdSpeaker[i]->isEnabled(), i == 1) << i;
            EXPECT_EQ(a.LineBase[i]->DrawMode(), i == 1 ? 13 : 16) << i;
            EXPECT_EQ(f.state.ItemPlayCount[size_t(i)], 0);
        }
        EXPECT_EQ(a.cmdSpeaker.Left(5), a.cmdSpeaker.Left(0) - 5000);
        EXPECT_EQ(a.cmdSpeaker.Top(5), a.cmdSpeaker.Top(0));
        EXPECT_EQ(f.state.CurrentItem, 1);
        EXPECT_TRUE(f.state.ExerciseRunning);
        EXPECT_EQ(f.controls.lblLevel->text(), QString::number(f.state.CurrentLevel - 1));
    }

    LessonFixture f;
};

TEST_F(ItemLessonTest, ChordLevelsDrawTheirKindsInversionsAndDoubledTop) {
    struct Row {
        int level, kinds, inversions;
        bool doubleTop;
    };
    const Row rows[] = {{1, 2, 4, true},  {2, 3, 1, false}, {3, 4, 1, false}, {4, 4, 2, false}, {5, 4, 3, false},
                        {6, 5, 1, true},  {7, 6, 1, true},  {8, 7, 1, true},  {9, 8, 1, true},  {10, 8, 2, true},
                        {11, 8, 3, true}, {12, 8, 4, true}, {0, 8, 4, true},  {40, 8, 4, true}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.level);
        // The lowest and the highest draws give the bounds of the row.
        for (double v : {0.0, 0.999999}) {
            common::ScriptedRandom random({v});
            RandomOverride guard(random);
            const ChordQuestion q = drawChordQuestion(r.level);
            EXPECT_EQ(q.kind, v == 0.0 ? 1 : r.kinds);
            EXPECT_EQ(q.inversion, v == 0.0 ? 0 : r.inversions - 1);
            EXPECT_EQ(q.doubleTop, r.doubleTop);
        }
        // Key, quality, then inversion, in that order.
        common::ScriptedRandom random({0.0, 0.999999, 0.0});
        RandomOverride guard(random);
        const ChordQuestion q = drawChordQuestion(r.level);
        EXPECT_EQ(q.kind, r.kinds);
        EXPECT_EQ(q.inversion, 0);
    }
}

TEST_F(ItemLessonTest, ChordRootsFollowTheKeyDrawWithCInSevenOfFifteen) {
    int c = 0;
    for (int k = 0; k < 15; ++k) {
        common::ScriptedRandom random({(k + 0.5) / 15.0, 0.0});
        RandomOverride guard(random);
        const int root = drawChordQuestion(1).root;
        EXPECT_EQ(root, theoryTonic(k - 1)) << "key " << k - 1;
        c += root == 0;
    }
    EXPECT_EQ(c, 7);
}

TEST_F(ItemLessonTest, ChordSetsTwiceInARow) {
    for (int level : {1, 6, 12}) {
        SCOPED_TRACE(level);
        for (uint64_t seed : {3u, 4u}) {
            build(3, level, seed);
            expectFreshSet("You have 2 chances to listen to the chord. Click the speaker button to play it.");
            const ItemTables& t = f.state.items;
            for (int i = 1; i <= 8; ++i) {
                EXPECT_TRUE(tonicsOf(-1, 13).contains(t.ItemTonic[size_t(i)]));
                EXPECT_GE(t.ItemChordKind[size_t(i)], 1);
                EXPECT_LE(t.ItemChordKind[size_t(i)], level == 1 ? 2 : level == 6 ? 5 : 8);
                EXPECT_LE(t.ItemInversion[size_t(i)], level == 6 ? 0 : 3);
            }
            EXPECT_EQ(t.DoubleTopNote, level != 2 && level != 3 && level != 4 && level != 5);
            EXPECT_EQ(f.state.tools.LessonFramePointer(), kPointerCross);
        }
    }
}

// The item lessons' metres as the lessons give them: Pulses, NoteValue, bars passed to the
// generator, shortest note.
struct Metre {
    int pulses, noteValue, bars, shortest;
};
const Metre kCadenceMetres[4] = {{3, 2, 3, 250}, {2, 2, 4, 250}, {1, 2, 6, 250}, {4, 3, 5, 500}};
const Metre kTimeMetres[4] = {{3, 2, 4, 250}, {2, 2, 4, 250}, {1, 2, 5, 250}, {4, 3, 4, 500}};

const Metre* metreOf(const Metre (&table)[4], int pulses) {
    for (const Metre& m : table)
        if (m.pulses == pulses) return &m;
    return nullptr;
}

// The cadence names each option allows.
QSet<QString> namesOf(int options) {
    QSet<QString> s;
    if (options & 1) s << "V-I Open" << "V-I Close";
    if (options & 2) s << "IV-I";
    if (options & 4) s << "I-V";
    if (options & 8) s << "IV-V";
    if (options & 16) s << "V-VI";
    if (options & 32) s << "V7-VI";
    if (options & 64) s << "V7-I Open" << "V7-I Close" << "V7-VI";
    return s;
}

// An item's melody: ten notes of the metre's values whose length fits its bars.
void expectMelodyFits(const std::vector<TimedNote>& notes, const Metre& m) {
    ASSERT_EQ(notes.size(), 10u);
    const bool compound = m.pulses > 3;
    const SurplusBand band = surplusBand(10, m.bars, beatsPerBar(m.pulses));
    int surplus = 0;
    for (const TimedNote& n : notes) {
        EXPECT_GE(n.ms, m.shortest);
        surplus += surplusTwelfths(shortestIndex(n.ms), compound);
    }
    EXPECT_LE(surplus, 12 * band.greatest);
    if (!compound) {
        EXPECT_GE(surplus, 12 * band.least);
    }
}

TEST_F(ItemLessonTest, CadenceLevelsSetMetresKeysCadencesAndThePalette) {
    struct Row {
        int level, lowKey, highKey, options;
        bool perfectOnly;
    };
    const Row rows[] = {{1, -1, 1, 3, true},   {2, -1, 2, 7, true},   {3, -1, 2, 15, true}, {4, -1, 2, 31, true},
                        {5, -1, 2, 31, false}, {6, -2, 2, 127, false}, {8, -3, 3, 127, false}, {10, -7, 6, 127, false}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.level);
        QSet<int> pulses;
        QSet<QString> names;
        for (uint64_t seed = 1; seed <= 6; ++seed) {
            build(5, r.level, seed);
            expectFreshSet("You have 3 chances to listen to the cadence. Click the speaker button to play it.");
            const ItemTables& t = f.state.items;
            for (int i = 1; i <= 8; ++i) {
                SCOPED_TRACE(i);
                QWidget* metre = f.arrays->tmMeter[i];
                ASSERT_NE(metre, nullptr);
                const Metre* m = metreOf(kCadenceMetres, getInt(metre, "Pulses"));
                ASSERT_NE(m, nullptr);
                EXPECT_EQ(getInt(metre, "NoteValue"), m->noteValue);
                EXPECT_FALSE(f.arrays->tmMeter.Visible(i));
                EXPECT_EQ(f.arrays->tmMeter.Tag(i), "2");
                EXPECT_TRUE(f.flags.get(5, i));
                pulses << m->pulses;
                EXPECT_TRUE(tonicsOf(r.lowKey, r.highKey).contains(t.ItemTonic[size_t(i)])) << t.ItemTonic[size_t(i)];
                expectMelodyFits(t.ItemNoteTable[size_t(i)], *m);
                EXPECT_TRUE(namesOf(r.options).contains(t.ItemCadenceName[size_t(i)]))
                    << t.ItemCadenceName[size_t(i)].toStdString();
                names << t.ItemCadenceName[size_t(i)];
                EXPECT_NE(t.ItemCadenceKinds[size_t(i)][1], 0);
            }
            const ToolState& tools = f.state.tools;
            EXPECT_EQ(tools.Enabled("frmFloatingCadence", 1), r.perfectOnly);
            EXPECT_EQ(tools.Enabled("frmFloatingCadence", 2), !r.perfectOnly);
            EXPECT_EQ(tools.Enabled("frmFloatingCadence", 3), !r.perfectOnly);
            for (int b = 4; b <= 6; ++b) EXPECT_TRUE(tools.Enabled("frmFloatingCadence", b));
        }
        EXPECT_EQ(pulses.size(), 4);   // every metre turns up in 48 items
        EXPECT_GE(names.size(), 2);
    }
}

TEST_F(ItemLessonTest, TimeSignatureLevelsSetMetresKeysAndTheAnswerKeys) {
    struct Row {
        int level, metres, lowKey, highKey, options;
    };
    const Row rows[] = {{1, 2, -1, 1, 3},    {2, 3, -1, 2, 7},    {3, 4, -1, 2, 15},  {4, 4, -1, 2, 31},
                        {6, 4, -2, 2, 127},  {8, 4, -3, 3, 127},  {10, 4, -7, 6, 127}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.level);
        QSet<int> pulses;
        for (uint64_t seed = 1; seed <= 6; ++seed) {
            build(6, r.level, seed);
            expectFreshSet("You have 3 chances to listen to the cadence. Click the speaker button to play it.");
            const ItemTables& t = f.state.items;
            for (int i = 1; i <= 8; ++i) {
                SCOPED_TRACE(i);
                QWidget* metre = f.arrays->tmMeter[i];
                ASSERT_NE(metre, nullptr);
                const Metre* m = metreOf(kTimeMetres, getInt(metre, "Pulses"));
                ASSERT_NE(m, nullptr);
                EXPECT_LT(m - kTimeMetres, r.metres);
                EXPECT_EQ(getInt(metre, "NoteValue"), m->noteValue);
                EXPECT_FALSE(f.arrays->tmMeter.Visible(i));
                EXPECT_EQ(f.arrays->tmMeter.Tag(i), "2");
                EXPECT_TRUE(f.flags.get(1, i));
                EXPECT_FALSE(f.flags.get(1, i + 8));
                pulses << m->pulses;
                EXPECT_TRUE(tonicsOf(r.lowKey, r.highKey).contains(t.ItemTonic[size_t(i)]));
                expectMelodyFits(t.ItemNoteTable[size_t(i)], *m);
                EXPECT_TRUE(namesOf(r.options).contains(t.ItemCadenceName[size_t(i)]));
            }
            EXPECT_EQ(f.arrays->tmMeter.ubound(), 8);
        }
        EXPECT_EQ(pulses.size(), r.metres);
    }
}

// An item whose melody cannot be made is made again; only the last call tells the student,
// and the item keeps what the generator left (no cadence of another item).
TEST_F(ItemLessonTest, AnItemMelodyThatCannotBeMadeIsToldOnce) {
    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride guard(&dialogs);
    common::ScriptedRandom random({0.0});
    RandomOverride randomGuard(random);
    f.state.items.ItemCadenceName[2] = "V7-VI";   // what an earlier item had: not allowed here
    MakeItemMelody(*f.ctx, 2, itemMelodySpec(cadenceLessonMetre(0), 3));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Failed to create Melody!");
    EXPECT_EQ(dialogs.shown[0].title, "Fatal!");
    EXPECT_EQ(f.state.items.ItemNoteTable[2].size(), 10u);
    EXPECT_NE(f.state.items.ItemCadenceName[2], "V7-VI");
}

} // namespace
} // namespace lessons
