// Stands in for the student program saving over and over until it is killed; the
// crash-safety test kills it at random instants and checks the files it leaves.
//   profile_save_child <folder> player <name>  one player's progress (the profile and its backup)
//   profile_save_child <folder> all            the whole player list (a visitor added anew each time)
// It starts as the program does, by removing the temporaries a killed save left.
#include "student/profile/playersession.h"
#include "student/profile/profilestore.h"

#include "common/storedtext/storedtext.h"
#include "platform/dialogs.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <cstdio>

using namespace tonvale;

namespace {

void said(const char* what) {
    std::fputs(what, stdout);
    std::fflush(stdout);
}

int savePlayer(const QString& name) {
    PlayerSession& s = PlayerSession::instance();
    s.PlayerName = name;
    qint16 level = 2;
    const ProfileText profile = ProfileStore::read();
    if (profile.status != ProfileRead::Ok) return 3;
    qint32 start = 0, length = 0;
    QStringList lines;
    common::SplitToArray(common::ExtractBlock(start, length, profile.text, "name=" + name), lines, common::CRLF);
    // The player's own values, so that a save changes nothing but the attempts.
    for (const QString& line : lines) {
        QString key, value;
        common::SplitKeyValue(line, key, value);
        if (key == QLatin1String("password")) s.PlayerPassword = value;
        if (key == QLatin1String("upper")) s.UpperBound = value.toInt();
        if (key == QLatin1String("lower")) s.LowerBound = value.toInt();
        if (key == QLatin1String("interval")) s.IntervalStyle = value.toInt();
        if (key == QLatin1String("practice")) s.PracticeMode = value == QLatin1String("true");
        if (key == QLatin1String("lesson1")) ParseScoreRecord(s, 1, kExerciseCounts[1], value, level);
    }
    said("r");  // ready: saving starts now
    for (;;) {
        ++s.AttemptCount[1];
        if (ProfileStore::SaveProfile(s, 1, level) != ProfileStore::SaveResult::Saved) return 4;
        said("s");
    }
}

int saveAll() {
    const ProfileText profile = ProfileStore::read();
    if (profile.status != ProfileRead::Ok) return 3;
    QVector<PlayerEntry> players = ProfileStore::scanPlayers(profile.text);
    int visit = 0;
    if (!players.isEmpty() && players.last().name == QLatin1String("Visitor")) {
        visit = players.last().password.mid(1).toInt();
        players.removeLast();
    }
    said("r");
    for (;;) {
        ++visit;
        QVector<PlayerEntry> list = players;
        list.append(PlayerEntry{QStringLiteral("Visitor"), true, QStringLiteral("v%1").arg(visit), QString(), QString()});
        if (!ProfileStore::SaveProfiles(profile, list)) return 4;
        said("s");
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) return 2;
    // A save that fails ends the child (exit code 4) instead of waiting on a message box.
    platform::ScriptedDialogs quiet;
    platform::DialogsOverride quietGuard(&quiet);
    platform::Paths::setDataFolder(QString::fromLocal8Bit(argv[1]));
    ProfileStore::removeStaleTemporaries();
    const QString mode = QString::fromLocal8Bit(argv[2]);
    if (mode == QLatin1String("player") && argc > 3) return savePlayer(QString::fromLocal8Bit(argv[3]));
    if (mode == QLatin1String("all")) return saveAll();
    return 2;
}
