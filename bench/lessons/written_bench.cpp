// Marking the longest written answers on the real arrays, offscreen: lesson 2's top level
// (eleven notes, a key signature, beams; target under 1 ms) and lesson 4's (thirteen notes).
#include "student/staff/tests/written/writtenfixture.h"

#include "platform/paths.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using lessons::testing::WrittenFixture;

void markRepeatedly(benchmark::State& state, void (*write)(WrittenFixture&)) {
    WrittenFixture f;
    write(f);
    double score = 0;
    // Marking colours widgets and sets tool tips, so nothing of it can be optimised away (and
    // DoNotOptimize of this library version garbles a double held in a register).
    for (auto _ : state) score = f.mark();
    state.counters["score"] = score;
    state.counters["symbols"] = f.arrays->NoteSymbol.ubound();
}

void BM_ScoreMelodyTopLevel(benchmark::State& state) { markRepeatedly(state, lessons::testing::writeTopLevelMelody); }
void BM_ScoreRhythmTopLevel(benchmark::State& state) { markRepeatedly(state, lessons::testing::writeTopLevelRhythm); }

BENCHMARK(BM_ScoreMelodyTopLevel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScoreRhythmTopLevel)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir data;
    platform::Paths::setDataFolder(data.path());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
