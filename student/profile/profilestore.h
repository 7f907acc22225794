#pragma once
// The profile file: one "begin".."end" block per player, kept as a stored text in the data
// folder. Every operation reads the file anew; none writes it after a read that failed, and
// every write replaces the file whole (see common::writeFileAtomic).
//
// A save that fails is told in a "Profile Error" box. What SaveProfile could not write is
// kept in memory and laid over the file by every read (so the lesson list and the player
// dialog show it) until a write of the profile succeeds, which then writes it too.
#include "playersession.h"

#include <QString>
#include <QVector>

class QWidget;

namespace tonvale {

enum class ProfileRead {
    Ok,       // read and decoded
    Missing,  // no file yet: an empty profile
    Failed,   // unreadable or undecodable: left as it is, never rewritten from empty text
};

struct ProfileText {
    ProfileRead status = ProfileRead::Missing;
    QString text;  // empty unless Ok; what failed saves kept is laid over it
    QString why;   // Failed: why the file was not used
    quint64 keptUpTo = 0;  // the kept changes that text holds (a write of it makes them saved)
    bool usable() const { return status != ProfileRead::Failed; }
};

// One player as the player dialog lists it: the name, the password of the player's own block
// (or the one given when the player was added), and the block as it stands in the file
// (empty for a player added since the file was read). A name is one player: when a file
// holds it twice, the first block is the player's own (the one every reader opens) and the
// later ones are kept with it, written after it, and deleted with the player.
struct PlayerEntry {
    QString name;
    bool hasPassword = false;
    QString password;
    QString block;
    QString laterBlocks;
};

class ProfileStore {
public:
    static QString profilePath();  // "Tonvale.txt" in the data folder
    static QString backupPath();   // "Tonvale.txt.bak" in the data folder
    // The profile with the kept changes laid over it. A 0-byte profile beside a backup that
    // holds players is damage (this program never writes one): it is Failed, so nothing is
    // built on it and the backup, the only copy left, is never replaced.
    static ProfileText read();

    // ---- SaveProfile: the current player's block and the backup ----
    enum class SaveResult {
        Saved,
        NotRead,       // the profile could not be read: nothing written
        NoBlock,       // the file holds no block of the current player: nothing written
        WriteFailed,   // the profile could not be written: old file and backup untouched
        BackupFailed,  // the profile was written, the backup not
    };
    // What the save is for; it words the message when the save fails.
    enum class SaveReason { LessonResult, Password, Settings };
    // NotRead, NoBlock and WriteFailed show the "Profile Error" box and keep the player's
    // values (the current lesson's record, password, bounds, practice mode, interval naming)
    // until a later write of the profile succeeds; while no player is chosen there is no one
    // to tell and nothing to keep.
    // The record written is that of `lesson` (the lesson shown, 0 for the lesson list) at
    // `level` (the internal level, the shown one plus one).
    static SaveResult SaveProfile(const PlayerSession& session, qint16 lesson, qint16 level,
                                  SaveReason reason = SaveReason::LessonResult);
    // The text with every kept change written into its player's block (blocks of players
    // not in the text are skipped).
    static QString withKept(const QString& text, const QString& path = profilePath());
    // Lessons (0..7) whose records the player has kept, not yet written.
    static QVector<int> keptLessons(const QString& playerName);
    static void forgetKept();  // a program that has just started
    // The block with the session's values written into it (lines in their order, missing
    // settings added before "end").
    static QString rebuildBlock(const QString& block, const PlayerSession& session, qint16 lesson, qint16 level);
    // "lesson<n>=L..S..M..Q.." of a lesson at a level.
    static QString lessonLine(const PlayerSession& session, qint16 lesson, qint16 level);

    // ---- The player dialog's list ----
    // Every player in file order, each once, with the password of the player's own block.
    static QVector<PlayerEntry> scanPlayers(const QString& text);
    // A new player's block: begin, name, password (when known), upper=89, lower=79, end.
    static QString newBlock(const QString& name, bool hasPassword, const QString& password);
    // The whole file rebuilt from the list: each listed player's block as read, or a new one.
    static QString buildProfiles(const QVector<PlayerEntry>& players);
    // Writes buildProfiles (no backup). False, and nothing written, when the dialog's read
    // of the file failed or the write failed; *why (when given) then says why. The caller
    // tells the user, since only it knows what the write was for.
    static bool SaveProfiles(const ProfileText& readWhenOpened, const QVector<PlayerEntry>& players,
                             QString* why = nullptr);

    // The "Profile Error" box: what failed, why, and what became of the change.
    static void tellFailure(const QString& what, const QString& why, const QString& after, QWidget* owner);

    // Removes the temporaries that a killed save left in the data folder (called at start-up).
    static int removeStaleTemporaries();

    // ---- Export and import of one player ----
    enum class ExportResult { Exported, Cancelled, ProfileNotRead, InUse, WriteFailed };
    static ExportResult exportPlayer();  // mnuExport_Click
    enum class ImportResult {
        Imported, Cancelled, ProfileNotRead, FileNotRead, NoName, NoPassword, WrongPassword,
        NotOverwritten, WriteFailed,
    };
    static ImportResult importPlayer();  // mnuImport_Click

    // The text is exactly one block ("begin" .. "end", every line ended by CR LF) with one
    // name line; gives its name and, when it has one, its password.
    static bool singleBlock(const QString& text, QString* name, bool* hasPassword, QString* password);

    // The same file, whatever the spelling of the path (links, "..", relative parts).
    static bool samePath(const QString& a, const QString& b);
};

} // namespace tonvale
