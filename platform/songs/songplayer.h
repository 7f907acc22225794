#pragma once
// Songs: one standard MIDI file at a time, opened as "the song", played in the background
// and closed again. Independent of the MIDI output port (it has its own synth and audio).
#include <QString>
#include <QStringList>

namespace platform {

enum SongResult {
    SongOk = 0,
    SongNotOpen = 1,      // play or close without an open song
    SongInUse = 2,        // open while a song is still open
    SongFileError = 3,    // missing, unreadable or not a standard MIDI file
    SongNoDevice = 4,     // no soundfont or no audio output
};

class SongPlayer {
public:
    virtual ~SongPlayer() = default;
    // Opens a standard MIDI file as the song. Fails while a song is open (SongInUse) and for a
    // missing or unreadable file (SongFileError); the open song, if any, stays as it was.
    virtual int open(const QString& path) = 0;
    // Starts the open song and returns at once; it plays on in the background until it ends
    // or is closed. A song already started goes on as it is.
    virtual int play() = 0;
    // Stops the song, silences it and closes it; SongNotOpen when none is open.
    virtual int close() = 0;
    virtual bool isOpen() const = 0;
    // Started and not yet past its last note.
    virtual bool isPlaying() const = 0;

    // The player the program uses (the program's sound: FluidSynth on the desktop's audio
    // output) unless a test installed another; without either, one with no device.
    static SongPlayer& instance();
    static void setInstance(SongPlayer* player);  // nullptr restores the real player
};

class SongPlayerOverride {
public:
    explicit SongPlayerOverride(SongPlayer* p) { SongPlayer::setInstance(p); }
    ~SongPlayerOverride() { SongPlayer::setInstance(nullptr); }
};

// Test double: behaves like a player whose songs never end by themselves and records every
// call as "open <path> -> <result>", "play -> <result>", "close -> <result>".
class RecorderSongPlayer : public SongPlayer {
public:
    int open(const QString& path) override;
    int play() override;
    int close() override;
    bool isOpen() const override { return !path_.isEmpty(); }
    bool isPlaying() const override { return playing_; }
    QString song() const { return path_; }

    QStringList calls;

private:
    int note(const QString& call, int result);
    QString path_;
    bool playing_ = false;
};

} // namespace platform
