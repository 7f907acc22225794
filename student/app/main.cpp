// Tonvale, the student program.
#include "student/shell/startup.h"

#include "platform/paths.h"
#include "platform/songs/programsound.h"

#include <QApplication>
#include <QMenuBar>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The first menu bar opens the desktop's menu service and the image-format plugins of
    // its icons. Done here, before the synthesizer's libraries start loading, the main
    // window's own menu bar does not queue behind them (about 10 ms).
    { QMenuBar warm; }
    // The synthesizer loads on its own thread from here on: the window does not wait for
    // it, and the first note or the mapper's open waits only for what is left. Not before
    // the application object: its platform plugin and the synthesizer's libraries would be
    // loaded one after the other (the system loads one library at a time), which held the
    // first window up by about 20 ms.
    // It ends after the main window (made below, so gone first) and before the application
    // object, with the synthesizer's threads stopped before main() returns.
    platform::ProgramSound sound;
    // The data folder is ~/.local/share/tonvale (or $XDG_DATA_HOME/tonvale).
    QApplication::setApplicationName("tonvale");
    platform::Paths::dataFolder();   // made on the first start
    auto frm = shell::Main();
    return app.exec();
}
