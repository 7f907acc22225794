#include "programsound.h"

#include "platform/songs/fluidsongplayer.h"

#include <QtGlobal>
#include <utility>

namespace platform {
namespace {
ProgramSound* g_program = nullptr;

void reportEngineHeld(long otherHolders) {
    qCritical("The program's sound ended while %ld other holder(s) kept its synthesizer engine", otherHolders);
    Q_ASSERT_X(otherHolders == 0, "ProgramSound", "the synthesizer engine outlives the program's sound");
}
ProgramSound::EngineHeldHandler g_engineHeld = reportEngineHeld;
} // namespace

ProgramSound::ProgramSound(const QStringList& audioDrivers) {
    FluidSynthEngine::Options o;
    o.background = true;
    o.openOutput = audioDrivers;
    engine_ = std::make_shared<FluidSynthEngine>(o);
    FluidSongPlayer::Options songs;
    songs.audioDrivers = audioDrivers;
    songs.engine = engine_;  // the MIDI port's engine, on channels of the songs' own
    songs_ = std::make_unique<FluidSongPlayer>(songs);
    FluidSynthEngine::setShared(engine_);
    g_program = this;
}

ProgramSound::~ProgramSound() {
    g_program = nullptr;
    FluidSynthEngine::setShared({});
    songs_.reset();
    // The engine's last owner lets it go here, and with it the synthesizer's threads.
    if (const long others = engine_.use_count() - 1; others > 0 && g_engineHeld) g_engineHeld(others);
    engine_.reset();
}

ProgramSound::EngineHeldHandler ProgramSound::setEngineHeldHandler(EngineHeldHandler handler) {
    return std::exchange(g_engineHeld, handler);
}

ProgramSound* ProgramSound::instance() { return g_program; }

} // namespace platform
