// Cold start of the student program up to the lesson list of a chosen player: the main
// window created and loaded (device menu, MIDI mapper opened, lesson list columns, class
// link, message hook), shown, the player dialog answered by a script, and the lesson list
// filled from the profile. Offscreen, on the recorder MIDI device and song player, with no
// class server listening and the splash left out.
#include "student/shell/startup.h"

#include "common/storedtext/storedtext.h"
#include "platform/dialogs.h"
#include "platform/midi/recordermidiout.h"
#include "platform/paths.h"
#include "platform/songs/songplayer.h"
#include "student/shell/classlink/classlinkclient.h"
#include "student/profile/playersession.h"
#include "student/profile/profilestore.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

struct Harness {
    QTemporaryDir data;
    platform::ScriptedDialogs dialogs;
    platform::RecorderMidiDevices midi{QStringList{"Midi Through Port-0"}};
    platform::RecorderSongPlayer songs;

    Harness() {
        platform::Paths::setDataFolder(data.path());
        platform::Dialogs::setInstance(&dialogs);
        platform::MidiDevices::setInstance(&midi);
        platform::SongPlayer::setInstance(&songs);
        classlink::writeClientConfig(data.filePath("Client.cfg"), "127.0.0.1", "1");
        QString profile;
        for (int p = 0; p < 30; ++p) {
            const QString n = QString::number(p);
            profile += "begin\r\nname=Player" + n + "\r\npassword=pw" + n +
                       "\r\nupper=89\r\nlower=79\r\npractice=false\r\ninterval=3\r\n";
            for (int lesson = 1; lesson <= 7; ++lesson)
                profile += QString("lesson%1=L%2S80M3Q%3\r\n").arg(lesson).arg(2 + (p + lesson) % 4).arg(p);
            profile += "end\r\n";
        }
        common::SaveStoredText(tonvale::ProfileStore::profilePath(), profile);
        dialogs.modalHandlers["frmPlayer"] = [](QDialog& dlg) {
            auto* list = dlg.findChild<QListWidget*>("lbxNames");
            list->setCurrentRow(17);
            dlg.findChild<QPushButton*>("cmdOK")->click();
            return dlg.result();
        };
        dialogs.modalHandlers["frmPassword"] = [](QDialog& dlg) {
            dlg.findChild<QLineEdit*>("txtPassword")->setText("pw17");
            dlg.findChild<QPushButton*>("cmdOK")->click();
            return dlg.result();
        };
    }
    ~Harness() {
        platform::Dialogs::setInstance(nullptr);
        platform::MidiDevices::setInstance(nullptr);
        platform::SongPlayer::setInstance(nullptr);
    }
};

Harness* harness = nullptr;

std::unique_ptr<shell::FrmTonvale> startToLessonList() {
    tonvale::PlayerSession::instance().reset();
    shell::StartupOptions options;
    options.showSplash = false;
    auto frm = shell::Main(options);
    if (tonvale::PlayerSession::instance().PlayerName != "Player17" || frm->lvwLesson->topLevelItemCount() != 7)
        std::fprintf(stderr, "start-up did not reach the lesson list\n");
    return frm;
}

void BM_StartToLessonList(benchmark::State& state) {
    for (auto _ : state) {
        auto frm = startToLessonList();
        benchmark::DoNotOptimize(frm.get());
        state.PauseTiming();
        frm->close();
        frm.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToLessonList)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName("tonvale-bench");
    Harness h;
    harness = &h;

    // The very first start in a fresh process, before anything of Qt's is warm.
    QElapsedTimer cold;
    cold.start();
    {
        auto frm = startToLessonList();
        const double ms = cold.nsecsElapsed() / 1e6;
        std::printf("first start in a fresh process: %.1f ms to the lesson list\n", ms);
        frm->close();
    }
    QApplication::processEvents();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
