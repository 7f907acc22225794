// Refresh over 100 connected student programs, each with a profile of 20 players: the time of
// one poll with its import, and the class server's peak memory.
//
//   classlink_bench                       runs the benchmarks
//   classlink_bench --clients N --port P  (internal) the student programs of one run
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <vector>

#include <malloc.h>
#include <sys/resource.h>

#include "classserver/classdatabase.h"
#include "classserver/classpoll.h"
#include "classserver/classserver.h"
#include "common/storedtext/storedtext.h"
#include "platform/paths.h"
#include "student/shell/classlink/classlinkclient.h"

namespace {

constexpr int kClients = 100;
constexpr int kPlayers = 20;
constexpr int kWaitLimitMs = 120000;

QString profileOf(int client) {
    QString text;
    for (int p = 0; p < kPlayers; ++p) {
        text += "begin\r\nname=Player " + QString::number(client) + "-" + QString::number(p) + "\r\n";
        text += "password=pw" + QString::number(p) + "\r\nupper=89\r\nlower=79\r\n";
        for (int lesson = 1; lesson <= 7; ++lesson)
            text += QString("lesson%1=L%2S%3M%4Q%5\r\n").arg(lesson).arg(1 + (p + lesson) % 9).arg(50 + p).arg(p % 12).arg(lesson);
        text += "practice=false\r\ninterval=3\r\nend\r\n";
    }
    return text;
}

// Child mode: the student programs. Each has its own folder and computer name; they stay
// until the server sends them away or the parent goes.
int runClients(int count, quint16 port) {
    QTemporaryDir root;
    std::vector<std::unique_ptr<classlink::ClassLinkClient>> clients;
    for (int i = 0; i < count; ++i) {
        const QString folder = root.path() + "/" + QString::number(i);
        QDir().mkpath(folder);
        common::SaveStoredText(folder + "/Tonvale.txt", profileOf(i));
        classlink::writeClientConfig(folder + "/Client.cfg", "127.0.0.1", QString::number(port));
        auto c = std::make_unique<classlink::ClassLinkClient>();
        c->setDataFolder(folder);
        const QString name = QString("BENCH-%1").arg(i, 3, 10, QChar('0'));
        c->setComputerNameSource([name] { return name; });
        c->ConnectToServer();
        clients.push_back(std::move(c));
    }
    std::printf("ready\n");
    std::fflush(stdout);
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        int connected = 0;
        for (auto& c : clients) connected += c->isConnected() ? 1 : 0;
        if (connected == 0) loop.quit();
    });
    check.start(50);
    QTimer::singleShot(kWaitLimitMs, &loop, &QEventLoop::quit);
    loop.exec();
    return 0;
}

long peakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

size_t heapInUse() { return mallinfo2().uordblks; }

// Waits (bounded) with the event loop running until done() holds.
template <class Done>
bool runUntil(Done done) {
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { if (done()) loop.quit(); });
    tick.start(1);
    QTimer::singleShot(kWaitLimitMs, &loop, &QEventLoop::quit);
    if (!done()) loop.exec();
    return done();
}

struct Classroom {
    QTemporaryDir dir;
    QString db;
    classserver::ClassServer server;
    QProcess students;
    bool ok = false;

    Classroom() : db(dir.path() + "/default.mdb") {
        if (!classserver::makeWorkingCopy(platform::Paths::shareFolder() + "/" + classserver::kTemplateName, db)) return;
        // Every student program of this room connects from this one computer.
        server.setMaxConnectionsPerAddress(kClients);
        if (server.listen(0, QHostAddress::LocalHost) != classserver::ListenResult::Listening) return;
        students.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        students.start(QCoreApplication::applicationFilePath(),
                       {"--clients", QString::number(kClients), "--port", QString::number(server.port())});
        ok = runUntil([this] { return server.clientCount() == kClients; });
    }
    ~Classroom() {
        server.beginShutdown();
        runUntil([this] { return server.clientCount() == 0; });
        if (!students.waitForFinished(10000)) students.kill();
    }
    classserver::PollReport refresh() {
        classserver::ClassPoll poll(server);
        bool finished = false;
        QObject::connect(&poll, &classserver::ClassPoll::finished, [&] { finished = true; });
        poll.start(db);
        runUntil([&] { return finished; });
        return poll.report();
    }
};

void report(benchmark::State& state, const classserver::PollReport& r, long rssBefore, size_t heapBefore) {
    state.counters["clients_imported"] = r.imported;
    state.counters["players"] = r.players;
    state.counters["server_peak_rss_MiB"] = double(peakRssKiB()) / 1024.0;
    state.counters["peak_rss_growth_MiB"] = double(peakRssKiB() - rssBefore) / 1024.0;
    state.counters["heap_after_minus_before_KiB"] = (double(heapInUse()) - double(heapBefore)) / 1024.0;
}

// The first Refresh of a day: every student and lesson row is new.
void BM_FirstRefresh(benchmark::State& state) {
    Classroom room;
    if (!room.ok) {
        state.SkipWithError("the student programs did not connect");
        return;
    }
    classserver::PollReport r;
    const long rss = peakRssKiB();
    const size_t heap = heapInUse();
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(room.db);
        classserver::makeWorkingCopy(platform::Paths::shareFolder() + "/" + classserver::kTemplateName, room.db);
        state.ResumeTiming();
        r = room.refresh();
    }
    report(state, r, rss, heap);
}

// A later Refresh: the same players again, every value overwritten.
void BM_RepeatedRefresh(benchmark::State& state) {
    Classroom room;
    if (!room.ok) {
        state.SkipWithError("the student programs did not connect");
        return;
    }
    room.refresh();
    classserver::PollReport r;
    const long rss = peakRssKiB();
    const size_t heap = heapInUse();
    for (auto _ : state) r = room.refresh();
    report(state, r, rss, heap);
}

BENCHMARK(BM_FirstRefresh)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_RepeatedRefresh)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int clientsAt = args.indexOf("--clients");
    const int portAt = args.indexOf("--port");
    if (clientsAt > 0 && portAt > 0 && portAt + 1 < args.size() && clientsAt + 1 < args.size())
        return runClients(args.at(clientsAt + 1).toInt(), quint16(args.at(portAt + 1).toInt()));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
