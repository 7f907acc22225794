#include "testsupport.h"

#include <QDir>
#include <QProcess>
#include <QThread>

#include <random>

using namespace tonvale;
using namespace tonvale::testing;

namespace {

QString manyPlayers(int count) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += lines({"begin"}) + QStringLiteral("name=Player%1\r\npassword=pw%1\r\n").arg(i, 4, 10, QChar('0')) +
                lines({"upper=89", "lower=79", "lesson1=L2S80M1Q0", "lesson2=L5S70M3Q9", "practice=false",
                       "interval=3", "end"});
    return text;
}

// The attempts stored for the player, or -1 when the file is not a whole profile.
int storedAttempts(const QString& path, const QString& player, int players) {
    QString text;
    if (common::readStoredText(path, text) != common::StoredTextStatus::Ok) return -1;
    const QVector<PlayerEntry> entries = ProfileStore::scanPlayers(text);
    if (entries.size() != players) return -1;
    for (const PlayerEntry& e : entries) {
        if (e.name != player) continue;
        QStringList lines;
        common::SplitToArray(e.block, lines, common::CRLF);
        for (const QString& line : lines) {
            QString key, value;
            common::SplitKeyValue(line, key, value);
            if (key == QLatin1String("lesson1")) {
                common::LessonProgressTable t;
                qint16 level = 0;
                common::ParseScoreRecord(t, 1, 9, value, level);
                return t.AttemptCount[1];
            }
        }
    }
    return -1;
}

} // namespace

// A save killed at any instant leaves the old profile or the new one, never a broken one.
TEST_F(ProfileTest, KillingTheProgramDuringSavesNeverBreaksTheProfile) {
    const int players = 400;
    const QString player = "Player0200";
    writeProfile(manyPlayers(players));
    ASSERT_TRUE(common::SaveStoredText(ProfileStore::backupPath(), manyPlayers(players)));

    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delayMs(0, 40);
    int last = 0, interrupted = 0;
    for (int round = 0; round < 40; ++round) {
        QProcess child;
        child.start(QStringLiteral(PROFILE_SAVE_CHILD), {dir_.path(), player});
        ASSERT_TRUE(child.waitForStarted(10000));
        ASSERT_TRUE(child.waitForReadyRead(10000));  // the profile is read, saving begins
        // Every fifth round lets at least one save finish first, so the test always sees progress.
        if (round % 5 == 0) {
            while (!child.readAllStandardOutput().contains('s')) ASSERT_TRUE(child.waitForReadyRead(10000));
        }
        QThread::msleep(static_cast<unsigned long>(delayMs(random)));
        child.kill();  // SIGKILL: no chance to finish the write
        ASSERT_TRUE(child.waitForFinished(5000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << "the child stopped on its own: " << child.exitCode();

        const int now = storedAttempts(ProfileStore::profilePath(), player, players);
        ASSERT_GE(now, last) << "round " << round << ": the profile is broken or went back";
        const int backup = storedAttempts(ProfileStore::backupPath(), player, players);
        ASSERT_GE(backup, 0) << "round " << round << ": the backup is broken";
        last = now;
        // A temporary left behind means the kill fell inside a write.
        const QStringList temps = QDir(dir_.path()).entryList({".Tonvale.txt*.tmp-*"}, QDir::Files | QDir::Hidden);
        interrupted += temps.size();
        for (const QString& t : temps) QFile::remove(dir_.filePath(t));
    }
    EXPECT_GT(last, 0) << "no save ever finished";
    RecordProperty("saves", last);
    RecordProperty("killedInsideAWrite", interrupted);
}
