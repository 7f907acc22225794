// The mapper's sound through a sound server, as the server sees the engine's stream: a private
// PulseAudio server with a null sink (started as scripts/silent-sound.sh does), read with
// pactl, its monitor recorded. Skipped where pulseaudio or its tools are not installed. Real time, a few seconds: the
// server's own clock is what is tested.
#include "platform/clock.h"
#include "platform/midi/fluidengine.h"

#include <QDir>
#include <algorithm>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

using namespace platform;

namespace {

class SoundServer : public ::testing::Test {
protected:
    void SetUp() override {
        const QString pulseaudio = QStandardPaths::findExecutable("pulseaudio");
        pactl_ = QStandardPaths::findExecutable("pactl");
        if (pulseaudio.isEmpty() || pactl_.isEmpty() || QStandardPaths::findExecutable("parec").isEmpty())
            GTEST_SKIP() << "pulseaudio, pactl or parec is not installed";
        ASSERT_TRUE(dir_.isValid());
        QDir(dir_.path()).mkdir("pulse");
        QFile::setPermissions(dir_.filePath("pulse"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        socket_ = dir_.filePath("pulse/native");
        QProcessEnvironment env;
        env.insert("PATH", qEnvironmentVariable("PATH"));
        env.insert("HOME", dir_.filePath("pulse"));
        env.insert("XDG_RUNTIME_DIR", dir_.filePath("pulse"));
        server_.setProcessEnvironment(env);
        server_.start(pulseaudio, {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=yes", "-F", "/dev/null",
                                   "--load=module-null-sink sink_name=silent",
                                   "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket_});
        ASSERT_TRUE(server_.waitForStarted(5000));
        ASSERT_TRUE(waitUntil([&] { return QFileInfo(socket_).exists(); }, 10000)) << "the server did not start";
        // The sink's monitor is recorded, as by whoever listens: a null sink that nobody
        // listens to mixes up to two seconds ahead while nothing plays, and holds the next
        // sound up that long.
        listener_.start(QStandardPaths::findExecutable("parec"),
                        {"--server=unix:" + socket_, "-d", "silent.monitor", "--raw", "--latency-msec=5"});
        ASSERT_TRUE(listener_.waitForStarted(5000));
        previous_ = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", ("unix:" + socket_).toLocal8Bit());
    }
    void TearDown() override {
        if (server_.state() == QProcess::NotRunning) return;
        if (previous_.isEmpty()) qunsetenv("PULSE_SERVER");
        else qputenv("PULSE_SERVER", previous_);
        listener_.kill();
        listener_.waitForFinished(5000);
        server_.terminate();
        if (!server_.waitForFinished(5000)) server_.kill();
    }

    // The playback streams that play now (not paused), by the fill of their buffer in ms.
    std::vector<double> streams() {
        QProcess p;
        p.start(pactl_, {"--server=unix:" + socket_, "list", "sink-inputs"});
        if (!p.waitForFinished(5000)) return {};
        std::vector<double> out;
        static const QRegularExpression buffer("Buffer Latency: (\\d+) usec");
        for (const QString& input : QString::fromUtf8(p.readAllStandardOutput()).split("Sink Input #")) {
            const auto m = buffer.match(input);
            if (m.hasMatch() && input.contains("Corked: no")) out.push_back(m.captured(1).toDouble() / 1000);
        }
        return out;
    }
    // Polls `done` every 50 ms for at most `ms`.
    static bool waitUntil(const std::function<bool()>& done, int ms) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < deadline) {
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return done();
    }

    QTemporaryDir dir_;
    QProcess server_, listener_;
    QString pactl_, socket_;
    QByteArray previous_;
};

// A note, silence, a question, a click: live notes play on a short buffer (a tap is heard within
// 20 ms); once nothing has sounded for a while the output pauses (an idle program costs
// nothing) and the next sound plays at once; timed messages play on a long buffer (a busy
// machine cannot starve a question), and live notes after them on the short one again.
TEST_F(SoundServer, TheBufferFollowsWhatSounds) {
    FluidSynthEngine::Options o;
    o.pulse.idleMs = 300;
    FluidSynthEngine engine(o);
    ASSERT_TRUE(engine.isReady());
    ASSERT_EQ(engine.acquireOutput({"pulseaudio"}), MidiOk);
    auto click = [&] {
        engine.send(packShortMessage(0x99, 75, 127));
        engine.send(packShortMessage(0x89, 75));
    };
    // The synth's clock moves: what is sent is played, not held up.
    auto moving = [&] {
        const qint64 at = engine.synthMs();
        return waitUntil([&] { return engine.synthMs() > at + 100; }, 1000);
    };
    auto longest = [&] {
        const auto s = streams();
        return s.empty() ? -1.0 : *std::max_element(s.begin(), s.end());
    };
    engine.send(packShortMessage(0x90, 60, 100));
    ASSERT_TRUE(waitUntil([&] { return !streams().empty(); }, 2000));
    EXPECT_LE(longest(), 20.0) << "the live buffer";
    // (A null sink holds a stream that has only just come up to two seconds.)
    EXPECT_TRUE(waitUntil([&] { return engine.synthMs() > 100; }, 3000));
    engine.send(packShortMessage(0x80, 60));
    EXPECT_TRUE(waitUntil([&] { return streams().empty(); }, 5000)) << "the output plays on in silence";

    std::vector<TimedMessage> question;
    const qint64 now = Clock::instance().nowMs();
    for (int i = 0; i < 6; ++i) {
        question.push_back({now + 250 * i, packShortMessage(0x90, quint8(60 + i), 100)});
        question.push_back({now + 250 * i + 240, packShortMessage(0x80, quint8(60 + i))});
    }
    engine.schedule(engine.newSource(), question);
    EXPECT_TRUE(waitUntil([&] { return longest() >= 100.0; }, 1000)) << "a short buffer for a question";
    EXPECT_TRUE(moving()) << "the question is held up";
    EXPECT_TRUE(waitUntil([&] { return longest() <= 20.0; }, 3000)) << "no short buffer after the question";
    click();
    EXPECT_TRUE(moving());
    engine.releaseOutput();
}

} // namespace
