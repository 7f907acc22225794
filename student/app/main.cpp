// Tonvale, the student program.
#include "student/shell/startup.h"

#include "platform/midi/fluidengine.h"
#include "platform/paths.h"

#include <QApplication>
#include <QThread>

int main(int argc, char** argv) {
    // This thread is Qt's main thread: it must be the first to meet Qt, before the
    // synthesizer's loader thread reads the soundfont.
    QThread::currentThread();
    // The synthesizer loads on its own thread from the first instant: the window does not
    // wait for it, and the first note or the mapper's open waits only for what is left.
    platform::FluidSynthEngine::shared();
    QApplication app(argc, argv);
    // The data folder is ~/.local/share/tonvale (or $XDG_DATA_HOME/tonvale).
    QApplication::setApplicationName("tonvale");
    platform::Paths::dataFolder();   // made on the first start
    auto frm = shell::Main();
    return app.exec();
}
