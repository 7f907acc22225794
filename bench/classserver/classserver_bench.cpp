// The class server at classroom scale and beyond:
//   BM_RosterRebuild        30 classes x 40 students x 7 lessons (22 classes shown, 8 of other
//                           products): the tree and the list of a class of 40, rebuilt
//   BM_RosterStudentList    the list of one student's lessons
//   BM_ClassReportToPdf     a class of 40 students: read, laid out, written as PDF
//   BM_LargeReportPreview   View > Report of a class of 1,000 students: from the command until
//                           the preview window shows its pages
//   BM_LargeReportPdf       the same report's preview writing its PDF file
//   BM_CappedHostileImport  one Refresh of a student program whose profile is a valid 16 MiB
//                           text of 1,000 full players and half a million more: the time, the
//                           longest the window's event loop waited, and what was skipped
//   BM_RefreshWithFrozenComputers  one Refresh of a room of 30 real student programs (the class
//                           link bench's, 20 players each), 3 of them frozen (stopped with
//                           SIGSTOP, as a laptop gone to sleep), at the real 5 s deadline: how
//                           long the teacher waits
//
//   classserver_bench                          runs the benchmarks
//   classserver_bench --hostile-client <port>  (internal) the student program of the import
#include <benchmark/benchmark.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <csignal>
#include <ctime>

#include "classserver/catalogue.h"
#include "classserver/classdatabase.h"
#include "classserver/classpoll.h"
#include "classserver/classreport.h"
#include "classserver/classserver.h"
#include "classserver/frmhallbrin.h"
#include "classserver/profileimport.h"
#include "common/report/reportpreview.h"
#include "common/storedtext/storedtext.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "student/shell/classlink/classlinkclient.h"

namespace {

constexpr int kWaitLimitMs = 120000;

QString templatePath() { return platform::Paths::shareFolder() + "/" + classserver::kTemplateName; }

// Students of the given classes, perClass each, with 7 lesson rows each, in one transaction.
void fillClasses(const QString& db, const QVector<int>& classes, int perClass = 40) {
    classserver::DbConnection c(db);
    c.db().transaction();
    QSqlQuery student(c.db()), lesson(c.db());
    student.prepare("INSERT INTO Student (StudentName, ComputerName, ClassID, Password) VALUES (?, ?, ?, ?)");
    lesson.prepare("INSERT INTO Lesson (StudentID, LessonNumber, LessonName, Difficulty, TotExercises, LLevel, Average, "
                   "HighestLevel, Attempts) VALUES (?, ?, ?, 'Incremental', ?, ?, ?, ?, ?)");
    const auto& catalogue = classserver::LessonCatalogue::instance();
    int n = 0;
    for (int cls : classes) {
        for (int s = 0; s < perClass; ++s, ++n) {
            student.addBindValue(QString("Student %1").arg(n, 4, 10, QChar('0')));
            student.addBindValue(QString("LAB-%1").arg(n % 30, 2, 10, QChar('0')));
            student.addBindValue(cls);
            student.addBindValue(QString("pw%1").arg(n));
            student.exec();
            const qint64 id = student.lastInsertId().toLongLong();
            for (int k = 1; k <= 7; ++k) {
                lesson.addBindValue(id);
                lesson.addBindValue(k);
                lesson.addBindValue(catalogue.Lessons2Name[k]);
                lesson.addBindValue(catalogue.Lessons2Info[k][1]);
                lesson.addBindValue(1 + (n + k) % 6);
                lesson.addBindValue(40 + (n * 7 + k) % 60);
                lesson.addBindValue((n + k) % 14);
                lesson.addBindValue((n + k) % 5);
                lesson.exec();
            }
        }
    }
    c.db().commit();
}

QVector<int> thirtyClasses() {
    QVector<int> classes;
    for (int id = 0; id < 30; ++id) classes << id;  // 0..21 shown, 22..29 of another product
    return classes;
}

// The window on a class database of its own, filled with perClass students in each class.
struct RosterWindow {
    QTemporaryDir data;
    platform::ScriptedDialogs dialogs;
    std::unique_ptr<classserver::frmHallbrin> w;
    explicit RosterWindow(const QVector<int>& classes = thirtyClasses(), int perClass = 40) {
        platform::Dialogs::setInstance(&dialogs);
        classserver::HallbrinOptions o;
        o.dataFolder = data.path();
        o.port = quint16(0);
        o.address = QHostAddress::LocalHost;
        w = std::make_unique<classserver::frmHallbrin>(o);
        w->Form_Load();
        fillClasses(w->DatabasePath, classes, perClass);
        w->resize(1000, 700);
        w->show();
        w->UpdateTreeView();
    }
    ~RosterWindow() {
        w.reset();
        platform::Dialogs::setInstance(nullptr);
    }
};

void BM_RosterRebuild(benchmark::State& state) {
    RosterWindow room;
    room.w->tvwLesson->setCurrentItem(room.w->tvwLesson->findNode("Class 14"));
    for (auto _ : state) {
        room.w->UpdateTreeView();
        room.w->UpdateListView();
        QCoreApplication::processEvents();  // and drawn
    }
    int students = 0;
    for (QTreeWidgetItemIterator it(room.w->tvwLesson); *it; ++it) students += classserver::nodeTag(*it) == "student";
    state.counters["students_in_tree"] = students;
    state.counters["list_rows"] = room.w->lvwLesson->topLevelItemCount();
}

void BM_RosterStudentList(benchmark::State& state) {
    RosterWindow room;
    QTreeWidgetItem* cls = room.w->tvwLesson->findNode("Class 14");
    room.w->tvwLesson->setCurrentItem(cls->child(17));
    for (auto _ : state) {
        room.w->UpdateListView();
        QCoreApplication::processEvents();
    }
    state.counters["list_rows"] = room.w->lvwLesson->topLevelItemCount();
}

void BM_ClassReportToPdf(benchmark::State& state) {
    QTemporaryDir dir;
    const QString db = dir.path() + "/report.mdb";
    classserver::makeWorkingCopy(templatePath(), db);
    fillClasses(db, {14});
    QByteArray pdf;
    int pages = 0;
    for (auto _ : state) {
        classserver::ClassReport report;
        classserver::loadClassReport(db, 14, classserver::ReportFilter(), &report);
        common::ReportPreview preview(classserver::classReportDocument(report, QDate(2024, 10, 7)), "Student Scores");
        pdf = preview.pdfBytes();
        pages = preview.pageCount();
    }
    state.counters["pdf_KiB"] = pdf.size() / 1024.0;
    state.counters["pages"] = pages;
}

// A class of 1,000 students in the window, its class node selected.
struct LargeClassWindow : RosterWindow {
    LargeClassWindow() : RosterWindow({14}, 1000) { w->tvwLesson->setCurrentItem(w->tvwLesson->findNode("Class 14")); }
    // View > Report, until the preview shows its pages.
    common::ReportPreview* openReport() {
        w->mnuViewReport_Click();
        common::ReportPreview* preview = w->rptStudentScores;
        while (preview && !(preview->isVisible() && preview->preview->pageCount() > 0))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QCoreApplication::processEvents();  // and drawn
        return preview;
    }
};

void BM_LargeReportPreview(benchmark::State& state) {
    LargeClassWindow room;
    int pages = 0;
    for (auto _ : state) {
        common::ReportPreview* preview = room.openReport();
        if (!preview) {
            state.SkipWithError("no report was shown");
            return;
        }
        pages = preview->preview->pageCount();
    }
    state.counters["pages"] = pages;
}

void BM_LargeReportPdf(benchmark::State& state) {
    LargeClassWindow room;
    common::ReportPreview* preview = room.openReport();
    if (!preview) {
        state.SkipWithError("no report was shown");
        return;
    }
    const QString path = room.data.path() + "/Student Scores.pdf";
    for (auto _ : state) {
        QString why;
        if (!preview->exportPdf(path, &why)) {
            state.SkipWithError(why.toStdString().c_str());
            return;
        }
    }
    state.counters["pdf_KiB"] = QFileInfo(path).size() / 1024.0;
    state.counters["pages"] = preview->pageCount();
}

// ---- The hostile profile -------------------------------------------------------------------

// A valid profile as large as one answer may be: 1,000 players of the first product with a
// result in each of its 98 lessons, then tiny players up to the limit.
QString hostileProfile() {
    const qsizetype limit = (classserver::kMaxDataAnswerBytes - 64) / 4 * 3 - 64;  // plain text of a 16 MiB answer
    QString text;
    text.reserve(limit);
    for (int p = 0; p < classserver::kMaxPlayersPerProfile; ++p) {
        text += QString("begin\r\nname=Player %1\r\npassword=pw%1\r\nupper=89\r\nlower=79\r\n").arg(p);
        for (int k = 1; k <= 98; ++k) text += QString("lesson%1=L%2S%3M%4Q%5\r\n").arg(k).arg(2 + k % 5).arg(50 + k % 50).arg(k % 9).arg(k % 4);
        text += "practice=false\r\ninterval=3\r\nend\r\n";
    }
    for (int f = 0;; ++f) {
        const QString block = QString("begin\r\nname=F%1\r\nend\r\n").arg(f);
        if (text.size() + block.size() > limit) break;
        text += block;
    }
    return text;
}

int runHostileClient(quint16 port) {
    QTemporaryDir folder;
    common::SaveStoredText(folder.path() + "/Tonvale.txt", hostileProfile());
    classlink::writeClientConfig(folder.path() + "/Client.cfg", "127.0.0.1", QString::number(port));
    classlink::ClassLinkClient client;
    client.setDataFolder(folder.path());
    client.setComputerNameSource([] { return QStringLiteral("HOSTILE"); });
    client.ConnectToServer();
    std::printf("ready\n");
    std::fflush(stdout);
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (!client.isConnected()) loop.quit();
    });
    check.start(50);
    QTimer::singleShot(kWaitLimitMs, &loop, &QEventLoop::quit);
    loop.exec();
    return 0;
}

qint64 threadCpuUs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

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

void BM_CappedHostileImport(benchmark::State& state) {
    QTemporaryDir dir;
    const QString db = dir.path() + "/default.mdb";
    classserver::ClassServer server;
    server.setRequestTimeoutMs(30000);
    if (server.listen(0, QHostAddress::LocalHost) != classserver::ListenResult::Listening) {
        state.SkipWithError("cannot listen");
        return;
    }
    QProcess student;
    student.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    student.start(QCoreApplication::applicationFilePath(), {"--hostile-client", QString::number(server.port())});
    if (!runUntil([&] { return server.clientCount() == 1; })) {
        state.SkipWithError("the student program did not connect");
        return;
    }
    classserver::PollReport report;
    qint64 worstStall = 0, worstBusyUs = 0, worstBusyWallUs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(db);
        classserver::makeWorkingCopy(templatePath(), db);
        state.ResumeTiming();
        // The window's loop: a tick every 5 ms, and the longest wait between two.
        QElapsedTimer sinceTick;
        qint64 stall = 0;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            stall = qMax(stall, sinceTick.restart());
        });
        // And the longest the loop was busy between two waits, in the thread's own CPU time: what
        // the window's thread itself did, apart from the time the machine gave to others.
        // The same in wall time shows whether the thread ever waited on something (a lock, the
        // worker) in the middle of its work.
        qint64 busy = 0, awakeAt = -1, busyWall = 0;
        QElapsedTimer awakeWall;
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
        const QMetaObject::Connection woke = QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [&] {
            awakeAt = threadCpuUs();
            awakeWall.start();
        });
        const QMetaObject::Connection blocks =
            QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [&] {
                if (awakeAt >= 0) {
                    busy = qMax(busy, threadCpuUs() - awakeAt);
                    busyWall = qMax(busyWall, awakeWall.nsecsElapsed() / 1000);
                }
                awakeAt = -1;
            });
        classserver::ClassPoll poll(server);
        bool finished = false;
        QObject::connect(&poll, &classserver::ClassPoll::finished, [&] { finished = true; });
        sinceTick.start();
        tick.start(5);
        poll.start(db);
        runUntil([&] { return finished; });
        stall = qMax(stall, sinceTick.elapsed());
        tick.stop();
        QObject::disconnect(woke);
        QObject::disconnect(blocks);
        report = poll.report();
        worstStall = qMax(worstStall, stall);
        worstBusyUs = qMax(worstBusyUs, busy);
        worstBusyWallUs = qMax(worstBusyWallUs, busyWall);
    }
    state.counters["import_ms"] = double(report.importMs);
    state.counters["players_imported"] = report.players;
    state.counters["players_skipped"] = report.playersSkipped;
    state.counters["longest_event_loop_wait_ms"] = double(worstStall);
    state.counters["longest_busy_cpu_ms"] = worstBusyUs / 1000.0;
    state.counters["longest_busy_wall_ms"] = worstBusyWallUs / 1000.0;
    server.beginShutdown();
    runUntil([&] { return server.clientCount() == 0; });
    if (!student.waitForFinished(10000)) student.kill();
}

void BM_RefreshWithFrozenComputers(benchmark::State& state) {
    constexpr int kRoom = 30, kFrozen = 3;
    if (QStringLiteral(CLASSLINK_BENCH).isEmpty()) {
        state.SkipWithError("the class link bench, whose student programs this uses, is not built");
        return;
    }
    QTemporaryDir dir;
    const QString db = dir.path() + "/default.mdb";
    classserver::ClassServer server;  // the real deadline
    if (server.listen(0, QHostAddress::LocalHost) != classserver::ListenResult::Listening) {
        state.SkipWithError("cannot listen");
        return;
    }
    const QString port = QString::number(server.port());
    QProcess awake, asleep;
    for (QProcess* p : {&awake, &asleep}) p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    awake.start(QStringLiteral(CLASSLINK_BENCH), {"--clients", QString::number(kRoom - kFrozen), "--port", port});
    if (!runUntil([&] { return server.clientCount() == kRoom - kFrozen; })) {
        state.SkipWithError("the student programs did not connect");
        return;
    }
    asleep.start(QStringLiteral(CLASSLINK_BENCH), {"--clients", QString::number(kFrozen), "--port", port});
    if (!runUntil([&] { return server.clientCount() == kRoom; })) {
        state.SkipWithError("the student programs did not connect");
        return;
    }
    ::kill(pid_t(asleep.processId()), SIGSTOP);
    classserver::PollReport report;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(db);
        classserver::makeWorkingCopy(templatePath(), db);
        state.ResumeTiming();
        classserver::ClassPoll poll(server);
        bool finished = false;
        QObject::connect(&poll, &classserver::ClassPoll::finished, [&] { finished = true; });
        poll.start(db);
        runUntil([&] { return finished; });
        report = poll.report();
    }
    ::kill(pid_t(asleep.processId()), SIGCONT);
    state.counters["programs"] = report.asked;
    state.counters["answered"] = report.answered;
    state.counters["silent"] = report.silent.size();
    state.counters["players_imported"] = report.players;
    server.beginShutdown();
    runUntil([&] { return server.clientCount() == 0; });
    for (QProcess* p : {&awake, &asleep})
        if (!p->waitForFinished(10000)) p->kill();
}

BENCHMARK(BM_RosterRebuild)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RosterStudentList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ClassReportToPdf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LargeReportPreview)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_LargeReportPdf)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CappedHostileImport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_RefreshWithFrozenComputers)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int at = args.indexOf("--hostile-client");
    if (at > 0 && at + 1 < args.size()) return runHostileClient(quint16(args.at(at + 1).toInt()));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
