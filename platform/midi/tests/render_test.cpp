// Real sound without a sound card: timelines recorded from the devices are rendered offline
// through FluidSynth and measured.
#include "common/testing/testoutput.h"
#include "platform/clock.h"
#include "platform/midi/fluidengine.h"
#include "platform/midi/recordermidiout.h"
#include "wavfile.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace platform;

namespace {
// A C major chord (C4 E4 G4 C5) played on the recorder: note-ons at 0 ms, note-offs at 1500 ms.
std::vector<TimedMessage> recordCMajorChord() {
    VirtualClock clock(5000);
    ClockOverride guard(&clock);
    RecorderMidiDevices devices;
    qint32 rc = -1;
    std::unique_ptr<MidiOut> out = devices.open(MidiDevices::Mapper, &rc);
    EXPECT_EQ(rc, MidiOk);
    for (int key : {60, 64, 67, 72}) out->shortMessage(packShortMessage(0x90, quint8(key), 100));
    clock.advance(1500);
    for (int key : {60, 64, 67, 72}) out->shortMessage(packShortMessage(0x80, quint8(key), 0));
    return devices.messages();
}
} // namespace

TEST(RenderToWav, CMajorChordIsHeard) {
    ASSERT_FALSE(generalMidiSoundfont().isEmpty()) << "no General MIDI soundfont installed";
    const std::vector<TimedMessage> chord = recordCMajorChord();
    ASSERT_EQ(chord.size(), 8u);
    EXPECT_EQ(chord.back().timeMs - chord.front().timeMs, 1500);

    const QString path = testOutputPath("recorded_chord.wav");
    QFile::remove(path);
    ASSERT_TRUE(renderToWav(chord, path, 1000));
    WavData wav;
    ASSERT_TRUE(readWav(path, &wav));
    EXPECT_EQ(wav.sampleRate, 44100);
    EXPECT_NEAR(wav.seconds(), 2.5, 0.05);

    const double held = wav.rms(0.05, 1.45);
    EXPECT_GT(held, 0.01) << "the chord is (nearly) silent";
    EXPECT_LT(wav.peak(), 1.0) << "the chord clips";
    EXPECT_LT(wav.rms(2.3, 2.5), held / 4) << "the chord does not die away after its note-offs";

    // The chord's own pitches stand far above a foreign one (F#4).
    const double foreign = wav.power(370.0, 0.1, 1.4);
    for (double hz : {261.63, 329.63, 392.0, 523.25})
        EXPECT_GT(wav.power(hz, 0.1, 1.4), 10 * foreign) << hz << " Hz";
}

TEST(RenderToWav, NothingPlayedIsSilence) {
    ASSERT_FALSE(generalMidiSoundfont().isEmpty());
    const QString path = testOutputPath("silence.wav");
    ASSERT_TRUE(renderToWav({}, path, 500));
    WavData wav;
    ASSERT_TRUE(readWav(path, &wav));
    EXPECT_NEAR(wav.seconds(), 0.5, 0.01);
    EXPECT_LT(wav.rms(), 1e-4);
}

TEST(RenderToWav, MissingSoundfontFails) {
    EXPECT_FALSE(renderToWav({{0, packShortMessage(0x90, 60, 100)}}, testOutputPath("none.wav"), 100,
                             "/nonexistent/none.sf2"));
}

// The metronome click: program 0 on the percussion channel, then key 75 (claves) on and off.
TEST(RenderToWav, PercussionClickIsHeard) {
    ASSERT_FALSE(generalMidiSoundfont().isEmpty());
    const std::vector<TimedMessage> click = {
        {0, 0xC9}, {0, packShortMessage(0x99, 75, 127)}, {0, packShortMessage(0x89, 75, 0)}};
    const QString path = testOutputPath("click.wav");
    ASSERT_TRUE(renderToWav(click, path, 500));
    WavData wav;
    ASSERT_TRUE(readWav(path, &wav));
    EXPECT_GT(wav.rms(0.0, 0.1), 0.005) << "the click is (nearly) silent";
}
