// Capturing a sequence into a timeline and playing it on the device ahead of time.
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/midi/recordermidiout.h"
#include "student/sound/midiport.h"
#include "student/sound/questionplayers.h"

#include <gtest/gtest.h>

using namespace platform;
using sound::MidiPort;
using sound::Timeline;

namespace {

struct TimelineTest : ::testing::Test {
    VirtualClock clock{1000};
    ClockOverride clockGuard{&clock};
    ScriptedDialogs dialogs;
    DialogsOverride dialogsGuard{&dialogs};
    RecorderMidiDevices devices{{"Port A"}};
    MidiPort port{&devices};
    void SetUp() override {
        port.load();
        devices.clearLog();
    }

    // An interval item: each tone a second, the second starting as the first stops.
    Timeline interval(qint16 first, qint16 second) {
        port.beginCapture();
        for (qint16 tone : {first, second}) {
            port.StartNote(tone);
            port.Wait(1000);
            port.StopNote(tone);
        }
        return port.endCapture();
    }

    // One line per entry, "time message" or "time open/close device", joined by " | ".
    std::string log() const {
        QStringList out;
        for (const MidiLogEntry& e : devices.log()) {
            if (e.kind == MidiLogEntry::Open) out << QString("%1 open %2").arg(e.timeMs).arg(e.deviceId);
            else if (e.kind == MidiLogEntry::Close) out << QString("%1 close %2").arg(e.timeMs).arg(e.deviceId);
            else out << QString("%1 %2").arg(e.timeMs).arg(e.message, 6, 16, QChar('0')).toUpper();
        }
        return out.join(" | ").toStdString();
    }
    static std::string lines(const QStringList& l) { return l.join(" | ").toStdString(); }
};

} // namespace

// A C major third below: E, then C, a second each; exact bytes at exact due times.
TEST_F(TimelineTest, CaptureSendsNothingAndPlaysAtDueTimes) {
    const Timeline t = interval(4, 0);
    EXPECT_TRUE(devices.log().empty()) << "a capture sends nothing";
    EXPECT_EQ(t.lengthMs, 2000);
    EXPECT_EQ(t.messages, (std::vector<TimedMessage>{{0, 0x7F4090}, {1000, 0x004080}, {1000, 0x7F3C90}, {2000, 0x003C80}}));

    clock.advance(234);
    EXPECT_EQ(port.playTimeline(t), 3234);
    EXPECT_EQ(log(), lines({"1234 7F4090", "2234 004080", "2234 7F3C90", "3234 003C80"}));
    EXPECT_TRUE(port.timelinePlaying());
    clock.advance(1999);
    EXPECT_TRUE(port.timelinePlaying());
    clock.advance(1);
    EXPECT_FALSE(port.timelinePlaying());
    port.stopTimeline();  // over: nothing to drop, nothing sounds
    EXPECT_EQ(devices.log().size(), 4u);
}

// The live note logic runs on a copy: what sounded before the capture is as it was after.
TEST_F(TimelineTest, CaptureUsesTheNoteLogicOnACopy) {
    port.SetChannel(3);
    port.StartNote(0);          // live, channel 3
    port.SetChannel(0);
    port.beginCapture();
    port.SetChannel(9);
    port.StartNote(-20);        // program change and note-on on the percussion channel
    port.SetChannel(0);
    port.StopNote(-20);         // goes to channel 9, where it sounds
    port.StartNote(0);
    port.StopNote(0);           // the capture's own channel-0 note
    port.StopNote(0);           // then the one sounding on channel 3 before the capture
    port.StartNote(100);        // key 160: not sent
    port.Wait(0);
    port.Wait(-5);
    const Timeline t = port.endCapture();
    EXPECT_FALSE(port.isCapturing());
    EXPECT_EQ(t.lengthMs, 0);
    EXPECT_EQ(t.messages, (std::vector<TimedMessage>{{0, 0xC9}, {0, 0x7F2899}, {0, 0x002889},
                                                     {0, 0x7F3C90}, {0, 0x003C80}, {0, 0x003C83}}));
    port.StopNote(0);           // live again: channel 3's note is still sounding
    EXPECT_EQ(log(), lines({"1000 7F3C93", "1000 003C83"}));
    EXPECT_TRUE(port.endCapture().empty());
}

TEST_F(TimelineTest, StopDropsWhatIsPendingAndEndsItsNotes) {
    port.beginCapture();
    sound::PlayMajorTriad(port, 0, 0, 0);
    sound::Metronome(port);
    const Timeline t = port.endCapture();
    port.playTimeline(t);
    clock.advance(500);
    port.KeyStartNote(0);       // direct notes go out while it plays
    port.stopTimeline();
    EXPECT_FALSE(port.timelinePlaying());
    EXPECT_EQ(log(), lines({"1000 7F3C90", "1000 7F4090", "1000 7F4390",
                                  "1500 7F3090", "1500 003C80", "1500 004080", "1500 004380"}));
    port.stopTimeline();        // once only
    EXPECT_EQ(devices.log().size(), 7u);
}

// Closing the device (also by a device change) stops the timeline first; a new timeline
// stops the one still playing; without a device the time still passes.
TEST_F(TimelineTest, CloseDeviceChangeAndReplace) {
    const Timeline t = interval(7, 0);
    port.playTimeline(t);
    clock.advance(1000);
    port.mnuDevice_Click(1);
    EXPECT_FALSE(port.timelinePlaying());
    EXPECT_EQ(log(), lines({"1000 7F4390", "2000 004380", "2000 7F3C90", "2000 003C80", "2000 close -1",
                                  "2000 open 0"}));

    devices.clearLog();
    port.playTimeline(t);
    clock.advance(500);
    EXPECT_EQ(port.playTimeline(t), 4500);  // the first one ends here: its E is released
    EXPECT_EQ(log(), lines({"2000 7F4390", "2500 004380", "2500 7F4390", "3500 004380", "3500 7F3C90",
                                  "4500 003C80"}));

    port.CloseMIDI();
    EXPECT_EQ(log(), lines({"2000 7F4390", "2500 004380", "2500 7F4390", "2500 004380", "2500 close 0"}));
    EXPECT_EQ(port.playTimeline(t), 4500);
    EXPECT_TRUE(port.timelinePlaying());
    clock.advance(2000);
    EXPECT_FALSE(port.timelinePlaying());
    EXPECT_EQ(devices.log().size(), 5u);
}
