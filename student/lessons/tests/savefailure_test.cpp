// Saves that cannot be written: the student is told, nothing already saved is lost, no player
// is created who was not written, and a lesson result is kept until a save succeeds.
#include "student/profile/tests/testsupport.h"

#include "student/lessons/lessonlist.h"
#include "student/profile/playerdialog.h"

#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <functional>
#include <linux/capability.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace tonvale;
using namespace tonvale::testing;

namespace {

const QString kAnn = lines({"begin", "name=Ann", "password=Secret", "upper=89", "lower=79", "end"});
const QString kBob = lines({"begin", "name=Bob", "password=b", "upper=89", "lower=79", "end"});
const QString kZed = lines({"begin", "name=Zed", "password=z", "upper=89", "lower=79", "end"});

// Root writes into read-only folders: the calling thread gives up that power for a while.
class WithoutOverride {
public:
    WithoutOverride() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        lowered_ = syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~WithoutOverride() {
        if (lowered_) syscall(SYS_capset, &header_, saved_);
    }

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool lowered_ = false;
};

QStringList temporariesIn(const QString& folder) {
    return QDir(folder).entryList({".*.tmp-*"}, QDir::Files | QDir::Hidden);
}

class SaveFailureTest : public ProfileTest {
protected:
    void SetUp() override {
        ProfileTest::SetUp();
        folder_ = dir_.filePath("data");
        ASSERT_TRUE(QDir().mkpath(folder_));
        platform::Paths::setDataFolder(folder_);
    }
    void logInAnn() {
        session().PlayerName = "Ann";
        session().PlayerPassword = "Secret";
        session().UpperBound = 89;
        session().LowerBound = 79;
    }
    void scoreLesson(int lesson, int level, int average, int completed, int attempts) {
        lesson_ = static_cast<qint16>(lesson);
        level_ = static_cast<qint16>(level);
        session().AverageScore[lesson] = average;
        session().CompletedLevel[lesson] = completed;
        session().AttemptCount[lesson] = attempts;
    }
    // A save with the lesson shown and its level, as the main window makes it.
    ProfileStore::SaveResult save(ProfileStore::SaveReason reason = ProfileStore::SaveReason::LessonResult) {
        return ProfileStore::SaveProfile(session(), lesson_, level_, reason);
    }
    qint16 lesson_ = 0, level_ = 0;
    // The one message shown since the last call.
    QString takeMessage() {
        EXPECT_EQ(dialogs_.shown.size(), 1) << messages().join("\n").toStdString();
        if (dialogs_.shown.isEmpty()) return QString();
        const platform::ShownMessage m = dialogs_.shown.takeFirst();
        dialogs_.shown.clear();
        EXPECT_EQ(m.title, "Profile Error");
        EXPECT_EQ(m.style, platform::Exclamation);
        return m.text;
    }

    QString folder_;
};

} // namespace

TEST_F(SaveFailureTest, EveryFailedSaveIsToldLosesNothingAndKeepsTheResult) {
    struct Breakage {
        const char* name;
        bool readable;  // the profile can still be read while it cannot be written
        std::function<void()> breakIt, mend;
    };
    std::unique_ptr<WithoutOverride> noOverride;
    struct rlimit fileSize {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &fileSize), 0);
    void (*xfsz)(int) = SIG_DFL;
    const QString away = dir_.filePath("data.away");
    const Breakage breakages[] = {
        {"read-only folder", true,
         [&] {
             ASSERT_TRUE(QFile::setPermissions(folder_, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                                             QFile::ExeOther));
             noOverride = std::make_unique<WithoutOverride>();
         },
         [&] {
             noOverride.reset();
             ASSERT_TRUE(QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
         }},
        {"file in the way of the folder", false,
         [&] {
             ASSERT_TRUE(QDir().rename(folder_, away));
             putBytes(folder_, "not a folder");
         },
         [&] {
             ASSERT_TRUE(QFile::remove(folder_));
             ASSERT_TRUE(QDir().rename(away, folder_));
         }},
        {"full disk", true,
         [&] {
             xfsz = std::signal(SIGXFSZ, SIG_IGN);
             struct rlimit small = fileSize;
             small.rlim_cur = 64;
             ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
         },
         [&] {
             ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &fileSize), 0);
             std::signal(SIGXFSZ, xfsz);
         }},
    };

    for (const Breakage& b : breakages) {
        SCOPED_TRACE(b.name);
        ProfileStore::forgetKept();
        session().reset();
        dialogs_.shown.clear();
        writeProfile(kAnn + kBob);
        ASSERT_TRUE(common::SaveStoredText(ProfileStore::backupPath(), kAnn + kBob));
        ASSERT_TRUE(common::SaveStoredText(dir_.filePath("zed.txt"), kZed));
        const QByteArray profileBefore = fileBytes(ProfileStore::profilePath());
        const QByteArray backupBefore = fileBytes(ProfileStore::backupPath());
        logInAnn();
        PlayerForm dialog;  // the player dialog, open before the save goes wrong
        dialog.load();
        ASSERT_EQ(dialog.names(), (QStringList{"Ann", "Bob"}));

        b.breakIt();

        // Lesson 1's result.
        scoreLesson(1, 3, 85, 2, 4);
        EXPECT_NE(save(), ProfileStore::SaveResult::Saved);
        const QString told = takeMessage();
        EXPECT_TRUE(told.startsWith("Your result in lesson 1 could not be saved.\r\n")) << told.toStdString();
        EXPECT_TRUE(told.contains(ProfileStore::profilePath())) << told.toStdString();
        EXPECT_TRUE(told.endsWith("It is kept while Tonvale runs, and written with the next save that succeeds."));
        EXPECT_EQ(ProfileStore::keptLessons("Ann"), QVector<int>{1});
        if (b.readable) {
            // The lesson list, rebuilt from the file, still shows it.
            lessons::LessonList list;
            list.setup(session(), ProfileStore::profilePath(), level_);
            EXPECT_EQ(list.rows()[1].attempts, "4");
            EXPECT_EQ(session().AverageScore[1], 85);
        }

        // A new password.
        session().PlayerPassword = "NewPw";
        EXPECT_NE(save(ProfileStore::SaveReason::Password),
                  ProfileStore::SaveResult::Saved);
        EXPECT_TRUE(takeMessage().startsWith("Your new password could not be saved.\r\n"));

        // An import.
        dialogs_.files.push_back(dir_.filePath("zed.txt"));
        answerPasswords({QString("z")});
        EXPECT_EQ(ProfileStore::importPlayer(), ProfileStore::ImportResult::WriteFailed);
        EXPECT_TRUE(takeMessage().startsWith("The player \"Zed\" could not be imported.\r\n"));
        EXPECT_EQ(session().PlayerName, "Ann");

        // A new player is neither created nor logged in.
        dialog.changeName("Dora");
        answerPasswords({QString("d"), QString("d")});
        dialog.clickAdd();
        dialog.clickList(2);
        ASSERT_EQ(dialog.selectedName(), "Dora");
        dialog.clickOk();
        EXPECT_TRUE(takeMessage().startsWith("The player \"Dora\" could not be created.\r\n"));
        EXPECT_FALSE(dialog.closed);
        EXPECT_EQ(session().PlayerName, "");

        // A deleted player stays.
        dialog.clickList(1);
        answerPasswords({QString("b")});
        dialog.clickDelete();
        EXPECT_TRUE(takeMessage().startsWith("The player \"Bob\" could not be deleted.\r\nThe player \"Dora\" could not "
                                             "be created.\r\n"));
        EXPECT_EQ(dialog.names(), (QStringList{"Ann", "Bob", "Dora"}));

        b.mend();

        // Nothing was lost and nothing was left behind.
        EXPECT_EQ(fileBytes(ProfileStore::profilePath()), profileBefore);
        EXPECT_EQ(fileBytes(ProfileStore::backupPath()), backupBefore);
        EXPECT_EQ(temporariesIn(folder_), QStringList());

        // Ann plays on; the list rebuilt from the file shows the kept result.
        logInAnn();
        session().PlayerPassword = "NewPw";
        lessons::LessonList list;
        list.setup(session(), ProfileStore::profilePath(), level_);
        EXPECT_EQ(list.rows()[1].attempts, "4");
        // Lesson 3's result is saved, and lesson 1's with it.
        scoreLesson(3, 2, 70, 1, 1);
        EXPECT_EQ(save(), ProfileStore::SaveResult::Saved);
        EXPECT_EQ(dialogs_.shown.size(), 0);
        const QString ann = lines({"begin", "name=Ann", "password=NewPw", "upper=89", "lower=79", "lesson1=L3S85M2Q4",
                                   "practice=false", "interval=3", "lesson3=L2S70M1Q1", "end"});
        EXPECT_EQ(profileText(), ann + kBob);
        QString backup;
        EXPECT_TRUE(common::LoadStoredText(ProfileStore::backupPath(), backup));
        EXPECT_EQ(backup, ann + kBob);
        EXPECT_TRUE(ProfileStore::keptLessons("Ann").isEmpty());
    }
}

// A profile cut to nothing beside a backup that still holds the players: nothing is built on
// it, so the backup is never replaced by a profile that has lost everyone.
TEST_F(SaveFailureTest, AnEmptyProfileBesideAFullBackupIsNeverSavedOverIt) {
    ASSERT_TRUE(common::SaveStoredText(ProfileStore::backupPath(), kAnn + kBob));
    const QByteArray backup = fileBytes(ProfileStore::backupPath());
    putBytes(ProfileStore::profilePath(), QByteArray());

    PlayerForm dialog;
    dialog.load();
    const QString told = takeMessage();
    EXPECT_TRUE(told.startsWith("The player file could not be read.\r\n")) << told.toStdString();
    EXPECT_TRUE(told.contains(ProfileStore::backupPath()));
    EXPECT_TRUE(dialog.names().isEmpty());
    dialog.changeName("Dora");
    answerPasswords({QString("d"), QString("d")});
    dialog.clickAdd();
    dialog.clickList(0);
    dialog.clickOk();
    EXPECT_TRUE(takeMessage().startsWith("The player \"Dora\" could not be created.\r\n"));
    EXPECT_FALSE(dialog.closed);

    logInAnn();
    scoreLesson(1, 3, 85, 2, 4);
    EXPECT_EQ(save(), ProfileStore::SaveResult::NotRead);
    EXPECT_TRUE(takeMessage().startsWith("Your result in lesson 1 could not be saved.\r\n"));
    EXPECT_EQ(fileBytes(ProfileStore::profilePath()), QByteArray());
    EXPECT_EQ(fileBytes(ProfileStore::backupPath()), backup);

    // Without a backup that holds players an empty file is a new, empty profile.
    for (const QByteArray& emptyBackup : {QByteArray("<missing>"), QByteArray("\"\"\r\n")}) {
        QFile::remove(ProfileStore::backupPath());
        if (emptyBackup != "<missing>") putBytes(ProfileStore::backupPath(), emptyBackup);
        putBytes(ProfileStore::profilePath(), QByteArray());
        EXPECT_EQ(ProfileStore::read().status, ProfileRead::Ok);
    }
}

// Start-up removes the temporaries that killed saves left, and nothing else.
TEST_F(SaveFailureTest, StartUpRemovesStaleTemporariesOnly) {
    const QStringList stale = {".Tonvale.txt.tmp-0123abcd", ".Tonvale.txt.bak.tmp-ffffffff", ".Client.cfg.tmp-00000000"};
    const QStringList kept = {"Tonvale.txt", ".Tonvale.txt.tmp-0123abc", ".Tonvale.txt.tmp-0123ABCD", "notes.tmp-0123abcd",
                              ".Tonvale.txt.tmp-0123abcde"};
    for (const QString& name : stale + kept) putBytes(QDir(folder_).filePath(name), "x");
    // A temporary that a live save is writing is locked by it.
    QFile live(QDir(folder_).filePath(".Tonvale.txt.tmp-11111111"));
    ASSERT_TRUE(live.open(QIODevice::WriteOnly));
    ASSERT_EQ(flock(live.handle(), LOCK_EX | LOCK_NB), 0);

    EXPECT_EQ(ProfileStore::removeStaleTemporaries(), stale.size());
    QStringList left = kept;
    left << ".Tonvale.txt.tmp-11111111";
    left.sort();
    EXPECT_EQ(QDir(folder_).entryList(QDir::Files | QDir::Hidden, QDir::Name), left);
}
