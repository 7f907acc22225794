// Lesson 1 on the real main window, offscreen: one set built and its lesson area drawn, one
// set marked in practice mode (nothing saved); then how late a question's messages leave the
// worker thread that plays them at their times (the path of the MIDI ports other than the
// mapper), as p50 / p99 / max over a few questions.
#include "student/shell/mainwindow.h"

#include "common/random.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/midi/recordermidiout.h"
#include "platform/midi/timedsender.h"
#include "platform/paths.h"
#include "platform/songs/songplayer.h"
#include "student/lessons/exerciseflow.h"
#include "student/lessons/lesson1/intervalexercise.h"
#include "student/lessons/playback.h"
#include "student/shell/classlink/classlinkclient.h"
#include "student/sound/midiport.h"
#include "student/sound/questionplayers.h"

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>

namespace {

struct Harness {
    QTemporaryDir data;
    platform::ScriptedDialogs dialogs;
    platform::RecorderMidiDevices midi;
    platform::RecorderSongPlayer songs;
    std::unique_ptr<shell::FrmTonvale> frm;

    Harness() {
        platform::Paths::setDataFolder(data.path());
        platform::Dialogs::setInstance(&dialogs);
        platform::MidiDevices::setInstance(&midi);
        platform::SongPlayer::setInstance(&songs);
        classlink::writeClientConfig(data.filePath("Client.cfg"), "127.0.0.1", "1");
        frm = std::make_unique<shell::FrmTonvale>();
        frm->Form_Load();
        frm->show();
        frm->menus()->item("mnuPracticeMode")->setChecked(true);
        frm->fraLesson0->show();
        // The lesson area as lesson 1 shows it (the lesson list and its buttons hidden).
        frm->state.CurrentLesson = 1;
        frm->state.CurrentLevel = 6;
        frm->ResetFrameControls();
        QApplication::processEvents();
    }
    ~Harness() {
        frm.reset();
        platform::Dialogs::setInstance(nullptr);
        platform::MidiDevices::setInstance(nullptr);
        platform::SongPlayer::setInstance(nullptr);
    }
};

std::unique_ptr<Harness> g_harness;   // made on first use, gone before the application

Harness& harness() {
    if (!g_harness) g_harness = std::make_unique<Harness>();
    return *g_harness;
}

void BM_BuildAndDrawLessonOneSet(benchmark::State& state) {
    Harness& h = harness();
    lessons::LessonContext& ctx = h.frm->context();
    for (auto _ : state) {
        lessons::NewIntervalExercise(ctx);
        const QPixmap area = h.frm->fraLesson0->grab();
        benchmark::DoNotOptimize(area.cacheKey());
    }
}
BENCHMARK(BM_BuildAndDrawLessonOneSet)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The two halves of it.
void BM_BuildLessonOneSet(benchmark::State& state) {
    lessons::LessonContext& ctx = harness().frm->context();
    for (auto _ : state) lessons::NewIntervalExercise(ctx);
}
BENCHMARK(BM_BuildLessonOneSet)->Unit(benchmark::kMillisecond);

void BM_DrawLessonArea(benchmark::State& state) {
    Harness& h = harness();
    lessons::NewIntervalExercise(h.frm->context());
    for (auto _ : state) benchmark::DoNotOptimize(h.frm->fraLesson0->grab().cacheKey());
}
BENCHMARK(BM_DrawLessonArea)->Unit(benchmark::kMillisecond);

void BM_ScoreLessonOneSet(benchmark::State& state) {
    Harness& h = harness();
    lessons::LessonContext& ctx = h.frm->context();
    lessons::NewIntervalExercise(ctx);
    // Eight answers, half of them right.
    for (int i = 1; i <= 8; ++i) {
        ctx.arrays.lblLetter.load(i);
        ctx.arrays.lblLetter[i]->setText(i % 2 ? "maj 3 below" : "per 5 above");
        ctx.LoadedFlags.set(1, i, true);
    }
    for (auto _ : state) {
        ctx.state.ExerciseRunning = true;
        ctx.state.CurrentLevel = 6;
        lessons::DoScore(ctx);
    }
}
BENCHMARK(BM_ScoreLessonOneSet)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The worker path: each question's timeline scheduled on a TimedSender whose send notes how
// long after its due time a message left.
void reportWorkerLateness() {
    sound::MidiPort port(&harness().midi);
    port.load();
    std::vector<sound::Timeline> questions;
    auto capture = [&](auto&& sequence) {
        port.beginCapture();
        sequence();
        questions.push_back(port.endCapture());
    };
    for (int interval : {4, 7, 12})
        capture([&] {
            port.StartNote(qint16(interval));
            port.Wait(1000);
            port.StopNote(qint16(interval));
            port.StartNote(0);
            port.Wait(1000);
            port.StopNote(0);
        });
    capture([&] { sound::PlayDominantSeventh(port, 7, 3); });
    capture([&] {
        // A melody of eighths and quarters with its clicks.
        for (int j = 0; j < 12; ++j) {
            port.StartNote(qint16(j % 7));
            if (j % 2 == 0) sound::Metronome(port);
            port.Wait(j % 3 ? 250 : 500);
            port.StopNote(qint16(j % 7));
        }
    });

    std::mutex mutex;
    std::vector<double> lateMs;
    std::vector<qint64> dueOf;
    size_t sent = 0;
    platform::TimedSender sender([&](quint32) {
        const auto now = std::chrono::steady_clock::now();
        std::lock_guard<std::mutex> lock(mutex);
        const auto due = platform::SystemClock::timePoint(dueOf[sent++]);
        lateMs.push_back(std::chrono::duration<double, std::milli>(now - due).count());
    });
    platform::Clock& clock = platform::Clock::instance();
    size_t total = 0;
    for (const sound::Timeline& q : questions) {
        const qint64 start = clock.nowMs() + 20;
        std::vector<platform::TimedMessage> due;
        for (const platform::TimedMessage& m : q.messages) due.push_back({start + m.timeMs, m.message});
        {
            std::lock_guard<std::mutex> lock(mutex);
            for (const platform::TimedMessage& m : due) dueOf.push_back(m.timeMs);
        }
        total += due.size();
        sender.schedule(due);
        while (sender.hasPending() || clock.nowMs() < start + q.lengthMs) clock.sleepMs(5);
    }
    std::lock_guard<std::mutex> lock(mutex);
    std::sort(lateMs.begin(), lateMs.end());
    auto at = [&](double p) { return lateMs[std::min(lateMs.size() - 1, size_t(p * double(lateMs.size())))]; };
    std::printf("worker path: %zu messages of %zu questions late by p50 %.3f ms, p99 %.3f ms, max %.3f ms\n",
                lateMs.size(), questions.size(), at(0.5), at(0.99), lateMs.back());
    (void)total;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName("tonvale-bench");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    reportWorkerLateness();
    std::fflush(stdout);
    g_harness.reset();
    benchmark::Shutdown();
    return 0;
}
