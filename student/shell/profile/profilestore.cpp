#include "profilestore.h"

#include "mainwindowseam.h"
#include "passworddialog.h"

#include "platform/dialogs.h"
#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStringView>

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

bool isKey(const QString& key, const char* name) { return key.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; }

} // namespace

QString ProfileStore::profilePath() { return platform::Paths::dataFile(QStringLiteral("\\Tonvale.txt")); }
QString ProfileStore::backupPath() { return platform::Paths::dataFile(QStringLiteral("Tonvale.txt.bak")); }

ProfileText ProfileStore::read() {
    ProfileText p;
    switch (common::readStoredText(profilePath(), p.text)) {
    case common::StoredTextStatus::Ok: p.status = ProfileRead::Ok; break;
    case common::StoredTextStatus::Missing: p.status = ProfileRead::Missing; break;
    default: p.status = ProfileRead::Failed; break;
    }
    if (p.status != ProfileRead::Ok) p.text.clear();
    return p;
}

// ---- SaveProfile ---------------------------------------------------------------------------

QString ProfileStore::lessonLine(const PlayerSession& s) {
    const int t = s.CurrentLesson;
    const bool known = t >= 0 && t <= 7;
    return QStringLiteral("lesson%1=L%2S%3M%4Q%5")
        .arg(t)
        .arg(s.CurrentLevel)
        .arg(known ? s.AverageScore[t] : 0)
        .arg(known ? s.CompletedLevel[t] : 0)
        .arg(known ? s.AttemptCount[t] : 0);
}

QString ProfileStore::rebuildBlock(const QString& block, const PlayerSession& s) {
    QStringList lines;
    common::SplitToArray(block, lines, CRLF);
    const QString lessonKey = QStringLiteral("lesson%1").arg(s.CurrentLesson);
    const QString practice = s.PracticeMode ? QStringLiteral("practice=true") : QStringLiteral("practice=false");
    bool found = false, upper = false, lower = false, practiceDone = false, interval = false, lesson = false;
    QString out;
    auto add = [&out](const QString& line) { out += line + CRLF; };
    for (int i = 1; i < lines.size(); ++i) {
        const QString& line = lines[i];
        QString key, value;
        common::SplitKeyValue(line, key, value);
        if (common::isBeginLine(line)) {
            found = false;
            lesson = false;
            add(line);
        } else if (key == QLatin1String("name")) {
            found = value == s.PlayerName;
            add(line);
        } else if (key == QLatin1String("password")) {
            add(found ? QStringLiteral("password=") + s.PlayerPassword : line);
        } else if (key == QLatin1String("upper")) {
            add(found ? QStringLiteral("upper=%1").arg(s.UpperBound) : line);
            upper = true;
        } else if (key == QLatin1String("lower")) {
            add(found ? QStringLiteral("lower=%1").arg(s.LowerBound) : line);
            lower = true;
        } else if (key == QLatin1String("interval")) {
            add(found ? QStringLiteral("interval=%1").arg(s.IntervalStyle) : line);
            interval = true;
        } else if (key == QLatin1String("practice")) {
            add(found ? practice : line);
            practiceDone = true;
        } else if (key == lessonKey) {
            add(found ? lessonLine(s) : line);
            lesson = true;
        } else if (common::isEndLine(line)) {
            if (found && !lesson) add(lessonLine(s));
            if (!upper) add(QStringLiteral("upper=%1").arg(s.UpperBound));
            if (!lower) add(QStringLiteral("lower=%1").arg(s.LowerBound));
            if (!practiceDone) add(practice);
            if (!interval) add(QStringLiteral("interval=%1").arg(s.IntervalStyle));
            add(line);
        } else {
            add(line);
        }
    }
    return out;
}

ProfileStore::SaveResult ProfileStore::SaveProfile(const PlayerSession& s) {
    const ProfileText profile = read();
    if (!profile.usable()) return SaveResult::NotRead;
    qint32 start = 0, length = 0;
    const QString block = common::ExtractBlock(start, length, profile.text, QStringLiteral("name=") + s.PlayerName);
    // A player without a block of their own (removed, or the file replaced meanwhile) writes
    // nothing rather than guess where the values belong.
    if (start <= 0) return SaveResult::NoBlock;
    const QString text = profile.text.left(start - 1) + rebuildBlock(block, s) + profile.text.mid(start - 1 + length);
    if (!common::SaveStoredText(profilePath(), text)) return SaveResult::WriteFailed;
    if (!common::SaveStoredText(backupPath(), text)) return SaveResult::BackupFailed;
    return SaveResult::Saved;
}

// ---- The player dialog's list ----------------------------------------------------------------

QVector<PlayerEntry> ProfileStore::scanPlayers(const QString& text) {
    QVector<PlayerEntry> players;
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
                players.append(current);
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
        out += p.block.isEmpty() ? newBlock(p.name, p.hasPassword, p.password) : p.block;
    return out;
}

bool ProfileStore::SaveProfiles(const ProfileText& readWhenOpened, const QVector<PlayerEntry>& players) {
    if (!readWhenOpened.usable()) return false;
    return common::SaveStoredText(profilePath(), buildProfiles(players));
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
    if (!profile.usable()) return ExportResult::ProfileNotRead;
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
    return common::SaveStoredText(path, block) ? ExportResult::Exported : ExportResult::WriteFailed;
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
    if (!profile.usable()) return giveUp(ImportResult::ProfileNotRead);
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
    if (!common::SaveStoredText(profilePath(), text)) return giveUp(ImportResult::WriteFailed);
    // The imported player is now current, with the password of the imported block.
    session.PlayerPassword = password;
    main.selectFrame(0);
    return ImportResult::Imported;
}

} // namespace tonvale
