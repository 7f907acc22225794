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
