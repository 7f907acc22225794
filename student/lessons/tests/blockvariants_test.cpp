// Player blocks as files made elsewhere spell them (keys in other letter case, a second name
// line, a player twice, lines before the name), taken the same way by the player list, the
// password, import, the lesson list and the save.
#include "student/profile/tests/testsupport.h"

#include "student/lessons/lessonlist.h"
#include "student/profile/playerdialog.h"

using namespace tonvale;
using namespace tonvale::testing;

namespace {

// Ann's lesson 1 row as her block gives it (level 4, 3 of 9 exercises, average 75, 6 attempts).
const std::string kAnnsLesson1 = "3 33% 75% 6";
const QString kBob = lines({"begin", "name=Bob", "password=b", "lesson1=L2S50M1Q2", "end"});
const std::string kBobsLesson1 = "1 11% 50% 2";
// What the save below writes for lesson 3, and the row it reads back as.
const char* const kLesson3 = "lesson3=L3S90M2Q1";
const std::string kSavedLesson3 = "2 16% 90% 1";

} // namespace

TEST_F(ProfileTest, EveryReaderAndTheSaveTakeABlockAlike) {
    struct Case {
        const char* what;
        QString text;      // the profile file
        QString imported;  // a file brought in through Import Player first, if any
        QStringList listed;
        const char* player;
        const char* password;
        std::string lesson1;  // level, completed, average, attempts
        int upper;
        QString after;     // the profile once the player has logged in and saved lesson 3
    };
    const QString annKeys = lines({"password=pw", "upper=85", "lesson1=L4S75M3Q6"});
    const QString annSaved =
        lines({"password=new", "upper=85", "lesson1=L4S75M3Q6", kLesson3, "lower=80", "practice=false", "interval=3", "end"});
    const QString secondName = lines({"begin", "name=Ann", "password=pw", "name=Bob", "upper=85", "lesson1=L4S75M3Q6", "end"});
    const QString annAgain = lines({"begin", "name=Ann", "password=two", "upper=20", "lesson1=L2S10M0Q1", "end"});
    const Case cases[] = {
        {"name=", "begin\r\nname=Ann\r\n" + annKeys + "end\r\n" + kBob, "", {"Ann", "Bob"}, "Ann", "pw", kAnnsLesson1, 85,
         "begin\r\nname=Ann\r\n" + annSaved + kBob},
        {"Name=", "begin\r\nName=Ann\r\n" + annKeys + "end\r\n" + kBob, "", {"Ann", "Bob"}, "Ann", "pw", kAnnsLesson1, 85,
         "begin\r\nName=Ann\r\n" + annSaved + kBob},
        {"Name= brought in by Import Player", kBob, "begin\r\nName=Ann\r\n" + annKeys + "end\r\n", {"Bob", "Ann"}, "Ann",
         "pw", kAnnsLesson1, 85, kBob + "begin\r\nName=Ann\r\n" + annSaved},
        {"every key in capitals",
         lines({"begin", "NAME=Ann", "PASSWORD=pw", "UPPER=85", "LESSON1=L4S75M3Q6", "PRACTICE=false", "end"}) + kBob, "",
         {"Ann", "Bob"}, "Ann", "pw", kAnnsLesson1, 85,
         lines({"begin", "NAME=Ann", "password=new", "upper=85", "LESSON1=L4S75M3Q6", "practice=false", kLesson3,
                "lower=80", "interval=3", "end"}) +
             kBob},
        {"the password before the name", "begin\r\npassword=pw\r\nname=Ann\r\nupper=85\r\nlesson1=L4S75M3Q6\r\nend\r\n" + kBob,
         "", {"Ann", "Bob"}, "Ann", "pw", kAnnsLesson1, 85, "begin\r\npassword=new\r\nname=Ann\r\n" + annSaved.mid(14) + kBob},
        // A second name line names no one: the block stays Ann's, and Bob's is his own.
        {"a second name line, its owner", secondName + kBob, "", {"Ann", "Bob"}, "Ann", "pw", kAnnsLesson1, 85,
         lines({"begin", "name=Ann", "password=new", "name=Bob", "upper=85", "lesson1=L4S75M3Q6", kLesson3, "lower=80",
                "practice=false", "interval=3", "end"}) +
             kBob},
        {"a second name line, the player it names", secondName + kBob, "", {"Ann", "Bob"}, "Bob", "b", kBobsLesson1, 90,
         secondName + lines({"begin", "name=Bob", "password=new", "lesson1=L2S50M1Q2", kLesson3, "upper=90", "lower=80",
                             "practice=false", "interval=3", "end"})},
        // The first block of a name is the player's; a later one goes along with it.
        {"a player twice", "begin\r\nname=Ann\r\n" + annKeys + "end\r\n" + kBob + annAgain, "", {"Ann", "Bob"}, "Ann", "pw",
         kAnnsLesson1, 85, "begin\r\nname=Ann\r\n" + annSaved + annAgain + kBob},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        session().reset();
        ProfileStore::forgetKept();
        dialogs_.shown.clear();
        writeProfile(c.text);
        if (!c.imported.isEmpty()) {
            ASSERT_TRUE(common::SaveStoredText(path("imported.txt"), c.imported));
            dialogs_.files.push_back(path("imported.txt"));
            answerPasswords({QString("pw")});
            ASSERT_EQ(ProfileStore::importPlayer(), ProfileStore::ImportResult::Imported);
        }

        // The player list and the password.
        PlayerForm form;
        form.load();
        ASSERT_EQ(form.names().join(',').toStdString(), c.listed.join(',').toStdString());
        form.clickList(int(c.listed.indexOf(c.player)));
        answerPasswords({QString(c.password)});
        form.clickOk();
        ASSERT_TRUE(form.accepted);
        EXPECT_EQ(session().PlayerName, c.player);

        // The lesson list.
        lessons::LessonList list;
        qint16 level = 0;
        list.setup(session(), ProfileStore::profilePath(), level);
        auto row = [&](int lesson) {
            const lessons::LessonRow& r = list.rows()[lesson];
            return QStringList{r.level, r.completed, r.average, r.attempts}.join(' ').toStdString();
        };
        EXPECT_EQ(row(1), c.lesson1);
        EXPECT_EQ(session().UpperBound, c.upper);

        // A result saved in lesson 3 (with a password changed meanwhile) lands in the block and
        // is read back.
        session().PlayerPassword = "new";
        session().AverageScore[3] = 90;
        session().CompletedLevel[3] = 2;
        session().AttemptCount[3] = 1;
        EXPECT_EQ(ProfileStore::SaveProfile(session(), 3, 3), ProfileStore::SaveResult::Saved);
        EXPECT_EQ(messages(), QStringList());
        EXPECT_EQ(profileText().toStdString(), c.after.toStdString());
        list.setup(session(), ProfileStore::profilePath(), level);
        EXPECT_EQ(row(3), kSavedLesson3);
        EXPECT_EQ(row(1), c.lesson1);
    }
}

// A player listed once is deleted whole, with every block of the name.
TEST_F(ProfileTest, DeletingAPlayerListedOnceRemovesEachOfItsBlocks) {
    const QString ann = lines({"begin", "name=Ann", "password=pw", "end"});
    const QString again = lines({"begin", "name=Ann", "password=two", "end"});
    writeProfile(ann + kBob + again);
    PlayerForm form;
    form.load();
    ASSERT_EQ(form.names(), (QStringList{"Ann", "Bob"}));
    form.clickList(0);
    answerPasswords({QString("pw")});
    form.clickDelete();
    EXPECT_EQ(form.names(), QStringList{"Bob"});
    EXPECT_EQ(profileText(), kBob);
}
