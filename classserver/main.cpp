// Hallbrin: the instructor's class server.
#include <QApplication>

#include "frmhallbrin.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hallbrin"));
    classserver::frmHallbrin window;
    window.Form_Load();
    window.show();
    return app.exec();
}
