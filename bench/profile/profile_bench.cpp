// Loading and saving a profile of 1,000 players (target: under 20 ms each).
#include "student/profile/playersession.h"
#include "student/profile/profilestore.h"

#include "common/storedtext/storedtext.h"
#include "platform/paths.h"
#include "platform/vexel/vexel.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace tonvale;

namespace {

constexpr int kPlayers = 1000;

QString profileOf(int players) {
    QString text;
    for (int i = 0; i < players; ++i) {
        text += QStringLiteral("begin\r\nname=Player%1\r\npassword=pw%1\r\nupper=89\r\nlower=79\r\n").arg(i, 4, 10, QChar('0'));
        for (int lesson = 1; lesson <= 7; ++lesson)
            text += QStringLiteral("lesson%1=L%2S%3M%4Q%5\r\n").arg(lesson).arg(lesson + 1).arg(80 + lesson).arg(lesson).arg(i % 50);
        text += QStringLiteral("practice=false\r\ninterval=3\r\nend\r\n");
    }
    return text;
}

struct Folder {
    Folder() {
        platform::Paths::setDataFolder(dir.path());
        common::SaveStoredText(ProfileStore::profilePath(), profileOf(kPlayers));
    }
    QTemporaryDir dir;
};

Folder& folder() {
    static Folder f;
    return f;
}

// The profile read and decoded, and the player list built from it (the player dialog's load).
void BM_LoadProfile(benchmark::State& state) {
    folder();
    for (auto _ : state) {
        const ProfileText p = ProfileStore::read();
        const QVector<PlayerEntry> players = ProfileStore::scanPlayers(p.text);
        if (players.size() != kPlayers) state.SkipWithError("players missing");
        benchmark::DoNotOptimize(players.data());
    }
}
BENCHMARK(BM_LoadProfile)->Unit(benchmark::kMillisecond);

// One player's block rewritten: read, rebuild, then the profile and its backup written safely.
void BM_SaveProfile(benchmark::State& state) {
    folder();
    PlayerSession s;
    s.PlayerName = QStringLiteral("Player0500");
    s.PlayerPassword = QStringLiteral("pw500");
    for (auto _ : state) {
        ++s.AttemptCount[3];
        if (ProfileStore::SaveProfile(s, 3, 2) != ProfileStore::SaveResult::Saved) state.SkipWithError("not saved");
    }
}
BENCHMARK(BM_SaveProfile)->Unit(benchmark::kMillisecond);

// The whole file rebuilt from the player dialog's list and written.
void BM_SaveProfiles(benchmark::State& state) {
    folder();
    const ProfileText p = ProfileStore::read();
    const QVector<PlayerEntry> players = ProfileStore::scanPlayers(p.text);
    for (auto _ : state) {
        if (!ProfileStore::SaveProfiles(p, players)) state.SkipWithError("not saved");
    }
}
BENCHMARK(BM_SaveProfiles)->Unit(benchmark::kMillisecond);

// The same write without the file system: encode and build only.
void BM_EncodeProfile(benchmark::State& state) {
    const QString text = profileOf(kPlayers);
    for (auto _ : state) benchmark::DoNotOptimize(platform::Vexel::EncodeText(text, platform::kStoredTextKey));
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
}
BENCHMARK(BM_EncodeProfile)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
