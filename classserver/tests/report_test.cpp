// The class score report: its rows and figures, its filters, and its pages.
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QSet>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QAbstractTextDocumentLayout>
#include <QRegularExpression>
#include <cmath>

#include "classserver/catalogue.h"
#include "classserver/classreport.h"
#include "common/report/reportpreview.h"
#include "common/storedtext/storedtext.h"
#include "screenshots.h"
#include "testoutput.h"
#include "windowfixture.h"

using namespace classserver;
using namespace testsupport;

namespace {

const char kL1[] = " 1.  Identify these intervals.";
const char kL2[] = " 2.  Playback or Write the following melodies.";

// Class 14 ("Class 3" of the second product): Ann, Bob and Cid, who has no lessons yet.
struct ReportDb {
    ScratchDb db;
    ReportDb() {
        execSql(db.path, "UPDATE Class SET ClassName = 'Strings', Grade = '5', Educator = 'Ms Lind' WHERE ClassID = 14");
        const qint64 ann = addStudent(db.path, "Ann", "LAB1", 14);
        const qint64 bob = addStudent(db.path, "Bob", "LAB2", 14);
        addStudent(db.path, "Cid", "LAB3", 14);
        const qint64 other = addStudent(db.path, "Eve", "LAB4", 15);
        addLesson(db.path, ann, {2, kL2, "Incremental", 12, 4, 90, 13, 3});
        addLesson(db.path, ann, {1, kL1, "Incremental", 9, 2, 80, 5, 2});
        addLesson(db.path, ann, {0, "zero", "Incremental", 9, 9, 9, 9, 9});
        addLesson(db.path, bob, {1, kL1, "Incremental", 9, 1, 60, 9, 1});
        addLesson(db.path, bob, {3, " 3.  Identify these chords.", "Incremental", 12, 0, QVariant(), 0, QVariant()});
        addLesson(db.path, other, {1, kL1, "Incremental", 9, 1, 10, 1, 1});
    }
};

QStringList lessonLines(const ReportStudent& s) {
    QStringList out;
    for (const ReportLesson& l : s.lessons)
        out << QString("%1|%2|%3|%4").arg(l.name.trimmed(), l.average.toString(), l.attempts.toString()).arg(l.completed());
    return out;
}

// The rows of lesson results in a laid-out report (the lines with a difficulty) and where their
// columns stand: the end of the average figure and the start of the lesson's name on each; and
// the lines of the whole report that run past the page's right margin.
struct ReportColumns {
    int rows = 0, wrapped = 0;
    QSet<int> averageEnds, nameStarts;
    QStringList pastTheMargin;
};

ReportColumns columnsOf(const QTextDocument& doc) {
    doc.pageCount();   // lays every line out
    const qreal right = doc.pageSize().width() - doc.documentMargin();
    // Where the text of the first line of a row ends, up to its n-th tab.
    auto tabX = [](const QTextBlock& b, int n) {
        int at = -1;
        for (int i = 0; i < n; ++i) at = b.text().indexOf('\t', at + 1);
        return at < 0 ? -1.0 : b.layout()->lineAt(0).cursorToX(at);
    };
    ReportColumns c;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (int i = 0; i < b.layout()->lineCount(); ++i)
            if (b.layout()->lineAt(i).naturalTextRect().right() + b.layout()->position().x() > right + 0.5)
                c.pastTheMargin << b.text();
        static const QRegularExpression difficulty("Beginner|Intermediate|Advanced|Incremental");
        if (!b.text().contains(difficulty)) continue;
        ++c.rows;
        if (b.layout()->lineCount() > 1) ++c.wrapped;
        // The average figure ends where the next tab starts: the same place on every row.
        c.averageEnds.insert(qRound(tabX(b, 4)));
        c.nameStarts.insert(qRound(b.layout()->lineAt(0).cursorToX(1)));
    }
    return c;
}

} // namespace

TEST(ClassReportData, RowsAndFiguresOfOneClass) {
    ReportDb fixture;
    ClassReport r;
    ASSERT_TRUE(loadClassReport(fixture.db.path, 14, ReportFilter(), &r));
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.productName, "Tonvale 1.2");
    EXPECT_EQ(r.className, "Strings");
    EXPECT_EQ(r.grade, "5");
    EXPECT_EQ(r.educator, "Ms Lind");
    ASSERT_EQ(r.students.size(), 3);
    EXPECT_EQ(r.students[0].name, "Ann");
    // By lesson name; lesson 0 left out; 13 done of 12 is all of it.
    EXPECT_EQ(lessonLines(r.students[0]), QStringList({"1.  Identify these intervals.|80|2|" + QString::number(5.0 / 9),
                                                       "2.  Playback or Write the following melodies.|90|3|1"}));
    EXPECT_DOUBLE_EQ(r.students[0].totalAverage, 85);
    EXPECT_DOUBLE_EQ(r.students[0].totalAttempts, 5);
    EXPECT_DOUBLE_EQ(r.students[0].totalCompleted, (5.0 / 9 + 1) / 2);
    EXPECT_EQ(r.students[0].lessonCount, 2);
    // A lesson without an average counts for the lessons, not for the average.
    EXPECT_EQ(r.students[1].name, "Bob");
    EXPECT_DOUBLE_EQ(r.students[1].totalAverage, 60);
    EXPECT_DOUBLE_EQ(r.students[1].totalAttempts, 1);
    EXPECT_DOUBLE_EQ(r.students[1].totalCompleted, 0.5);
    EXPECT_EQ(r.students[1].lessonCount, 2);
    EXPECT_EQ(r.students[2].name, "Cid");
    EXPECT_EQ(r.students[2].lessonCount, 0);
    EXPECT_DOUBLE_EQ(r.students[2].totalAverage, 0);
    EXPECT_DOUBLE_EQ(r.classAverage, (80 + 90 + 60) / 3.0);
    EXPECT_EQ(reportPercent(r.classAverage), "76.7%");
    EXPECT_EQ(reportPercent(100), "100%");
    EXPECT_EQ(reportPercent(87.25), "87.2%");
}

TEST(ClassReportData, TheOptionsNarrowTheLessons) {
    ReportDb fixture;
    const struct { const char* level; std::vector<int> lessons; int annLessons, bobLessons; } cases[] = {
        {"", {}, 2, 2},
        {"Advanced", {}, 0, 0},         // the second product's lessons are all "Incremental"
        {"Incremental", {}, 2, 2},      // not a level the options know: no level filter
        {"", {2}, 1, 0},
        {"", {1, 3}, 1, 2},
    };
    for (const auto& c : cases) {
        ReportFilter f;
        f.level = c.level;
        for (int k : c.lessons) f.lessons[k] = true;
        f.lessonFilter = !c.lessons.empty();
        ClassReport r;
        ASSERT_TRUE(loadClassReport(fixture.db.path, 14, f, &r));
        ASSERT_EQ(r.students.size(), 3) << c.level;
        EXPECT_EQ(r.students[0].lessonCount, c.annLessons) << c.level << c.lessons.size();
        EXPECT_EQ(r.students[1].lessonCount, c.bobLessons) << c.level << c.lessons.size();
    }
    ClassReport none;
    ASSERT_TRUE(loadClassReport(fixture.db.path, 14, [] {
        ReportFilter f;
        f.lessonFilter = true;  // on, with nothing chosen
        return f;
    }(), &none));
    EXPECT_EQ(none.students[0].lessonCount, 0);
}

TEST(ClassReportData, TheDocumentCarriesTheLabelsAndTheDate) {
    ReportDb fixture;
    ClassReport r;
    ASSERT_TRUE(loadClassReport(fixture.db.path, 14, ReportFilter(), &r));
    const QDate day(2024, 3, 8);
    auto doc = classReportDocument(r, day);
    const QString text = doc->toPlainText();
    for (const char* label : {"Product Name:", "Class Name:", "Grade:", "Educator:", "Date:", "LessonName:",
                                 "Difficulty:", "Average:", "Attempts:", "Completed:", "Student Name:", "Total Average",
                                 "Total Attempts", "Total Completed", "Number of Lessons", "Class Average", "ClassID:"})
        EXPECT_TRUE(text.contains(label)) << label;
    EXPECT_TRUE(text.contains(QLocale().toString(day, QLocale::LongFormat)));
    EXPECT_EQ(text.count("Student Name:"), 3);
    EXPECT_TRUE(text.contains("Ms Lind"));
    EXPECT_TRUE(text.contains("100%"));
    EXPECT_TRUE(text.contains("77.8%"));   // Ann's total completed
    EXPECT_TRUE(text.contains("76.7%"));   // the class average
    EXPECT_EQ(doc->defaultFont().family(), "Arial");
}

// A class of the first product, whose lesson titles are long: every figure still stands in its
// column, a title too long for its column wraps inside it, and nothing runs off the page.
TEST(ClassReportPages, ColumnsHoldWithLongTitlesAndThePageReads) {
    ClassReport r;
    r.found = true;
    r.productName = "Sopranel 2.0";
    r.className = "Tuesday choir, second year, the group that meets after lunch in room 12";
    r.grade = "7";
    r.educator = "Mr Abernathy-Okonkwo";
    r.classId = 3;
    const LessonCatalogue& catalogue = LessonCatalogue::instance();
    for (const char* name : {"Ann Lindqvist", "Ben Osei"}) {
        ReportStudent s;
        s.name = name;
        for (int k = 1; k <= 98; ++k) {
            ReportLesson l;
            l.name = catalogue.Lessons1Name[k];
            l.difficulty = catalogue.Lessons1Difficulty[k];
            l.average = 40 + k % 60;
            l.attempts = k % 7;
            l.exercises = catalogue.Lessons1Info[k][1];
            l.highest = k % 9;
            s.lessons << l;
        }
        s.lessonCount = int(s.lessons.size());
        r.students << s;
    }
    auto doc = classReportDocument(r, QDate(2024, 3, 8));
    ASSERT_GT(doc->pageCount(), 4);
    const ReportColumns columns = columnsOf(*doc);
    EXPECT_EQ(columns.pastTheMargin, QStringList());
    EXPECT_EQ(columns.rows, 2 * 98);
    EXPECT_GT(columns.wrapped, 20);
    EXPECT_EQ(columns.averageEnds.size(), 1);
    EXPECT_EQ(columns.nameStarts.size(), 1);

    // The first page as a teacher sees it.
    const QSizeF page = doc->pageSize();
    QImage image((page * 2).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(2, 2);
        doc->drawContents(&p, QRectF(QPointF(0, 0), page));
    }
    EXPECT_TRUE(image.save(testOutputPath("hallbrin_report_page.png")));
    EXPECT_GT(colourVariety(image), 8);
}

// A class of 1,000 students, each with the seven lessons of its product: every student's
// section, its rows in their columns, and as many pages as the sections need. The sections
// are all alike, so the pages are what 1,000 of them and the class summary fill, give or take
// the room a page leaves at its foot for a line that does not fit.
TEST(ClassReportPages, AThousandStudentsFillThePagesTheirSectionsNeed) {
    ScratchDb db;
    ASSERT_TRUE(execSql(db.path, "INSERT INTO Student (StudentName, ComputerName, ClassID, Password) "
                                 "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 999) "
                                 "SELECT printf('Student %04d', i), printf('LAB-%02d', i % 30), 14, 'pw' FROM n"));
    const LessonCatalogue& catalogue = LessonCatalogue::instance();
    QStringList lessons;
    QVariantList binds;
    for (int k = 1; k <= 7; ++k) {
        lessons << QString("SELECT %1 AS k, ? AS name, ? AS exercises").arg(k);
        binds << catalogue.Lessons2Name[k] << catalogue.Lessons2Info[k][1];
    }
    ASSERT_TRUE(execSql(db.path,
                        "INSERT INTO Lesson (StudentID, LessonNumber, LessonName, Difficulty, TotExercises, LLevel, "
                        "Average, HighestLevel, Attempts) SELECT s.StudentID, l.k, l.name, 'Incremental', l.exercises, "
                        "1 + (s.StudentID + l.k) % 6, 40 + (s.StudentID * 7 + l.k) % 60, (s.StudentID + l.k) % 14, "
                        "(s.StudentID + l.k) % 5 FROM Student s, (" + lessons.join(" UNION ALL ") + ") l",
                        binds));
    ClassReport r;
    ASSERT_TRUE(loadClassReport(db.path, 14, ReportFilter(), &r));
    ASSERT_EQ(r.students.size(), 1000);
    const QDate day(2024, 3, 8);
    auto doc = classReportDocument(r, day);

    const QString text = doc->toPlainText();
    EXPECT_EQ(text.count("Student Name: "), 1000);
    EXPECT_TRUE(text.contains("Student Name: Student 0000") && text.contains("Student Name: Student 0999"));
    const ReportColumns columns = columnsOf(*doc);
    EXPECT_EQ(columns.pastTheMargin, QStringList());
    EXPECT_EQ(columns.rows, 7000);
    EXPECT_EQ(columns.wrapped, 0);
    EXPECT_EQ(columns.averageEnds.size(), 1);
    EXPECT_EQ(columns.nameStarts.size(), 1);

    // The sections' pitch and the room the rest takes, measured on a report of two students:
    // from the top of the first student's first line to the top of the second's, and from there
    // to the end.
    ClassReport two = r;
    two.students.resize(2);
    auto pair = classReportDocument(two, day);
    ASSERT_EQ(pair->pageCount(), 1);
    QAbstractTextDocumentLayout* layout = pair->documentLayout();
    QVector<qreal> starts;
    qreal bottom = 0, tallest = 0;
    for (QTextBlock b = pair->begin(); b.isValid(); b = b.next()) {
        const QRectF box = layout->blockBoundingRect(b);
        const QTextBlockFormat f = b.blockFormat();
        tallest = qMax(tallest, f.topMargin() + box.height() + f.bottomMargin());
        bottom = box.bottom() + f.bottomMargin();
        if (b.text().contains("Product Name:")) starts << box.top();
    }
    ASSERT_EQ(starts.size(), 2);
    const qreal margin = pair->documentMargin(), pitch = starts[1] - starts[0];
    const qreal whole = (starts[0] - margin) + 999 * pitch + (bottom - starts[1]);
    // A page holds its height less its margins, less at most one line's room at its foot.
    const qreal page = doc->pageSize().height() - 2 * margin;
    const int pages = doc->pageCount();
    EXPECT_GE(pages, int(std::ceil(whole / page)));
    EXPECT_LE(pages, int(std::ceil(whole / (page - tallest))));
}

TEST_F(WindowFixture, TheReportIsOfTheSelectedClassAndReplacedByTheNext) {
    const qint64 ann = addStudent(db, "Ann", "LAB1", 14);
    addLesson(db, ann, {2, kL2, "Incremental", 12, 4, 90, 13, 3});
    addLesson(db, ann, {1, kL1, "Incremental", 9, 2, 80, 5, 2});
    w->UpdateTreeView();
    w->today = [] { return QDate(2024, 3, 8); };
    // Lesson options stored under the class's text, "Class 3".
    ASSERT_TRUE(common::WriteTextFile(w->reportConfigPath(), "Class 3,,2,\r\n"));
    select("AnnLAB1014", ann);
    w->toolbarButtons.at(4)->trigger();
    ASSERT_NE(w->rptStudentScores, nullptr);
    EXPECT_EQ(w->rptStudentScores->windowTitle(), "Student Scores");
    EXPECT_TRUE(w->rptStudentScores->isVisible());
    EXPECT_FALSE(w->rptStudentScores->isModal());
    QString text = w->rptStudentScores->document()->toPlainText();
    EXPECT_TRUE(text.contains("Melodies", Qt::CaseInsensitive));
    EXPECT_FALSE(text.contains("intervals", Qt::CaseInsensitive));
    EXPECT_EQ(w->ReportLevel, "");

    // Report.cfg missing: made with its default lines, and every lesson is reported.
    QFile::remove(w->reportConfigPath());
    QPointer<common::ReportPreview> first = w->rptStudentScores;
    select("Class 14");
    w->mnuViewReport->trigger();
    pump(10);
    EXPECT_TRUE(first.isNull());
    text = w->rptStudentScores->document()->toPlainText();
    EXPECT_TRUE(text.contains("intervals", Qt::CaseInsensitive));
    QString stored;
    ASSERT_TRUE(common::ReadTextFile(w->reportConfigPath(), stored));
    EXPECT_EQ(stored, defaultReportText());

    // A student named like a class is still a student: the report is of its class.
    const qint64 named = addStudent(db, "Class 9", "LAB2", 14);
    w->UpdateTreeView();
    select(w->tvwLesson->findNode(studentKey("Class 9", "LAB2", 14), named));
    ASSERT_EQ(nodeTag(w->tvwLesson->currentItem()), "student");
    w->mnuViewReport->trigger();
    text = w->rptStudentScores->document()->toPlainText();
    EXPECT_TRUE(text.contains("Student Name: Ann")) << text.toStdString();
    EXPECT_TRUE(text.contains("Student Name: Class 9"));

    // Nothing for the root or a product.
    select("Prod2");
    first = w->rptStudentScores;
    w->mnuViewReport_Click();
    EXPECT_EQ(w->rptStudentScores, first);
}

TEST(ReportPreviewWindow, ExportsPdfWholeAndSaysWhenItCannot) {
    ReportDb fixture;
    ClassReport r;
    ASSERT_TRUE(loadClassReport(fixture.db.path, 14, ReportFilter(), &r));
    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride guard(&dialogs);
    common::ReportPreview preview(classReportDocument(r, QDate(2024, 3, 8)), "Student Scores");
    QTemporaryDir dir;
    dialogs.files = {dir.path() + "/scores", "/no/such/folder/scores.pdf", ""};
    preview.cmdExportPdf->click();
    const QString pdf = dir.path() + "/scores.pdf";
    ASSERT_TRUE(QFile::exists(pdf));
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("%PDF"));
    EXPECT_TRUE(dialogs.shown.isEmpty());
    preview.cmdExportPdf->click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].title, "Export PDF");
    preview.cmdExportPdf->click();  // cancelled: nothing
    EXPECT_EQ(dialogs.shown.size(), 1);
    // Print goes through the print dialog, which the instructor may cancel.
    preview.cmdPrint->click();
    EXPECT_EQ(dialogs.modalsShown, QStringList({"dlgPrint"}));
    if (!QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        QProcess p;
        p.start("pdftotext", {"-layout", pdf, "-"});
        ASSERT_TRUE(p.waitForFinished(20000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_TRUE(text.contains("Student Scores") || text.contains("Ann")) << text.toStdString();
    }
}
