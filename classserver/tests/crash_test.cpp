// A class server killed in the middle of an import starts again with a sound backup of every
// result it had committed and a sound working copy.
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <random>

#include "testsupport.h"
#include <gtest/gtest.h>

using namespace testsupport;

namespace {

constexpr int kPlayers = 400;

QString integrity(const QString& db) { return scalar(db, "PRAGMA integrity_check").toString(); }

// The number after the last "c" line a child printed.
int lastCommit(const QByteArray& out) {
    int last = 0;
    for (const QByteArray& line : out.split('\n'))
        if (line.startsWith('c')) last = line.mid(1).toInt();
    return last;
}

} // namespace

TEST(CrashSafety, AServerKilledMidImportStartsAgainWithEveryCommittedResult) {
    QTemporaryDir dir;
    const QString working = dir.path() + "/default.mdb";
    std::mt19937 random(20241007);
    std::uniform_int_distribution<int> share(40, 90);  // percent of one import
    int journals = 0;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        QProcess child;
        child.start(QStringLiteral(IMPORT_CHILD), {"import", dir.path(), QString::number(kPlayers)});
        ASSERT_TRUE(child.waitForStarted(10000));
        QByteArray out;
        QElapsedTimer clock;
        clock.start();
        // Two commits give the length of one import; the kill then falls late in the next one,
        // once the import has begun writing into the file itself.
        qint64 first = -1, second = -1;
        while (lastCommit(out) < 2) {
            ASSERT_TRUE(child.waitForReadyRead(20000)) << child.readAllStandardError().toStdString();
            out += child.readAllStandardOutput();
            if (first < 0 && lastCommit(out) >= 1) first = clock.elapsed();
        }
        second = clock.elapsed();
        const qint64 importMs = qMax<qint64>(10, second - first);
        QThread::msleep(static_cast<unsigned long>(importMs * share(random) / 100));
        child.kill();
        ASSERT_TRUE(child.waitForFinished(5000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit);
        out += child.readAllStandardOutput();
        const int committed = lastCommit(out);
        journals += QFile::exists(working + "-journal") ? 1 : 0;

        const QStringList keptBefore = QDir(dir.path()).entryList({"*.bak"}, QDir::Files);
        QProcess start;
        start.start(QStringLiteral(IMPORT_CHILD), {"start", dir.path(), "0"});
        ASSERT_TRUE(start.waitForFinished(30000));
        const QByteArray said = start.readAllStandardOutput();
        ASSERT_TRUE(said.contains("started")) << said.toStdString() << start.readAllStandardError().toStdString();
        // The backup, a file of its own beside the ones kept before: whole, with every committed
        // import and nothing of a cut one; the start says where it is, and says nothing else.
        QStringList kept = QDir(dir.path()).entryList({"*.bak"}, QDir::Files);
        for (const QString& before : keptBefore) kept.removeAll(before);
        ASSERT_EQ(kept.size(), 1) << said.toStdString();
        const QString backup = dir.path() + "/" + kept[0];
        EXPECT_EQ(said.count("message"), 1) << said.toStdString();
        EXPECT_TRUE(said.contains(backup.toUtf8())) << said.toStdString();
        EXPECT_EQ(integrity(backup), "ok");
        const int students = count(backup, "Student");
        EXPECT_EQ(students % kPlayers, 0) << students;
        EXPECT_GE(students, committed * kPlayers);
        EXPECT_LE(students, (committed + 1) * kPlayers);  // the last commit may not have been told
        EXPECT_EQ(count(backup, "Lesson"), students * 98);
        for (int n = 1; n <= committed; ++n)
            EXPECT_EQ(scalar(backup, "SELECT COUNT(*) FROM Student WHERE StudentName LIKE ?", {QString("I%1-P%").arg(n)}).toInt(),
                      kPlayers);
        // The new working copy: the template, with no journal of the old one replayed into it.
        EXPECT_EQ(integrity(working), "ok");
        EXPECT_EQ(count(working, "Student"), 0);
        EXPECT_EQ(count(working, "Class"), 78);
        EXPECT_FALSE(QFile::exists(working + "-journal"));
    }
    RecordProperty("killedInsideATransaction", journals);
    EXPECT_GT(journals, 0) << "no kill fell inside an import";
}
