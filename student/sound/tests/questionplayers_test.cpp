// The question players, each run into a timeline: keys, order, velocities, times, and the
// channel and velocity they leave behind.
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/midi/recordermidiout.h"
#include "student/sound/questionplayers.h"

#include <QStringList>
#include <functional>
#include <gtest/gtest.h>

using namespace platform;
using namespace sound;

namespace {

// "offset: bytes" per message, e.g. "2000: 80 3C 00", joined by " | ".
std::string describe(const Timeline& t) {
    QStringList out;
    for (const TimedMessage& m : t.messages) {
        QStringList bytes;
        for (quint8 b : shortMessageBytes(m.message)) bytes << QString("%1").arg(b, 2, 16, QChar('0')).toUpper();
        out << QString("%1: %2").arg(m.timeMs).arg(bytes.join(' '));
    }
    return out.join(" | ").toStdString();
}
std::string lines(const QStringList& l) { return l.join(" | ").toStdString(); }

// A chord held two seconds: note-ons at 0 at velocity v, note-offs at 2000, both in key order given.
QStringList held(std::initializer_list<int> keys, int velocity = 127) {
    QStringList out;
    for (int k : keys) out << QString("0: 90 %1 %2").arg(k, 2, 16, QChar('0')).arg(velocity, 2, 16, QChar('0')).toUpper();
    for (int k : keys) out << QString("2000: 80 %1 00").arg(k, 2, 16, QChar('0')).toUpper();
    return out;
}

struct PlayersTest : ::testing::Test {
    VirtualClock clock{1000};
    ClockOverride clockGuard{&clock};
    ScriptedDialogs dialogs;
    DialogsOverride dialogsGuard{&dialogs};
    RecorderMidiDevices devices;
    MidiPort port{&devices};
    void SetUp() override { port.load(); }

    Timeline capture(const std::function<void()>& play) {
        port.beginCapture();
        play();
        return port.endCapture();
    }
};

} // namespace

TEST_F(PlayersTest, ChordPlayers) {
    struct Case {
        const char* name;
        std::function<void(MidiPort&)> play;
        QStringList expected;
    };
    const Case cases[] = {
        {"major root", [](MidiPort& p) { PlayMajorTriad(p, 0, 0, 0); }, held({60, 64, 67})},
        {"major first, doubled", [](MidiPort& p) { PlayMajorTriad(p, 0, 1, -1); }, held({72, 64, 67, 76})},
        {"major second, doubled", [](MidiPort& p) { PlayMajorTriad(p, 0, 2, -1); }, held({72, 76, 67, 79})},
        {"triad inversion 3 = root", [](MidiPort& p) { PlayMajorTriad(p, 0, 3, 0); }, held({60, 64, 67})},
        {"minor first on D", [](MidiPort& p) { PlayMinorTriad(p, 2, 1, 0); }, held({74, 65, 69})},
        {"minor second, doubled", [](MidiPort& p) { PlayMinorTriad(p, 0, 2, 1); }, held({72, 75, 67, 79})},
        {"minor root, doubled", [](MidiPort& p) { PlayMinorTriad(p, -3, 0, -1); }, held({57, 60, 64, 69})},
        {"diminished", [](MidiPort& p) { PlayDiminishedTriad(p, 0); }, held({60, 63, 66})},
        {"augmented", [](MidiPort& p) { PlayAugmentedTriad(p, 0); }, held({60, 64, 68})},
        {"diminished seventh", [](MidiPort& p) { PlayDiminishedSeventh(p, 1); }, held({61, 64, 67, 70})},
        {"dominant seventh root", [](MidiPort& p) { PlayDominantSeventh(p, 7, 0); }, held({67, 71, 74, 77})},
        {"dominant seventh third inv.", [](MidiPort& p) { PlayDominantSeventh(p, 7, 3); }, held({79, 83, 86, 77})},
        {"minor seventh first inv.", [](MidiPort& p) { PlayMinorSeventh(p, 0, 1); }, held({72, 63, 67, 70})},
        {"major seventh second inv.", [](MidiPort& p) { PlayMajorSeventh(p, 0, 2); }, held({72, 76, 67, 71})},
        // Beyond the four inversions of a seventh chord: the nearest one.
        {"seventh inversion 4", [](MidiPort& p) { PlayDominantSeventh(p, 7, 4); }, held({79, 83, 86, 77})},
        {"seventh inversion 200", [](MidiPort& p) { PlayMajorSeventh(p, 0, 200); }, held({72, 76, 79, 71})},
        {"seventh inversion -1", [](MidiPort& p) { PlayMinorSeventh(p, 0, -1); }, held({60, 63, 67, 70})},
    };
    for (const Case& c : cases) {
        const Timeline t = capture([&] { c.play(port); });
        EXPECT_EQ(describe(t), lines(c.expected)) << c.name;
        EXPECT_EQ(t.lengthMs, 2000) << c.name;
        EXPECT_EQ(port.MidiChannel, 0) << c.name;
        EXPECT_EQ(port.MidiVelocity, 127) << c.name;  // the chord players leave it alone
    }
}

TEST_F(PlayersTest, ChordPlayersSoundAtTheVelocityTheyFind) {
    port.MidiVelocity = 75;
    const Timeline t = capture([&] { PlayAugmentedTriad(port, 0); });
    EXPECT_EQ(describe(t), lines(held({60, 64, 68}, 75)));
}

TEST_F(PlayersTest, ReferenceChords) {
    struct Case {
        qint16 n, position, kind, low;
        std::vector<int> keys;  // top, then down to the bass
    };
    const Case cases[] = {
        {7, 0, 1, 0, {67, 64, 60, 48}},   // G over C major: the bass an octave and a fifth below
        {7, 0, 1, -1, {67, 64, 60, 36}},  // the low flag (-1 as 1) lowers the bass an octave
        {7, 0, 1, 1, {67, 64, 60, 36}},
        {5, 0, 5, 0, {65, 62, 59, 55}},   // F D B G: the dominant seventh of C
        {4, 1, 1, 0, {64, 59, 56, 52}},
        {4, 2, 1, 0, {64, 60, 55, 48}},
        {3, 0, 2, 0, {63, 59, 56, 44}},
        {3, 1, 2, 0, {63, 58, 54, 51}},
        {3, 2, 2, 0, {63, 60, 55, 48}},
        {5, 1, 5, 0, {65, 63, 60, 57}},
        {5, 2, 5, -1, {65, 61, 59, 44}},
        {5, 3, 5, 0, {65, 62, 58, 56}},
        {0, 0, 3, 0, {60, 60, 60, 60}},   // no such kind: four times the top
        {0, 3, 1, -1, {60, 60, 60, 60}},  // no such position
    };
    for (const Case& c : cases) {
        port.MidiVelocity = 127;
        const Timeline on = capture([&] { PlayStartChord(port, c.n, c.position, c.kind, c.low); });
        const Timeline off = capture([&] { PlayStopChord(port, c.n, c.position, c.kind, c.low); });
        QStringList expectedOn, expectedOff;
        for (size_t i = 0; i < c.keys.size(); ++i) {
            expectedOn << QString("0: 90 %1 %2").arg(c.keys[i], 2, 16, QChar('0')).arg(i < 3 ? 100 : 127, 2, 16).toUpper();
            expectedOff << QString("0: 80 %1 00").arg(c.keys[i], 2, 16, QChar('0')).toUpper();
        }
        EXPECT_EQ(describe(on), lines(expectedOn)) << c.n << " " << c.position << " " << c.kind << " " << c.low;
        EXPECT_EQ(describe(off), lines(expectedOff)) << c.n << " " << c.position << " " << c.kind << " " << c.low;
        EXPECT_EQ(port.MidiVelocity, 75);  // left for later notes; the stop does not touch it
        EXPECT_EQ(on.lengthMs + off.lengthMs, 0);
    }
}

TEST_F(PlayersTest, ClickAndArpeggio) {
    const QStringList click = {"0: C9 00", "0: 99 4B 7F", "0: 89 4B 00"};
    EXPECT_EQ(describe(capture([&] { Metronome(port); })), lines(click));
    EXPECT_EQ(port.MidiChannel, 0);

    port.MidiVelocity = 60;
    const Timeline t = capture([&] { PlayTonicArpeggio(port, 2); });
    EXPECT_EQ(t.lengthMs, 6000);
    auto clickAt = [](int ms) {
        return QStringList{QString("%1: C9 00").arg(ms), QString("%1: 99 4B 3C").arg(ms), QString("%1: 89 4B 00").arg(ms)};
    };
    QStringList expected;
    expected << "0: 90 3E 3C" << clickAt(0) << "1000: 80 3E 00";
    expected << "1000: 90 42 3C" << clickAt(1000) << "2000: 80 42 00";
    expected << "2000: 90 45 3C" << clickAt(2000) << "3000: 80 45 00";
    expected << "3000: 90 3E 3C" << "3000: 90 42 3C" << "3000: 90 45 3C" << clickAt(3000) << clickAt(4000);
    expected << "5000: 80 3E 00" << "5000: 80 42 00" << "5000: 80 45 00" << clickAt(5000);
    EXPECT_EQ(describe(t), lines(expected));
    EXPECT_EQ(port.MidiChannel, 0);
    EXPECT_EQ(port.MidiVelocity, 60);
}

// Run live (no capture) the players sleep on the clock and send as they go.
TEST_F(PlayersTest, LivePlayersWaitOnTheClock) {
    devices.clearLog();
    PlayDominantSeventh(port, 7, 3);
    const auto m = devices.messages();
    ASSERT_EQ(m.size(), 8u);
    EXPECT_EQ(m[0].timeMs, 1000);
    EXPECT_EQ(m[4].timeMs, 3000);
    EXPECT_EQ(clock.nowMs(), 3000);
}
