// The melody generator as the cadence and time-signature lessons call it: 1,000 calls over
// their parameter sets (target under 50 ms), and per parameter set of every lesson over
// 100,000 seeds how often it gives up, how often a compound-metre melody ends outside the
// band of beats its bars allow, and the slowest call. The rhythm generator: 1,000 calls over
// the rhythm-writing lesson's levels.
#include "student/lessons/generators/beatgrid.h"
#include "student/lessons/generators/melodygenerator.h"
#include "student/lessons/generators/rhythmgenerator.h"
#include "student/lessons/generators/tests/melodycases.h"

#include "common/random.h"

#include <benchmark/benchmark.h>
#include <chrono>

using namespace lessons;

namespace {

// Counts the draws of a call: the slowest call is the one that draws most, which is then
// timed on its own (best of many runs, so the figure is the generator's, not the scheduler's).
class CountingRandom : public common::Random {
public:
    explicit CountingRandom(uint64_t seed) : inner_(seed) {}
    double next() override {
        ++draws;
        return inner_.next();
    }
    long draws = 0;
private:
    common::SeededRandom inner_;
};

double bestMicroseconds(const MelodySpec& spec, uint64_t seed) {
    double best = 1e9;
    for (int run = 0; run < 50; ++run) {
        common::SeededRandom random(seed);
        NoteTable table(spec.noteCount);
        CadenceRecord record;
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(generateMelody(spec, table, record, random));
        best = std::min(best, std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

std::vector<cases::MelodyCase> itemLessonCases() {
    std::vector<cases::MelodyCase> all = cases::cadenceLessonCases();
    for (auto& c : cases::timeLessonCases()) all.push_back(c);
    return all;
}

void BM_ThousandItemMelodies(benchmark::State& state) {
    const auto sets = itemLessonCases();
    uint64_t seed = 1;
    for (auto _ : state) {
        common::SeededRandom random(seed++);
        NoteTable table(10);
        CadenceRecord record;
        int made = 0;
        for (int call = 0; call < 1000; ++call)
            made += generateMelody(sets[size_t(call) % sets.size()].spec, table, record, random);
        benchmark::DoNotOptimize(made);
    }
}
BENCHMARK(BM_ThousandItemMelodies)->Unit(benchmark::kMillisecond);

void BM_ThousandRhythms(benchmark::State& state) {
    // The rhythm-writing lesson's levels 1 to 6, each metre they draw.
    const RhythmSpec sets[] = {{7, 3, 2, 500},  {7, 4, 1, 500},  {8, 3, 2, 500},   {8, 4, 1, 500},
                               {9, 3, 2, 500},  {9, 4, 1, 500},  {10, 4, 4, 500},  {10, 4, 1, 250},
                               {13, 5, 2, 250}, {13, 5, 4, 500}, {13, 5, 1, 250}};
    uint64_t seed = 1;
    for (auto _ : state) {
        common::SeededRandom random(seed++);
        NoteTable table(13);
        int made = 0;
        for (int call = 0; call < 1000; ++call)
            made += CreateRhythm(sets[size_t(call) % std::size(sets)], table, random);
        benchmark::DoNotOptimize(made);
    }
}
BENCHMARK(BM_ThousandRhythms)->Unit(benchmark::kMillisecond);

// One parameter set over 100,000 seeds (one seed per call, as the builders reseed per item).
void BM_GiveUpRate(benchmark::State& state, MelodySpec spec) {
    constexpr int kSeeds = 100000;
    const SurplusBand band = surplusBand(spec.noteCount, spec.barCount, beatsPerBar(spec.pulses));
    const bool compound = isCompound(spec.pulses);
    for (auto _ : state) {
        int gaveUp = 0, outsideBand = 0;
        long mostDraws = 0;
        uint64_t slowestSeed = 0;
        for (int seed = 1; seed <= kSeeds; ++seed) {
            CountingRandom random(uint64_t(seed) * 7919);
            NoteTable table(spec.noteCount);
            CadenceRecord record;
            const bool ok = generateMelody(spec, table, record, random);
            if (random.draws > mostDraws) {
                mostDraws = random.draws;
                slowestSeed = uint64_t(seed) * 7919;
            }
            if (!ok) {
                ++gaveUp;
                continue;
            }
            int surplus = 0;
            for (int i = 1; i <= spec.noteCount; ++i)
                surplus += surplusTwelfths(shortestIndex(table.duration(i)), compound);
            outsideBand += surplus < 12 * band.least || surplus > 12 * band.greatest;
        }
        state.counters["gave_up_per_1000"] = 1000.0 * gaveUp / kSeeds;
        state.counters["outside_band_per_1000"] = 1000.0 * outsideBand / kSeeds;
        state.counters["most_draws"] = double(mostDraws);
        state.counters["slowest_us"] = bestMicroseconds(spec, slowestSeed);
    }
}

struct Registrar {
    Registrar() {
        std::vector<cases::MelodyCase> all = cases::melodyLessonCases();
        for (auto& c : itemLessonCases()) all.push_back(c);
        for (const auto& c : all)
            benchmark::RegisterBenchmark(("BM_GiveUpRate/" + c.name).toStdString().c_str(), BM_GiveUpRate, c.spec)
                ->Iterations(1)
                ->Unit(benchmark::kMillisecond);
    }
} registrar;

} // namespace

BENCHMARK_MAIN();
