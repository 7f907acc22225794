// The lesson list read from a profile: row texts, the player's settings, values out of
// range, an unreadable profile and a change of player.
#include "student/lessons/lessoncatalogue.h"
#include "student/lessons/lessonlist.h"
#include "student/lessons/menurules.h"

#include "common/storedtext/storedtext.h"
#include "student/profile/playersession.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lessons {
namespace {

QString lines(std::initializer_list<const char*> ls) {
    QString out;
    for (const char* l : ls) out += QString::fromUtf8(l) + common::CRLF;
    return out;
}

class LessonListTest : public ::testing::Test {
protected:
    void SetUp() override { s_.reset(); }
    void write(const QString& plain) { ASSERT_TRUE(common::SaveStoredText(path_, plain)); }
    void load(const QString& player) {
        s_.PlayerName = player;
        list_.setup(s_, path_, level_);
    }
    QStringList row(int lesson) const {
        const LessonRow& r = list_.rows()[lesson];
        return {r.level, r.completed, r.average, r.attempts, r.checked ? "checked" : "unchecked"};
    }

    QTemporaryDir dir_;
    QString path_ = dir_.filePath("Tonvale.txt");
    tonvale::PlayerSession s_;
    qint16 level_ = 0;
    LessonList list_;
};

const QStringList kDefaultRow = {"1", "0%", "0%", "0", "unchecked"};

TEST_F(LessonListTest, RowsAndSettingsOfThePlayer) {
    write(lines({"begin", "name=Ann", "password=x", "upper=85", "lower=70", "practice=true", "interval=1",
                 "lesson1=L4S75M3Q6", "lesson6=L5S90M4Q2", "end"}));
    load("Ann");
    ASSERT_TRUE(list_.profileRead());
    EXPECT_EQ(row(1), (QStringList{"3", "33%", "75%", "6", "checked"}));
    EXPECT_EQ(row(6), (QStringList{"4", "100%", "90%", "2", "checked"}));
    for (int i : {2, 3, 4, 5, 7}) EXPECT_EQ(row(i), kDefaultRow) << i;
    EXPECT_EQ(s_.UpperBound, 85);
    EXPECT_EQ(s_.LowerBound, 70);
    EXPECT_EQ(s_.IntervalStyle, 1);
    EXPECT_TRUE(s_.PracticeMode);
    EXPECT_EQ(s_.AverageScore[2], 100);
    EXPECT_EQ(s_.AttemptCount[6], 2);
    for (int i = 1; i <= 7; ++i) {
        EXPECT_EQ(list_.rows()[i].title, lessonTitle(i));
        EXPECT_EQ(list_.rows()[i].difficulty, "Incremental");
        EXPECT_EQ(list_.rows()[i].icon, lessonInfo(i).icon);
    }
    EXPECT_EQ(list_.rows()[1].title, "1. Identify these intervals.");
    EXPECT_EQ(list_.rows()[7].title, "7. Play the following rhythms.");
}

TEST_F(LessonListTest, NewPlayerGetsDefaults) {
    write(lines({"begin", "name=Cy", "password=", "upper=89", "lower=79", "end"}));
    load("Cy");
    for (int i = 1; i <= 7; ++i) EXPECT_EQ(row(i), kDefaultRow) << i;
    EXPECT_EQ(s_.UpperBound, 89);
    EXPECT_EQ(s_.LowerBound, 79);
    EXPECT_EQ(s_.IntervalStyle, 3);
    EXPECT_FALSE(s_.PracticeMode);
    EXPECT_EQ(level_, 2);
}

struct ValueCase {
    const char* line;
    int upper, interval;
};

TEST_F(LessonListTest, NumbersAsTheListReadsThem) {
    const ValueCase cases[] = {
        {"upper=85.5", 86, 3},      // half to even
        {"upper=84.5", 84, 3},
        {"upper=abc", 0, 3},        // not a number: 0
        {"upper=99999", 90, 3},     // does not fit: the default stays
        {"interval=2", 90, 2},
        {"interval=2.5", 90, 2},
        {"interval=0", 90, 3},      // out of range: the default stays
        {"interval=4", 90, 3},
        {"interval=-1", 90, 3},
        {"interval=words", 90, 3},
    };
    for (const ValueCase& c : cases) {
        write(lines({"begin", "name=Ann", c.line, "end"}));
        load("Ann");
        EXPECT_EQ(s_.UpperBound, c.upper) << c.line;
        EXPECT_EQ(s_.IntervalStyle, c.interval) << c.line;
    }
}

TEST_F(LessonListTest, StoredLevelOutsideTheLessonFallsBackToTheFirstLevel) {
    const std::pair<const char*, const char*> cases[] = {
        {"lesson1=L99S50M2Q3", "1"},   // beyond lesson 1's last level (11)
        {"lesson1=L11S50M2Q3", "10"},  // the last level itself
        {"lesson6=L7S50M2Q3", "1"},    // lesson 6 ends at 6
        {"lesson6=L6S50M2Q3", "5"},
        {"lesson2=L1S50M2Q3", "1"},    // below the first level
        {"lesson2=L-4S50M2Q3", "1"},
        {"lesson2=LxS50M2Q3", "1"},
    };
    for (const auto& c : cases) {
        write(lines({"begin", "name=Ann", c.first, "end"}));
        load("Ann");
        const int lesson = QString(c.first).mid(6, 1).toInt();
        EXPECT_EQ(list_.rows()[lesson].level, c.second) << c.first;
        EXPECT_EQ(list_.rows()[lesson].average, "50%") << c.first;
        EXPECT_EQ(list_.rows()[lesson].attempts, "3") << c.first;
        EXPECT_GE(level_, 2) << c.first;
    }
}

TEST_F(LessonListTest, PracticeMode) {
    write(lines({"begin", "name=Ann", "practice=TRUE", "end", "begin", "name=Bob", "end"}));
    s_.PracticeMode = true;
    load("Ann");
    EXPECT_FALSE(s_.PracticeMode);   // only "true" turns it on
    // The same player without a practice line keeps the mode as it is.
    write(lines({"begin", "name=Ann", "practice=true", "end", "begin", "name=Bob", "end"}));
    load("Ann");
    ASSERT_TRUE(s_.PracticeMode);
    write(lines({"begin", "name=Ann", "end", "begin", "name=Bob", "end"}));
    load("Ann");
    EXPECT_TRUE(s_.PracticeMode);
    // Another player starts from test mode.
    load("Bob");
    EXPECT_FALSE(s_.PracticeMode);
}

TEST_F(LessonListTest, OnlyThePlayersOwnBlockApplies) {
    write(lines({"begin", "name=Anna", "upper=50", "lesson1=L5S10M1Q1", "end", "begin", "name=Ann", "lower=60",
                 "end"}));
    load("Ann");
    EXPECT_EQ(s_.UpperBound, 90);
    EXPECT_EQ(s_.LowerBound, 60);
    EXPECT_EQ(row(1), kDefaultRow);
    load("ann");   // names compare exactly
    EXPECT_EQ(s_.LowerBound, 80);
}

TEST_F(LessonListTest, UnreadableOrMissingProfileGivesDefaultsNotThePreviousRows) {
    write(lines({"begin", "name=Ann", "upper=70", "interval=1", "lesson1=L4S75M3Q6", "end"}));
    load("Ann");
    ASSERT_EQ(row(1)[0], "3");
    {
        QFile f(path_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("\"garbage\"\r\n");
    }
    load("Ann");
    EXPECT_FALSE(list_.profileRead());
    EXPECT_EQ(row(1), kDefaultRow);
    EXPECT_EQ(s_.AverageScore[1], 100);
    EXPECT_EQ(s_.UpperBound, 90);
    EXPECT_EQ(s_.IntervalStyle, 3);
    QFile::remove(path_);
    load("Ann");
    EXPECT_FALSE(list_.profileRead());
    EXPECT_EQ(row(1), kDefaultRow);
}

TEST(MenuRules, ViewItemsPerLesson) {
    EXPECT_TRUE(viewItemsEnabledFor(0).isEmpty());
    EXPECT_TRUE(viewItemsEnabledFor(7).isEmpty());
    EXPECT_EQ(viewItemsEnabledFor(1), QStringList{"mnuViewIntervals"});
    EXPECT_EQ(viewItemsEnabledFor(3), QStringList{"mnuViewIntervals"});
    EXPECT_EQ(viewItemsEnabledFor(4),
              (QStringList{"mnuViewNoteSymbols", "mnuViewMisc", "mnuViewAccidentals", "mnuViewRests"}));
    EXPECT_EQ(viewItemsEnabledFor(5), (QStringList{"mnuViewCadence", "mnuViewNoteSymbols"}));
    EXPECT_EQ(viewItemsEnabledFor(6), (QStringList{"mnuViewTime", "mnuViewNoteSymbols"}));
    for (int lesson = 0; lesson <= 7; ++lesson)
        EXPECT_FALSE(viewItemsEnabledFor(lesson).contains("mnuInversion")) << lesson;
    EXPECT_EQ(viewPaletteItems().size(), 8);
}

} // namespace
} // namespace lessons
