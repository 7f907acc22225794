#include "classreport.h"

#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextDocument>
#include <cmath>

#include "classdatabase.h"
#include "common/basic.h"
#include "roster.h"

namespace classserver {
namespace {

QString html(const QString& s) { return s.toHtmlEscaped(); }

QString numberOrEmpty(const QVariant& v, const QString& unit = QString()) {
    if (v.isNull() || !v.isValid()) return QString();
    return basic::numText(v.toDouble()) + unit;
}

} // namespace

double ReportLesson::completed() const {
    if (exercises <= 0 || !(highest > 0)) return 0;
    return highest >= exercises ? 1.0 : highest / exercises;
}

QString reportPercent(double percent) {
    return basic::numText(basic::roundHalfEven(percent * 10) / 10) + QLatin1Char('%');
}

bool loadClassReport(const QString& dbPath, int classId, const ReportFilter& filter, ClassReport* report,
                     QString* error) {
    *report = ClassReport();
    report->classId = classId;
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    DbConnection c(dbPath);
    if (!c.isOpen()) return fail(c.errorText());

    QSqlQuery cls(c.db());
    cls.prepare(QStringLiteral("SELECT p.ProductName, c.ClassName, c.Grade, c.Educator FROM Class c "
                               "JOIN Product p ON p.ProductID = c.ProductID WHERE c.ClassID = ?"));
    cls.addBindValue(classId);
    if (!cls.exec()) return fail(cls.lastError().text());
    if (!cls.next()) return true;  // no such class: an empty report
    report->found = true;
    report->productName = cls.value(0).toString();
    report->className = cls.value(1).toString();
    report->grade = cls.value(2).toString();
    report->educator = cls.value(3).toString();
    cls.finish();

    // Every student of the class, each with its lesson rows above 0 that pass both filters.
    QString join = QStringLiteral("l.StudentID = s.StudentID AND l.LessonNumber > 0");
    QVariantList binds;
    for (const char* word : {"Beginner", "Intermediate", "Advanced"}) {
        if (filter.level == QLatin1String(word)) {
            join += QStringLiteral(" AND l.Difficulty = ?");
            binds << filter.level;
        }
    }
    if (filter.lessonFilter) {
        QStringList marks;
        for (int k = 1; k <= 98; ++k) {
            if (!filter.lessons[k]) continue;
            marks << QStringLiteral("?");
            binds << k;
        }
        join += marks.isEmpty() ? QStringLiteral(" AND 0") : QStringLiteral(" AND l.LessonNumber IN (%1)").arg(marks.join(','));
    }
    QSqlQuery rows(c.db());
    rows.setForwardOnly(true);
    rows.prepare(QStringLiteral("SELECT s.StudentID, s.StudentName, l.LessonNumber, l.LessonName, l.Difficulty, "
                                "l.Average, l.Attempts, l.HighestLevel, l.TotExercises "
                                "FROM Student s LEFT JOIN Lesson l ON %1 WHERE s.ClassID = ? "
                                "ORDER BY s.StudentID, l.LessonName, l.LessonNumber")
                     .arg(join));
    for (const QVariant& b : binds) rows.addBindValue(b);
    rows.addBindValue(classId);
    if (!rows.exec()) return fail(rows.lastError().text());

    qint64 lastStudent = -1;
    while (rows.next()) {
        const qint64 id = rows.value(0).toLongLong();
        if (id != lastStudent) {
            ReportStudent s;
            s.name = rows.value(1).toString();
            report->students.push_back(s);
            lastStudent = id;
        }
        if (rows.value(2).isNull()) continue;  // a student without lessons to show
        ReportLesson l;
        l.name = rows.value(3).toString();
        l.difficulty = rows.value(4).toString();
        l.average = rows.value(5);
        l.attempts = rows.value(6);
        l.highest = rows.value(7).toDouble();
        l.exercises = rows.value(8).toInt();
        report->students.last().lessons.push_back(l);
    }

    // The summaries.
    double classSum = 0;
    int classCount = 0;
    for (ReportStudent& s : report->students) {
        double sum = 0, completed = 0;
        int averaged = 0;
        for (const ReportLesson& l : s.lessons) {
            if (!l.average.isNull()) {
                sum += l.average.toDouble();
                ++averaged;
            }
            if (!l.attempts.isNull()) s.totalAttempts += l.attempts.toDouble();
            completed += l.completed();
        }
        s.lessonCount = int(s.lessons.size());
        s.totalAverage = averaged ? sum / averaged : 0;
        s.totalCompleted = s.lessonCount ? completed / s.lessonCount : 0;
        classSum += sum;
        classCount += averaged;
    }
    report->classAverage = classCount ? classSum / classCount : 0;
    return true;
}

std::unique_ptr<QTextDocument> classReportDocument(const ClassReport& report, const QDate& today) {
    const QString date = QLocale().toString(today, QLocale::LongFormat);
    QString h;
    h += QStringLiteral("<html><body>");
    auto label = [](const char* text) { return QStringLiteral("<b>%1</b>").arg(QLatin1String(text)); };
    for (const ReportStudent& s : report.students) {
        h += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"2\">");
        h += QStringLiteral("<tr><td width=\"17%\">%1</td><td width=\"38%\">%2</td><td width=\"10%\">%3</td><td>%4</td></tr>")
                 .arg(label("Product Name:"), html(report.productName), label("Date:"), html(date));
        h += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td></tr>")
                 .arg(label("Class Name:"), html(report.className), label("Grade:"), html(report.grade));
        h += QStringLiteral("<tr><td>%1</td><td colspan=\"3\">%2</td></tr></table>")
                 .arg(label("Educator:"), html(report.educator));
        h += QStringLiteral("<p style=\"margin-top:8px; font-size:12pt\">%1 %2</p>").arg(label("Student Name:"), html(s.name));
        h += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\">"
                            "<tr bgcolor=\"#dfe5ef\"><td width=\"48%\">%1</td><td width=\"16%\">%2</td>"
                            "<td width=\"12%\" align=\"right\">%3</td><td width=\"12%\" align=\"right\">%4</td>"
                            "<td width=\"12%\" align=\"right\">%5</td></tr>")
                 .arg(label("LessonName:"), label("Difficulty:"), label("Average:"), label("Attempts:"),
                      label("Completed:"));
        for (const ReportLesson& l : s.lessons) {
            h += QStringLiteral("<tr><td>%1</td><td>%2</td><td align=\"right\">%3</td><td align=\"right\">%4</td>"
                                "<td align=\"right\">%5</td></tr>")
                     .arg(html(l.name.trimmed()), html(l.difficulty), html(numberOrEmpty(l.average, QStringLiteral("%"))),
                          html(numberOrEmpty(l.attempts)), QString::number(completedPercent(l.highest, l.exercises)) + "%");
        }
        h += QStringLiteral("</table>");
        h += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" bgcolor=\"#f3f5f9\"><tr>"
                            "<td>%1 %2</td><td>%3 %4</td><td>%5 %6</td><td>%7 %8</td></tr></table>")
                 .arg(label("Total Average"), reportPercent(s.totalAverage), label("Total Attempts"),
                      basic::numText(s.totalAttempts), label("Total Completed"), reportPercent(s.totalCompleted * 100),
                      label("Number of Lessons"), QString::number(s.lessonCount));
        h += QStringLiteral("<hr/>");
    }
    if (report.found) {
        h += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" bgcolor=\"#dfe5ef\">"
                            "<tr><td colspan=\"4\" style=\"font-size:12pt\">%1 %2</td></tr>"
                            "<tr><td width=\"17%\">%3</td><td width=\"38%\">%4</td><td width=\"10%\">%5</td><td>%6</td></tr>"
                            "<tr><td>%7</td><td>%8</td><td>%9</td><td>%10</td></tr></table>")
                 .arg(label("Class Average"), reportPercent(report.classAverage), label("Class Name:"),
                      html(report.className), label("Grade:"), html(report.grade), label("ClassID:"),
                      QString::number(report.classId), label("Educator:"), html(report.educator));
    }
    h += QStringLiteral("</body></html>");

    auto doc = std::make_unique<QTextDocument>();
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSizeF(10);
    doc->setDefaultFont(arial);
    doc->setHtml(h);
    return doc;
}

} // namespace classserver
