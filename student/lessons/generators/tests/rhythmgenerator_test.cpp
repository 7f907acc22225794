// The rhythm generator over every parameter set of the rhythm lessons and many seeds.
#include "student/lessons/generators/beatgrid.h"
#include "student/lessons/generators/rhythmgenerator.h"

#include "common/random.h"

#include <QString>
#include <gtest/gtest.h>

#include <algorithm>

using namespace lessons;

namespace {

struct RhythmCase {
    const char* name;
    RhythmSpec spec;
};

// Lesson 4 by shown level and lesson 7 by CurrentLevel, each metre the level can draw
// (Pulses 3 is 4/4, 2 is 3/4, 1 is 2/4, 4 is 6/8).
const RhythmCase kCases[] = {
    {"lesson4 level 1 3/4", {7, 3, 2, 500}},   {"lesson4 level 1 2/4", {7, 4, 1, 500}},
    {"lesson4 level 2 3/4", {8, 3, 2, 500}},   {"lesson4 level 2 2/4", {8, 4, 1, 500}},
    {"lesson4 level 3 3/4", {9, 3, 2, 500}},   {"lesson4 level 3 2/4", {9, 4, 1, 500}},
    {"lesson4 level 4 6/8", {10, 4, 4, 500}},  {"lesson4 level 4 2/4", {10, 4, 1, 250}},
    {"lesson4 level 5 3/4", {13, 5, 2, 250}},  {"lesson4 level 5 6/8", {13, 5, 4, 500}},
    {"lesson4 level 6 3/4", {13, 5, 2, 250}},  {"lesson4 level 6 2/4", {13, 5, 1, 250}},
    {"lesson4 level 6 6/8", {13, 5, 4, 500}},
    {"lesson7 level 2 3/4", {5, 3, 2, 500}},   {"lesson7 level 3 4/4", {6, 3, 3, 500}},
    {"lesson7 level 4 4/4", {7, 3, 3, 500}},   {"lesson7 level 4 3/4", {7, 3, 2, 500}},
    {"lesson7 level 5 4/4", {8, 3, 3, 500}},   {"lesson7 level 5 3/4", {8, 3, 2, 500}},
    {"lesson7 level 5 2/4", {8, 5, 1, 500}},   {"lesson7 level 6 4/4", {8, 3, 3, 250}},
    {"lesson7 level 6 3/4", {8, 3, 2, 250}},   {"lesson7 level 6 2/4", {8, 5, 1, 250}},
    {"lesson7 level 7 4/4", {9, 3, 3, 250}},   {"lesson7 level 7 3/4", {9, 3, 2, 250}},
    {"lesson7 level 8 4/4", {10, 3, 3, 250}},  {"lesson7 level 9 4/4", {11, 3, 3, 250}},
    {"lesson7 level 9 3/4", {11, 3, 2, 250}},  {"lesson7 level 9 2/4", {11, 5, 1, 250}},
    {"lesson7 level 10 4/4", {12, 3, 3, 250}}, {"lesson7 level 10 3/4", {12, 3, 2, 250}},
    {"lesson7 level 10 2/4", {12, 5, 1, 250}}, {"lesson7 level 11 4/4", {13, 3, 3, 250}},
    {"lesson7 level 11 3/4", {13, 4, 2, 250}}, {"lesson7 level 11 6/8", {13, 5, 4, 500}},
    {"lesson7 level 12 4/4", {14, 4, 3, 250}}, {"lesson7 level 12 3/4", {14, 5, 2, 250}},
    {"lesson7 level 12 2/4", {12, 5, 1, 250}}, {"lesson7 level 12 6/8", {12, 5, 4, 500}},
};

// Everything a rhythm must satisfy; returns the first broken rule.
QString brokenRule(const RhythmSpec& spec, const NoteTable& t) {
    const bool compound = isCompound(spec.pulses);
    const int beat = beatMs(spec.pulses);
    const int k = shortestIndex(spec.shortestDuration);
    const SurplusBand band = surplusBand(spec.noteCount, spec.barCount, beatsPerBar(spec.pulses));
    int pos = 0, surplus = 0;
    for (int i = 1; i <= spec.noteCount; ++i) {
        const int d = t.duration(i);
        const int idx = int(std::find(kDurations.begin(), kDurations.end(), d) - kDurations.begin());
        if (t.pitch(i) != NoteTable::kUnpitched) return QStringLiteral("note %1 is pitched").arg(i);
        if (idx > k || (k == 3 && d == 750) || (k == 1 && d == 1500))
            return QStringLiteral("note %1 lasts %2").arg(i).arg(d);
        const int r = pos % beat;
        if (r + d > beat) return QStringLiteral("note %1 crosses a beat").arg(i);
        if ((d == 750 || d == 1500) && r != 0) return QStringLiteral("dotted note %1 off the beat").arg(i);
        if (!compound && i >= spec.noteCount - 1 && r == 0 && d != 1000)
            return QStringLiteral("last note %1 on a beat lasts %2").arg(i).arg(d);
        if (!compound && i > 1 && t.duration(i - 1) == 750 && d != 250)
            return QStringLiteral("note %1 completes a 750 with %2").arg(i).arg(d);
        pos += d;
        surplus += surplusTwelfths(idx, compound);
    }
    if (surplus < 12 * band.least) return QStringLiteral("overruns its bars");
    if (surplus > 12 * band.greatest) return QStringLiteral("shorter than N - L beats");
    return QString();
}

TEST(RhythmGenerator, EveryRhythmOfTheLessonsFitsItsBarsAndItsBeats) {
    for (const RhythmCase& c : kCases) {
        for (int seed = 1; seed <= 2000; ++seed) {
            common::SeededRandom random{uint64_t(seed)};
            NoteTable table(c.spec.noteCount);
            ASSERT_TRUE(CreateRhythm(c.spec, table, random)) << c.name << " seed " << seed;
            const QString broken = brokenRule(c.spec, table);
            ASSERT_TRUE(broken.isEmpty()) << c.name << " seed " << seed << ": " << qPrintable(broken);
        }
    }
}

TEST(RhythmGenerator, TheShortestValueDecidesWhatIsDrawn) {
    struct Case {
        RhythmSpec spec;
        std::vector<int> allowed;
    };
    const Case cases[] = {
        {{4, 3, 3, 1000}, {1000}},             // 1500 refused, only 1000 left
        {{6, 3, 3, 500}, {1000, 500}},         // no 750; 1500 never fits a simple beat
        {{4, 3, 4, 300}, {1500}},              // no such value: as 1500
        {{4, 3, 4, 1500}, {1500}},
    };
    for (const Case& c : cases) {
        for (int seed = 1; seed <= 200; ++seed) {
            common::SeededRandom random{uint64_t(seed)};
            NoteTable table(c.spec.noteCount);
            ASSERT_TRUE(CreateRhythm(c.spec, table, random)) << c.spec.shortestDuration;
            for (int i = 1; i <= c.spec.noteCount; ++i)
                ASSERT_NE(std::find(c.allowed.begin(), c.allowed.end(), table.duration(i)), c.allowed.end())
                    << c.spec.shortestDuration << " gave " << table.duration(i);
        }
    }
}

// A rule set nothing can meet ends after its bounded redraws, reports it, and keeps row 0 and
// column 0 as the caller left them.
TEST(RhythmGenerator, ImpossibleRulesAndConstantDrawsEndAndReport) {
    struct Case {
        RhythmSpec spec;
        double draw;
    };
    const Case cases[] = {
        {{4, 3, 3, 300}, 0.5},        // only 1500, which no simple beat holds
        {{10, 4, 1, 250}, 0.0},       // every draw 1500
        {{10, 4, 1, 250}, 0.999999},  // every draw a sixteenth
        {{13, 5, 4, 500}, 0.999999},
    };
    for (const Case& c : cases) {
        common::ScriptedRandom random({c.draw});
        NoteTable table(c.spec.noteCount);
        table.set(0, 1, 7);
        table.set(NoteTable::kDuration, 0, 9);
        EXPECT_FALSE(CreateRhythm(c.spec, table, random)) << c.spec.noteCount << " " << c.draw;
        EXPECT_EQ(table.get(0, 1), 7);
        EXPECT_EQ(table.duration(0), 9);
        EXPECT_EQ(table.pitch(c.spec.noteCount), NoteTable::kUnpitched);
    }
}

} // namespace
