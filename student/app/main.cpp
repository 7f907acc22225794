// Tonvale, the student program.
#include "student/shell/startup.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The data folder is ~/.local/share/tonvale (or $XDG_DATA_HOME/tonvale).
    QApplication::setApplicationName("tonvale");
    auto frm = shell::Main();
    return app.exec();
}
