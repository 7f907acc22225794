#pragma once
// A SoundFont 2 file seen through a chosen set of its presets. FluidSynth builds a large
// structure for every zone of every preset it loads (a General MIDI soundfont costs megabytes
// before a single sample is read), while the program sounds only a handful of presets. A
// subset is a small soundfont made in memory (the file's INFO, its sample data left in place
// on disk, and preset data holding only the chosen presets with their instruments and
// samples); FluidSynth loads it through file callbacks that read the sample data from the
// original file, so a subset sounds exactly as the same presets of the whole file.
//
// A subset may also leave its samples unread until a note needs them ("lazy"): FluidSynth reads
// every sample of a preset when a channel selects it, which for a concert piano is megabytes of
// keys the program may never play. While a lazy subset is being loaded, the sample data
// FluidSynth reads is left as untouched zero pages, and loadSamples() reads a sample into
// place before the first note that plays it. The synth must pin the lazy presets, so the
// buffers the data goes into stay where they are.
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
    struct Note {
        Preset preset;  // as the channel asks for it (a missing one falls back as in FluidSynth)
        bool drum = false;
        int key = 0, velocity = 0;
    };

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
    QString subset(const std::set<Preset>& presets, bool lazySamples = false);
    // Ends the lazy reading of a subset: what FluidSynth reads of it from now on is read whole
    // (a preset it loads again later is read before its notes can be prepared).
    static void endLazyReading(const QString& name);
    // Reads into place the samples of a lazy subset that these notes play and that are still
    // unread. Call it before the notes reach the synth.
    void loadSamples(const QString& name, const std::vector<Note>& notes) const;
    // Reads into place all that a lazy subset left unread (or only the data at these offsets
    // in the file).
    static void readUnread(const QString& name, const std::set<qint64>* only = nullptr);
    // Forgets what a lazy subset left unread: before its synth goes, with the buffers.
    static void forgetUnread(const QString& name);
    // Bytes of sample data a lazy subset has left unread so far.
    static qint64 unreadBytes(const QString& name);

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
