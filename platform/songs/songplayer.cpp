#include "songplayer.h"

#include "platform/songs/fluidsongplayer.h"

#include <QFileInfo>

namespace platform {
namespace {
SongPlayer* g_player = nullptr;
} // namespace

SongPlayer& SongPlayer::instance() {
    if (g_player) return *g_player;
    // Made at the first use without a stand-in, so tests with one never start a synthesizer.
    static FluidSongPlayer real([] {
        FluidSongPlayer::Options o;
        o.engine = FluidSynthEngine::shared();  // the MIDI port's engine, on channels of the songs' own
        return o;
    }());
    return real;
}

void SongPlayer::setInstance(SongPlayer* player) { g_player = player; }

int RecorderSongPlayer::note(const QString& call, int result) {
    calls << call + " -> " + QString::number(result);
    return result;
}

int RecorderSongPlayer::open(const QString& path) {
    if (isOpen()) return note("open " + path, SongInUse);
    if (!QFileInfo(path).isFile()) return note("open " + path, SongFileError);
    path_ = path;
    playing_ = false;
    return note("open " + path, SongOk);
}

int RecorderSongPlayer::play() {
    if (!isOpen()) return note("play", SongNotOpen);
    playing_ = true;
    return note("play", SongOk);
}

int RecorderSongPlayer::close() {
    if (!isOpen()) return note("close", SongNotOpen);
    path_.clear();
    playing_ = false;
    return note("close", SongOk);
}

} // namespace platform
