// Saves one player's progress over and over until it is killed; the crash-safety test kills
// it at random instants and checks that the profile and its backup are always whole.
#include "student/shell/profile/playersession.h"
#include "student/shell/profile/profilestore.h"

#include "common/storedtext/storedtext.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <cstdio>

using namespace tonvale;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) return 2;
    platform::Paths::setDataFolder(QString::fromLocal8Bit(argv[1]));
    PlayerSession& s = PlayerSession::instance();
    s.PlayerName = QString::fromLocal8Bit(argv[2]);
    s.PlayerPassword = QStringLiteral("pw");
    s.CurrentLesson = 1;

    // Go on from the attempts already stored, so every save is newer than the last.
    QString text;
    if (!common::LoadStoredText(ProfileStore::profilePath(), text)) return 3;
    qint32 start = 0, length = 0;
    QStringList lines;
    common::SplitToArray(common::ExtractBlock(start, length, text, "name=" + s.PlayerName), lines, common::CRLF);
    for (const QString& line : lines) {
        QString key, value;
        common::SplitKeyValue(line, key, value);
        if (key == QLatin1String("lesson1")) ParseScoreRecord(s, 1, kExerciseCounts[1], value, s.CurrentLevel);
    }
    std::fputs("r", stdout);  // ready: saving starts now
    std::fflush(stdout);
    for (;;) {
        ++s.AttemptCount[1];
        if (ProfileStore::SaveProfile(s) != ProfileStore::SaveResult::Saved) return 4;
        std::fputs("s", stdout);
        std::fflush(stdout);
    }
}
