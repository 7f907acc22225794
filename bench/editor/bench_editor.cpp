// The staff editor's speed on the main window: writing 200 notes over four staves through
// AddSymbolToStaff (target: under 20 ms), and one step of a note drag, with its snap, stem and
// leger lines (target: under 0.5 ms).
#include "student/lessons/lessoncontext.h"
#include "student/palettes/paletteregistry.h"
#include "student/shell/mainwindow.h"
#include "student/staff/staffeditor.h"

#include "platform/dialogs.h"
#include "platform/paths.h"

#include <QApplication>
#include <QTemporaryDir>
#include <memory>
#include <benchmark/benchmark.h>

namespace {

using lessons::put;

struct Window {
    QTemporaryDir data;
    platform::ScriptedDialogs dialogs;
    std::unique_ptr<shell::FrmTonvale> frm;

    Window() {
        platform::Paths::setDataFolder(data.path());
        platform::Dialogs::setInstance(&dialogs);
        frm = std::make_unique<shell::FrmTonvale>();
        lessons::LessonContext& c = frm->context();
        c.state.CurrentLesson = 2;
        frm->ResetFrameControls();
        lessons::NotationArrays& a = c.arrays;
        for (int i = 1; i <= 4; ++i) {
            a.StaffLines.load(i);
            a.StaffLines.Move(i, 720 + 4000.0 * (i - 1), 465, 4000, 1450);
            a.StaffLines.setVisible(i, true);
        }
        for (int i = 1; i <= 10; ++i) a.lnLeger.load(i);
        frm->paletteWindows().show("frmFloatingNotes");
        frm->paletteWindows().palette("frmFloatingNotes")->clickButton(6);  // eighths
    }
    ~Window() {
        frm.reset();
        platform::Dialogs::setInstance(nullptr);
    }
    void clearNotes() {
        lessons::LessonContext& c = frm->context();
        for (int i = c.arrays.NoteSymbol.ubound(); i >= 1; --i) c.arrays.NoteSymbol.unload(i);
        for (int i = 0; i <= 200; ++i) c.LoadedFlags.set(2, i, false);
    }
};

// Freed in main before the application object goes: widgets outliving it crash at exit.
std::unique_ptr<Window> g_window;

Window& window() {
    if (!g_window) g_window = std::make_unique<Window>();
    return *g_window;
}

void BM_Write200NotesOverFourStaves(benchmark::State& state) {
    Window& w = window();
    lessons::LessonContext& c = w.frm->context();
    staffedit::StaffEditor& editor = w.frm->staffEditor();
    for (auto _ : state) {
        state.PauseTiming();
        w.clearNotes();
        state.ResumeTiming();
        for (int s = 1; s <= 4; ++s)
            for (int n = 0; n < 50; ++n) {
                c.arrays.NoteSymbol.setLeft(0, c.arrays.StaffLines.Left(s) + 60.0 * n);
                editor.AddSymbolToStaff(qint16(s), 1050 - 75 * (n % 9), 50, 0, -160, 17, -495, 980, true, {}, 0);
            }
    }
    if (c.arrays.NoteSymbol.ubound() != 200) state.SkipWithError("not every note was written");
}
BENCHMARK(BM_Write200NotesOverFourStaves)->Unit(benchmark::kMillisecond);

void BM_OneDragStep(benchmark::State& state) {
    Window& w = window();
    lessons::LessonContext& c = w.frm->context();
    staffedit::StaffEditor& editor = w.frm->staffEditor();
    w.clearNotes();
    c.arrays.NoteSymbol.setLeft(0, 1500);
    editor.AddSymbolToStaff(1, 900, 50, 0, -160, 17, -495, 980, true, {}, 0);
    const int n = c.arrays.NoteSymbol.ubound();
    c.state.MouseDownFlag = true;
    c.state.DragX = 300;
    c.state.DragY = 900;
    int i = 0;
    for (auto _ : state) {
        // Down and up over the staff and below it: the stem, leger lines and line flag change.
        const float y = (i++ % 2) ? 900 + 450 : 900 - 450;
        benchmark::DoNotOptimize(editor.NoteMouseMove(qint16(n), 300, y, c.arrays.NoteSymbol, 1));
    }
    c.state.MouseDownFlag = false;
}
BENCHMARK(BM_OneDragStep)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_window.reset();
    return 0;
}
