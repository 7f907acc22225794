// The melody generator's rules, checked over every parameter set the lessons use and many
// seeds, plus the give-up and fallback paths under constant generators.
#include "melodycases.h"

#include "student/lessons/generators/beatgrid.h"
#include "student/lessons/generators/melodygenerator.h"

#include "common/random.h"
#include "platform/dialogs.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <algorithm>
#include <map>
#include <set>

using namespace lessons;
using lessons::cases::MelodyCase;

namespace {

constexpr int kSeedsPerCase = 2000;

int stepOfSemitones(int semis) {
    for (int x = 0; x <= 14; ++x)
        if (stepSemitones(x) == semis) return x;
    return -100;
}

int degree(int step) { return ((step % 7) + 7) % 7; }

std::vector<int> startSteps(int mask) {
    if (mask == 0 || mask == 1) return {0};
    std::vector<int> s;
    for (int b = 1; b <= 8; ++b)
        if (mask & (1 << (b - 1))) s.push_back(b - 1);
    return s;
}

// Pitch classes above the tonic of the chords the cadences name.
const std::map<QString, std::set<int>> kChordTones = {
    {"I", {0, 4, 7}}, {"IV", {5, 9, 0}}, {"V", {7, 11, 2}}, {"vi", {9, 0, 4}}, {"V7", {7, 11, 2, 5}}};

struct CadenceChords {
    const char* first;
    const char* second;
    int option;
};
const std::map<QString, CadenceChords> kCadences = {
    {"V-I Open", {"V", "I", cadence::VI}},        {"V-I Close", {"V", "I", cadence::VI}},
    {"V-VI", {"V", "vi", cadence::Vvi}},          {"IV-I", {"IV", "I", cadence::IVI}},
    {"IV-V", {"IV", "V", cadence::IVV}},          {"I-V", {"I", "V", cadence::IV}},
    {"V7-I Open", {"V7", "I", cadence::V7I}},     {"V7-I Close", {"V7", "I", cadence::V7I}},
    {"V7-VI", {"V7", "vi", cadence::V7vi}},
};

// The four voices the cadence chord player sounds under a top note (a, b, c below it).
std::set<int> voicedPitchClasses(int top, int kind, int position) {
    struct Voicing {
        int kind, position, a, b, c;
    };
    static const Voicing table[] = {
        {1, 0, 3, 7, 19}, {1, 1, 5, 8, 12}, {1, 2, 4, 9, 16}, {2, 0, 4, 7, 19}, {2, 1, 5, 9, 12},
        {2, 2, 3, 8, 15}, {5, 0, 3, 6, 10}, {5, 1, 2, 5, 8},  {5, 2, 4, 6, 9},  {5, 3, 3, 7, 9},
    };
    for (const Voicing& v : table)
        if (v.kind == kind && v.position == position) {
            std::set<int> pcs;
            for (int n : {top, top - v.a, top - v.b, top - v.c}) pcs.insert(((n % 12) + 12) % 12);
            return pcs;
        }
    return {};
}

// Everything a successful melody must satisfy; returns the first broken rule.
QString brokenRule(const MelodySpec& spec, const NoteTable& t, const CadenceRecord& rec) {
    const int n = spec.noteCount;
    const bool compound = spec.pulses > 3;
    const int beat = compound ? 1500 : 1000;
    const SurplusBand band = surplusBand(n, spec.barCount, beatsPerBar(spec.pulses));
    std::vector<int> steps(size_t(n) + 1);
    for (int i = 1; i <= n; ++i) {
        steps[size_t(i)] = stepOfSemitones(t.pitch(i));
        if (steps[size_t(i)] < 0) return QStringLiteral("note %1 is no scale step").arg(i);
    }
    const auto [lo, hi] = std::minmax_element(steps.begin() + 1, steps.end());
    bool inRange = false;
    for (int s : startSteps(spec.startMask)) inRange |= *lo >= s && *hi <= s + spec.stepRange - 1;
    if (!inRange) return QStringLiteral("steps %1..%2 leave every range").arg(*lo).arg(*hi);

    const int k = shortestIndex(spec.shortestDuration);
    int pos = 0, surplus = 0;
    for (int i = 1; i <= n; ++i) {
        const int d = t.duration(i);
        const int idx = int(std::find(kDurations.begin(), kDurations.end(), d) - kDurations.begin());
        if (idx > k || idx >= 5) return QStringLiteral("note %1 lasts %2").arg(i).arg(d);
        if ((k == 3 && d == 750) || (k == 1 && d == 1500)) return QStringLiteral("note %1 lasts %2").arg(i).arg(d);
        const int p = pos % beat;
        if (p + d > beat) return QStringLiteral("note %1 crosses a beat").arg(i);
        if ((d == 750 || d == 1500) && p != 0) return QStringLiteral("dotted note %1 off the beat").arg(i);
        if (!compound && i >= n - 1 && p == 0 && d != 1000)
            return QStringLiteral("cadence note %1 on a beat lasts %2").arg(i).arg(d);
        pos += d;
        surplus += surplusTwelfths(idx, compound);
    }
    if (surplus > 12 * band.greatest) return QStringLiteral("shorter than N - L beats");
    if (!compound && surplus < 12 * band.least) return QStringLiteral("longer than N - A beats");

    if (!spec.allowRepeat)
        for (int i = 2; i < n; ++i)
            if (steps[size_t(i)] == steps[size_t(i - 1)]) return QStringLiteral("note %1 repeats").arg(i);

    if (rec.isEmpty()) return spec.stepRange > 3 ? QStringLiteral("no cadence recorded") : QString();
    const auto c = kCadences.find(rec.name);
    if (c == kCadences.end()) return QStringLiteral("unknown cadence ") + rec.name;
    if (!(spec.cadenceOptions & c->second.option)) return rec.name + QStringLiteral(" is not allowed");
    const int top1 = t.pitch(n - 1), top2 = t.pitch(n);
    if (voicedPitchClasses(top1, rec.kinds[1], rec.positions[1]) != kChordTones.at(c->second.first))
        return rec.name + QStringLiteral(": the first chord is not ") + c->second.first;
    if (voicedPitchClasses(top2, rec.kinds[2], rec.positions[2]) != kChordTones.at(c->second.second))
        return rec.name + QStringLiteral(": the second chord is not ") + c->second.second;
    const bool endsOnTonic = degree(steps[size_t(n)]) == 0;
    if (rec.name.endsWith(QLatin1String("Close")) != endsOnTonic && rec.name.contains(QLatin1String("-I ")))
        return rec.name + QStringLiteral(" and a melody ending on degree %1").arg(degree(steps[size_t(n)]));
    return QString();
}

QString ending(const NoteTable& t, int n) {
    static const char* names[] = {"do", "re", "mi", "fa", "sol", "la", "ti"};
    return QStringLiteral("%1-%2").arg(names[degree(stepOfSemitones(t.pitch(n - 1)))],
                                      names[degree(stepOfSemitones(t.pitch(n)))]);
}

class MelodyProperties : public ::testing::TestWithParam<MelodyCase> {};

TEST_P(MelodyProperties, EverySeedEndsAndEverySuccessKeepsTheRules) {
    const MelodyCase& c = GetParam();
    int failures = 0;
    for (int seed = 1; seed <= kSeedsPerCase; ++seed) {
        common::SeededRandom random{uint64_t(seed)};
        NoteTable table(c.spec.noteCount);
        CadenceRecord record;
        if (!generateMelody(c.spec, table, record, random)) {
            ++failures;
            continue;
        }
        const QString broken = brokenRule(c.spec, table, record);
        ASSERT_TRUE(broken.isEmpty()) << qPrintable(c.name) << " seed " << seed << ": " << qPrintable(broken);
    }
    // bench/lessons reports the rates over 100,000 seeds; here a guard. Lessons 5 and 6 give up
    // on fewer than one item in a thousand; the melody lesson's V-I alone leaves a second-last
    // ti no ending (do is not in the I set), so about a melody in 400 gives up there.
    const bool melodyLesson = c.name.startsWith(QLatin1String("lesson2"));
    EXPECT_LE(failures, melodyLesson ? kSeedsPerCase / 50 : kSeedsPerCase / 1000) << qPrintable(c.name);
}

INSTANTIATE_TEST_SUITE_P(AllLessons, MelodyProperties, ::testing::ValuesIn(cases::allMelodyCases()),
                         [](const auto& info) {
                             QString n = info.param.name;
                             n.replace(QRegularExpression("[^A-Za-z0-9]"), "_");
                             return n.toStdString();
                         });

// Constant draws make every rule fail: the call still ends, says so, and keeps within range.
TEST(MelodyGenerator, ConstantDrawsEndWithTheMessageAndKeepToTheRange) {
    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride guard(&dialogs);
    for (const MelodyCase& c : cases::allMelodyCases()) {
        for (double v : {0.0, 0.999999}) {
            common::ScriptedRandom random({v});
            NoteTable table(c.spec.noteCount);
            CadenceRecord record;
            const int shownBefore = dialogs.shown.size();
            const bool ok = CreateMelody(c.spec, table, record, random);
            if (!ok) {
                ASSERT_EQ(dialogs.shown.size(), shownBefore + 1);
                EXPECT_EQ(dialogs.shown.back().text, "Failed to create Melody!");
                EXPECT_EQ(dialogs.shown.back().title, "Fatal!");
                EXPECT_EQ(dialogs.shown.back().style, platform::Critical);
            }
            const int s = v == 0.0 ? 0 : startSteps(c.spec.startMask).back();
            for (int i = 1; i <= c.spec.noteCount; ++i) {
                const int step = stepOfSemitones(table.pitch(i));
                EXPECT_GE(step, s) << qPrintable(c.name) << " draw " << v << " note " << i;
                EXPECT_LE(step, s + c.spec.stepRange - 1) << qPrintable(c.name) << " draw " << v << " note " << i;
            }
        }
    }
}

TEST(MelodyGenerator, CadenceOptionsDecideTheEndings) {
    struct Case {
        int options;
        std::set<QString> endings;   // every ending that occurs, and nothing else
    };
    // V-I alone: the second-last note is re, sol or ti and the last mi or sol; ti can reach
    // neither within two steps, so re-mi and sol-sol remain. V7-vi alone still uses V7.
    const Case cases[] = {{cadence::VI, {"re-mi", "sol-sol"}},
                          {cadence::V7vi, {"ti-la", "re-do", "fa-mi", "sol-la"}}};
    for (const Case& c : cases) {
        MelodySpec spec = cases::itemSpec({"4/4", 3, 3, 250}, c.options);
        std::set<QString> seen;
        for (int seed = 1; seed <= 500; ++seed) {
            common::SeededRandom random{uint64_t(seed)};
            NoteTable table(10);
            CadenceRecord record;
            if (!generateMelody(spec, table, record, random)) continue;
            seen.insert(ending(table, 10));
        }
        EXPECT_EQ(seen, c.endings) << c.options;
    }
}

// Each attempt starts from a clear record, so a melody that ends without a cadence never
// carries one of an earlier melody or attempt.
TEST(MelodyGenerator, TheRecordIsClearedAtEveryCall) {
    CadenceRecord record;
    record.name = "IV-I";
    record.positions = {0, 2, 0};
    record.kinds = {0, 1, 1};
    MelodySpec spec = cases::melodyLessonCases().front().spec;   // three steps: no cadence check
    int withoutCadence = 0;
    for (int seed = 1; seed <= 200; ++seed) {
        common::SeededRandom random{uint64_t(seed)};
        NoteTable table(spec.noteCount);
        generateMelody(spec, table, record, random);
        const QString e = ending(table, spec.noteCount);
        if (e != "re-mi" && e != "sol-sol") {
            EXPECT_TRUE(record.isEmpty()) << seed << " " << qPrintable(e);
            ++withoutCadence;
        }
    }
    EXPECT_GT(withoutCadence, 0);
}

TEST(Generators, SurplusBandsOfTheLessons) {
    struct Case {
        int notes, bars, beatsPerBar, least, greatest;
    };
    const Case cases[] = {
        {10, 3, 4, 2, 4},   // lesson 5, 4/4: B = 5 > 4, L = 4.5 rounds to 4
        {10, 4, 3, 1, 3},   // lesson 5 and 6, 3/4
        {10, 6, 2, 0, 1},   // lesson 5, 2/4
        {10, 5, 2, 2, 3},   // lesson 5, 6/8
        {10, 4, 2, 4, 4},   // lesson 6 in 6/8 and the rhythm lesson's level 4: L = 2.5 rounds
                            // to 2, raised to A (ten notes in three bars of two beats)
        {10, 4, 4, 0, 1},   // lesson 6, 4/4
        {7, 3, 3, 1, 3},    {8, 3, 3, 2, 4},   // 3.5 rounds to 4
        {5, 3, 0, 5, 5},    // a metre without beats: L = A
    };
    for (const Case& c : cases) {
        const SurplusBand b = surplusBand(c.notes, c.bars, c.beatsPerBar);
        EXPECT_EQ(b.least, c.least) << c.notes << "/" << c.bars << "/" << c.beatsPerBar;
        EXPECT_EQ(b.greatest, c.greatest) << c.notes << "/" << c.bars << "/" << c.beatsPerBar;
    }
}

// Fixed seeds give fixed melodies: a change in the rules or the draws shows here first.
TEST(MelodyGenerator, GoldenMelodiesForFixedSeeds) {
    struct Golden {
        const char* parameters;
        uint64_t seed;
        std::vector<int> pitches, durations;
        const char* cadence;
    };
    const Golden golden[] = {
        {"lesson2 level 2 3/4", 7, {4, 0, 4, 4}, {1000, 1000, 1000, 1000}, ""},
        {"lesson2 level 13 6/8", 7, {7, 9, 11, 14, 17, 19, 17, 16, 12, 19, 19},
         {500, 500, 500, 500, 1000, 1000, 500, 1500, 1500, 1500, 1500}, "V-I Open"},
        {"lesson5 options 3 4/4", 2024, {7, 11, 12, 16, 9, 7, 5, 12, 14, 16},
         {500, 250, 250, 1000, 500, 250, 250, 1000, 1000, 1000}, "V-I Open"},
        {"lesson5 options 127 2/4", 7, {16, 14, 12, 9, 7, 9, 11, 14, 11, 9},
         {1000, 500, 500, 1000, 1000, 1000, 1000, 1000, 1000, 1000}, "V7-VI"},
        {"lesson6 options 31 6/8", 2024, {7, 4, 11, 12, 16, 9, 7, 4, 7, 7},
         {500, 1000, 1500, 1500, 1500, 500, 500, 500, 1000, 500}, "V-I Open"},
        {"lesson6 options 7 3/4", 7, {7, 2, 0, 7, 11, 12, 11, 7, 4, 2},
         {500, 500, 500, 500, 500, 500, 1000, 1000, 1000, 1000}, "I-V"},
    };
    const auto all = cases::allMelodyCases();
    for (const Golden& g : golden) {
        const auto c = std::find_if(all.begin(), all.end(), [&](const MelodyCase& m) { return m.name == g.parameters; });
        ASSERT_NE(c, all.end()) << g.parameters;
        common::SeededRandom random{g.seed};
        NoteTable table(c->spec.noteCount);
        CadenceRecord record;
        ASSERT_TRUE(generateMelody(c->spec, table, record, random)) << g.parameters;
        std::vector<int> p, d;
        for (int i = 1; i <= c->spec.noteCount; ++i) {
            p.push_back(table.pitch(i));
            d.push_back(table.duration(i));
        }
        EXPECT_EQ(p, g.pitches) << g.parameters;
        EXPECT_EQ(d, g.durations) << g.parameters;
        EXPECT_EQ(record.name, g.cadence) << g.parameters;
    }
}

} // namespace
