#pragma once
// A real window manager (openbox) on the test's X display, for the tests that look at windows as
// a desktop frames them: started when a test asks for it, stopped when one asks to go without,
// and at the latest with the test program.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>

namespace shell::testing {

class WindowManager {
public:
    static bool installed() { return !QStandardPaths::findExecutable("openbox").isEmpty(); }
    static bool running() { return process() && process()->state() == QProcess::Running; }

    // Starts openbox unless it runs; true once it manages the display's windows (it has run its
    // start-up command), within ten seconds.
    static bool start() {
        if (running()) return true;
        static QTemporaryDir dir;
        const QString ready = QDir(dir.path()).filePath("ready");
        QFile::remove(ready);
        process() = std::make_unique<QProcess>();
        process()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process()->start("openbox", {"--sm-disable", "--startup", "touch " + ready});
        if (!process()->waitForStarted(5000)) return false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000 && running() && !QFile::exists(ready))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return running() && QFile::exists(ready);
    }

    static void stop() {
        if (!process()) return;
        process()->terminate();
        if (!process()->waitForFinished(3000)) process()->kill();
        process()->waitForFinished(1000);
        process().reset();
    }

private:
    static std::unique_ptr<QProcess>& process() {
        static std::unique_ptr<QProcess> p;
        return p;
    }
};

} // namespace shell::testing
