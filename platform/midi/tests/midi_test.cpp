#include "common/testing/testoutput.h"
#include "platform/clock.h"
#include "platform/midi/alsamidiout.h"
#include "platform/midi/fluidsynthmidiout.h"
#include "platform/midi/recordermidiout.h"
#include "platform/midi/systemmididevices.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(ShortMessage, BytesByStatus) {
    struct Case { quint32 message; std::vector<quint8> bytes; };
    const Case cases[] = {
        {packShortMessage(0x90, 0x3C, 0x7F), {0x90, 0x3C, 0x7F}},  // note-on
        {packShortMessage(0x80, 0x3C, 0x00), {0x80, 0x3C, 0x00}},  // note-off
        {0xC9, {0xC9, 0x00}},                                      // program 0, percussion channel
        {packShortMessage(0xD3, 0x40), {0xD3, 0x40}},              // channel pressure
        {packShortMessage(0xE0, 0x00, 0x40), {0xE0, 0x00, 0x40}},  // pitch bend
        {0xF8, {0xF8}},                                            // clock
        {0x3C, {}},                                                // no status byte
    };
    for (const Case& c : cases) EXPECT_EQ(shortMessageBytes(c.message), c.bytes) << std::hex << c.message;
}

TEST(RecorderMidiDevices, RecordsOpensMessagesAndClosesWithClockTimes) {
    VirtualClock clock(100);
    ClockOverride guard(&clock);
    RecorderMidiDevices devices({"Port A", "Port B"});
    EXPECT_EQ(devices.outputDevices(), QStringList({"Port A", "Port B"}));

    qint32 rc = -1;
    auto out = devices.open(1, &rc);
    ASSERT_EQ(rc, MidiOk);
    ASSERT_TRUE(out && out->isOpen());
    EXPECT_EQ(devices.openConnections(), 1);
    clock.advance(20);
    EXPECT_EQ(out->shortMessage(packShortMessage(0x90, 60, 127)), MidiOk);
    clock.advance(480);
    EXPECT_EQ(out->shortMessage(packShortMessage(0x80, 60, 0)), MidiOk);
    EXPECT_EQ(out->close(), MidiOk);
    EXPECT_EQ(out->close(), MidiInvalidHandle);
    EXPECT_EQ(out->shortMessage(packShortMessage(0x90, 62, 127)), MidiInvalidHandle);
    EXPECT_EQ(devices.openConnections(), 0);

    const auto& log = devices.log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].kind, MidiLogEntry::Open);
    EXPECT_EQ(log[0].deviceId, 1);
    EXPECT_EQ(log[0].timeMs, 100);
    EXPECT_EQ(log[3].kind, MidiLogEntry::Close);
    EXPECT_EQ(log[3].timeMs, 600);
    const auto messages = devices.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].timeMs, 120);
    EXPECT_EQ(messages[0].message, 0x7F3C90u);
    EXPECT_EQ(messages[1].timeMs, 600);
    EXPECT_EQ(messages[1].message, 0x003C80u);
}

TEST(RecorderMidiDevices, FailsOpensAsTold) {
    RecorderMidiDevices devices({"Only port"});
    struct Case { int device; qint32 result; };
    devices.setOpenResult(MidiDevices::Mapper, MidiNoDriver);
    for (const Case& c : {Case{-1, MidiNoDriver}, Case{0, MidiOk}, Case{1, MidiBadDeviceId}, Case{-2, MidiBadDeviceId}}) {
        qint32 rc = -1;
        auto out = devices.open(c.device, &rc);
        EXPECT_EQ(rc, c.result) << c.device;
        EXPECT_EQ(out != nullptr, c.result == MidiOk) << c.device;
    }
    devices.setOpenResult(MidiDevices::Mapper, MidiOk);
    qint32 rc = -1;
    EXPECT_TRUE(devices.open(MidiDevices::Mapper, &rc));
    EXPECT_EQ(rc, MidiOk);
}

TEST(RecorderMidiDevices, ConnectionOutlivingTheRecorderIsSafe) {
    std::unique_ptr<MidiOut> out;
    {
        RecorderMidiDevices devices;
        out = devices.open(MidiDevices::Mapper, nullptr);
    }
    ASSERT_TRUE(out);
    EXPECT_EQ(out->shortMessage(packShortMessage(0x90, 60, 1)), MidiOk);
    EXPECT_EQ(out->close(), MidiOk);
}

// Without audio output (a driver list that cannot open) the mapper reports a code and
// leaves nothing behind; with the soundfont missing likewise.
TEST(FluidSynthMidiOut, NoAudioOutputGivesCodeAndNoConnection) {
    auto engine = std::make_shared<FluidSynthEngine>();
    ASSERT_TRUE(engine->isReady()) << "no General MIDI soundfont installed";
    qint32 rc = -1;
    EXPECT_FALSE(FluidSynthMidiOut::open(engine, {"no-such-driver"}, &rc));
    EXPECT_EQ(rc, MidiNoDriver);
    // The failed open did not keep the engine claimed.
    EXPECT_FALSE(FluidSynthMidiOut::open(engine, {}, &rc));
    EXPECT_EQ(rc, MidiNoDriver);

    FluidSynthEngine::Options options;
    options.soundfont = "/nonexistent/none.sf2";
    auto none = std::make_shared<FluidSynthEngine>(options);
    EXPECT_FALSE(none->isReady());
    EXPECT_FALSE(FluidSynthMidiOut::open(none, {"pulseaudio", "alsa"}, &rc));
    EXPECT_EQ(rc, MidiNoDriver);
}

// FluidSynth's "file" audio driver stands in for a sound card: the whole life of a mapper
// connection without a device.
TEST(FluidSynthMidiOut, OpensSendsAndClosesOnAnOutput) {
    FluidSynthEngine::Options options;
    options.wavFile = testOutputPath("mapper_file_driver.wav");
    auto engine = std::make_shared<FluidSynthEngine>(options);
    ASSERT_TRUE(engine->isReady());
    qint32 rc = -1;
    auto out = FluidSynthMidiOut::open(engine, {"file"}, &rc);
    ASSERT_EQ(rc, MidiOk);
    ASSERT_TRUE(out && out->isOpen());
    EXPECT_FALSE(FluidSynthMidiOut::open(engine, {"file"}, &rc));  // one output per synth
    EXPECT_EQ(rc, MidiAllocated);
    EXPECT_EQ(out->shortMessage(packShortMessage(0x90, 60, 100)), MidiOk);
    EXPECT_EQ(out->close(), MidiOk);
    EXPECT_FALSE(out->isOpen());
    EXPECT_EQ(out->close(), MidiInvalidHandle);
    EXPECT_EQ(out->shortMessage(packShortMessage(0x80, 60, 0)), MidiInvalidHandle);
    out = FluidSynthMidiOut::open(engine, {"file"}, &rc);  // free again after the close
    EXPECT_EQ(rc, MidiOk);
}

TEST(FluidSynthEngine, PrefersFluidR3ThenTimGM) {
    const QString sf = generalMidiSoundfont();
    ASSERT_FALSE(sf.isEmpty());
    EXPECT_TRUE(sf == "/usr/share/sounds/sf2/FluidR3_GM.sf2" || sf == "/usr/share/sounds/sf2/TimGM6mb.sf2") << sf.toStdString();
    EXPECT_FALSE(sf.contains("default-GM"));
}

// The machine's own devices: whatever is there (on CI nothing), listing and opening a device
// that does not exist answer with codes and never throw.
TEST(SystemMidiDevices, MissingDevicesAnswerWithCodes) {
    SystemMidiDevices devices;
    const QStringList names = devices.outputDevices();
    qint32 rc = -1;
    EXPECT_FALSE(devices.open(names.size() + 100, &rc));
    EXPECT_NE(rc, MidiOk);
    EXPECT_FALSE(devices.open(-5, &rc));
    EXPECT_EQ(rc, MidiBadDeviceId);
    EXPECT_FALSE(AlsaMidiOut::open(1000, "No such port 99:0", &rc));
    EXPECT_NE(rc, MidiOk);
    // RtMidi is opened at run time: the installed library has every function the ports use.
    EXPECT_TRUE(AlsaMidiOut::libraryFound());
}
