// The generated songs through the song player, rendered offline (no sound card), and the
// player's answers to the ways it can be misused.
#include "common/testing/testoutput.h"
#include "platform/midi/tests/wavfile.h"
#include "platform/paths.h"
#include "platform/midi/fluidsynthmidiout.h"
#include "platform/midi/systemmididevices.h"
#include "platform/songs/fluidsongplayer.h"
#include "platform/songs/programsound.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;

namespace {
FluidSongPlayer::Options offline(const QString& wav = QString()) {
    FluidSongPlayer::Options o;
    o.offline = true;
    o.wavFile = wav;
    return o;
}
} // namespace

TEST(Songs, GeneratedFilesPlayForTheirLength) {
    struct Case { const char* file; int ticks; qint64 ms; };
    for (const Case& c : {Case{"\\fugue7.mid", 9 * 1920, 15000}, Case{"\\done.mid", 3360, 3500}}) {
        const QString path = Paths::shareFile(c.file);
        ASSERT_TRUE(QFile::exists(path)) << path.toStdString();
        const QString wav = testOutputPath(QString(c.file).mid(1).replace(".mid", ".wav"));
        FluidSongPlayer player(offline(wav));
        ASSERT_EQ(player.open(path), SongOk) << c.file;
        ASSERT_EQ(player.play(), SongOk);
        const qint64 ran = player.renderOffline(60000, 1500);
        EXPECT_EQ(player.totalTicks(), c.ticks) << c.file;
        EXPECT_NEAR(double(ran), double(c.ms), 100.0) << c.file;
        EXPECT_FALSE(player.isPlaying());
        EXPECT_EQ(player.close(), SongOk);

        WavData w;
        ASSERT_TRUE(readWav(wav, &w)) << wav.toStdString();
        EXPECT_NEAR(w.seconds(), c.ms / 1000.0 + 1.5, 0.1);
        EXPECT_GT(w.rms(0.0, c.ms / 1000.0), 0.01) << c.file << " is (nearly) silent";
        EXPECT_LT(w.peak(), 1.0) << c.file << " clips";
    }
}

TEST(Songs, FugueOpensInCMinorAndEndsInCMajor) {
    const QString wav = testOutputPath("fugue7_check.wav");
    FluidSongPlayer player(offline(wav));
    ASSERT_EQ(player.open(Paths::shareFile("\\fugue7.mid")), SongOk);
    ASSERT_EQ(player.play(), SongOk);
    player.renderOffline(60000, 1500);
    player.close();
    WavData w;
    ASSERT_TRUE(readWav(wav, &w));
    // Bar 1 is the subject alone: its first note C4 sounds, no E natural.
    EXPECT_GT(w.power(261.63, 0.02, 0.40), 10 * w.power(329.63, 0.02, 0.40));
    // The last chord holds E natural (E4) over its C.
    EXPECT_GT(w.power(329.63, 13.5, 14.9), 10 * w.power(311.13, 13.5, 14.9));
}

TEST(Songs, MisuseAnswersWithCodes) {
    QTemporaryDir dir;
    const QString notMidi = dir.filePath("notes.mid");
    {
        QFile f(notMidi);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is not a MIDI file");
    }
    FluidSongPlayer player(offline());
    EXPECT_EQ(player.close(), SongNotOpen);
    EXPECT_EQ(player.play(), SongNotOpen);
    EXPECT_EQ(player.open(dir.filePath("missing.mid")), SongFileError);
    EXPECT_EQ(player.open(notMidi), SongFileError);
    EXPECT_FALSE(player.isOpen());

    // A second open while a song is open leaves the first one playing.
    ASSERT_EQ(player.open(Paths::shareFile("\\done.mid")), SongOk);
    ASSERT_EQ(player.play(), SongOk);
    player.renderOffline(200);
    EXPECT_TRUE(player.isPlaying());
    const int tick = player.currentTick();
    EXPECT_GT(tick, 0);
    EXPECT_EQ(player.open(Paths::shareFile("\\fugue7.mid")), SongInUse);
    EXPECT_EQ(player.play(), SongOk);  // goes on where it was
    EXPECT_GE(player.currentTick(), tick);
    EXPECT_EQ(player.totalTicks(), 3360);
    EXPECT_EQ(player.close(), SongOk);
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(player.close(), SongNotOpen);
}

TEST(Songs, MissingAudioOutputIsAFailureNotACrash) {
    FluidSongPlayer::Options o;
    o.audioDrivers = {"no-such-driver"};
    FluidSongPlayer player(o);
    ASSERT_EQ(player.open(Paths::shareFile("\\done.mid")), SongOk);
    EXPECT_EQ(player.play(), SongNoDevice);
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(player.close(), SongOk);
}

TEST(Songs, MissingSoundfontIsAFailure) {
    FluidSongPlayer::Options o = offline();
    o.soundfont = "/nonexistent/none.sf2";
    FluidSongPlayer player(o);
    EXPECT_EQ(player.open(Paths::shareFile("\\done.mid")), SongNoDevice);
    EXPECT_FALSE(player.isOpen());
}

TEST(Songs, RecorderPlayerActsLikeThePlayer) {
    QTemporaryDir dir;
    const QString song = dir.filePath("a song.mid");
    ASSERT_TRUE(QFile::copy(Paths::shareFile("\\done.mid"), song));
    RecorderSongPlayer p;
    EXPECT_EQ(p.open(dir.filePath("none.mid")), SongFileError);
    EXPECT_EQ(p.open(song), SongOk);
    EXPECT_EQ(p.open(song), SongInUse);
    EXPECT_EQ(p.play(), SongOk);
    EXPECT_TRUE(p.isPlaying());
    EXPECT_EQ(p.close(), SongOk);
    EXPECT_EQ(p.close(), SongNotOpen);
    EXPECT_EQ(p.calls, QStringList({"open " + dir.filePath("none.mid") + " -> 3", "open " + song + " -> 0",
                                    "open " + song + " -> 2", "play -> 0", "close -> 0", "close -> 1"}));
}

// The level-up fanfare plays while the MIDI port is open, on the port's own engine: the
// port's channels keep their programs, controllers, bend and the note they hold.
TEST(Songs, FanfareLeavesThePortsChannelsAsTheyWere) {
    FluidSynthEngine::Options e;
    e.offline = true;
    auto engine = std::make_shared<FluidSynthEngine>(e);
    qint32 rc = -1;
    auto port = FluidSynthMidiOut::open(engine, {}, &rc);
    ASSERT_EQ(rc, MidiOk);
    fluid_synth_t* synth = engine->synth();
    for (quint32 m : {packShortMessage(0xC0, 19), packShortMessage(0xB0, 7, 90), packShortMessage(0xB0, 10, 30),
                      packShortMessage(0xE1, 0, 80), packShortMessage(0xB2, 91, 77), 0xC9u,
                      packShortMessage(0x90, 60, 100)})  // an organ note held on channel 0
        port->shortMessage(m);
    struct ChannelState {
        int sfont = 0, bank = 0, program = 0, bend = 0;
        std::vector<int> cc;
        bool operator==(const ChannelState& o) const {
            return sfont == o.sfont && bank == o.bank && program == o.program && bend == o.bend && cc == o.cc;
        }
    };
    auto snapshot = [&] {
        std::vector<ChannelState> out;
        for (int c = 0; c < FluidSynthEngine::PortChannels; ++c) {
            ChannelState s;
            fluid_synth_get_program(synth, c, &s.sfont, &s.bank, &s.program);
            fluid_synth_get_pitch_bend(synth, c, &s.bend);
            for (int n = 0; n < 128; ++n) {
                int v = 0;
                fluid_synth_get_cc(synth, c, n, &v);
                s.cc.push_back(v);
            }
            out.push_back(s);
        }
        return out;
    };
    const std::vector<ChannelState> before = snapshot();
    EXPECT_EQ(before[0].program, 19);
    EXPECT_EQ(before[0].cc[7], 90);

    FluidSongPlayer::Options o;
    o.offline = true;
    o.engine = engine;
    FluidSongPlayer songs(o);
    ASSERT_EQ(songs.open(Paths::shareFile("\\done.mid")), SongOk);
    ASSERT_EQ(songs.play(), SongOk);
    EXPECT_NEAR(double(songs.renderOffline(10000, 500)), 3500.0, 100.0);
    int sfont = 0, bank = 0, program = 0;
    fluid_synth_get_program(synth, FluidSynthEngine::SongChannelBase, &sfont, &bank, &program);
    EXPECT_EQ(program, 56) << "the fanfare's trumpet is on the songs' first channel";
    EXPECT_EQ(songs.close(), SongOk);
    engine->renderOffline(100);

    EXPECT_TRUE(snapshot() == before);
    EXPECT_GE(fluid_synth_get_active_voice_count(synth), 1) << "the port's held note was cut";
    EXPECT_EQ(port->close(), MidiOk);
}

// The program's sound is the one owner of its engine: the mapper and the songs play on it while
// it is there, and it takes the engine with it when it ends, though a device list (in the
// program a static) opened the mapper and a song was left open, as a level-up song is when the
// program quits. Nothing of the synthesizer is left for the destructors that run after main().
TEST(ProgramSound, TakesItsEngineWithItWhenItEnds) {
    const QString song = Paths::shareFile("\\done.mid");
    SystemMidiDevices devices(QStringList{});
    std::weak_ptr<FluidSynthEngine> engine;
    {
        ProgramSound sound({"no-such-driver"});
        engine = FluidSynthEngine::shared();
        ASSERT_EQ(engine.lock().get(), &sound.engine());
        EXPECT_EQ(&SongPlayer::instance(), static_cast<SongPlayer*>(&sound.songs()));
        devices.open(MidiDevices::Mapper, nullptr);  // no output to open here: only the engine is asked for
        EXPECT_EQ(SongPlayer::instance().open(song), SongOk);
    }
    EXPECT_TRUE(engine.expired());
    EXPECT_EQ(FluidSynthEngine::shared(), nullptr);
    EXPECT_EQ(SongPlayer::instance().open(song), SongNoDevice);
}

// Whoever still holds the engine as the program's sound ends would keep the synthesizer's
// threads past main(): the sound says so (a debug build stops there), and the engine it no
// longer owns is not handed out any more.
TEST(ProgramSound, ChecksThatItLetsGoOfItsEngineLast) {
    static long reported;
    reported = -1;
    const auto previous = ProgramSound::setEngineHeldHandler([](long others) { reported = others; });
    for (const bool heldElsewhere : {false, true}) {
        SCOPED_TRACE(heldElsewhere ? "held elsewhere" : "not held elsewhere");
        reported = -1;
        std::shared_ptr<FluidSynthEngine> holder;
        {
            ProgramSound sound({"no-such-driver"});
            if (heldElsewhere) holder = FluidSynthEngine::shared();
        }
        EXPECT_EQ(reported, heldElsewhere ? 1 : -1);
        EXPECT_EQ(FluidSynthEngine::shared(), nullptr);
    }
    ProgramSound::setEngineHeldHandler(previous);
}
