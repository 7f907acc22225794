// One full offscreen repaint of an exercise-sized window: a staff under 200 notation controls
// (notes and rests of every kind, clefs, time signatures), as a lesson shows them.
#include "music/clef/clef.h"
#include "music/metre/metre.h"
#include "music/note/note.h"
#include "music/staff/staff.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

struct NotationWindow {
    QWidget window;
    int controls = 0;

    NotationWindow() {
        window.resize(1600, 480);
        auto* staff = new music::Staff(&window);
        staff->setGeometry(0, 0, 1600, 480);
        staff->setLineWidth(1580);
        staff->setLineTop(30);
        ++controls;
        // The staff lies under the first of four rows of symbols; the others stand on its
        // background, which costs the same to paint.
        for (int i = 0; controls < 200; ++i) {
            const int x = 40 + (i % 50) * 31;
            const int row = i / 50;
            const int y = row * 110;
            const int kind = i % 10;
            if (kind == 0) {
                auto* c = new music::Clef(&window);
                c->setGeometry(x, y + 12, 30, 100);
                c->setClef(i % 5);
            } else if (kind == 5) {
                auto* m = new music::Metre(&window);
                m->setGeometry(x, y + 23, 30, 60);
                m->setPulses(1 + i % 7);
                m->setNoteValue(i % 5);
            } else {
                auto* n = new music::Note(&window);
                n->setGeometry(x, y, 37, 117);
                n->setNoteLeft(15);
                n->setNote(i % 9);
                n->setRest(i % 7 == 0 ? -1 : 0);
                n->setStemDirection(i % 2 ? music::Up : music::Down);
                n->setDotsNumberOf(i % 3 == 0 ? 1 : 0);
                n->setAccidentalName(i % 8);
                n->setLegerLines(i % 4);
                n->setNoteTop(10 + (i % 6) * 5);
            }
            ++controls;
        }
    }
};

void BM_RepaintTwoHundredControls(benchmark::State& state) {
    NotationWindow w;
    QImage image(w.window.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    for (auto _ : state) {
        w.window.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["controls"] = w.controls;
    // Dark pixels of the last frame: shows the symbols were really drawn (a missing music
    // font would leave only the staff).
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    state.counters["dark_pixels"] = dark;
}
BENCHMARK(BM_RepaintTwoHundredControls)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
