#pragma once
// MIDI-file songs: the splash window's tune and the fanfare of a level gained. One song at a
// time plays in the background on the song player (platform::SongPlayer::instance()), which
// is independent of the MIDI output port. Failures are silent: a missing file, no audio
// output or a song still open just mean no new song is heard.
#include <QString>

namespace sound {

// Opens the MIDI file at `path` (blanks allowed) as the song and starts it; returns at once.
// When a song is still open, that one goes on and `path` is not opened.
void PlaySong(const QString& path);

// Stops and closes the song; nothing happens when none is open.
void CloseSong();

} // namespace sound
