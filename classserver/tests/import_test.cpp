#include <gtest/gtest.h>

#include <QMap>
#include <QRegularExpression>
#include <QSqlQuery>

#include "classserver/profileimport.h"
#include "common/storedtext/storedtext.h"
#include "student/profile/profilestore.h"
#include "testsupport.h"

using namespace classserver;
using namespace testsupport;

namespace {
const char kTonvale[] = "Tonvale 1.2";

QStringList lessonRow(const QString& db, const QString& student, int lesson) {
    return rows(db,
                "SELECT L.LLevel, L.Average, L.HighestLevel, L.Attempts FROM Lesson L JOIN Student S "
                "ON S.StudentID = L.StudentID WHERE S.StudentName = ? AND L.LessonNumber = ?",
                {student, lesson});
}

QStringList students(const QString& db) {
    return rows(db, "SELECT StudentName, ComputerName, ClassID, Password FROM Student ORDER BY StudentID");
}
} // namespace

TEST(ImportLessonRecord, ReadsWhatTheStudentProgramWrites) {
    LessonResult r;
    ASSERT_TRUE(parseLessonRecord("L3S80M5Q2", &r));
    EXPECT_EQ(r.level, 2);
    EXPECT_EQ(r.average, 80);
    EXPECT_EQ(r.highest, 5);
    EXPECT_EQ(r.attempts, 2);
    ASSERT_TRUE(parseLessonRecord("L1S50", &r));  // no M, no Q
    EXPECT_EQ(r.level, 0);
    EXPECT_EQ(r.highest, 0);
    EXPECT_EQ(r.attempts, 0);
    ASSERT_TRUE(parseLessonRecord("l2s7m1q9", &r));
    EXPECT_EQ(r.attempts, 9);
}

TEST(ImportLessonRecord, RefusesMalformedRecords) {
    for (const char* bad : {"", "L", "L0", "LxS", "L3", "L3S", "L3S80M", "L3S80M5Q", "L3S80Q2M5", "L-1S5",
                            "L3S-80", "L3S80M5Q2x", " L3S80", "L3 S80", "L9999999999S1", "S80L3", "L3S8.5",
                            "L\u0663S1"}) {
        LessonResult r;
        EXPECT_FALSE(parseLessonRecord(QString::fromUtf8(bad), &r)) << bad;
    }
}

TEST(ClassImport, ImportsAPlayerWithTheCatalogueOfItsProduct) {
    ScratchDb db;
    const QString text = lines({"begin", "name=Ann", "password=pw", "lesson3=L3S80M5Q2", "end"});
    const ImportResult r = importProfile(db.path, text, "PC1", kTonvale);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.players, 1);
    EXPECT_EQ(students(db.path), QStringList({"Ann|PC1|11|pw"}));
    EXPECT_EQ(count(db.path, "Lesson"), 7);
    EXPECT_EQ(lessonRow(db.path, "Ann", 3), QStringList({"2|80|5|2"}));
    EXPECT_EQ(lessonRow(db.path, "Ann", 4), QStringList({"0|0|0|0"}));
    EXPECT_EQ(rows(db.path, "SELECT LessonName, Difficulty, TotExercises FROM Lesson WHERE LessonNumber = 2"),
              QStringList({" 2.  Playback or Write the following melodies.|Incremental|12"}));

    // Polled again: nothing new; from another computer: another student.
    ASSERT_TRUE(importProfile(db.path, text, "PC1", kTonvale).ok);
    EXPECT_EQ(count(db.path, "Student"), 1);
    EXPECT_EQ(count(db.path, "Lesson"), 7);
    ASSERT_TRUE(importProfile(db.path, text, "PC2", kTonvale).ok);
    EXPECT_EQ(count(db.path, "Student"), 2);
    // Same name and computer in another product: another student.
    ASSERT_TRUE(importProfile(db.path, text, "PC1", "Sopranel 2.0").ok);
    EXPECT_EQ(count(db.path, "Student"), 3);
    EXPECT_EQ(count(db.path, "Lesson"), 7 + 7 + 98);
}

TEST(ClassImport, NewerValuesOverwriteAndAMovedStudentIsStillFound) {
    ScratchDb db;
    ASSERT_TRUE(importProfile(db.path, block("Ann", "pw", {"lesson1=L2S70M1Q1"}), "PC1", kTonvale).ok);
    {
        DbConnection c(db.path);
        QSqlQuery q(c.db());
        ASSERT_TRUE(q.exec("UPDATE Student SET ClassID = 13"));  // moved to Class 2
    }
    ASSERT_TRUE(importProfile(db.path, block("Ann", "new", {"lesson1=L4S90M3Q5"}), "PC1", kTonvale).ok);
    EXPECT_EQ(students(db.path), QStringList({"Ann|PC1|13|new"}));
    EXPECT_EQ(lessonRow(db.path, "Ann", 1), QStringList({"3|90|3|5"}));
}

TEST(ClassImport, ProductsOutsideTheCatalogueGetUnnamedRows) {
    ScratchDb db;
    ASSERT_TRUE(importProfile(db.path, block("Bo", "x", {"lesson40=L2S1M1Q1"}), "PC1", "Ostrelle 1.0").ok);
    EXPECT_EQ(rows(db.path, "SELECT ClassID FROM Student"), QStringList({"22"}));
    EXPECT_EQ(count(db.path, "Lesson"), 98);
    EXPECT_EQ(rows(db.path, "SELECT COUNT(*) FROM Lesson WHERE LessonName IS NULL AND Difficulty IS NULL "
                            "AND TotExercises IS NULL"),
              QStringList({"98"}));
    EXPECT_EQ(lessonRow(db.path, "Bo", 40), QStringList({"1|1|1|1"}));

    ASSERT_TRUE(importProfile(db.path, block("Cy", "x"), "PC1", "Something Else").ok);
    EXPECT_EQ(rows(db.path, "SELECT ClassID FROM Student WHERE StudentName = 'Cy'"), QStringList({"77"}));
}

TEST(ClassImport, AnEmptyPasswordIsStoredAndTheRestStillRead) {
    ScratchDb db;
    ASSERT_TRUE(importProfile(db.path, block("Ann", "", {"lesson2=L5S60M4Q3"}) + block("Bob", "b"), "PC1",
                              kTonvale).ok);
    EXPECT_EQ(students(db.path), QStringList({"Ann|PC1|11|", "Bob|PC1|11|b"}));
    EXPECT_EQ(lessonRow(db.path, "Ann", 2), QStringList({"4|60|4|3"}));
}

TEST(ClassImport, NamesAreDataNeverSql) {
    ScratchDb db;
    const QStringList names = {"O'Brien", "x'); DROP TABLE Student; --", "\"quoted\"", "a%_b", "Zoë ♪"};
    QString text;
    for (const QString& n : names) text += block(n, n, {"lesson1=L2S50M1Q1"});
    ASSERT_TRUE(importProfile(db.path, text, "PC'1", kTonvale).ok);
    QStringList stored = rows(db.path, "SELECT StudentName FROM Student ORDER BY StudentID");
    EXPECT_EQ(stored, names);
    EXPECT_EQ(rows(db.path, "SELECT DISTINCT ComputerName FROM Student"), QStringList({"PC'1"}));
    EXPECT_EQ(count(db.path, "Lesson"), 35);
}

// Each text is imported over a database that already holds Ann with known results; none of
// them may add a wrong row or change a stored value.
TEST(ClassImport, BadInputsImportNothingWrong) {
    const QString annBlock = block("Ann", "pw", {"lesson3=L3S80M5Q2"});
    const struct { const char* what; QString text; QStringList studentsAfter; } cases[] = {
        {"lesson0", block("Ann", "pw", {"lesson0=L9S9M9Q9"}), {"Ann|PC1|11|pw"}},
        {"lesson70000", block("Ann", "pw", {"lesson70000=L9S9M9Q9"}), {"Ann|PC1|11|pw"}},
        {"lesson8 of 7", block("Ann", "pw", {"lesson8=L9S9M9Q9"}), {"Ann|PC1|11|pw"}},
        {"leading zero", block("Ann", "pw", {"lesson03=L9S9M9Q9"}), {"Ann|PC1|11|pw"}},
        {"signed number", block("Ann", "pw", {"lesson+3=L9S9M9Q9"}), {"Ann|PC1|11|pw"}},
        {"record L", block("Ann", "pw", {"lesson3=L"}), {"Ann|PC1|11|pw"}},
        {"record L0", block("Ann", "pw", {"lesson3=L0"}), {"Ann|PC1|11|pw"}},
        {"record LxS", block("Ann", "pw", {"lesson3=LxS"}), {"Ann|PC1|11|pw"}},
        {"empty record", block("Ann", "pw", {"lesson3="}), {"Ann|PC1|11|pw"}},
        {"password before name", lines({"begin", "password=evil", "lesson3=L9S9M9Q9", "name=Ann", "end"}),
         {"Ann|PC1|11|pw"}},
        {"duplicate player", block("Ann", "pw") + block("Ann", "other", {"lesson3=L9S9M9Q9"}),
         {"Ann|PC1|11|pw"}},
        {"no end", lines({"begin", "name=Eve", "password=e", "lesson3=L9S9M9Q9"}), {"Ann|PC1|11|pw"}},
        {"no begin", lines({"name=Eve", "password=e", "end"}), {"Ann|PC1|11|pw"}},
        {"empty name", lines({"begin", "name=", "password=e", "end"}), {"Ann|PC1|11|pw"}},
        {"restarted block", lines({"begin", "name=Ann", "password=evil", "begin", "name=Eve", "end"}),
         {"Ann|PC1|11|pw", "Eve|PC1|11|NULL"}},
        {"lone LF lines", QString("begin\nname=Eve\nend\n"), {"Ann|PC1|11|pw"}},
        {"random text", QString::fromLatin1("\x01\x02=\xff\r\nbegin=\r\n==\r\n"), {"Ann|PC1|11|pw"}},
        {"empty text", QString(), {"Ann|PC1|11|pw"}},
    };
    for (const auto& t : cases) {
        ScratchDb db;
        ASSERT_TRUE(importProfile(db.path, annBlock, "PC1", kTonvale).ok);
        const ImportResult r = importProfile(db.path, t.text, "PC1", kTonvale);
        EXPECT_TRUE(r.ok) << t.what;
        EXPECT_EQ(students(db.path), t.studentsAfter) << t.what;
        EXPECT_EQ(lessonRow(db.path, "Ann", 3), QStringList({"2|80|5|2"})) << t.what;
        EXPECT_EQ(count(db.path, "Lesson"), 7 * t.studentsAfter.size()) << t.what;
        EXPECT_EQ(scalar(db.path, "SELECT COUNT(*) FROM Lesson WHERE LessonNumber < 1 OR LessonNumber > 7").toInt(), 0)
            << t.what;
    }
}

// The student program reads a player's keys without regard to letter case (an imported file
// may say "Name="), so the server must read the same block the student sees.
TEST(ClassImport, KeysInAnyLetterCaseAreThePlayersOwn) {
    const struct {
        const char* what;
        QStringList block;
    } cases[] = {
        {"Name=", {"begin", "Name=Ann", "password=pw", "lesson3=L3S80M5Q2", "end"}},
        {"NAME= and PASSWORD=", {"begin", "NAME=Ann", "PASSWORD=pw", "lesson3=L3S80M5Q2", "end"}},
        {"Lesson3=", {"begin", "name=Ann", "Password=pw", "Lesson3=L3S80M5Q2", "end"}},
    };
    for (const auto& t : cases) {
        ScratchDb db;
        const ImportResult r = importProfile(db.path, lines(t.block), "PC1", kTonvale);
        ASSERT_TRUE(r.ok) << t.what;
        EXPECT_EQ(r.players, 1) << t.what;
        EXPECT_EQ(students(db.path), QStringList({"Ann|PC1|11|pw"})) << t.what;
        EXPECT_EQ(lessonRow(db.path, "Ann", 3), QStringList({"2|80|5|2"})) << t.what;
    }
}

namespace {

// What Tonvale itself shows of a profile: its player list (names and passwords) and, for each
// player, the lesson results its lesson list reads from the player's block.
QStringList asTonvaleReadsIt(const QString& text) {
    QStringList out;
    for (const tonvale::PlayerEntry& p : tonvale::ProfileStore::scanPlayers(text)) {
        out << p.name + "|" + (p.hasPassword ? p.password : QString("NULL"));
        common::LessonProgressTable table;
        QMap<int, QString> results;
        for (const common::KeyValueLine& line : common::playerBlockLines(text, p.name)) {
            const int lesson = common::lessonOfKey(line.key);
            if (lesson == 0) continue;
            qint16 level = 0;
            common::ParseScoreRecord(table, qint16(lesson), 9, line.value, level);
            results[lesson] = QString("%1|%2|%3|%4|%5")
                                  .arg(lesson)
                                  .arg(level - 1)
                                  .arg(table.AverageScore[lesson])
                                  .arg(table.CompletedLevel[lesson])
                                  .arg(table.AttemptCount[lesson]);
        }
        for (const QString& r : results) out << p.name + "|" + r;
    }
    return out;
}

// The same, as the class server imported it.
QStringList asImported(const QString& db) {
    QStringList out;
    for (const QString& student : rows(db, "SELECT StudentID, StudentName, Password FROM Student ORDER BY StudentID")) {
        const QStringList f = student.split('|');
        out << f[1] + "|" + f[2];
        for (const QString& lesson : rows(db, "SELECT LessonNumber, LLevel, Average, HighestLevel, Attempts FROM Lesson "
                                              "WHERE StudentID = ? AND Attempts > 0 ORDER BY LessonNumber",
                                          {f[0].toLongLong()}))
            out << f[1] + "|" + lesson;
    }
    return out;
}

} // namespace

// A profile's blocks and keys in any letter case are read by the server exactly as Tonvale reads
// them: every player Tonvale lists is imported, with the password and results Tonvale shows.
TEST(ClassImport, ReadsAProfileAsTheStudentProgramReadsIt) {
    const struct { const char* what; QStringList block; } cases[] = {
        {"Begin .. END", {"Begin", "Name=Ivy", "Password=i1", "Lesson1=L3S60M2Q2", "END"}},
        {"BEGIN .. End", {"BEGIN", "NAME=Ivy", "PASSWORD=i1", "LESSON1=L3S60M2Q2", "End"}},
        {"begin .. eNd", {"begin", "nAmE=Ivy", "pAsSwOrD=i1", "lEsSoN1=L3S60M2Q2", "eNd"}},
        {"bEgIn .. end", {"bEgIn", "name=Ivy", "password=i1", "lesson1=L3S60M2Q2", "lesson6=L2S90M1Q4", "end"}},
        {"two password lines", {"Begin", "name=Ivy", "Password=i1", "PASSWORD=other", "Lesson1=L3S60M2Q2", "End"}},
        {"no password", {"BEGIN", "Name=Ivy", "LESSON1=L3S60M2Q2", "END"}},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.what);
        ScratchDb db;
        // Ivy stands between two players written as the program writes them.
        const QString text = block("Ann", "a1", {"lesson3=L3S80M5Q2"}) + lines(t.block) +
                             block("Bo", "b1", {"lesson7=L5S95M9Q4"});
        const QStringList tonvale = asTonvaleReadsIt(text);
        ASSERT_EQ(tonvale.filter(QRegularExpression("^Ivy\\|[^|]*$")).size(), 1) << tonvale.join(", ").toStdString();
        const ImportResult r = importProfile(db.path, text, "PC1", kTonvale);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(r.players, tonvale::ProfileStore::scanPlayers(text).size());
        EXPECT_EQ(asImported(db.path), tonvale);
    }
}

TEST(ClassImport, AFailingImportLeavesNothingOfThatText) {
    ScratchDb db;
    {
        DbConnection c(db.path);
        QSqlQuery q(c.db());
        ASSERT_TRUE(q.exec("DROP TABLE Lesson"));
    }
    const ImportResult r = importProfile(db.path, block("Ann", "pw") + block("Bob", "b"), "PC1", kTonvale);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_EQ(count(db.path, "Student"), 0);

    QTemporaryDir dir;
    EXPECT_FALSE(importProfile(dir.path() + "/none.mdb", block("Ann", "pw"), "PC1", kTonvale).ok);
}

TEST(ClassImport, AProfileIsReadUpToItsPlayerLimit) {
    ScratchDb db;
    QString text;
    for (int i = 0; i < kMaxPlayersPerProfile + 3; ++i) text += block(QString("P%1").arg(i), "pw", {"lesson1=L2S50M1Q1"});
    text += block("P0", "again");  // the first block of a name counts; this is no further player
    int skipped = -1;
    EXPECT_EQ(parseProfile(text, 7, kMaxPlayersPerProfile, &skipped).size(), kMaxPlayersPerProfile);
    EXPECT_EQ(skipped, 3);
    const ImportResult r = importProfile(db.path, text, "LAB1", kTonvale);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.players, kMaxPlayersPerProfile);
    EXPECT_EQ(r.skipped, 3);
    EXPECT_EQ(count(db.path, "Student"), kMaxPlayersPerProfile);
    EXPECT_EQ(scalar(db.path, "SELECT MAX(StudentName) FROM Student WHERE StudentName LIKE 'P99%'").toString(), "P999");
    EXPECT_EQ(scalar(db.path, "SELECT Password FROM Student WHERE StudentName = 'P0'").toString(), "pw");
}

TEST(ClassImport, ACancelledImportLeavesNothing) {
    ScratchDb db;
    std::atomic<bool> cancel{true};
    const ImportResult r = importProfile(db.path, block("Ann", "pw"), "LAB1", kTonvale, &cancel);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(count(db.path, "Student"), 0);
}
