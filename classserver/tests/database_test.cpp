#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "classserver/classdatabase.h"
#include "classserver/serverconfig.h"
#include "common/storedtext/storedtext.h"
#include "testsupport.h"

using namespace classserver;
using namespace testsupport;

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
} // namespace

TEST(ClassDatabase, TemplateHoldsProductsAndEveryClassOfTheBlocks) {
    ScratchDb db;
    EXPECT_EQ(count(db.path, "Product"), 8);
    EXPECT_EQ(count(db.path, "Class"), 78);
    EXPECT_EQ(count(db.path, "Student"), 0);
    EXPECT_EQ(count(db.path, "Lesson"), 0);
    EXPECT_EQ(rows(db.path, "SELECT ClassID, ClassName, ProductID FROM Class WHERE ClassID IN (0, 1, 10, 11, 13, 21, 77) "
                            "ORDER BY ClassID"),
              QStringList({"0|Default|1", "1|Class 1|1", "10|Class 10|1", "11|Default|2", "13|Class 2|2",
                           "21|Class 10|2", "77|Default|8"}));
    EXPECT_EQ(rows(db.path, "SELECT ProductName FROM Product WHERE ProductID IN (1, 2) ORDER BY ProductID"),
              QStringList({"Sopranel 2.1", "Tonvale 1.2"}));
}

TEST(ClassDatabase, ForeignKeysAreEnforced) {
    ScratchDb db;
    DbConnection c(db.path);
    ASSERT_TRUE(c.isOpen());
    QSqlQuery q(c.db());
    EXPECT_FALSE(q.exec("INSERT INTO Student (StudentName, ComputerName, ClassID) VALUES ('a', 'b', 500)"));
    EXPECT_FALSE(q.exec("INSERT INTO Lesson (StudentID, LessonNumber) VALUES (12345, 1)"));
}

TEST(ClassDatabase, OpeningAMissingFileFailsAndCreatesNothing) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/absent.mdb";
    DbConnection c(path);
    EXPECT_FALSE(c.isOpen());
    EXPECT_FALSE(QFile::exists(path));
}

TEST(ClassDatabase, WorkingCopyKeepsThePreviousOneUnderANameOfItsOwn) {
    QTemporaryDir dir;
    const QString working = dir.path() + "/default.mdb";
    auto files = [&] { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); };
    ASSERT_TRUE(makeWorkingCopy(templatePath(), working));
    EXPECT_EQ(readAll(working), readAll(templatePath()));
    EXPECT_EQ(files(), QStringList({"default.mdb"}));

    ASSERT_TRUE(execSql(working, "INSERT INTO Student (StudentName, ComputerName, ClassID) VALUES ('Ann', 'LAB1', 11)"));
    QString warning, kept;
    ASSERT_TRUE(makeWorkingCopy(templatePath(), working, nullptr, &warning, &kept));
    EXPECT_TRUE(warning.isEmpty()) << warning.toStdString();
    EXPECT_TRUE(QRegularExpression("^default-\\d{4}-\\d\\d-\\d\\d-\\d{4}(-\\d+)?\\.mdb\\.bak$")
                    .match(QFileInfo(kept).fileName())
                    .hasMatch())
        << kept.toStdString();
    EXPECT_EQ(QFileInfo(kept).absolutePath(), QFileInfo(working).absolutePath());
    EXPECT_EQ(readAll(working), readAll(templatePath()));
    EXPECT_EQ(rows(kept, "SELECT StudentName, ComputerName, ClassID FROM Student"), QStringList({"Ann|LAB1|11"}));
    // Nothing is left lying about besides the two files.
    EXPECT_EQ(files().size(), 2);

    // A copy in which nothing was done, or whose change was undone, is not kept.
    const struct { const char* sql; bool untouched; } steps[] = {
        {"", true},
        {"UPDATE Class SET Educator = 'Ms Lind' WHERE ClassID = 14", false},
        {"UPDATE Class SET Educator = '' WHERE ClassID = 14", true},
    };
    for (const auto& step : steps) {
        if (*step.sql) {
            ASSERT_TRUE(execSql(working, step.sql));
        }
        EXPECT_EQ(holdsOnlyTemplateRows(working, templatePath()), step.untouched) << step.sql;
    }
    QString none;
    ASSERT_TRUE(makeWorkingCopy(templatePath(), working, nullptr, &warning, &none));
    EXPECT_TRUE(none.isEmpty());
    EXPECT_EQ(files().size(), 2);
    // A class edited and nothing else is work too; it is kept beside the first, which stays as
    // it was, even when both are kept in the same minute.
    ASSERT_TRUE(execSql(working, "UPDATE Class SET ClassName = 'Strings' WHERE ClassID = 14"));
    QString second;
    ASSERT_TRUE(makeWorkingCopy(templatePath(), working, nullptr, &warning, &second));
    EXPECT_FALSE(second.isEmpty());
    EXPECT_NE(second, kept);
    EXPECT_EQ(count(second, "Student"), 0);
    EXPECT_EQ(scalar(second, "SELECT ClassName FROM Class WHERE ClassID = 14").toString().toStdString(), "Strings");
    EXPECT_EQ(rows(kept, "SELECT StudentName FROM Student"), QStringList({"Ann"}));
    EXPECT_EQ(files().size(), 3);

    // An old copy that is no database cannot be kept: nothing kept is touched, and it says so.
    writeAll(working, "previous results");
    ASSERT_TRUE(makeWorkingCopy(templatePath(), working, nullptr, &warning));
    EXPECT_FALSE(warning.isEmpty());
    EXPECT_EQ(readAll(working), readAll(templatePath()));
    EXPECT_EQ(rows(kept, "SELECT StudentName FROM Student"), QStringList({"Ann"}));
    EXPECT_EQ(files().size(), 3);
}

TEST(ClassDatabase, AKeptCopyIsNamedByTheTimeItWasKeptAndNeverReplaced) {
    QTemporaryDir dir;
    const QString working = dir.path() + "/default.mdb";
    const QDateTime at(QDate(2026, 12, 11), QTime(9, 15, 42));
    QStringList names;
    for (int i = 0; i < 3; ++i) {
        const QString path = backupPathFor(working, at);
        names << QFileInfo(path).fileName();
        writeAll(path, "kept");
    }
    EXPECT_EQ(names, QStringList({"default-2026-12-11-0915.mdb.bak", "default-2026-12-11-0915-2.mdb.bak",
                                  "default-2026-12-11-0915-3.mdb.bak"}));
}

TEST(ClassDatabase, MissingTemplateIsReportedAndLeavesTheWorkingCopy) {
    QTemporaryDir dir;
    const QString working = dir.path() + "/default.mdb";
    writeAll(working, "kept");
    QString why;
    EXPECT_FALSE(makeWorkingCopy(dir.path() + "/templates/default.mdb", working, &why));
    EXPECT_TRUE(why.contains("missing")) << why.toStdString();
    EXPECT_EQ(readAll(working), QByteArray("kept"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"default.mdb"}));
}

TEST(ServerCfg, PortComesFromTheFirstValueOrFallsBackTo2001) {
    const struct { const char* text; int port; } cases[] = {
        {"port=2002\r\n", 2002},
        {"port= 2003\r\n", 2003},
        {"other=2004\r\n", 2004},       // the key is not looked at
        {"port=2001.5\r\n", 2002},      // rounded half to even
        {"port=2002.5\r\n", 2002},
        {"port=12abc\r\n", 12},
        {"", 2001},
        {"2002", 2001},                 // no "=": 0
        {"port=\r\n", 2001},
        {"port=0\r\n", 2001},
        {"port=-5\r\n", 2001},
        {"port=65535\r\n", 65535},
        {"port=65536\r\n", 2001},
        {"port=99999999999\r\n", 2001},
    };
    for (const auto& t : cases) EXPECT_EQ(serverPortFromText(t.text), t.port) << t.text;
}

TEST(ServerCfg, ReadsTheQuotedRecordOfServerCfg) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/Server.cfg";
    EXPECT_EQ(readServerPort(path), 2001);
    writeAll(path, QByteArray("\"port=2002\r\n\"\r\n"));
    EXPECT_EQ(readServerPort(path), 2002);
    writeAll(path, QByteArray());
    EXPECT_EQ(readServerPort(path), 2001);
}
