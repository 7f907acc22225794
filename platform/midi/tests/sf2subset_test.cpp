// A soundfont subset sounds exactly as the same presets of the whole file.
#include "platform/midi/fluidengine.h"
#include "platform/midi/sf2subset.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;

namespace {

// Renders one note (program change first) on a synth loaded with `soundfont` through the
// subset loader; returns the left channel.
std::vector<float> renderNote(const QString& soundfont, int channel, int program, int key, int frames) {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_synth_add_sfloader(synth, Sf2File::newSubsetLoader(settings));
    std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
    if (fluid_synth_sfload(synth, soundfont.toLocal8Bit().constData(), 1) != FLUID_FAILED) {
        fluid_synth_program_change(synth, channel, program);
        fluid_synth_noteon(synth, channel, key, 100);
        fluid_synth_write_float(synth, frames / 2, left.data(), 0, 1, right.data(), 0, 1);
        fluid_synth_noteoff(synth, channel, key);
        fluid_synth_write_float(synth, frames - frames / 2, left.data(), frames / 2, 1, right.data(), frames / 2, 1);
    } else {
        left.clear();
    }
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return left;
}

// Renders `notes` (key, velocity; one after another, each held `holdFrames` then released for
// as long) on channel 0's piano from a subset of `file`. A lazy subset is pinned and has each
// note's samples read just before the note, as the engine does. Returns the left channel.
std::vector<float> renderPiano(Sf2File& file, bool lazy, const std::vector<std::pair<int, int>>& notes,
                               int holdFrames, qint64* unreadBefore = nullptr, qint64* unreadAfter = nullptr) {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_synth_add_sfloader(synth, Sf2File::newSubsetLoader(settings));
    const QString name = file.subset({{0, 0}}, lazy);
    const int id = fluid_synth_sfload(synth, name.toLocal8Bit().constData(), 1);
    std::vector<float> left, right;
    if (id != FLUID_FAILED) {
        if (lazy) {
            EXPECT_EQ(fluid_synth_pin_preset(synth, id, 0, 0), FLUID_OK);
        }
        Sf2File::endLazyReading(name);
        if (unreadBefore) *unreadBefore = Sf2File::unreadBytes(name);
        const size_t frames = notes.size() * 2 * size_t(holdFrames);
        left.resize(frames);
        right.resize(frames);
        int at = 0;
        for (const auto& [key, velocity] : notes) {
            file.loadSamples(name, {{{0, 0}, false, key, velocity}});
            fluid_synth_noteon(synth, 0, key, velocity);
            fluid_synth_write_float(synth, holdFrames, left.data(), at, 1, right.data(), at, 1);
            fluid_synth_noteoff(synth, 0, key);
            fluid_synth_write_float(synth, holdFrames, left.data(), at + holdFrames, 1, right.data(), at + holdFrames, 1);
            at += 2 * holdFrames;
        }
        if (unreadAfter) *unreadAfter = Sf2File::unreadBytes(name);
    }
    Sf2File::forgetUnread(name);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return left;
}

double energy(const std::vector<float>& v) {
    double e = 0;
    for (float x : v) e += double(x) * x;
    return e;
}

} // namespace

TEST(Sf2Subset, SoundsAsTheWholeFile) {
    routeFluidSynthLog();
    const QString path = generalMidiSoundfont();
    auto file = Sf2File::open(path);
    ASSERT_TRUE(file) << path.toStdString();
    EXPECT_TRUE(file->hasPreset({0, 0}));
    EXPECT_TRUE(file->hasPreset({128, 0}));
    EXPECT_GT(file->presets().size(), 128u);

    struct Case { int channel, program, key; };
    const Case cases[] = {{0, 0, 60}, {0, 0, 21}, {9, 0, 75}, {9, 0, 40}, {1, 56, 79}, {2, 57, 48}};
    const std::set<Sf2File::Preset> wanted = {{0, 0}, {128, 0}, {0, 56}, {0, 57}};
    const QString subset = file->subset(wanted);
    const int frames = 44100 / 2;
    for (const Case& c : cases) {
        const std::vector<float> whole = renderNote(path, c.channel, c.program, c.key, frames);
        const std::vector<float> part = renderNote(subset, c.channel, c.program, c.key, frames);
        ASSERT_EQ(part.size(), whole.size()) << "channel " << c.channel << " program " << c.program;
        EXPECT_GT(energy(whole), 0.01) << "channel " << c.channel << " program " << c.program << " is silent";
        EXPECT_TRUE(part == whole) << "channel " << c.channel << " program " << c.program << " key " << c.key;
    }
    // A program the subset does not hold is not there (FluidSynth falls back to another).
    EXPECT_FALSE(renderNote(subset, 0, 19, 60, frames) == renderNote(path, 0, 19, 60, frames));
}

TEST(Sf2Subset, LazySamplesAreReadKeyByKeyAndSoundTheSame) {
    routeFluidSynthLog();
    auto file = Sf2File::open(generalMidiSoundfont());
    ASSERT_TRUE(file);
    // Low, middle and high keys, soft and loud, each long enough to reach its loop and
    // ring out its release (what FluidSynth judges from the loop when it loads a sample).
    const std::vector<std::pair<int, int>> notes = {{21, 40}, {60, 100}, {61, 127}, {96, 70}, {108, 20}};
    const int hold = 44100;
    qint64 before = 0, after = 0;
    const std::vector<float> lazy = renderPiano(*file, true, notes, hold, &before, &after);
    const std::vector<float> whole = renderPiano(*file, false, notes, hold);
    ASSERT_EQ(lazy.size(), whole.size());
    ASSERT_FALSE(whole.empty());
    EXPECT_GT(energy(whole), 0.01);
    EXPECT_TRUE(lazy == whole) << "a lazily read piano sounds different";
    // Most of the piano was left unread at first, and the five notes read only their keys'.
    EXPECT_GT(before, 2 * 1024 * 1024);
    EXPECT_LT(after, before);
    EXPECT_GT(after, before / 2);
}

TEST(Sf2Subset, SampleDataIsReadFromTheFileInPlace) {
    const QString path = generalMidiSoundfont();
    auto file = Sf2File::open(path);
    ASSERT_TRUE(file);
    const QString subset = file->subset({{0, 0}});
    const qint64 size = Sf2File::subsetSize(subset);
    ASSERT_GT(size, 0);
    EXPECT_LT(size, QFileInfo(path).size());
    const QByteArray head = Sf2File::subsetBytes(subset, 0, 12);
    EXPECT_TRUE(head.startsWith("RIFF"));
    EXPECT_EQ(head.mid(8, 4), QByteArray("sfbk"));
    EXPECT_EQ(qFromLittleEndian<quint32>(head.constData() + 4), quint32(size - 8));
    EXPECT_TRUE(Sf2File::subsetBytes("tonvale-sf2-subset:none", 0, 4).isEmpty());
    EXPECT_TRUE(Sf2File::subsetBytes(subset, size - 2, 4).isEmpty());
}

TEST(Sf2Subset, RefusesWhatIsNoSoundfont) {
    QTemporaryDir dir;
    struct Case { const char* name; QByteArray bytes; };
    const Case cases[] = {
        {"empty.sf2", ""},
        {"text.sf2", "not a soundfont at all"},
        {"wave.sf2", QByteArray("RIFF\x04\x00\x00\x00WAVE", 12)},
        {"truncated.sf2", QByteArray("RIFF\xff\xff\x00\x00sfbkLIST\x10\x00\x00\x00INFO", 24)},
    };
    for (const Case& c : cases) {
        QFile f(dir.filePath(c.name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        f.close();
        EXPECT_FALSE(Sf2File::open(f.fileName())) << c.name;
    }
    EXPECT_FALSE(Sf2File::open(dir.filePath("missing.sf2")));
}
