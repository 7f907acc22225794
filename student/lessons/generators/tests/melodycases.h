#pragma once
// Every parameter set the lessons hand the melody generator, by lesson, level and metre:
// shared by the generator's property tests and bench/lessons.
#include "student/lessons/generators/melodygenerator.h"

#include <QString>
#include <vector>

namespace lessons::cases {

struct MelodyCase {
    QString name;
    MelodySpec spec;
};

struct Metre {
    const char* name;
    int pulses;
    int bars;
    int shortest;
};

// Lessons 5 and 6 ask ten notes of every item, from the tonic, a third or a fifth up.
inline MelodySpec itemSpec(const Metre& m, int options) {
    MelodySpec s;
    s.noteCount = 10;
    s.barCount = m.bars;
    s.maxLeap = 5;
    s.stepRange = 8;
    s.allowRepeat = false;
    s.pulses = m.pulses;
    s.shortestDuration = m.shortest;
    s.startMask = 21;
    s.cadenceOptions = options;
    return s;
}

inline std::vector<MelodyCase> cadenceLessonCases() {
    const Metre metres[] = {{"4/4", 3, 3, 250}, {"3/4", 2, 4, 250}, {"2/4", 1, 6, 250}, {"6/8", 4, 5, 500}};
    const int options[] = {3, 7, 15, 31, 127};   // levels 1, 2, 3, 4-5, 6 and up
    std::vector<MelodyCase> cases;
    for (int o : options)
        for (const Metre& m : metres)
            cases.push_back({QStringLiteral("lesson5 options %1 %2").arg(o).arg(m.name), itemSpec(m, o)});
    return cases;
}

inline std::vector<MelodyCase> timeLessonCases() {
    const Metre metres[] = {{"4/4", 3, 4, 250}, {"3/4", 2, 4, 250}, {"2/4", 1, 5, 250}, {"6/8", 4, 4, 500}};
    const int options[] = {3, 7, 15, 31, 127};   // levels 1, 2, 3, 4-5, 6 and up
    std::vector<MelodyCase> cases;
    for (int o : options)
        for (const Metre& m : metres)
            cases.push_back({QStringLiteral("lesson6 options %1 %2").arg(o).arg(m.name), itemSpec(m, o)});
    return cases;
}

// The melody lesson by CurrentLevel (2 = shown level 1), each metre its level can draw.
inline std::vector<MelodyCase> melodyLessonCases() {
    struct Row {
        int level, notes, range, leap, startMask, shortest;   // shortest 0: the metre's
        bool repeat;
    };
    const Row rows[] = {
        {2, 4, 3, 3, 1, 1000, true}, {3, 5, 5, 3, 1, 1000, false}, {4, 5, 5, 5, 1, 500, false},
        {5, 6, 5, 5, 1, 500, false}, {6, 7, 6, 5, 1, 500, false}, {7, 9, 8, 5, 17, 500, false},
        {8, 9, 8, 5, 21, 500, false}, {9, 9, 8, 5, 21, 0, false}, {10, 9, 8, 5, 21, 0, false},
        {11, 9, 8, 5, 21, 0, false}, {12, 10, 8, 5, 21, 0, false}, {13, 11, 8, 5, 21, 0, false},
    };
    struct LevelMetre {
        int level;
        Metre metre;
    };
    const LevelMetre metres[] = {
        {2, {"3/4", 2, 3, 250}},
        {3, {"4/4", 3, 3, 250}},
        {4, {"4/4", 3, 3, 250}}, {4, {"3/4", 2, 3, 250}},
        {5, {"4/4", 3, 3, 250}}, {5, {"3/4", 2, 3, 250}}, {5, {"2/4", 1, 4, 250}},
        {6, {"4/4", 3, 3, 250}}, {6, {"3/4", 2, 3, 250}}, {6, {"2/4", 1, 4, 250}},
        {7, {"4/4", 3, 3, 250}}, {7, {"3/4", 2, 3, 250}},
        {8, {"4/4", 3, 3, 250}},
        {9, {"4/4", 3, 3, 250}}, {9, {"3/4", 2, 3, 250}}, {9, {"2/4", 1, 4, 250}},
        {10, {"4/4", 3, 3, 250}}, {10, {"3/4", 2, 3, 250}}, {10, {"2/4", 1, 3, 250}},
        {11, {"6/8", 4, 3, 500}}, {11, {"4/4", 3, 4, 250}}, {11, {"3/4", 2, 4, 250}},
        {12, {"4/4", 3, 4, 250}}, {12, {"3/4", 2, 4, 250}}, {12, {"2/4", 1, 5, 250}}, {12, {"6/8", 4, 5, 500}},
        {13, {"4/4", 3, 4, 250}}, {13, {"3/4", 2, 4, 250}}, {13, {"2/4", 1, 5, 250}}, {13, {"6/8", 4, 5, 500}},
    };
    std::vector<MelodyCase> cases;
    for (const LevelMetre& lm : metres) {
        for (const Row& r : rows) {
            if (r.level != lm.level) continue;
            MelodySpec s;
            s.noteCount = r.notes;
            s.barCount = lm.metre.bars;
            s.maxLeap = r.leap;
            s.stepRange = r.range;
            s.allowRepeat = r.repeat;
            s.pulses = lm.metre.pulses;
            s.shortestDuration = r.shortest ? r.shortest : lm.metre.shortest;
            s.startMask = r.startMask;
            s.cadenceOptions = 1;
            cases.push_back({QStringLiteral("lesson2 level %1 %2").arg(r.level).arg(lm.metre.name), s});
        }
    }
    return cases;
}

inline std::vector<MelodyCase> allMelodyCases() {
    std::vector<MelodyCase> all = melodyLessonCases();
    for (auto& c : cadenceLessonCases()) all.push_back(c);
    for (auto& c : timeLessonCases()) all.push_back(c);
    return all;
}

} // namespace lessons::cases
