#include "testsupport.h"

#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <sys/resource.h>

using namespace tonvale;
using namespace tonvale::testing;
using common::CRLF;

namespace {

const QString kAnn = lines({"begin", "name=Ann", "password=Secret", "upper=89", "lower=79", "end"});
const QString kAnna = lines({"begin", "name=Anna", "password=other", "upper=70", "lower=60", "lesson2=L5S90M4Q3",
                             "practice=true", "interval=1", "end"});
const QString kBob = lines({"begin", "name=Bob", "password=b", "upper=89", "lower=79", "end"});

class SaveProfileTest : public ProfileTest {
protected:
    void playAs(const char* name, const char* password, int lesson) {
        session().PlayerName = QString::fromUtf8(name);
        session().PlayerPassword = QString::fromUtf8(password);
        session().UpperBound = 89;
        session().LowerBound = 79;
        session().IntervalStyle = 3;
        lesson_ = static_cast<qint16>(lesson);
    }
    ProfileStore::SaveResult save() { return ProfileStore::SaveProfile(session(), lesson_, level_); }
    qint16 lesson_ = 0;   // the lesson shown and its level when the profile is saved
    qint16 level_ = 0;
};

} // namespace

TEST_F(SaveProfileTest, FirstSaveInALessonAddsItsRecordAndTheMissingSettings) {
    writeProfile(kAnna + kAnn + kBob);
    playAs("Ann", "Secret", 3);
    level_ = 3;
    session().AverageScore[3] = 85;
    session().CompletedLevel[3] = 2;
    session().AttemptCount[3] = 4;
    EXPECT_EQ(save(), ProfileStore::SaveResult::Saved);
    const QString ann = lines({"begin", "name=Ann", "password=Secret", "upper=89", "lower=79", "lesson3=L3S85M2Q4",
                               "practice=false", "interval=3", "end"});
    // Only Ann's block changed; Anna's (whose name starts with Ann's) and Bob's stay whole.
    EXPECT_EQ(profileText(), kAnna + ann + kBob);
    EXPECT_EQ(fileBytes(ProfileStore::backupPath()).size(), fileBytes(ProfileStore::profilePath()).size());
    QString backup;
    ASSERT_TRUE(common::LoadStoredText(ProfileStore::backupPath(), backup));
    EXPECT_EQ(backup, kAnna + ann + kBob);

    // Later, in lesson 5 with new settings: lines rewritten in place, lesson 3 kept, lesson 5
    // added just before "end".
    playAs("Ann", "NewPw", 5);
    session().UpperBound = 95;
    session().LowerBound = 50;
    session().IntervalStyle = 1;
    session().PracticeMode = true;
    level_ = 2;
    session().AverageScore[5] = 100;
    session().AttemptCount[5] = 1;
    EXPECT_EQ(save(), ProfileStore::SaveResult::Saved);
    EXPECT_EQ(profileText(), kAnna +
                                 lines({"begin", "name=Ann", "password=NewPw", "upper=95", "lower=50",
                                        "lesson3=L3S85M2Q4", "practice=true", "interval=1", "lesson5=L2S100M0Q1", "end"}) +
                                 kBob);
}

TEST_F(SaveProfileTest, RebuildKeepsOtherPlayersLinesAndAddsOnlyMissingSettings) {
    PlayerSession s;
    s.PlayerName = "Zed";
    const QString block = lines({"begin", "name=Carl", "password=c", "lesson2=L9S1M1Q1", "custom=kept", "end"});
    EXPECT_EQ(ProfileStore::rebuildBlock(block, s, 2, 0),
              lines({"begin", "name=Carl", "password=c", "lesson2=L9S1M1Q1", "custom=kept", "upper=90", "lower=80",
                     "practice=false", "interval=3", "end"}));
    // Blank lines inside a block are dropped and never end the rebuild early.
    s.PlayerName = "Carl";
    const QString gappy = "begin\r\nname=Carl\r\n\r\n   \r\ncustom=kept\r\nend\r\n";
    EXPECT_EQ(ProfileStore::rebuildBlock(gappy, s, 2, 0),
              lines({"begin", "name=Carl", "custom=kept", "lesson2=L0S0M0Q0", "upper=90", "lower=80", "practice=false",
                     "interval=3", "end"}));
}

TEST_F(SaveProfileTest, NamesDifferingOnlyInLetterCaseAreTwoPlayers) {
    const QString lower = lines({"begin", "name=ann", "password=x", "upper=89", "lower=79", "end"});
    writeProfile(kAnn + lower);
    playAs("ann", "x", 1);
    level_ = 4;
    EXPECT_EQ(save(), ProfileStore::SaveResult::Saved);
    EXPECT_EQ(profileText(), kAnn + lines({"begin", "name=ann", "password=x", "upper=89", "lower=79",
                                           "lesson1=L4S0M0Q0", "practice=false", "interval=3", "end"}));
}

TEST_F(SaveProfileTest, NothingIsWrittenWithoutAReadableProfileAndABlock) {
    playAs("Ann", "Secret", 1);
    // No file yet: nothing to rewrite, and no file appears.
    EXPECT_EQ(save(), ProfileStore::SaveResult::NoBlock);
    EXPECT_FALSE(QFileInfo::exists(ProfileStore::profilePath()));

    // A player who has no block of their own is told so, and the result is kept.
    writeProfile(kAnna + kBob);
    dialogs_.shown.clear();
    const QByteArray before = fileBytes(ProfileStore::profilePath());
    EXPECT_EQ(save(), ProfileStore::SaveResult::NoBlock);
    EXPECT_EQ(fileBytes(ProfileStore::profilePath()), before);
    EXPECT_FALSE(QFileInfo::exists(ProfileStore::backupPath()));
    EXPECT_EQ(messages(), QStringList{"Profile Error: Your result in lesson 1 could not be saved.\r\n" +
                                      ProfileStore::profilePath() + " holds no player named \"Ann\".\r\n" +
                                      "It is kept while Tonvale runs, and written with the next save that succeeds."});
    EXPECT_EQ(ProfileStore::keptLessons("Ann"), QVector<int>{1});

    // A file that does not decode is left exactly as it is.
    const QByteArray broken = before.left(before.size() / 2);
    putBytes(ProfileStore::profilePath(), broken);
    EXPECT_EQ(save(), ProfileStore::SaveResult::NotRead);
    EXPECT_EQ(fileBytes(ProfileStore::profilePath()), broken);
    EXPECT_FALSE(QFileInfo::exists(ProfileStore::backupPath()));
}

TEST_F(SaveProfileTest, FailedWritesAreReportedAndLeaveTheOldFiles) {
    writeProfile(kAnn + QString(3000, QChar('x')) + CRLF);
    playAs("Ann", "Secret", 1);
    const QByteArray before = fileBytes(ProfileStore::profilePath());

    // The backup cannot be written (a folder stands in its place): the profile is saved.
    ASSERT_TRUE(QDir(path(".")).mkdir("Tonvale.txt.bak"));
    EXPECT_EQ(save(), ProfileStore::SaveResult::BackupFailed);
    EXPECT_NE(fileBytes(ProfileStore::profilePath()), before);
    ASSERT_TRUE(QDir(path(".")).rmdir("Tonvale.txt.bak"));

    // The disk fills up while the profile is written: the old profile stays, no backup.
    const QByteArray saved = fileBytes(ProfileStore::profilePath());
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const ProfileStore::SaveResult result = save();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(result, ProfileStore::SaveResult::WriteFailed);
    EXPECT_EQ(fileBytes(ProfileStore::profilePath()), saved);
    EXPECT_FALSE(QFileInfo::exists(ProfileStore::backupPath()));
}

TEST_F(ProfileTest, ScanListsEveryBlocksPlayerWithItsOwnPassword) {
    const QString noPassword = lines({"begin", "name=Nopw", "upper=89", "lower=79", "end"});
    const QString shout = lines({"begin", "NAME=Loud", "PASSWORD=Up", "end"});
    const QString text = kAnn + noPassword + kBob + "name=Stray" + CRLF + shout + lines({"begin", "name=Cut"});
    const QVector<PlayerEntry> players = ProfileStore::scanPlayers(text);
    ASSERT_EQ(players.size(), 4);
    struct Expect { const char* name; bool hasPassword; const char* password; QString block; };
    const Expect expected[] = {
        {"Ann", true, "Secret", kAnn}, {"Nopw", false, "", noPassword}, {"Bob", true, "b", kBob}, {"Loud", true, "Up", shout},
    };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(players[i].name, expected[i].name);
        EXPECT_EQ(players[i].hasPassword, expected[i].hasPassword) << expected[i].name;
        EXPECT_EQ(players[i].password, expected[i].password);
        EXPECT_EQ(players[i].block, expected[i].block);
    }
}

TEST_F(ProfileTest, SaveProfilesRebuildsTheFileFromTheList) {
    writeProfile(kAnn + kAnna + kBob);
    ProfileText read = ProfileStore::read();
    ASSERT_EQ(read.status, ProfileRead::Ok);
    QVector<PlayerEntry> players = ProfileStore::scanPlayers(read.text);
    players.removeAt(1);  // Anna deleted
    players.append(PlayerEntry{"Dora", true, "pw", QString(), QString()});
    players.append(PlayerEntry{"Eve", false, QString(), QString(), QString()});
    ASSERT_TRUE(ProfileStore::SaveProfiles(read, players));
    EXPECT_EQ(profileText(), kAnn + kBob +
                                 lines({"begin", "name=Dora", "password=pw", "upper=89", "lower=79", "end"}) +
                                 lines({"begin", "name=Eve", "upper=89", "lower=79", "end"}));
    EXPECT_FALSE(QFileInfo::exists(ProfileStore::backupPath()));

    // An empty list empties the file; a failed read never writes.
    ASSERT_TRUE(ProfileStore::SaveProfiles(read, {}));
    EXPECT_EQ(profileText(), QString());
    putBytes(ProfileStore::profilePath(), "\"garbage\"\r\n");
    const ProfileText failed = ProfileStore::read();
    EXPECT_EQ(failed.status, ProfileRead::Failed);
    EXPECT_FALSE(ProfileStore::SaveProfiles(failed, players));
    EXPECT_EQ(fileBytes(ProfileStore::profilePath()), QByteArray("\"garbage\"\r\n"));
}

// ---- Export -------------------------------------------------------------------------------

TEST_F(ProfileTest, ExportWritesTheCurrentPlayersBlockOnly) {
    writeProfile(kAnna + kAnn + kBob);
    session().PlayerName = "Ann";
    dialogs_.files.push_back(path("ann-export"));  // no extension: ".txt" is added
    EXPECT_EQ(ProfileStore::exportPlayer(), ProfileStore::ExportResult::Exported);
    QString exported;
    ASSERT_TRUE(common::LoadStoredText(path("ann-export.txt"), exported));
    EXPECT_EQ(exported, kAnn);

    session().PlayerName = "Nobody";
    dialogs_.files.push_back(path("nobody.txt"));
    EXPECT_EQ(ProfileStore::exportPlayer(), ProfileStore::ExportResult::Exported);
    EXPECT_EQ(fileBytes(path("nobody.txt")), QByteArray("\"\"\r\n"));

    EXPECT_EQ(ProfileStore::exportPlayer(), ProfileStore::ExportResult::Cancelled);
    EXPECT_TRUE(dialogs_.shown.isEmpty());
}

TEST_F(ProfileTest, ExportNeverWritesOverTheProfileItself) {
    writeProfile(kAnn + kBob);
    session().PlayerName = "Ann";
    const QByteArray before = fileBytes(ProfileStore::profilePath());
    ASSERT_TRUE(QDir(path(".")).mkdir("sub"));
    ASSERT_TRUE(QFile::link(ProfileStore::profilePath(), path("link.txt")));
    const QString spellings[] = {
        ProfileStore::profilePath(),
        path("sub/../Tonvale.txt"),
        path("./Tonvale.txt"),
        path("link.txt"),
    };
    for (const QString& p : spellings) {
        dialogs_.shown.clear();
        dialogs_.files.push_back(p);
        EXPECT_EQ(ProfileStore::exportPlayer(), ProfileStore::ExportResult::InUse) << p.toStdString();
        ASSERT_EQ(dialogs_.shown.size(), 1);
        EXPECT_EQ(dialogs_.shown[0].text, "File is in use, choose another file name.");
        EXPECT_EQ(dialogs_.shown[0].title, "File in use");
        EXPECT_EQ(dialogs_.shown[0].style, platform::Information);
        EXPECT_EQ(fileBytes(ProfileStore::profilePath()), before);
    }
    // After a failed read nothing is exported.
    putBytes(ProfileStore::profilePath(), before.left(20));
    dialogs_.files.push_back(path("out.txt"));
    EXPECT_EQ(ProfileStore::exportPlayer(), ProfileStore::ExportResult::ProfileNotRead);
    EXPECT_FALSE(QFileInfo::exists(path("out.txt")));
}

// ---- Import -------------------------------------------------------------------------------

namespace {
class ImportTest : public ProfileTest {
protected:
    void SetUp() override {
        ProfileTest::SetUp();
        session().PlayerName = "Bob";
        session().PlayerPassword = "b";
    }
    // Puts a stored file to import and queues it in the open dialog.
    void offer(const QString& plain) {
        ASSERT_TRUE(common::SaveStoredText(path("import.txt"), plain));
        dialogs_.files.push_back(path("import.txt"));
    }
    void expectUnchanged(const QByteArray& before) {
        EXPECT_EQ(fileBytes(ProfileStore::profilePath()), before);
        EXPECT_EQ(session().PlayerName, "Bob");
        EXPECT_EQ(session().PlayerPassword, "b");
        EXPECT_TRUE(main_.frames.empty());
    }
};
} // namespace

TEST_F(ImportTest, RefusesFilesThatAreNotOneWellFormedBlock) {
    writeProfile(kAnn + kBob);
    const QByteArray before = fileBytes(ProfileStore::profilePath());
    struct Case { QString plain; ProfileStore::ImportResult result; QString message; };
    const QString noName = "File Corruption?: There is no user name associated with this file.";
    const QString noPassword = "File Corruption?: User password is missing.";
    const Case cases[] = {
        {QString(), ProfileStore::ImportResult::NoName, noName},
        {lines({"begin", "password=x", "end"}), ProfileStore::ImportResult::NoName, noName},
        {lines({"begin", "name=", "password=x", "end"}), ProfileStore::ImportResult::NoName, noName},
        {kAnna + kAnn, ProfileStore::ImportResult::NoName, noName},                     // two blocks
        {lines({"name=Ann", "password=x"}), ProfileStore::ImportResult::NoName, noName},  // no block
        {lines({"begin", "name=Ann", "password=x"}), ProfileStore::ImportResult::NoName, noName},
        {kAnn + "junk" + CRLF, ProfileStore::ImportResult::NoName, noName},
        {lines({"begin", "name=Ann", "name=Anna", "password=x", "end"}), ProfileStore::ImportResult::NoName, noName},
        {lines({"begin", "name=Zed", "end"}) + lines({"begin", "password=z", "end"}),
         ProfileStore::ImportResult::NoName, noName},                                   // no borrowed password
        {lines({"begin", "name=Zed", "upper=89", "end"}), ProfileStore::ImportResult::NoPassword, noPassword},
    };
    for (const Case& c : cases) {
        dialogs_.shown.clear();
        offer(c.plain);
        EXPECT_EQ(ProfileStore::importPlayer(), c.result) << c.plain.toStdString();
        EXPECT_EQ(messages(), QStringList{c.message}) << c.plain.toStdString();
        expectUnchanged(before);
    }
    EXPECT_TRUE(prompts_.isEmpty());
}

TEST_F(ImportTest, ThePasswordIsTheBlocksOwnOrTheExactMasterPassword) {
    writeProfile(kBob);
    const QByteArray before = fileBytes(ProfileStore::profilePath());
    const QString zed = lines({"begin", "name=Zed", "password=Zpw", "upper=70", "end"});
    struct Case { std::optional<QString> answer; ProfileStore::ImportResult result; };
    const Case refused[] = {
        {QString("zpw"), ProfileStore::ImportResult::WrongPassword},
        {QString("CURATOR"), ProfileStore::ImportResult::WrongPassword},
        {QString("b"), ProfileStore::ImportResult::WrongPassword},   // the current player's
        {std::nullopt, ProfileStore::ImportResult::Cancelled},
    };
    for (const Case& c : refused) {
        dialogs_.shown.clear();
        offer(zed);
        answerPasswords({c.answer});
        EXPECT_EQ(ProfileStore::importPlayer(), c.result);
        EXPECT_EQ(messages(), QStringList{"Password Verification Failure: Wrong Password, try again."});
        expectUnchanged(before);
    }
    EXPECT_EQ(prompts_.last(), "Password for Zed");

    for (const QString& answer : {QString("Zpw"), QString("curator")}) {
        writeProfile(kBob);
        offer(zed);
        answerPasswords({answer});
        EXPECT_EQ(ProfileStore::importPlayer(), ProfileStore::ImportResult::Imported);
        EXPECT_EQ(profileText(), kBob + zed);  // a new player is appended
        EXPECT_EQ(session().PlayerName, "Zed");
        EXPECT_EQ(session().PlayerPassword, "Zpw");  // never the previous player's
        session().PlayerName = "Bob";
        session().PlayerPassword = "b";
    }
    EXPECT_EQ(main_.frames, (std::vector<int>{0, 0}));
    EXPECT_FALSE(QFileInfo::exists(ProfileStore::backupPath()));
}

TEST_F(ImportTest, AnExistingPlayerIsReplacedInPlaceOnlyWhenAsked) {
    writeProfile(kAnna + kAnn + kBob);
    const QByteArray before = fileBytes(ProfileStore::profilePath());
    const QString newAnn = lines({"begin", "name=Ann", "password=Secret", "lesson1=L4S90M3Q5", "end"});

    offer(newAnn);
    answerPasswords({QString("Secret")});
    dialogs_.answers.push_back(platform::AnsNo);
    EXPECT_EQ(ProfileStore::importPlayer(), ProfileStore::ImportResult::NotOverwritten);
    ASSERT_EQ(dialogs_.shown.size(), 1);
    EXPECT_EQ(dialogs_.shown[0].text, "User profile exists. Overwrite?");
    EXPECT_EQ(dialogs_.shown[0].title, "Overwrite?");
    EXPECT_EQ(dialogs_.shown[0].style, platform::YesNo | platform::Question);
    expectUnchanged(before);

    offer(newAnn);
    answerPasswords({QString("Secret")});
    dialogs_.answers.push_back(platform::AnsYes);
    EXPECT_EQ(ProfileStore::importPlayer(), ProfileStore::ImportResult::Imported);
    EXPECT_EQ(profileText(), kAnna + newAnn + kBob);  // Anna untouched, Ann replaced where she was
    EXPECT_EQ(session().PlayerName, "Ann");
}

TEST_F(ImportTest, AMissingProfileIsCreatedAndAnUnreadableOneLeftAlone) {
    const QString zed = lines({"begin", "name=Zed", "password=z", "end"});
    offer(zed);
    answerPasswords({QString("z")});
    EXPECT_EQ(ProfileStore::importPlayer(), ProfileStore::ImportResult::Imported);
    EXPECT_EQ(profileText(), zed);

    session().PlayerName = "Bob";
    session().PlayerPassword = "b";
    main_.frames.clear();
    prompts_.clear();
    putBytes(ProfileStore::profilePath(), "\"bm90IG91cnM=\"\r\n");
    const QByteArray before = fileBytes(ProfileStore::profilePath());
    offer(zed);
    answerPasswords({QString("z")});
    EXPECT_EQ(ProfileStore::importPlayer(), ProfileStore::ImportResult::ProfileNotRead);
    expectUnchanged(before);
    EXPECT_EQ(dialogs_.files.size(), 1u);  // stopped before asking for a file
    EXPECT_TRUE(prompts_.isEmpty());
    dialogs_.files.clear();

    // An import file that does not decode.
    writeProfile(kBob);
    const QByteArray good = fileBytes(ProfileStore::profilePath());
    putBytes(path("import.txt"), "\"plain text\"\r\n");
    dialogs_.files.push_back(path("import.txt"));
    EXPECT_EQ(ProfileStore::importPlayer(), ProfileStore::ImportResult::FileNotRead);
    EXPECT_EQ(ProfileStore::importPlayer(), ProfileStore::ImportResult::Cancelled);  // no file chosen
    expectUnchanged(good);
}

TEST_F(ImportTest, ExportThenImportRoundTrips) {
    writeProfile(kAnna + kAnn + kBob);
    session().PlayerName = "Anna";
    dialogs_.files.push_back(path("anna.txt"));
    ASSERT_EQ(ProfileStore::exportPlayer(), ProfileStore::ExportResult::Exported);
    writeProfile(kBob);
    dialogs_.files.push_back(path("anna.txt"));
    answerPasswords({QString("other")});
    EXPECT_EQ(ProfileStore::importPlayer(), ProfileStore::ImportResult::Imported);
    EXPECT_EQ(profileText(), kBob + kAnna);
}
