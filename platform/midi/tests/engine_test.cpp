// The FluidSynth engine: presets read only when asked for, messages scheduled on the synth's
// sample clock, and a background load that makes early notes wait instead of losing them.
#include "common/testing/testoutput.h"
#include "platform/clock.h"
#include "platform/midi/fluidengine.h"
#include "platform/midi/fluidsynthmidiout.h"
#include "platform/midi/tests/wavfile.h"

#include <gtest/gtest.h>

using namespace platform;
using Preset = FluidSynthEngine::Preset;

namespace {
std::shared_ptr<FluidSynthEngine> offlineEngine(const QString& wav = QString(), bool background = false) {
    FluidSynthEngine::Options o;
    o.offline = true;
    o.wavFile = wav;
    o.periodSize = 64;
    o.background = background;
    return std::make_shared<FluidSynthEngine>(o);
}
std::vector<Preset> presets(FluidSynthEngine& e) {
    const auto s = e.loadedPresets();
    return {s.begin(), s.end()};
}
} // namespace

TEST(FluidSynthEngine, ReadsOnlyThePresetsAskedFor) {
    auto engine = offlineEngine();
    ASSERT_TRUE(engine->isReady());
    EXPECT_EQ(presets(*engine), (std::vector<Preset>{{0, 0}}));
    engine->send(packShortMessage(0x90, 60, 100));      // the piano: there already
    engine->send(packShortMessage(0x99, 75, 100));      // a drum channel: the standard kit
    engine->send(packShortMessage(0xC1, 56));           // a program change: the trumpet
    engine->prepare({packShortMessage(0xC2, 57)});      // a sequence to come: the trombone
    engine->send(packShortMessage(0xC3, 57));           // already read
    EXPECT_EQ(presets(*engine), (std::vector<Preset>{{0, 0}, {0, 56}, {0, 57}, {128, 0}}));

    // The songs' channel 9 is a drum channel too; a song's channels start fresh.
    engine->resetSongChannels();
    int sfont = 0, bank = 0, program = 0;
    fluid_synth_get_program(engine->synth(), FluidSynthEngine::SongChannelBase + 9, &sfont, &bank, &program);
    EXPECT_EQ(bank, 128);
    fluid_synth_get_program(engine->synth(), FluidSynthEngine::SongChannelBase + 1, &sfont, &bank, &program);
    EXPECT_EQ(program, 0);
}

// An interval scheduled on the mapper: E for a second, then C; cancelled halfway it stops.
TEST(FluidSynthEngine, ScheduledMessagesSoundAtTheirTimes) {
    const QString wav = testOutputPath("mapper_scheduled_third.wav");
    auto engine = offlineEngine(wav);
    qint32 rc = -1;
    auto out = FluidSynthMidiOut::open(engine, {}, &rc);
    ASSERT_EQ(rc, MidiOk);
    const qint64 t0 = Clock::instance().nowMs();
    const std::vector<TimedMessage> third = {{t0, packShortMessage(0x90, 64, 127)}, {t0 + 1000, packShortMessage(0x80, 64)},
                                             {t0 + 1000, packShortMessage(0x90, 60, 127)}, {t0 + 2000, packShortMessage(0x80, 60)}};
    out->prepare(third);
    out->sendAt(third);
    EXPECT_TRUE(out->hasScheduled());
    engine->renderOffline(2500);
    EXPECT_FALSE(out->hasScheduled());
    engine->finishWav();
    WavData w;
    ASSERT_TRUE(readWav(wav, &w));
    EXPECT_GT(w.power(329.63, 0.1, 0.9), 10 * w.power(261.63, 0.1, 0.9)) << "E first";
    EXPECT_GT(w.power(261.63, 1.1, 1.9), 10 * w.power(329.63, 1.1, 1.9)) << "then C";

    const qint64 t1 = Clock::instance().nowMs();
    out->sendAt({{t1, packShortMessage(0x90, 67, 127)}, {t1 + 1000, packShortMessage(0x80, 67)}});
    engine->renderOffline(300);
    EXPECT_EQ(out->cancelScheduled(), (std::vector<TimedMessage>{{t1 + 1000, packShortMessage(0x80, 67)}}))
        << "the note-off is dropped, the note-on went out";
    EXPECT_FALSE(out->hasScheduled());
    EXPECT_EQ(out->close(), MidiOk);
}

// Loading on a worker thread: a note sent before the soundfont is there waits for it.
TEST(FluidSynthEngine, EarlyNotesWaitForTheBackgroundLoad) {
    const QString wav = testOutputPath("engine_early_note.wav");
    auto engine = offlineEngine(wav, true);
    engine->send(packShortMessage(0x90, 60, 127));
    engine->renderOffline(500);
    engine->finishWav();
    WavData w;
    ASSERT_TRUE(readWav(wav, &w));
    EXPECT_GT(w.rms(0.0, 0.5), 0.01) << "the note sent first is lost";
    EXPECT_GT(w.power(261.63, 0.0, 0.5), 10 * w.power(311.13, 0.0, 0.5));
}
