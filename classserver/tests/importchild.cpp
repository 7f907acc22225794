// A class server process for the crash test.
//   hallbrin_import_child import <folder>   makes the working copy, then imports profiles into it
//                                           one after another, printing "c<n>" after each commit,
//                                           until it is killed
//   hallbrin_import_child start <folder>    starts the server's window on the folder (which keeps
//                                           the last working copy as its backup) and quits
#include <QApplication>
#include <QHostAddress>
#include <cstdio>

#include "classserver/classdatabase.h"
#include "classserver/frmhallbrin.h"
#include "classserver/profileimport.h"
#include "platform/dialogs.h"
#include "platform/paths.h"

namespace {

// Players of import n, each with a result in every lesson: one long transaction.
QString profileOf(int n, int players) {
    QString text;
    for (int p = 0; p < players; ++p) {
        text += QStringLiteral("begin\r\nname=I%1-P%2\r\npassword=pw\r\n").arg(n).arg(p);
        for (int k = 1; k <= 98; ++k) text += QStringLiteral("lesson%1=L2S%2M1Q1\r\n").arg(k).arg(50 + k % 40);
        text += QStringLiteral("end\r\n");
    }
    return text;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s import|start <folder> <players>\n", argv[0]);
        return 2;
    }
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const int players = QString::fromLocal8Bit(argv[3]).toInt();
    const QString working = folder + "/" + classserver::kWorkingCopyName;
    const QString templ = platform::Paths::shareFolder() + "/" + classserver::kTemplateName;
    if (mode == QLatin1String("import")) {
        QString why;
        if (!classserver::makeWorkingCopy(templ, working, &why)) {
            std::fprintf(stderr, "%s\n", qPrintable(why));
            return 1;
        }
        std::printf("ready\n");
        std::fflush(stdout);
        for (int n = 1; n < 100000; ++n) {
            const classserver::ImportResult r =
                classserver::importProfile(working, profileOf(n, players), QStringLiteral("PC"), QStringLiteral("Sopranel 2.0"));
            if (!r.ok) {
                std::fprintf(stderr, "import %d: %s\n", n, qPrintable(r.error));
                return 1;
            }
            std::printf("c%d\n", n);
            std::fflush(stdout);
        }
        return 0;
    }
    if (mode == QLatin1String("start")) {
        platform::ScriptedDialogs dialogs;
        platform::DialogsOverride guard(&dialogs);
        classserver::HallbrinOptions o;
        o.dataFolder = folder;
        o.port = quint16(0);
        o.address = QHostAddress::LocalHost;
        classserver::frmHallbrin window(o);
        window.Form_Load();
        for (const platform::ShownMessage& m : dialogs.shown) std::printf("message %s\n", qPrintable(m.text));
        std::printf("started\n");
        return 0;
    }
    return 2;
}
