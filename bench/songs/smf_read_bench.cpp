// Reading a standard MIDI file of about 1 MB whose tempo changes on every beat (73,000 changes,
// as a recorded performance's tempo map can have), with a note on each beat. The song player
// reads the file as the song opens; the target is under 100 ms.
#include "platform/songs/smf.h"

#include <benchmark/benchmark.h>

namespace {

std::vector<uint8_t> denseTempoFile(uint32_t beats) {
    constexpr uint32_t Beat = 480;
    platform::SmfFile file(Beat);
    file.addTrack();
    file.addTrack();
    for (uint32_t k = 0; k < beats; ++k) {
        file.tracks()[0].tempo(k * Beat, 400000 + k % 7 * 25000);
        file.tracks()[1].note(k * Beat, Beat / 2, 0, 48 + int(k % 24), 90);
    }
    return file.encode();
}

void BM_ReadDenseTempoMap(benchmark::State& state) {
    const std::vector<uint8_t> bytes = denseTempoFile(uint32_t(state.range(0)));
    for (auto _ : state) {
        platform::SmfSong song;
        if (!platform::readSmf(bytes, &song)) state.SkipWithError("the file did not read");
        benchmark::DoNotOptimize(song.events.data());
    }
    state.counters["file_kB"] = double(bytes.size()) / 1000.0;
}
BENCHMARK(BM_ReadDenseTempoMap)->Arg(73000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
