// The student report: its options, the scratch database, the rows and totals, the printed
// document, and the options dialog.
#include "student/shell/report/studentreport.h"

#include "common/storedtext/storedtext.h"
#include "common/testing/testoutput.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "student/profile/playersession.h"
#include "student/profile/profilestore.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QVariant>
#include <gtest/gtest.h>

namespace report {
namespace {

const QString CRLF = common::CRLF;

QString lines(std::initializer_list<const char*> ls) {
    QString out;
    for (const char* l : ls) out += QString::fromUtf8(l) + CRLF;
    return out;
}

// Ann has progress in lessons 1, 3 and 7; Bob only in lesson 2.
QString profile() {
    return lines({"begin", "name=Ann", "password=pw", "upper=85", "lower=70", "lesson1=L4S75M3Q6",
                  "lesson3=L2S100M0Q1", "lesson7=L6S82M5Q11", "end", "begin", "name=Bob", "password=b",
                  "lesson2=L3S64M2Q4", "end"});
}

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = platform::Paths::dataFolder();
        platform::Paths::setDataFolder(dir_.path());
        tonvale::ProfileStore::forgetKept();
        ASSERT_TRUE(common::SaveStoredText(tonvale::ProfileStore::profilePath(), profile()));
        setReportToday([] { return QDate(2024, 3, 5); });
    }
    void TearDown() override {
        setReportToday(nullptr);
        platform::Paths::setDataFolder(previous_);
    }

    void writeOptions(const QString& text) { ASSERT_TRUE(common::SaveStoredText(reportOptionsPath(), text)); }
    QString optionsText() {
        QString text;
        EXPECT_TRUE(common::LoadStoredText(reportOptionsPath(), text));
        return text;
    }
    // Rows and key column of a table of student.mdb.
    QVector<QVariantList> tableRows(const QString& sql) {
        QVector<QVariantList> out;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "probe");
            db.setDatabaseName(StudentDatabase::defaultPath());
            EXPECT_TRUE(db.open());
            QSqlQuery q(db);
            EXPECT_TRUE(q.exec(sql));
            while (q.next()) {
                QVariantList row;
                for (int c = 0; c < q.record().count(); ++c) row << q.value(c);
                out << row;
            }
        }
        QSqlDatabase::removeDatabase("probe");
        return out;
    }
    ReportData reportOf(const QString& player) {
        const ReportOptions options = loadReportOptions();
        StudentDatabase db(StudentDatabase::defaultPath());
        QString why;
        EXPECT_TRUE(db.write(player, readPlayerProgress(player), &why)) << why.toStdString();
        const auto data = db.read(options, &why);
        EXPECT_TRUE(data.has_value()) << why.toStdString();
        return data.value_or(ReportData{});
    }
    static QVector<int> lessonsOf(const ReportData& d) {
        QVector<int> out;
        for (const ReportRow& r : d.rows) out << r.lesson;
        return out;
    }

    QTemporaryDir dir_;
    QString previous_;
};

TEST_F(ReportTest, OptionsChooseTheDifficultyAndLessons) {
    struct Case {
        const char* what;
        QString text;
        QString filter;
        bool named;
        QVector<int> rows;   // lessons reported (every lesson is "Incremental")
    };
    const QVector<int> all{1, 2, 3, 4, 5, 6, 7};
    const Case cases[] = {
        {"default", defaultReportOptionsText(), "", true, all},
        {"Advanced with 2 and 5", "Advanced" + CRLF + "2" + CRLF + "5" + CRLF, "Advanced", true, {}},
        {"lessons 2 and 5", CRLF + "2" + CRLF + "5" + CRLF, "", true, {2, 5}},
        {"the level line only", "Intermediate" + CRLF, "Intermediate", false, {}},
        {"the level alone, no line end", "Beginner", "Beginner", false, {}},
        {"a 0 line names no lesson", CRLF + "0" + CRLF, "", false, all},
        {"a 9 line names no lesson", CRLF + "9" + CRLF, "", false, all},
        {"9 beside 3", CRLF + "3" + CRLF + "9" + CRLF, "", true, {3}},
        {"an unknown difficulty filters nothing", "Expert" + CRLF + "1" + CRLF, "", true, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ReportOptions o = ReportOptions::parse(c.text);
        EXPECT_EQ(o.difficultyFilter(), c.filter);
        EXPECT_EQ(o.lessonNamed, c.named);
        writeOptions(c.text);
        EXPECT_EQ(lessonsOf(reportOf("Ann")), c.rows);
    }
}

TEST_F(ReportTest, FirstReportMakesTheOptionsAndTheDatabase) {
    ASSERT_FALSE(QFile::exists(reportOptionsPath()));
    ASSERT_FALSE(QFile::exists(StudentDatabase::defaultPath()));
    const ReportData d = reportOf("Ann");
    EXPECT_EQ(optionsText(), CRLF + "1" + CRLF + "2" + CRLF + "3" + CRLF + "4" + CRLF + "5" + CRLF + "6" + CRLF +
                                 "7" + CRLF);
    EXPECT_EQ(d.studentName, "Ann");
    ASSERT_EQ(d.rows.size(), 7);
    // Level 4 with 3 of 9 exercises, average 75, 6 attempts; an untouched lesson reads 0%.
    EXPECT_EQ(d.rows[0].name, "1. Identify these intervals.");
    EXPECT_EQ(d.rows[0].difficulty, "Incremental");
    EXPECT_EQ(d.rows[0].average, 75);
    EXPECT_EQ(d.rows[0].attempts, 6);
    EXPECT_EQ(d.rows[0].completed(), 33);
    EXPECT_EQ(d.rows[1].average, 0);
    EXPECT_EQ(d.rows[6].completed(), 41);  // 5 of 12
    EXPECT_DOUBLE_EQ(*d.totalAverage(), (75 + 100 + 82) / 7.0);
    EXPECT_EQ(d.totalAttempts(), 18);
    // The total is taken from HighestLevel / TotExercises, not from the rounded percents
    // shown on the lines: (3/9 + 5/12) / 7 is 10.7%, where (33% + 41%) / 7 would be 10.6%.
    EXPECT_NEAR(*d.totalCompleted(), (3.0 / 9 + 5.0 / 12) / 7 * 100, 1e-9);
    EXPECT_EQ(d.lessonCount(), 7);
    // The columns as written.
    const auto stored = tableRows("SELECT LessonNumber, TotExercises, LLevel, Average, HighestLevel, Attempts "
                                  "FROM Lesson WHERE LessonNumber = 1");
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0], (QVariantList{1, 9, 3, 75, 3, 6}));
}

TEST_F(ReportTest, ASecondReportOverwritesTheRows) {
    reportOf("Ann");
    const ReportData d = reportOf("Bob");
    EXPECT_EQ(d.studentName, "Bob");
    EXPECT_EQ(tableRows("SELECT StudentName FROM Student").size(), 1);
    EXPECT_EQ(tableRows("SELECT StudentName FROM Student")[0][0].toString(), "Bob");
    EXPECT_EQ(tableRows("SELECT * FROM Lesson").size(), 7);
    ASSERT_EQ(d.rows.size(), 7);
    EXPECT_EQ(d.rows[0].attempts, 0);   // Ann's 6 are gone
    EXPECT_EQ(d.rows[1].average, 64);
    EXPECT_EQ(d.rows[1].completed(), 15); // 2 of 13
}

TEST_F(ReportTest, LessonsAreWrittenUnderTheStudentsOwnKey) {
    // A database whose student row is not the first key ever given.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "seed");
        db.setDatabaseName(StudentDatabase::defaultPath());
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("CREATE TABLE Student (StudentID INTEGER PRIMARY KEY AUTOINCREMENT, StudentName TEXT)"));
        ASSERT_TRUE(q.exec("CREATE TABLE Lesson (LessonID INTEGER PRIMARY KEY AUTOINCREMENT, StudentID INTEGER, "
                           "LessonNumber INTEGER, LessonName TEXT, Difficulty TEXT, TotExercises INTEGER, "
                           "LLevel INTEGER, Average INTEGER, HighestLevel INTEGER, Attempts INTEGER)"));
        ASSERT_TRUE(q.exec("INSERT INTO Student (StudentID, StudentName) VALUES (5, 'Old')"));
    }
    QSqlDatabase::removeDatabase("seed");
    const ReportData d = reportOf("Ann");
    EXPECT_EQ(d.rows.size(), 7);
    EXPECT_EQ(d.studentName, "Ann");
    const auto keys = tableRows("SELECT DISTINCT StudentID FROM Lesson");
    ASSERT_EQ(keys.size(), 1);
    EXPECT_EQ(keys[0][0].toLongLong(), 5);
}

TEST_F(ReportTest, AnUnreadableDatabaseIsMadeAnew) {
    QFile f(StudentDatabase::defaultPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    const ReportData d = reportOf("Ann");
    EXPECT_EQ(d.rows.size(), 7);
    EXPECT_EQ(tableRows("SELECT * FROM Student").size(), 1);
}

TEST_F(ReportTest, AFolderInTheDatabasesPlaceIsToldNotReported) {
    ASSERT_TRUE(QDir().mkpath(StudentDatabase::defaultPath() + "/inner"));
    QString why;
    EXPECT_EQ(makeStudentReport("Ann", &why), nullptr);
    EXPECT_FALSE(why.isEmpty());
}

TEST_F(ReportTest, ProgressOfAPlayerWithoutBlockOrProfile) {
    // The empty name (no player chosen): the lesson list's defaults.
    common::LessonProgressTable t = readPlayerProgress("");
    EXPECT_EQ(t.LessonProgress[1][1], "1");
    EXPECT_EQ(t.LessonProgress[3][1], "0%");
    // A block is found by its exact name only.
    EXPECT_EQ(readPlayerProgress("ann").LessonProgress[4][1], "0");
    EXPECT_EQ(readPlayerProgress("Ann").LessonProgress[4][1], "6");
    // The block read as the lesson list reads it: keys in any letter case, a later name line
    // naming no one.
    ASSERT_TRUE(common::SaveStoredText(tonvale::ProfileStore::profilePath(),
                                       lines({"begin", "Name=Cy", "name=Ann", "LESSON2=L3S64M2Q4", "end"}) + profile()));
    EXPECT_EQ(readPlayerProgress("Cy").LessonProgress[4][2], "4");
    EXPECT_EQ(readPlayerProgress("Ann").LessonProgress[4][1], "6");
    // No profile at all: every field "0".
    QFile::remove(tonvale::ProfileStore::profilePath());
    t = readPlayerProgress("Ann");
    EXPECT_EQ(t.LessonProgress[1][1], "0");
    EXPECT_EQ(t.LessonProgress[3][1], "0");
    EXPECT_EQ(t.LessonProgress[5][2], "13");
}

TEST_F(ReportTest, TheReportLeavesThePlayerStateAlone) {
    tonvale::PlayerSession& s = tonvale::PlayerSession::instance();
    s.reset();
    s.PlayerName = "Bob";
    s.UpperBound = 95;
    s.AttemptCount[2] = 9;
    s.LessonProgress[1][2] = "7";
    s.CompletedLevel[2] = 4;
    ASSERT_NE(makeStudentReport("Ann"), nullptr);
    EXPECT_EQ(s.PlayerName, "Bob");
    EXPECT_EQ(s.UpperBound, 95);
    EXPECT_EQ(s.AttemptCount[2], 9);
    EXPECT_EQ(s.LessonProgress[1][2], "7");
    EXPECT_EQ(s.CompletedLevel[2], 4);
    s.reset();
}

// The document as PDF, read back as text.
TEST_F(ReportTest, PdfHoldsTheNameTitlesFiguresAndTotals) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    std::unique_ptr<QTextDocument> doc = makeStudentReport("Ann");
    ASSERT_NE(doc, nullptr);
    const QString pdf = testOutputPath("student_report.pdf");
    {
        QPdfWriter writer(pdf);
        writer.setPageSize(QPageSize(QPageSize::A4));
        doc->print(&writer);
    }
    QProcess p;
    p.start(pdftotext, {"-layout", pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QStringList text = QString::fromUtf8(p.readAllStandardOutput()).split('\n');
    auto lineWith = [&](const QString& s) -> QString {
        for (const QString& l : text)
            if (l.contains(s)) return l.simplified();
        return QString();
    };
    EXPECT_NE(lineWith("Product: Tonvale 1.0"), "");
    EXPECT_TRUE(lineWith("Date:").contains(longDate(QDate(2024, 3, 5)))) << lineWith("Date:").toStdString();
    EXPECT_EQ(lineWith("Student Name:"), "Student Name: Ann");
    EXPECT_EQ(lineWith("LessonName:"), "LessonName: Difficulty: Average: Attempts: Completed:");
    const QStringList expected = {
        "1. Identify these intervals. Incremental 75% 6 33%",
        "2. Playback or Write the following melodies. Incremental 0% 0 0%",
        "3. Identify these chords. Incremental 100% 1 0%",
        "4. Playback or Write the following rhythms. Incremental 0% 0 0%",
        "5. Identify the following cadences. Incremental 0% 0 0%",
        "6. Identify the following time signatures. Incremental 0% 0 0%",
        "7. Play the following rhythms. Incremental 82% 11 41%",
    };
    int previous = -1;
    for (const QString& row : expected) {
        const int at = int(text.indexOf(QRegularExpression(".*" + QRegularExpression::escape(row.left(20)) + ".*")));
        EXPECT_GT(at, previous) << row.toStdString();
        previous = at;
        EXPECT_EQ(lineWith(row.left(20)), row);
    }
    EXPECT_EQ(lineWith("Total Average"), "Total Average 36.7%");
    EXPECT_EQ(lineWith("Total Attempts"), "Total Attempts 18");
    EXPECT_EQ(lineWith("Total Completed"), "Total Completed 10.7%");
    EXPECT_EQ(lineWith("Number of Lessons"), "Number of Lessons 7");
}

// ---- The options dialog ----

TEST_F(ReportTest, OptionsDialogReadsChoosesAndWrites) {
    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride guard(&dialogs);
    auto selected = [](const FrmReportOptions& d) {
        QVector<int> out;
        for (int i = 0; i < d.lstLessons->count(); ++i)
            if (d.lstLessons->item(i)->isSelected()) out << d.lstLessons->item(i)->text().left(1).toInt();
        return out;
    };
    {
        // No file: every lesson chosen, every difficulty.
        FrmReportOptions d;
        EXPECT_EQ(d.windowTitle(), "Customize Report Options");
        EXPECT_EQ(d.lstLessons->count(), 7);
        EXPECT_EQ(selected(d), (QVector<int>{1, 2, 3, 4, 5, 6, 7}));
        EXPECT_TRUE(d.optLevel[0]->isChecked());
        EXPECT_EQ(d.optLevel[0]->text(), "All");
        d.cmdRemoveAll->click();
        d.lstLessons->item(1)->setSelected(true);
        d.lstLessons->item(4)->setSelected(true);
        d.cmdOK->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(optionsText(), CRLF + "2" + CRLF + "5" + CRLF);
    }
    {
        FrmReportOptions d;
        EXPECT_EQ(selected(d), (QVector<int>{2, 5}));
        // A difficulty no lesson has empties the list; OK keeps only the difficulty line.
        d.optLevel[3]->click();
        EXPECT_EQ(d.lstLessons->count(), 0);
        // Back to all: the choice made before is still there.
        d.optLevel[0]->click();
        EXPECT_EQ(selected(d), (QVector<int>{2, 5}));
        d.optLevel[3]->click();
        d.cmdOK->click();
        EXPECT_EQ(optionsText(), "Advanced" + CRLF);
    }
    {
        // Opening on a difficulty shows its lessons (none); Cancel writes nothing.
        FrmReportOptions d;
        EXPECT_TRUE(d.optLevel[3]->isChecked());
        EXPECT_EQ(d.lstLessons->count(), 0);
        d.optLevel[0]->click();
        d.cmdSelectAll->click();
        d.cmdCancel->click();
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_EQ(optionsText(), "Advanced" + CRLF);
    }
    {
        // A level the dialog does not know checks no option; lines 0 and 9 choose nothing.
        writeOptions("Expert" + CRLF + "0" + CRLF + "3" + CRLF + "9" + CRLF);
        FrmReportOptions d;
        for (QRadioButton* o : d.optLevel) EXPECT_FALSE(o->isChecked());
        EXPECT_EQ(selected(d), (QVector<int>{3}));
    }
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

} // namespace
} // namespace report
