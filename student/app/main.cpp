// Tonvale, the student program.
#include "student/shell/startup.h"

#include "platform/paths.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The data folder is ~/.local/share/tonvale (or $XDG_DATA_HOME/tonvale).
    QApplication::setApplicationName("tonvale");
    platform::Paths::dataFolder();   // made on the first start
    auto frm = shell::Main();
    return app.exec();
}
