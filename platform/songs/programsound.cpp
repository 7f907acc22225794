#include "programsound.h"

#include "platform/songs/fluidsongplayer.h"

namespace platform {
namespace {
ProgramSound* g_program = nullptr;
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
    FluidSynthEngine::setShared(engine_.get());
    g_program = this;
}

ProgramSound::~ProgramSound() {
    g_program = nullptr;
    FluidSynthEngine::setShared(nullptr);
    songs_.reset();
    engine_.reset();
}

ProgramSound* ProgramSound::instance() { return g_program; }

} // namespace platform
