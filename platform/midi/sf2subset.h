#pragma once
// A SoundFont 2 file seen through a chosen set of its presets. FluidSynth builds a large
// structure for every zone of every preset it loads (a General MIDI soundfont costs megabytes
// before a single sample is read), while the program sounds only a handful of presets. A
// subset is a small soundfont made in memory (the file's INFO, its sample data left in place
// on disk, and preset data holding only the chosen presets with their instruments and
// samples); FluidSynth loads it through file callbacks that read the sample data from the
// original file, so a subset sounds exactly as the same presets of the whole file.
#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <fluidsynth.h>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace platform {

class Sf2File {
public:
    using Preset = std::pair<int, int>;  // (bank, program); drum kits are in bank 128

    // Reads the file's layout and preset data (not its samples); nullptr when it is not a
    // well-formed SoundFont 2 file.
    static std::shared_ptr<Sf2File> open(const QString& path);

    QString path() const { return path_; }
    // The presets the file has.
    std::set<Preset> presets() const;
    bool hasPreset(const Preset& p) const;

    // The in-memory soundfont holding only `presets` (those the file lacks are left out), as
    // a name to give fluid_synth_sfload on a synth that has a newSubsetLoader(). Each call
    // makes a new subset; subsets stay readable for the life of the process (they are small).
    QString subset(const std::set<Preset>& presets);

    // A default FluidSynth soundfont loader that also opens the names subset() gives (and
    // plain files as before). Owned by the synth it is added to.
    static fluid_sfloader_t* newSubsetLoader(fluid_settings_t* settings);

    // The bytes of a subset as FluidSynth reads them; empty for a name subset() did not give.
    static QByteArray subsetBytes(const QString& name, qint64 offset, qint64 count);
    static qint64 subsetSize(const QString& name);

    struct Layout;
    ~Sf2File();

private:
    Sf2File() = default;
    QString path_;
    std::unique_ptr<Layout> layout_;
};

} // namespace platform
