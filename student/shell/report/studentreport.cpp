#include "studentreport.h"

#include "common/basic.h"
#include "common/report/reportpreview.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "student/lessons/lessoncatalogue.h"
#include "student/lessons/lessonlist.h"
#include "student/profile/profilestore.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTextDocument>
#include <QVariant>
#include <atomic>
#include <cmath>

namespace report {

// ---- The player's progress --------------------------------------------------------------------

common::LessonProgressTable readPlayerProgress(const QString& playerName) {
    common::LessonProgressTable t;
    for (int i = 1; i <= kLessons; ++i) {
        for (int f = 1; f <= 4; ++f) t.LessonProgress[f][i] = QStringLiteral("0");
        t.LessonProgress[5][i] = QString::number(lessons::lessonInfo(i).exercises);
        t.CompletedLevel[i] = 0;
        t.AverageScore[i] = 100;
        t.AttemptCount[i] = 0;
    }
    const tonvale::ProfileText profile = tonvale::ProfileStore::read();
    if (profile.status != tonvale::ProfileRead::Ok) return t;

    // The lesson list's reading of a player's block, into this table.
    for (int i = 1; i <= kLessons; ++i) {
        t.LessonProgress[1][i] = QStringLiteral("1");
        t.LessonProgress[2][i] = QStringLiteral("0%");
        t.LessonProgress[3][i] = QStringLiteral("0%");
        t.LessonProgress[4][i] = QStringLiteral("0");
    }
    qint16 level = 2;
    for (const common::KeyValueLine& line : common::playerBlockLines(profile.text, playerName))
        lessons::readLessonRecord(t, line.key, line.value, level);
    return t;
}

// ---- The footer -------------------------------------------------------------------------------

std::optional<double> ReportData::totalAverage() const {
    if (rows.isEmpty()) return std::nullopt;
    double sum = 0;
    for (const ReportRow& r : rows) sum += r.average;
    return sum / rows.size();
}

int ReportData::totalAttempts() const {
    int sum = 0;
    for (const ReportRow& r : rows) sum += r.attempts;
    return sum;
}

std::optional<double> ReportData::totalCompleted() const {
    if (rows.isEmpty()) return std::nullopt;
    double sum = 0;
    for (const ReportRow& r : rows) sum += r.completedShare;
    return sum / rows.size() * 100.0;
}

// ---- student.mdb ------------------------------------------------------------------------------

namespace {

const char* const kCreateStudent =
    "CREATE TABLE Student (StudentID INTEGER PRIMARY KEY AUTOINCREMENT, StudentName TEXT)";
const char* const kCreateLesson =
    "CREATE TABLE Lesson (LessonID INTEGER PRIMARY KEY AUTOINCREMENT, StudentID INTEGER, LessonNumber INTEGER, "
    "LessonName TEXT, Difficulty TEXT, TotExercises INTEGER, LLevel INTEGER, Average INTEGER, "
    "HighestLevel INTEGER, Attempts INTEGER)";
// What the report needs of each table; a file that cannot answer these is remade.
const char* const kProbeStudent = "SELECT StudentID, StudentName FROM Student LIMIT 1";
const char* const kProbeLesson =
    "SELECT LessonID, StudentID, LessonNumber, LessonName, Difficulty, TotExercises, LLevel, Average, "
    "HighestLevel, Attempts FROM Lesson LIMIT 1";

bool run(QSqlQuery& q, QString* why) {
    if (q.exec()) return true;
    if (why) *why = q.lastError().text();
    return false;
}

bool runText(const QSqlDatabase& db, const char* sql, QString* why) {
    QSqlQuery q(db);
    if (!q.prepare(QString::fromLatin1(sql))) {
        if (why) *why = q.lastError().text();
        return false;
    }
    return run(q, why);
}

QString uniqueConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("studentreport-%1").arg(++counter);
}

// The part of a lesson's exercises completed.
double completedShare(qint64 highest, qint64 exercises) {
    return exercises > 0 ? double(highest) / double(exercises) : 0.0;
}

} // namespace

StudentDatabase::StudentDatabase(const QString& path) : path_(path), connection_(uniqueConnectionName()) {}

StudentDatabase::~StudentDatabase() {
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        if (db.isValid()) db.close();
    }
    if (QSqlDatabase::contains(connection_)) QSqlDatabase::removeDatabase(connection_);
}

QString StudentDatabase::defaultPath() { return platform::Paths::dataFile("student.mdb"); }

bool StudentDatabase::open(QString* why) {
    if (QSqlDatabase::contains(connection_)) {
        if (QSqlDatabase::database(connection_, false).isOpen()) return true;
    } else {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
        db.setDatabaseName(path_);
    }
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (db.open() && runText(db, kProbeStudent, nullptr) && runText(db, kProbeLesson, nullptr)) return true;

    // Missing, not a database, or not ours: the file is scratch, so it is made anew.
    db.close();
    if (QFileInfo::exists(path_) && !QFile::remove(path_)) {
        if (why) *why = QStringLiteral("%1 could not be replaced.").arg(path_);
        return false;
    }
    if (!db.open()) {
        if (why) *why = db.lastError().text();
        return false;
    }
    if (runText(db, kCreateStudent, why) && runText(db, kCreateLesson, why)) return true;
    db.close();
    return false;
}

qint64 StudentDatabase::studentKey() {
    if (!open(nullptr)) return 0;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QStringLiteral("SELECT StudentID FROM Student ORDER BY StudentID LIMIT 1"));
    return q.exec() && q.next() ? q.value(0).toLongLong() : 0;
}

bool StudentDatabase::write(const QString& studentName, const common::LessonProgressTable& progress, QString* why) {
    if (!open(why)) return false;
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    db.transaction();
    auto fail = [&] {
        db.rollback();
        return false;
    };

    qint64 key = 0;
    {
        QSqlQuery find(db);
        find.prepare(QStringLiteral("SELECT StudentID FROM Student ORDER BY StudentID LIMIT 1"));
        if (!run(find, why)) return fail();
        QSqlQuery put(db);
        if (find.next()) {
            key = find.value(0).toLongLong();
            put.prepare(QStringLiteral("UPDATE Student SET StudentName = ? WHERE StudentID = ?"));
            put.addBindValue(studentName);
            put.addBindValue(key);
            if (!run(put, why)) return fail();
        } else {
            put.prepare(QStringLiteral("INSERT INTO Student (StudentName) VALUES (?)"));
            put.addBindValue(studentName);
            if (!run(put, why)) return fail();
            key = put.lastInsertId().toLongLong();
        }
    }

    for (int lesson = 1; lesson <= kLessons; ++lesson) {
        QSqlQuery find(db);
        find.prepare(QStringLiteral("SELECT LessonID FROM Lesson WHERE LessonNumber = ? ORDER BY LessonID LIMIT 1"));
        find.addBindValue(lesson);
        if (!run(find, why)) return fail();
        const bool found = find.next();
        QSqlQuery put(db);
        put.prepare(found ? QStringLiteral("UPDATE Lesson SET StudentID = ?, LessonNumber = ?, LessonName = ?, "
                                           "Difficulty = ?, TotExercises = ?, LLevel = ?, Average = ?, "
                                           "HighestLevel = ?, Attempts = ? WHERE LessonID = ?")
                          : QStringLiteral("INSERT INTO Lesson (StudentID, LessonNumber, LessonName, Difficulty, "
                                           "TotExercises, LLevel, Average, HighestLevel, Attempts) "
                                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        put.addBindValue(key);
        put.addBindValue(lesson);
        put.addBindValue(lessons::lessonTitle(lesson));
        put.addBindValue(lessons::kDifficulty);
        put.addBindValue(basic::valInt(progress.LessonProgress[5][lesson]));
        put.addBindValue(basic::valInt(progress.LessonProgress[1][lesson]));
        put.addBindValue(basic::valInt(progress.LessonProgress[3][lesson]));
        put.addBindValue(progress.CompletedLevel[lesson]);
        put.addBindValue(basic::valInt(progress.LessonProgress[4][lesson]));
        if (found) put.addBindValue(find.value(0));
        if (!run(put, why)) return fail();
    }
    if (db.commit()) return true;
    if (why) *why = db.lastError().text();
    return fail();
}

std::optional<ReportData> StudentDatabase::read(const ReportOptions& options, QString* why) {
    if (!open(why)) return std::nullopt;
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    ReportData data;
    QSqlQuery student(db);
    student.prepare(QStringLiteral("SELECT StudentID, StudentName FROM Student ORDER BY StudentID LIMIT 1"));
    if (!run(student, why)) return std::nullopt;
    if (!student.next()) return data;
    const qint64 key = student.value(0).toLongLong();
    data.studentName = student.value(1).toString();

    QString sql = QStringLiteral(
        "SELECT LessonNumber, LessonName, Difficulty, Average, Attempts, HighestLevel, TotExercises FROM Lesson "
        "WHERE LessonNumber > 0 AND StudentID = ?");
    QVariantList values{key};
    if (const QString d = options.difficultyFilter(); !d.isEmpty()) {
        sql += QStringLiteral(" AND Difficulty = ?");
        values << d;
    }
    if (options.lessonNamed) {
        QStringList marks;
        for (int n = 1; n <= kLessons; ++n) {
            if (!options.lessons[n]) continue;
            marks << QStringLiteral("?");
            values << n;
        }
        sql += QStringLiteral(" AND LessonNumber IN (%1)").arg(marks.join(QStringLiteral(", ")));
    }
    sql += QStringLiteral(" ORDER BY LessonNumber");
    QSqlQuery q(db);
    q.prepare(sql);
    for (const QVariant& v : values) q.addBindValue(v);
    if (!run(q, why)) return std::nullopt;
    while (q.next()) {
        ReportRow r;
        r.lesson = q.value(0).toInt();
        r.name = q.value(1).toString();
        r.difficulty = q.value(2).toString();
        r.average = q.value(3).toInt();
        r.attempts = q.value(4).toInt();
        r.completedShare = completedShare(q.value(5).toLongLong(), q.value(6).toLongLong());
        data.rows.push_back(r);
    }
    return data;
}

// ---- The document -----------------------------------------------------------------------------

namespace {

QString percent(int v) { return QString::number(v) + QLatin1Char('%'); }
QString percent(std::optional<double> v) {
    return v ? QString::number(*v, 'f', 1) + QLatin1Char('%') : QStringLiteral("\u2013");
}

} // namespace

QString longDate(const QDate& date) { return QLocale().toString(date, QLocale::LongFormat); }

std::unique_ptr<QTextDocument> buildReportDocument(const ReportData& data, const QDate& today) {
    auto esc = [](const QString& s) { return s.toHtmlEscaped(); };
    QString html;
    html += QStringLiteral("<html><body style=\"font-family: Arial;\">");
    // Student_Header
    html += QStringLiteral(
                "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"0\"><tr>"
                "<td>Product: Tonvale 1.0</td>"
                "<td align=\"right\">Date: %1</td></tr></table>")
                .arg(esc(longDate(today)));
    html += QStringLiteral("<p style=\"font-size: 12pt; margin-top: 14px;\">Student Name: <b>%1</b></p>")
                .arg(esc(data.studentName));
    html += QStringLiteral(
        "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\" style=\"border-collapse: collapse;\">"
        "<tr style=\"background-color: #e8e8e8;\">"
        "<th align=\"left\" width=\"50%\">LessonName:</th><th align=\"left\" width=\"14%\">Difficulty:</th>"
        "<th align=\"right\" width=\"12%\">Average:</th><th align=\"right\" width=\"12%\">Attempts:</th>"
        "<th align=\"right\" width=\"12%\">Completed:</th></tr>");
    // LessonData_Detail
    for (const ReportRow& r : data.rows) {
        html += QStringLiteral(
                    "<tr><td>%1</td><td>%2</td><td align=\"right\">%3</td><td align=\"right\">%4</td>"
                    "<td align=\"right\">%5</td></tr>")
                    .arg(esc(r.name), esc(r.difficulty), percent(r.average), QString::number(r.attempts),
                         percent(r.completed()));
    }
    html += QStringLiteral("</table>");
    // Student_Footer
    html += QStringLiteral("<hr/>");
    html += QStringLiteral(
                "<table cellspacing=\"0\" cellpadding=\"3\">"
                "<tr><td>Total Average</td><td align=\"right\"><b>%1</b></td></tr>"
                "<tr><td>Total Attempts</td><td align=\"right\"><b>%2</b></td></tr>"
                "<tr><td>Total Completed</td><td align=\"right\"><b>%3</b></td></tr>"
                "<tr><td>Number of Lessons</td><td align=\"right\"><b>%4</b></td></tr></table>")
                .arg(percent(data.totalAverage()), QString::number(data.totalAttempts()),
                     percent(data.totalCompleted()), QString::number(data.lessonCount()));
    html += QStringLiteral("</body></html>");

    auto doc = std::make_unique<QTextDocument>();
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(10);
    doc->setDefaultFont(font);
    doc->setDocumentMargin(0);
    doc->setHtml(html);
    // Laid out on the printed page's own text area (in the document's pixels), so printing
    // scales it onto the page instead of adding margins of its own inside the page's.
    const QRectF area = common::ReportPreview::pageLayout().paintRect(QPageLayout::Point);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    doc->setPageSize(area.size() * dpi / 72.0);
    return doc;
}

std::unique_ptr<QTextDocument> makeStudentReport(const QString& playerName, QString* why) {
    const ReportOptions options = loadReportOptions();
    const common::LessonProgressTable progress = readPlayerProgress(playerName);
    StudentDatabase db(StudentDatabase::defaultPath());
    if (!db.write(playerName, progress, why)) return nullptr;
    const std::optional<ReportData> data = db.read(options, why);
    if (!data) return nullptr;
    return buildReportDocument(*data, reportToday());
}

void showStudentReport(const QString& playerName, QWidget* owner) {
    QString why;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::unique_ptr<QTextDocument> doc = makeStudentReport(playerName, &why);
    QApplication::restoreOverrideCursor();
    if (!doc) {
        platform::Dialogs::instance().messageBox("The student report could not be made." + common::CRLF + why,
                                                 platform::OkOnly | platform::Exclamation, "Student Report", owner);
        return;
    }
    common::ReportPreview preview(std::move(doc), QStringLiteral("Student Report"), owner);
    preview.setObjectName(QStringLiteral("rptStudentReport"));
    preview.runModal();
}

} // namespace report
