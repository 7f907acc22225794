#pragma once
// The program's sound: the one FluidSynth engine that the MIDI Mapper and the songs play on,
// and the song player on it. main() makes it right after the application object (the engine
// starts loading on its own thread then) and it ends before main() returns: after the main
// window, which holds the MIDI port, and while everything the engine uses is still there.
// The song is closed first, then the engine's threads stop and its synth goes, so nothing of
// the synthesizer is left for the static destructors that run after main().
#include "platform/midi/fluidengine.h"

#include <memory>

namespace platform {

class FluidSongPlayer;

class ProgramSound {
public:
    // audioDrivers: where the engine's output is opened ahead and the songs play.
    explicit ProgramSound(const QStringList& audioDrivers = defaultAudioDrivers());
    ~ProgramSound();
    ProgramSound(const ProgramSound&) = delete;
    ProgramSound& operator=(const ProgramSound&) = delete;

    // The program's sound while it exists, else nullptr.
    static ProgramSound* instance();

    // Called as the program's sound ends while others still hold its engine: a fault, since
    // the synthesizer and its threads would then outlive main() (and quitting would abort in
    // the destructors after it). The default stops a debug build at once and reports it on the
    // error output otherwise; tests put their own. Returns the handler it replaces.
    using EngineHeldHandler = void (*)(long otherHolders);
    static EngineHeldHandler setEngineHeldHandler(EngineHeldHandler handler);
    FluidSynthEngine& engine() { return *engine_; }
    FluidSongPlayer& songs() { return *songs_; }

private:
    std::shared_ptr<FluidSynthEngine> engine_;
    std::unique_ptr<FluidSongPlayer> songs_;
};

} // namespace platform
