#include "platform/paths.h"
#include "platform/songs/fluidsongplayer.h"
#include "student/sound/songs.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;
using sound::CloseSong;
using sound::PlaySong;

TEST(SongsProcedures, PlayOpensThenStartsAndCloseCloses) {
    QTemporaryDir dir;
    const QString song = dir.filePath("fugue7.mid");
    ASSERT_TRUE(QFile::copy(Paths::shareFile("\\fugue7.mid"), song));
    RecorderSongPlayer player;
    SongPlayerOverride guard(&player);

    CloseSong();                                  // nothing open: nothing happens
    PlaySong(dir.filePath("missing.mid"));        // silent failure, nothing plays
    EXPECT_FALSE(player.isPlaying());
    PlaySong(song);
    EXPECT_TRUE(player.isPlaying());
    PlaySong(Paths::shareFile("\\done.mid"));     // the song still open goes on
    EXPECT_EQ(player.song(), song);
    CloseSong();
    EXPECT_FALSE(player.isOpen());

    const QString done = Paths::shareFile("\\done.mid");
    EXPECT_EQ(player.calls, QStringList({"close -> 1",
                                         "open " + dir.filePath("missing.mid") + " -> 3", "play -> 1",
                                         "open " + song + " -> 0", "play -> 0",
                                         "open " + done + " -> 2", "play -> 0",
                                         "close -> 0"}));
}

// The real player, rendering instead of sounding: a path with blanks plays, CloseSong stops it.
TEST(SongsProcedures, FluidSynthPlayerOffline) {
    QTemporaryDir dir;
    const QString song = dir.filePath("level up/done song.mid");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("level up")));
    ASSERT_TRUE(QFile::copy(Paths::shareFile("\\done.mid"), song));
    FluidSongPlayer::Options o;
    o.offline = true;
    FluidSongPlayer player(o);
    SongPlayerOverride guard(&player);

    PlaySong(song);
    EXPECT_TRUE(player.isOpen());
    player.renderOffline(500);
    EXPECT_TRUE(player.isPlaying());
    EXPECT_GT(player.currentTick(), 0);
    CloseSong();
    EXPECT_FALSE(player.isOpen());
    EXPECT_FALSE(player.isPlaying());
    CloseSong();
}
