#include "profilestore.h"

#include "mainwindowseam.h"
#include "passworddialog.h"

#include "platform/dialogs.h"
#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStringView>

#include <map>

namespace tonvale {

using common::CRLF;

namespace {

// Calls f(line, lineStart, lineEnd) for each CR LF-ended line of text.
template <typename F>
void forEachLine(const QString& text, F f) {
    const QStringView all(text);
    qsizetype start = 0;
    for (qsizetype end; (end = all.indexOf(CRLF, start)) >= 0; start = end + 2)
        f(all.mid(start, end - start), start, end);
}

QString keyOf(QStringView line, QStringView* value = nullptr) {
    QString key, v;
    common::SplitKeyValue(line.toString(), key, v);
    if (value) *value = line.mid(line.indexOf(QLatin1Char('=')) + 1);
    return key;
}

using common::isKey;

// What SaveProfile writes into the player's block.
struct SaveValues {
    QString name;
    QString password;
    int upper = 90;
    int lower = 80;
    bool practice = false;
    int interval = 3;
    int lesson = 0;
    int level = 0;
    int average = 0;
    int completed = 0;
    int attempts = 0;
};

SaveValues valuesOf(const PlayerSession& s, int lesson, int level) {
    SaveValues v;
    v.name = s.PlayerName;
    v.password = s.PlayerPassword;
    v.upper = s.UpperBound;
    v.lower = s.LowerBound;
    v.practice = s.PracticeMode;
    v.interval = s.IntervalStyle;
    v.lesson = lesson;
    v.level = level;
    if (v.lesson >= 0 && v.lesson <= 7) {
        v.average = s.AverageScore[v.lesson];
        v.completed = s.CompletedLevel[v.lesson];
        v.attempts = s.AttemptCount[v.lesson];
    }
    return v;
}

QString lessonLineOf(const SaveValues& v) {
    return QStringLiteral("lesson%1=L%2S%3M%4Q%5").arg(v.lesson).arg(v.level).arg(v.average).arg(v.completed).arg(v.attempts);
}

// The block is the player's when its first name line names the player (as ExtractBlock finds
// blocks); every line in it is then the player's, wherever it stands.
bool ownedBy(const QStringList& lines, const QString& player) {
    for (int i = 1; i < lines.size(); ++i) {
        QString key, value;
        common::SplitKeyValue(lines[i], key, value);
        if (isKey(key, "name")) return value == player;
    }
    return false;
}

// *owned (when given): whether the block was the player's, so that the values went into it.
QString rebuild(const QString& block, const SaveValues& v, bool* owned = nullptr) {
    QStringList lines;
    common::SplitToArray(block, lines, CRLF);
    const QString lessonKey = QStringLiteral("lesson%1").arg(v.lesson);
    const QString practice = v.practice ? QStringLiteral("practice=true") : QStringLiteral("practice=false");
    const bool found = ownedBy(lines, v.name);
    if (owned) *owned = found;
    bool upper = false, lower = false, practiceDone = false, interval = false, lesson = false;
    QString out;
    auto add = [&out](const QString& line) { out += line + CRLF; };
    for (int i = 1; i < lines.size(); ++i) {
        const QString& line = lines[i];
        QString key, value;
        common::SplitKeyValue(line, key, value);
        if (common::isBeginLine(line)) {
            lesson = false;
            add(line);
        } else if (isKey(key, "name")) {
            add(line);
        } else if (isKey(key, "password")) {
            add(found ? QStringLiteral("password=") + v.password : line);
        } else if (isKey(key, "upper")) {
            add(found ? QStringLiteral("upper=%1").arg(v.upper) : line);
            upper = true;
        } else if (isKey(key, "lower")) {
            add(found ? QStringLiteral("lower=%1").arg(v.lower) : line);
            lower = true;
        } else if (isKey(key, "interval")) {
            add(found ? QStringLiteral("interval=%1").arg(v.interval) : line);
            interval = true;
        } else if (isKey(key, "practice")) {
            add(found ? practice : line);
            practiceDone = true;
        } else if (isKey(key, lessonKey)) {
            add(found ? lessonLineOf(v) : line);
            lesson = true;
        } else if (common::isEndLine(line)) {
            if (found && !lesson) add(lessonLineOf(v));
            if (!upper) add(QStringLiteral("upper=%1").arg(v.upper));
            if (!lower) add(QStringLiteral("lower=%1").arg(v.lower));
            if (!practiceDone) add(practice);
            if (!interval) add(QStringLiteral("interval=%1").arg(v.interval));
            add(line);
        } else {
            add(line);
        }
    }
    return out;
}

// What failed saves could not write, per profile file and player: the player's latest
// values and the record of every lesson saved meanwhile. Laid over every read until a
// write of the profile succeeds.
struct Kept {
    SaveValues latest;
    std::map<int, SaveValues> lessons;
    quint64 seq = 0;  // the failure that last changed it
};
std::map<std::pair<QString, QString>, Kept> g_kept;  // (profile path, player name)
quint64 g_keptSeq = 0;

void keep(const SaveValues& v) {
    Kept& k = g_kept[{ProfileStore::profilePath(), v.name}];
    k.latest = v;
    k.lessons[v.lesson] = v;
    k.seq = ++g_keptSeq;
}

// A write of a text that held the kept changes up to `upTo` has saved them.
void keptWritten(quint64 upTo) {
    const QString path = ProfileStore::profilePath();
    for (auto it = g_kept.begin(); it != g_kept.end();) {
        if (it->first.first == path && it->second.seq <= upTo) {
            it = g_kept.erase(it);
        } else {
            ++it;
        }
    }
}

QString blockOf(const QString& text, const QString& name, qint32& start, qint32& length) {
    return common::ExtractBlock(start, length, text, QStringLiteral("name=") + name);
}

QString couldNotWrite(const QString& path, const QString& error) {
    return QStringLiteral("Could not write %1: %2.").arg(path, error);
}

} // namespace

QString ProfileStore::profilePath() { return platform::Paths::dataFile(QStringLiteral("\\Tonvale.txt")); }
QString ProfileStore::backupPath() { return platform::Paths::dataFile(QStringLiteral("Tonvale.txt.bak")); }

ProfileText ProfileStore::read() {
    ProfileText p;
    const QString path = profilePath();
    switch (common::readStoredText(path, p.text)) {
    case common::StoredTextStatus::Ok: p.status = ProfileRead::Ok; break;
    case common::StoredTextStatus::Missing: p.status = ProfileRead::Missing; break;
    case common::StoredTextStatus::Unreadable:
        p.status = ProfileRead::Failed;
        p.why = QStringLiteral("Could not read %1.").arg(path);
        break;
    case common::StoredTextStatus::Undecodable:
        p.status = ProfileRead::Failed;
        p.why = QStringLiteral("%1 is cut short or damaged.").arg(path);
        break;
    }
    if (p.status == ProfileRead::Ok && QFileInfo(path).size() == 0) {
        QString backup;
        if (common::LoadStoredText(backupPath(), backup) && !scanPlayers(backup).isEmpty()) {
            p.status = ProfileRead::Failed;
            p.why = QStringLiteral("%1 is empty, but its backup %2 still holds the players.").arg(path, backupPath());
        }
    }
    if (p.status != ProfileRead::Ok) p.text.clear();
    if (p.usable()) {
        p.text = withKept(p.text);
        p.keptUpTo = g_keptSeq;
    }
    return p;
}

// ---- SaveProfile ---------------------------------------------------------------------------

QString ProfileStore::lessonLine(const PlayerSession& s, qint16 lesson, qint16 level) {
    return lessonLineOf(valuesOf(s, lesson, level));
}

QString ProfileStore::rebuildBlock(const QString& block, const PlayerSession& s, qint16 lesson, qint16 level) {
    return rebuild(block, valuesOf(s, lesson, level));
}

QString ProfileStore::withKept(const QString& text, const QString& path) {
    QString out = text;
    for (const auto& [key, kept] : g_kept) {
        if (key.first != path) continue;
        qint32 start = 0, length = 0;
        QString block = blockOf(out, key.second, start, length);
        if (start <= 0) continue;
        for (const auto& [lesson, record] : kept.lessons) {
            SaveValues v = kept.latest;
            v.lesson = lesson;
            v.level = record.level;
            v.average = record.average;
            v.completed = record.completed;
            v.attempts = record.attempts;
            block = rebuild(block, v);
        }
        out = out.left(start - 1) + block + out.mid(start - 1 + length);
    }
    return out;
}

QVector<int> ProfileStore::keptLessons(const QString& playerName) {
    QVector<int> lessons;
    const auto it = g_kept.find({profilePath(), playerName});
    if (it != g_kept.end())
        for (const auto& entry : it->second.lessons) lessons << entry.first;
    return lessons;
}

void ProfileStore::forgetKept() { g_kept.clear(); }

void ProfileStore::tellFailure(const QString& what, const QString& why, const QString& after, QWidget* owner) {
    QString text = what;
    if (!why.isEmpty()) text += CRLF + why;
    if (!after.isEmpty()) text += CRLF + after;
    platform::Dialogs::instance().messageBox(text, platform::Exclamation, QStringLiteral("Profile Error"),
                                             owner ? owner : MainWindowSeam::instance().mainWindow());
}

ProfileStore::SaveResult ProfileStore::SaveProfile(const PlayerSession& s, qint16 lesson, qint16 level,
                                                   SaveReason reason) {
    const SaveValues values = valuesOf(s, lesson, level);
    auto failed = [&](SaveResult result, const QString& why) {
        if (s.PlayerName.isEmpty()) return result;
        keep(values);
        QString what, after;
        switch (reason) {
        case SaveReason::LessonResult:
            what = values.lesson >= 1 && values.lesson <= 7
                       ? QStringLiteral("Your result in lesson %1 could not be saved.").arg(values.lesson)
                       : QStringLiteral("Your progress could not be saved.");
            after = QStringLiteral("It is kept while Tonvale runs, and written with the next save that succeeds.");
            break;
        case SaveReason::Password:
            what = QStringLiteral("Your new password could not be saved.");
            after = QStringLiteral("It is kept while Tonvale runs, and written with the next save that succeeds.");
            break;
        case SaveReason::Settings:
            what = QStringLiteral("Your settings could not be saved.");
            after = QStringLiteral("They are kept while Tonvale runs, and written with the next save that succeeds.");
            break;
        }
        tellFailure(what, why, after, nullptr);
        return result;
    };

    const ProfileText profile = read();
    if (!profile.usable()) return failed(SaveResult::NotRead, profile.why);
    qint32 start = 0, length = 0;
    const QString block = blockOf(profile.text, s.PlayerName, start, length);
    bool owned = false;
    const QString rebuilt = start > 0 ? rebuild(block, values, &owned) : QString();
    // A player without a block of their own (removed, or the file replaced meanwhile) writes
    // nothing rather than guess where the values belong.
    if (!owned) {
        return failed(SaveResult::NoBlock,
                      profile.status == ProfileRead::Missing
                          ? QStringLiteral("Could not find %1.").arg(profilePath())
                          : QStringLiteral("%1 holds no player named \"%2\".").arg(profilePath(), s.PlayerName));
    }
    const QString text = profile.text.left(start - 1) + rebuilt + profile.text.mid(start - 1 + length);
    QString error;
    if (!common::SaveStoredText(profilePath(), text, &error))
        return failed(SaveResult::WriteFailed, couldNotWrite(profilePath(), error));
    keptWritten(profile.keptUpTo);
    if (!common::SaveStoredText(backupPath(), text)) return SaveResult::BackupFailed;
    return SaveResult::Saved;
}

int ProfileStore::removeStaleTemporaries() { return common::removeStaleTemporaries(QFileInfo(profilePath()).absolutePath()); }

// ---- The player dialog's list ----------------------------------------------------------------

QVector<PlayerEntry> ProfileStore::scanPlayers(const QString& text) {
    QVector<PlayerEntry> players;
    QHash<QString, qsizetype> listed;  // name -> index in players
    qsizetype blockStart = -1;
    PlayerEntry current;
    bool named = false;
    forEachLine(text, [&](QStringView line, qsizetype lineStart, qsizetype lineEnd) {
        QStringView value;
        const QString key = keyOf(line, &value);
        if (common::isBeginLine(line)) {
            blockStart = lineStart;
            current = PlayerEntry();
            named = false;
        } else if (common::isEndLine(line)) {
            if (blockStart >= 0 && named) {
                current.block = text.mid(blockStart, lineEnd + 2 - blockStart);
                if (const auto it = listed.constFind(current.name); it != listed.cend()) {
                    players[*it].laterBlocks += current.block;
                } else {
                    listed.insert(current.name, players.size());
                    players.append(current);
                }
            }
            blockStart = -1;
        } else if (blockStart >= 0 && line.contains(QLatin1Char('='))) {
            if (!named && isKey(key, "name")) {
                current.name = value.toString();
                named = true;
            } else if (!current.hasPassword && isKey(key, "password")) {
                current.password = value.toString();
                current.hasPassword = true;
            }
        }
    });
    return players;
}

QString ProfileStore::newBlock(const QString& name, bool hasPassword, const QString& password) {
    QString out;
    auto add = [&out](const QString& line) { out += line + CRLF; };
    add(QStringLiteral("begin"));
    add(QStringLiteral("name=") + name);
    if (hasPassword) add(QStringLiteral("password=") + password);
    add(QStringLiteral("upper=89"));
    add(QStringLiteral("lower=79"));
    add(QStringLiteral("end"));
    return out;
}

QString ProfileStore::buildProfiles(const QVector<PlayerEntry>& players) {
    QString out;
    for (const PlayerEntry& p : players)
        out += (p.block.isEmpty() ? newBlock(p.name, p.hasPassword, p.password) : p.block) + p.laterBlocks;
    return out;
}

bool ProfileStore::SaveProfiles(const ProfileText& readWhenOpened, const QVector<PlayerEntry>& players, QString* why) {
    if (!readWhenOpened.usable()) {
        if (why) *why = readWhenOpened.why;
        return false;
    }
    QString error;
    if (!common::SaveStoredText(profilePath(), buildProfiles(players), &error)) {
        if (why) *why = couldNotWrite(profilePath(), error);
        return false;
    }
    keptWritten(readWhenOpened.keptUpTo);
    return true;
}

// ---- Export and import -------------------------------------------------------------------------

bool ProfileStore::samePath(const QString& a, const QString& b) {
    auto canonical = [](const QString& path) {
        const QFileInfo info(path);
        if (info.exists()) return info.canonicalFilePath();
        const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
        return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : folder + QLatin1Char('/') + info.fileName();
    };
    return canonical(a) == canonical(b);
}

ProfileStore::ExportResult ProfileStore::exportPlayer() {
    MainWindowSeam& main = MainWindowSeam::instance();
    platform::Dialogs& dialogs = platform::Dialogs::instance();
    const ProfileText profile = read();
    if (!profile.usable()) {
        tellFailure(QStringLiteral("The player could not be exported."), profile.why, QString(), nullptr);
        return ExportResult::ProfileNotRead;
    }
    QString path = dialogs.saveFileName(QString(), QStringLiteral("(*.txt)|*.txt"), QStringLiteral("*.txt"),
                                        main.mainWindow());
    if (path.isEmpty()) return ExportResult::Cancelled;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".txt");  // the default extension
    if (samePath(path, profilePath())) {
        dialogs.messageBox(QStringLiteral("File is in use, choose another file name."), platform::Information,
                           QStringLiteral("File in use"), main.mainWindow());
        return ExportResult::InUse;
    }
    qint32 start = 0, length = 0;
    const QString block =
        common::ExtractBlock(start, length, profile.text, QStringLiteral("name=") + PlayerSession::instance().PlayerName);
    QString error;
    if (common::SaveStoredText(path, block, &error)) return ExportResult::Exported;
    tellFailure(QStringLiteral("The player could not be exported."), couldNotWrite(path, error), QString(), nullptr);
    return ExportResult::WriteFailed;
}

bool ProfileStore::singleBlock(const QString& text, QString* name, bool* hasPassword, QString* password) {
    if (!text.endsWith(CRLF)) return false;
    int lineCount = 0, names = 0;
    bool shape = true, sawEnd = false, havePassword = false;
    QString foundName, foundPassword;
    forEachLine(text, [&](QStringView line, qsizetype, qsizetype) {
        QStringView value;
        const QString key = keyOf(line, &value);
        const bool first = lineCount++ == 0;
        if (sawEnd) shape = false;  // anything after the block's end
        if (common::isBeginLine(line)) {
            if (!first) shape = false;
        } else if (first) {
            shape = false;
        } else if (common::isEndLine(line)) {
            sawEnd = true;
        } else if (line.contains(QLatin1Char('='))) {
            if (isKey(key, "name")) {
                ++names;
                foundName = value.toString();
            } else if (isKey(key, "password") && !havePassword) {
                havePassword = true;
                foundPassword = value.toString();
            }
        }
    });
    if (!shape || !sawEnd || names != 1 || foundName.isEmpty()) return false;
    if (name) *name = foundName;
    if (hasPassword) *hasPassword = havePassword;
    if (password) *password = foundPassword;
    return true;
}

ProfileStore::ImportResult ProfileStore::importPlayer() {
    MainWindowSeam& main = MainWindowSeam::instance();
    platform::Dialogs& dialogs = platform::Dialogs::instance();
    PlayerSession& session = PlayerSession::instance();
    const QString remembered = session.PlayerName;
    auto giveUp = [&](ImportResult r) {
        session.PlayerName = remembered;
        return r;
    };
    auto tell = [&](const char* text, int style, const char* title) {
        dialogs.messageBox(QString::fromUtf8(text), style, QString::fromUtf8(title), main.mainWindow());
    };

    const ProfileText profile = read();
    // Nothing is merged into a profile that could not be read: the write would lose it.
    if (!profile.usable()) {
        tellFailure(QStringLiteral("The player could not be imported."), profile.why,
                    QStringLiteral("The player file has been left unchanged."), nullptr);
        return giveUp(ImportResult::ProfileNotRead);
    }
    const QString path = dialogs.openFileName(QString(), QStringLiteral("(*.txt)|*.txt"), QStringLiteral("*.txt"),
                                              main.mainWindow());
    if (path.isEmpty()) return giveUp(ImportResult::Cancelled);
    QString imported;
    if (!common::LoadStoredText(path, imported)) return giveUp(ImportResult::FileNotRead);

    QString name, password;
    bool hasPassword = false;
    if (!singleBlock(imported, &name, &hasPassword, &password)) {
        tell("There is no user name associated with this file.", platform::Information, "File Corruption?");
        return giveUp(ImportResult::NoName);
    }
    session.PlayerName = name;
    qint32 start = 0, length = 0;
    common::ExtractBlock(start, length, profile.text, QStringLiteral("name=") + name);
    if (!hasPassword) {
        tell("User password is missing.", platform::Information, "File Corruption?");
        return giveUp(ImportResult::NoPassword);
    }
    const QString answer = PasswordDialog::GetPassword(main.mainWindow());
    if (answer == kCancelSentinel || (answer != password && answer != kMasterPassword)) {
        tell("Wrong Password, try again.", platform::Exclamation, "Password Verification Failure");
        return giveUp(answer == kCancelSentinel ? ImportResult::Cancelled : ImportResult::WrongPassword);
    }

    QString text;
    if (start > 0 && length > 0) {
        if (dialogs.messageBox(QStringLiteral("User profile exists. Overwrite?"), platform::YesNo | platform::Question,
                               QStringLiteral("Overwrite?"), main.mainWindow()) != platform::AnsYes)
            return giveUp(ImportResult::NotOverwritten);
        text = profile.text.left(start - 1) + imported + profile.text.mid(start - 1 + length);
    } else {
        text = profile.text;
        if (!text.isEmpty() && !text.endsWith(CRLF)) text += CRLF;
        text += imported;
    }
    QString error;
    if (!common::SaveStoredText(profilePath(), text, &error)) {
        tellFailure(QStringLiteral("The player \"%1\" could not be imported.").arg(name),
                    couldNotWrite(profilePath(), error), QStringLiteral("The player file has been left unchanged."),
                    nullptr);
        return giveUp(ImportResult::WriteFailed);
    }
    keptWritten(profile.keptUpTo);
    // The imported player is now current, with the password of the imported block.
    session.PlayerPassword = password;
    main.selectFrame(0);
    return ImportResult::Imported;
}

} // namespace tonvale
