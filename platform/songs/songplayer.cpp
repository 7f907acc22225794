#include "songplayer.h"

#include "platform/songs/fluidsongplayer.h"
#include "platform/songs/programsound.h"

#include <QFileInfo>

namespace platform {
namespace {
SongPlayer* g_player = nullptr;

// Songs where neither a stand-in nor the program's sound is there: no device to play on.
class NoSongDevice : public SongPlayer {
public:
    int open(const QString& path) override { return QFileInfo(path).isFile() ? SongNoDevice : SongFileError; }
    int play() override { return SongNotOpen; }
    int close() override { return SongNotOpen; }
    bool isOpen() const override { return false; }
    bool isPlaying() const override { return false; }
};
} // namespace

SongPlayer& SongPlayer::instance() {
    if (g_player) return *g_player;
    if (ProgramSound* program = ProgramSound::instance()) return program->songs();
    static NoSongDevice none;
    return none;
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
