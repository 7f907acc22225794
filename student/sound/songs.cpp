#include "songs.h"

#include "platform/songs/songplayer.h"

namespace sound {

void PlaySong(const QString& path) {
    platform::SongPlayer& player = platform::SongPlayer::instance();
    player.open(path);
    player.play();
}

void CloseSong() { platform::SongPlayer::instance().close(); }

} // namespace sound
