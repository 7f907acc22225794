#include "testsupport.h"

#include <QDir>
#include <QProcess>
#include <QThread>

#include <functional>
#include <random>

using namespace tonvale;
using namespace tonvale::testing;

namespace {

constexpr int kPlayers = 40;
const QString kSaver = QStringLiteral("Player%1").arg(kPlayers / 2, 4, 10, QChar('0'));

// The profile after `attempts` saves of the saver's lesson 1 (0: as written at the start).
QString profileAfter(int attempts) {
    QString text;
    for (int i = 0; i < kPlayers; ++i) {
        const QString name = QStringLiteral("Player%1").arg(i, 4, 10, QChar('0'));
        text += QStringLiteral("begin\r\nname=%1\r\npassword=pw%2\r\n").arg(name).arg(i) +
                lines({"upper=89", "lower=79"}) +
                QStringLiteral("lesson1=L2S80M1Q%1\r\n").arg(name == kSaver ? attempts : 0) +
                lines({"lesson2=L5S70M3Q9", "practice=false", "interval=3", "end"});
    }
    return text;
}

// The whole list after `visits` whole-list saves, each with a visitor added anew.
QString listAfter(int visits) {
    if (visits == 0) return profileAfter(0);
    return profileAfter(0) + ProfileStore::newBlock("Visitor", true, QStringLiteral("v%1").arg(visits));
}

// The number of the save a text claims to be: the number after `marker`, searched from
// `after` (0 when the marker is missing).
int claimedSave(const QString& text, const QString& after, const QString& marker) {
    const qsizetype from = text.indexOf(after);
    const qsizetype at = from < 0 ? -1 : text.indexOf(marker, from);
    return at < 0 ? 0 : common::leadingWholeNumber(text.mid(at + marker.size()));
}

struct Saves {
    std::function<QString(int)> expected;  // the exact text after n saves
    QString after, marker;                 // where the text says which save it is
};

// Which save a stored file holds, demanding the whole text be exactly that save's; -1 when
// it is none at or after `from`.
int whichSave(const QString& path, int from, const Saves& saves) {
    QString text;
    if (common::readStoredText(path, text) != common::StoredTextStatus::Ok) return -1;
    const int n = claimedSave(text, saves.after, saves.marker);
    if (n < from) return -1;
    return text == saves.expected(n) ? n : -1;
}

struct Tally {
    int rounds = 0;
    int insideAWrite = 0;  // a temporary was left: the kill fell between its creation and the rename
};

// Starts the saving child `rounds` times and kills it at a random instant each time. After
// every kill the profile (and the backup, when the child writes one) must be exactly the
// text of one save, never older than the last seen.
Tally killSaves(const QString& folder, const QStringList& args, int rounds, const Saves& saves, bool backup) {
    Tally tally;
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delayMs(0, 30);
    int last = 0, lastBackup = 0;
    for (int round = 0; round < rounds; ++round) {
        QProcess child;
        child.start(QStringLiteral(PROFILE_SAVE_CHILD), QStringList{folder} + args);
        EXPECT_TRUE(child.waitForStarted(10000));
        EXPECT_TRUE(child.waitForReadyRead(10000));  // the profile is read, saving begins
        // Now and then at least one save finishes first, so the test always sees progress.
        if (round % 5 == 0) {
            while (!child.readAllStandardOutput().contains('s')) {
                if (!child.waitForReadyRead(10000)) break;
            }
        }
        QThread::msleep(static_cast<unsigned long>(delayMs(random)));
        child.kill();  // SIGKILL: no chance to finish the write
        EXPECT_TRUE(child.waitForFinished(5000));
        if (child.exitStatus() != QProcess::CrashExit) {
            ADD_FAILURE() << "the child stopped on its own: " << child.exitCode();
            return tally;
        }
        ++tally.rounds;

        const int now = whichSave(folder + "/Tonvale.txt", last, saves);
        if (now < 0) {
            ADD_FAILURE() << "round " << round << ": the profile is not exactly the text of a save at or after " << last;
            return tally;
        }
        if (backup) {
            // Written right after the profile, with the same text (so it may lag behind it,
            // also across kills).
            const int b = whichSave(folder + "/Tonvale.txt.bak", lastBackup, saves);
            if (b < 0 || b > now) {
                ADD_FAILURE() << "round " << round << ": the backup holds save " << b << " beside " << now;
                return tally;
            }
            lastBackup = b;
        }
        last = now;
        // The next child removes it at its start.
        const QStringList temps = QDir(folder).entryList({".Tonvale.txt*.tmp-*"}, QDir::Files | QDir::Hidden);
        EXPECT_LE(temps.size(), 1) << "round " << round << ": temporaries of earlier rounds were left";
        if (!temps.isEmpty()) ++tally.insideAWrite;
    }
    EXPECT_GT(last, 0) << "no save ever finished";
    return tally;
}

} // namespace

// A save killed at any instant leaves the old profile or the new one whole, and the
// temporary it was writing is removed when the program starts again.
TEST_F(ProfileTest, KillingTheProgramDuringSavesNeverBreaksTheProfile) {
    struct Case {
        const char* what;
        QStringList args;
        Saves saves;
        bool backup;
    };
    const Case cases[] = {
        {"one player's save", {"player", kSaver}, {profileAfter, "name=" + kSaver, "M1Q"}, true},
        {"the whole list's save", {"all"}, {listAfter, "name=Visitor", "password=v"}, false},
    };
    const int rounds = 30;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeProfile(c.saves.expected(0));
        if (c.backup) {
            ASSERT_TRUE(common::SaveStoredText(ProfileStore::backupPath(), c.saves.expected(0)));
        }
        const Tally tally = killSaves(dir_.path(), c.args, rounds, c.saves, c.backup);
        EXPECT_EQ(tally.rounds, rounds);
        // The test only proves something when many kills fall inside a write.
        EXPECT_GE(tally.insideAWrite, rounds / 5) << "only " << tally.insideAWrite << " of " << rounds
                                                  << " kills landed inside a write";
        RecordProperty(std::string(c.what) + " killed inside a write", tally.insideAWrite);

        // The program's start removes what the last kill left.
        ProfileStore::removeStaleTemporaries();
        EXPECT_EQ(QDir(dir_.path()).entryList({".*.tmp-*"}, QDir::Files | QDir::Hidden), QStringList());
        QFile::remove(ProfileStore::backupPath());
    }
}
