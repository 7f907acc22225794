#pragma once
// The profile file: one "begin".."end" block per player, kept as a stored text in the data
// folder. Every operation reads the file anew; none writes it after a read that failed, and
// every write replaces the file whole (see common::writeFileAtomic).
#include "playersession.h"

#include <QString>
#include <QVector>

namespace tonvale {

enum class ProfileRead {
    Ok,       // read and decoded
    Missing,  // no file yet: an empty profile
    Failed,   // unreadable or undecodable: left as it is, never rewritten from empty text
};

struct ProfileText {
    ProfileRead status = ProfileRead::Missing;
    QString text;  // empty unless Ok
    bool usable() const { return status != ProfileRead::Failed; }
};

// One player as the player dialog lists it: the name, the password of the player's own block
// (or the one given when the player was added), and the block as it stands in the file
// (empty for a player added since the file was read).
struct PlayerEntry {
    QString name;
    bool hasPassword = false;
    QString password;
    QString block;
};

class ProfileStore {
public:
    static QString profilePath();  // "Tonvale.txt" in the data folder
    static QString backupPath();   // "Tonvale.txt.bak" in the data folder
    static ProfileText read();

    // ---- SaveProfile: the current player's block and the backup ----
    enum class SaveResult {
        Saved,
        NotRead,       // the profile could not be read: nothing written
        NoBlock,       // the file holds no block of the current player: nothing written
        WriteFailed,   // the profile could not be written: old file and backup untouched
        BackupFailed,  // the profile was written, the backup not
    };
    static SaveResult SaveProfile(const PlayerSession& session = PlayerSession::instance());
    // The block with the session's values written into it (lines in their order, missing
    // settings added before "end").
    static QString rebuildBlock(const QString& block, const PlayerSession& session);
    // "lesson<n>=L..S..M..Q.." of the session's current lesson.
    static QString lessonLine(const PlayerSession& session);

    // ---- The player dialog's list ----
    // Every block's player in file order, each with its own block's password.
    static QVector<PlayerEntry> scanPlayers(const QString& text);
    // A new player's block: begin, name, password (when known), upper=89, lower=79, end.
    static QString newBlock(const QString& name, bool hasPassword, const QString& password);
    // The whole file rebuilt from the list: each listed player's block as read, or a new one.
    static QString buildProfiles(const QVector<PlayerEntry>& players);
    // Writes buildProfiles (no backup). False, and nothing written, when the dialog's read
    // of the file failed or the write failed.
    static bool SaveProfiles(const ProfileText& readWhenOpened, const QVector<PlayerEntry>& players);

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
