#include "common/testing/testoutput.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/midi/recordermidiout.h"
#include "platform/midi/systemmididevices.h"
#include "platform/midi/tests/wavfile.h"
#include "student/sound/midiport.h"

#include <gtest/gtest.h>

using namespace platform;
using sound::DeviceMenu;
using sound::MidiPort;

namespace {
QStringList portNames(int n) {
    QStringList names;
    for (int i = 0; i < n; ++i) names << QString("Synth port %1").arg(i);
    return names;
}

// The bytes of every short message the recorder received, in order.
std::vector<std::vector<quint8>> sent(const RecorderMidiDevices& devices) {
    std::vector<std::vector<quint8>> out;
    for (const TimedMessage& m : devices.messages()) out.push_back(shortMessageBytes(m.message));
    return out;
}

// Opens and closes as "open <id>" / "close <id>".
QStringList connections(const RecorderMidiDevices& devices) {
    QStringList out;
    for (const MidiLogEntry& e : devices.log()) {
        if (e.kind == MidiLogEntry::Open) out << QString("open %1").arg(e.deviceId);
        if (e.kind == MidiLogEntry::Close) out << QString("close %1").arg(e.deviceId);
    }
    return out;
}

struct PortFixture : ::testing::Test {
    VirtualClock clock{1000};
    ClockOverride clockGuard{&clock};
    ScriptedDialogs dialogs;
    DialogsOverride dialogsGuard{&dialogs};
    RecorderMidiDevices devices{portNames(3)};
    MidiPort port{&devices};
};
using MidiPortTest = PortFixture;
} // namespace

// ---- device menu ----

TEST(DeviceMenuTest, MapperFirstThenOneItemPerDevice) {
    for (int n : {0, 1, 12}) {
        ScriptedDialogs dialogs;
        DialogsOverride guard(&dialogs);
        RecorderMidiDevices devices(portNames(n));
        MidiPort port(&devices);
        port.load();

        QStringList expected{"MIDI Mapper"};
        expected << portNames(n);
        EXPECT_EQ(port.deviceNames(), expected) << n << " devices";
        EXPECT_EQ(port.checkedDevice(), 0);
        EXPECT_EQ(port.MidiDeviceId(), -1);
        EXPECT_TRUE(port.isOpen());
        EXPECT_EQ(connections(devices), QStringList({"open -1"}));

        // The last item: device n - 1 (for n = 0 that is the mapper again).
        const int last = n;
        port.mnuDevice_Click(last);
        EXPECT_EQ(port.checkedDevice(), last);
        for (int i = 0; i <= n; ++i) EXPECT_EQ(port.isDeviceChecked(i), i == last) << n << " devices, item " << i;
        EXPECT_EQ(port.MidiDeviceId(), last - 1);
        EXPECT_EQ(connections(devices), QStringList({"open -1", "close -1", QString("open %1").arg(last - 1)}));
        EXPECT_EQ(devices.openConnections(), 1);

        // An item the menu does not have changes nothing.
        port.mnuDevice_Click(n + 1);
        port.mnuDevice_Click(-1);
        EXPECT_EQ(port.checkedDevice(), last);
        EXPECT_EQ(devices.log().size(), 3u);
        EXPECT_TRUE(dialogs.shown.isEmpty());
    }
}

TEST(DeviceMenuTest, IndexAndDeviceNumber) {
    for (int index : {0, 1, 10, 11, 40}) {
        EXPECT_EQ(DeviceMenu::deviceIdOf(index), index - 1);
        EXPECT_EQ(DeviceMenu::indexOf(DeviceMenu::deviceIdOf(index)), index);
    }
}

TEST_F(MidiPortTest, ChoosingTheCheckedItemAgainReopensIt) {
    port.load();
    port.mnuDevice_Click(2);
    port.mnuDevice_Click(2);
    EXPECT_EQ(port.checkedDevice(), 2);
    EXPECT_EQ(connections(devices), QStringList({"open -1", "close -1", "open 1", "close 1", "open 1"}));
}

TEST_F(MidiPortTest, FailedOpenShowsTheCodeAndKeepsTheChoice) {
    devices.setOpenResult(MidiDevices::Mapper, MidiNoDriver);
    port.load();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Couldn't open midi out, rc = 6");
    EXPECT_EQ(dialogs.shown[0].style, OkOnly);
    EXPECT_EQ(dialogs.shown[0].title, "Tonvale");
    EXPECT_EQ(port.checkedDevice(), 0);
    EXPECT_FALSE(port.isOpen());

    // Notes go nowhere, nothing breaks, and the state is the loaded one.
    port.StartNote(0);
    port.StopNote(0);
    port.KeyStartNote(12);
    port.KeyStopNote(12);
    EXPECT_TRUE(devices.messages().empty());
    EXPECT_EQ(port.MidiVelocity, 127);
    EXPECT_EQ(port.MidiNoteOffset, 60);
    EXPECT_EQ(port.CloseMIDI(), MidiInvalidHandle);
    EXPECT_EQ(port.OpenMIDI(), MidiNoDriver);

    devices.setOpenResult(1, MidiAllocated);
    port.mnuDevice_Click(2);
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[1].text, "Couldn't open midi out, rc = 4");
    EXPECT_EQ(port.checkedDevice(), 2);
    EXPECT_EQ(port.MidiDeviceId(), 1);

    port.mnuDevice_Click(1);  // a working device: no message
    EXPECT_EQ(dialogs.shown.size(), 2);
    EXPECT_TRUE(port.isOpen());
}

// ---- open and close ----

TEST_F(MidiPortTest, CloseAndReopenOnTheChosenDevice) {
    port.load();
    port.mnuDevice_Click(3);
    devices.clearLog();
    EXPECT_EQ(port.CloseMIDI(), MidiOk);
    EXPECT_EQ(port.CloseMIDI(), MidiInvalidHandle);
    port.StartNote(0);  // lost while closed
    EXPECT_EQ(port.OpenMIDI(), MidiOk);
    EXPECT_EQ(connections(devices), QStringList({"close 2", "open 2"}));
    EXPECT_TRUE(devices.messages().empty());

    // Opening an open port does not leave the first connection behind.
    EXPECT_EQ(port.OpenMIDI(), MidiOk);
    EXPECT_EQ(devices.openConnections(), 1);
    EXPECT_EQ(connections(devices), QStringList({"close 2", "open 2", "close 2", "open 2"}));
}

TEST(MidiPortLifetime, DestroyingThePortClosesTheDevice) {
    ScriptedDialogs dialogs;
    DialogsOverride guard(&dialogs);
    RecorderMidiDevices devices;
    MidiDevicesOverride installed(&devices);
    {
        MidiPort port;  // finds the installed devices
        port.load();
        EXPECT_EQ(devices.openConnections(), 1);
    }
    EXPECT_EQ(devices.openConnections(), 0);
}

// ---- notes ----

TEST_F(MidiPortTest, NoteBytesAndTimes) {
    port.load();
    devices.clearLog();
    port.StartNote(0);
    clock.advance(500);
    port.StopNote(0);
    port.SetChannel(9);
    port.StartNote(15);
    port.StopNote(15);
    port.SetChannel(0);
    clock.advance(250);
    port.MidiVelocity = 75;
    port.MidiNoteOffset = 48;
    port.StartNote(7);

    const std::vector<std::vector<quint8>> expected = {
        {0x90, 0x3C, 0x7F}, {0x80, 0x3C, 0x00},
        {0xC9, 0x00}, {0x99, 0x4B, 0x7F}, {0x89, 0x4B, 0x00},
        {0x90, 0x37, 0x4B},
    };
    EXPECT_EQ(sent(devices), expected);
    const std::vector<qint64> times = {1000, 1500, 1500, 1500, 1500, 1750};
    const auto messages = devices.messages();
    ASSERT_EQ(messages.size(), times.size());
    for (size_t i = 0; i < times.size(); ++i) EXPECT_EQ(messages[i].timeMs, times[i]) << i;
    EXPECT_EQ(messages[0].message, 0x7F3C90u);
    EXPECT_EQ(messages[2].message, 0xC9u);
}

TEST_F(MidiPortTest, PianoKeys) {
    port.load();
    devices.clearLog();
    port.KeyStartNote(0);
    port.KeyStartNote(0);    // already pressed: nothing
    port.KeyStartNote(36);
    EXPECT_EQ(port.pianoKeys().value(0), 1);
    port.KeyStopNote(0);
    port.KeyStopNote(0);     // always sends
    EXPECT_EQ(port.pianoKeys().value(0), 0);
    port.KeyStartNote(MidiPort::NoKey);
    port.KeyStopNote(MidiPort::NoKey);
    port.KeyStartNote(37);   // the piano has no such key
    port.KeyStopNote(-1);
    port.SetChannel(9);      // no program change for piano keys, offset not used
    port.MidiNoteOffset = 0;
    port.KeyStartNote(12);

    const std::vector<std::vector<quint8>> expected = {
        {0x90, 48, 0x7F}, {0x90, 84, 0x7F}, {0x80, 48, 0x00}, {0x80, 48, 0x00}, {0x99, 60, 0x7F},
    };
    EXPECT_EQ(sent(devices), expected);
}

TEST_F(MidiPortTest, PianoWindowsOwnKeys) {
    struct Keys : sound::PianoKeys {
        int values[37] = {};
        QStringList changes;
        bool hasKey(int k) const override { return k >= 0 && k < 37; }
        int value(int k) const override { return values[k]; }
        void setValue(int k, int v) override { values[k] = v; changes << QString("%1=%2").arg(k).arg(v); }
    } keys;
    port.load();
    port.setPianoKeys(&keys);
    keys.values[5] = 1;  // shown pressed by the window
    port.KeyStartNote(5);
    port.KeyStartNote(6);
    port.KeyStopNote(5);
    EXPECT_EQ(keys.changes, QStringList({"6=1", "5=0"}));
    port.setPianoKeys(nullptr);
}

TEST_F(MidiPortTest, KeysOutsideTheMidiRangeSendNothing) {
    port.load();
    devices.clearLog();
    port.SetChannel(9);
    port.StartNote(68);      // 60 + 68 = 128: not even the program change goes out
    port.StopNote(68);
    port.StartNote(-61);     // -1
    port.StopNote(-61);
    port.StartNote(32767);   // would overflow 16 bits
    port.MidiNoteOffset = -32768;
    port.StartNote(-1);
    port.MidiNoteOffset = 60;
    port.SetChannel(16);     // no such channel
    port.StartNote(0);
    port.StopNote(0);
    port.SetChannel(0);
    port.MidiVelocity = 128;
    port.StartNote(0);
    port.MidiVelocity = -1;
    port.StartNote(0);
    EXPECT_TRUE(devices.messages().empty());

    port.MidiVelocity = 0;   // the edges still sound
    port.StartNote(67);
    port.StartNote(-60);
    EXPECT_EQ(sent(devices), (std::vector<std::vector<quint8>>{{0x90, 127, 0}, {0x90, 0, 0}}));
}

// A note-off goes to the channel its note-on used, whatever the channel is meanwhile.
TEST_F(MidiPortTest, NoteOffFollowsItsNoteOn) {
    port.load();
    devices.clearLog();
    auto click = [this] {  // the metronome's click
        port.SetChannel(9);
        port.StartNote(15);
        port.StopNote(15);
        port.SetChannel(0);
    };
    // A drum hit held across a click: released on the percussion channel, not on 0.
    port.SetChannel(9);
    port.StartNote(-20);
    click();
    port.StopNote(-20);
    // A piano key pressed on channel 0, released while a drum hit holds channel 9.
    port.KeyStartNote(12);
    port.SetChannel(9);
    port.KeyStopNote(12);
    port.SetChannel(0);
    // The same key on two channels: each note-off ends one of them.
    port.StartNote(0);
    port.SetChannel(9);
    port.StartNote(0);
    port.StopNote(0);
    port.SetChannel(3);
    port.StopNote(0);
    port.StopNote(5);  // nothing sounds there: the current channel

    const std::vector<std::vector<quint8>> expected = {
        {0xC9, 0}, {0x99, 40, 127},
        {0xC9, 0}, {0x99, 75, 127}, {0x89, 75, 0},
        {0x89, 40, 0},
        {0x90, 60, 127}, {0x80, 60, 0},
        {0x90, 60, 127}, {0xC9, 0}, {0x99, 60, 127}, {0x89, 60, 0}, {0x80, 60, 0},
        {0x83, 65, 0},
    };
    EXPECT_EQ(sent(devices), expected);
}

// A chord played through the port, rendered offline through FluidSynth.
TEST_F(MidiPortTest, CMajorChordRendersToSound) {
    port.load();
    devices.clearLog();
    port.MidiVelocity = 100;
    for (qint16 n : {0, 4, 7, 12}) port.StartNote(n);
    clock.advance(1500);
    for (qint16 n : {0, 4, 7, 12}) port.StopNote(n);
    ASSERT_EQ(devices.messages().size(), 8u);

    const QString path = testOutputPath("c_major.wav");
    ASSERT_TRUE(renderToWav(devices.messages(), path, 1000));
    WavData wav;
    ASSERT_TRUE(readWav(path, &wav));
    EXPECT_NEAR(wav.seconds(), 2.5, 0.05);
    EXPECT_GT(wav.rms(0.05, 1.45), 0.01) << "the chord is (nearly) silent";
    EXPECT_LT(wav.peak(), 1.0);
}

// Start-up: the engine loads on a worker thread from the first instant; the port opens on it
// and a note sent at once is heard, not lost while the soundfont loads (rendered offline
// through the real engine).
TEST(MidiPortStartUp, ANoteSentAtOnceIsHeard) {
    ScriptedDialogs dialogs;
    DialogsOverride guard(&dialogs);
    FluidSynthEngine::Options o;
    o.background = true;
    o.offline = true;
    o.wavFile = testOutputPath("port_first_note.wav");
    auto engine = std::make_shared<FluidSynthEngine>(o);
    SystemMidiDevices devices({}, engine);
    MidiPort port(&devices);
    port.load();
    port.StartNote(0);
    engine->renderOffline(600);
    port.StopNote(0);
    engine->renderOffline(300);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    port.CloseMIDI();
    engine->finishWav();
    WavData wav;
    ASSERT_TRUE(readWav(o.wavFile, &wav));
    EXPECT_GT(wav.rms(0.0, 0.5), 0.01) << "the first note was lost";
    EXPECT_GT(wav.power(261.63, 0.0, 0.5), 10 * wav.power(293.66, 0.0, 0.5)) << "not middle C";
}
