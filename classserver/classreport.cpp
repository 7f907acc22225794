#include "classreport.h"

#include <QFontMetricsF>
#include <QHash>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <cmath>

#include "classdatabase.h"
#include "common/basic.h"
#include "common/report/reportpreview.h"
#include "roster.h"

namespace classserver {
namespace {

QString numberOrEmpty(const QVariant& v, const QString& unit = QString()) {
    if (v.isNull() || !v.isValid()) return QString();
    return basic::numText(v.toDouble()) + unit;
}

// Padding of the report's rows, in the document's pixels.
constexpr qreal kPad = 3;

// A column of a row, in fractions of the text width; figures stand on the right edge.
struct Column {
    qreal from = 0, to = 1;
    bool right = false;
};

// A cell: a bold label, then a plain value; or a value alone.
struct Cell {
    Cell(const char* label, const QString& value = QString()) : label(label), value(value) {}
    Cell(const QString& value) : value(value) {}
    const char* label = nullptr;
    QString value;
};

// Writes the report as rows of cells on tab stops: a table's look at a fraction of a table's
// cost, which counts when a class has a thousand students. A value too wide for its column
// wraps inside it, its further lines under its first.
class ReportWriter {
public:
    explicit ReportWriter(QTextDocument& doc)
        : cursor_(&doc), metrics_(doc.defaultFont()),
          width_(doc.pageSize().width() - 2 * doc.documentMargin()) {
        bold_.setFontWeight(QFont::Bold);
    }

    // An unshaded row, with space above (rows are that far apart) and below it.
    void row(const QVector<Column>& columns, const QVector<Cell>& cells, qreal above, qreal below) {
        QTextBlockFormat f = rowFormat(columns);
        f.setTopMargin(above);
        f.setBottomMargin(below);
        write(f, columns, cells, QTextCharFormat());
    }
    // A shaded row of one line; shaded rows that follow each other make one shaded area.
    void band(const QVector<Column>& columns, const QVector<Cell>& cells, const QColor& shade, qreal above = 0,
              qreal points = 0) {
        QTextBlockFormat f = rowFormat(columns);
        f.setBackground(shade);
        f.setTopMargin(above);
        QTextCharFormat size;
        if (points > 0) size.setFontPointSize(points);
        write(f, columns, cells, size);
    }
    // A heading line in bold 12 points.
    void title(const QString& text, qreal above) {
        QTextBlockFormat f;
        f.setTopMargin(above);
        QTextCharFormat c = bold_;
        c.setFontPointSize(12);
        next(f);
        cursor_.insertText(text.simplified(), c);
    }
    // A line across the page.
    void rule() {
        QTextBlockFormat f;
        f.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth, QTextLength(QTextLength::PercentageLength, 100));
        next(f);
    }

private:
    QTextBlockFormat rowFormat(const QVector<Column>& columns) const {
        QList<QTextOption::Tab> tabs;
        for (const Column& c : columns)
            tabs << (c.right ? QTextOption::Tab(c.to * width_ - kPad, QTextOption::RightTab)
                             : QTextOption::Tab(c.from * width_ + kPad, QTextOption::LeftTab));
        QTextBlockFormat f;
        f.setTabPositions(tabs);
        return f;
    }

    void next(const QTextBlockFormat& f) {
        if (first_) cursor_.setBlockFormat(f);
        else cursor_.insertBlock(f, QTextCharFormat());
        first_ = false;
    }

    void write(const QTextBlockFormat& f, const QVector<Column>& columns, const QVector<Cell>& cells,
               const QTextCharFormat& size) {
        next(f);
        // Every line starts with a tab, so even the first column keeps its padding.
        QVector<QStringList> lines;
        int height = 1;
        for (int i = 0; i < cells.size(); ++i) {
            const Cell& c = cells[i];
            const QString value = c.value.simplified();
            lines << (c.label ? QStringList{value} : wrap(value, (columns[i].to - columns[i].from) * width_ - 2 * kPad));
            height = qMax(height, int(lines.last().size()));
        }
        QTextCharFormat plain = size, label = size;
        label.merge(bold_);
        for (int line = 0; line < height; ++line) {
            if (line > 0) cursor_.insertText(QString(QChar::LineSeparator), plain);
            for (int i = 0; i < cells.size(); ++i) {
                cursor_.insertText(QStringLiteral("\t"), plain);
                if (line == 0 && cells[i].label) {
                    cursor_.insertText(QLatin1String(cells[i].label), label);
                    if (!lines[i].first().isEmpty()) cursor_.insertText(QLatin1Char(' ') + lines[i].first(), plain);
                } else if (line < lines[i].size() && !lines[i][line].isEmpty()) {
                    cursor_.insertText(lines[i][line], plain);
                }
            }
        }
    }

    // The text broken at spaces into lines that fit the width (a word longer than the width, at
    // any letter).
    QStringList wrap(const QString& text, qreal width) {
        // Most values repeat (lesson names, difficulties, figures): each is measured once.
        const auto known = wrapped_.constFind(qMakePair(text, width));
        if (known != wrapped_.constEnd()) return *known;
        QStringList lines = breakLines(text, width);
        wrapped_.insert(qMakePair(text, width), lines);
        return lines;
    }

    QStringList breakLines(const QString& text, qreal width) const {
        if (metrics_.horizontalAdvance(text) <= width) return {text};
        QStringList lines;
        QString line;
        for (const QString& word : text.split(QLatin1Char(' '))) {
            const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (metrics_.horizontalAdvance(joined) <= width) {
                line = joined;
                continue;
            }
            if (!line.isEmpty()) lines << line;
            line = word;
            while (line.size() > 1 && metrics_.horizontalAdvance(line) > width) {
                int fits = 1;
                while (fits < line.size() && metrics_.horizontalAdvance(line.left(fits + 1)) <= width) ++fits;
                lines << line.left(fits);
                line = line.mid(fits);
            }
        }
        if (!line.isEmpty()) lines << line;
        return lines;
    }

    QTextCursor cursor_;
    QFontMetricsF metrics_;
    qreal width_;
    QTextCharFormat bold_;
    bool first_ = true;
    QHash<QPair<QString, qreal>, QStringList> wrapped_;
};

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
    auto doc = std::make_unique<QTextDocument>();
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSizeF(10);
    doc->setDefaultFont(arial);
    doc->setPageSize(common::ReportPreview::documentPageSize());
    doc->setUndoRedoEnabled(false);  // written once, never edited
    ReportWriter out(*doc);
    QTextCursor edit(doc.get());
    edit.beginEditBlock();

    const QString date = QLocale().toString(today, QLocale::LongFormat);
    const QVector<Column> heading = {{0, 0.17}, {0.17, 0.55}, {0.55, 0.65}, {0.65, 1}};
    const QVector<Column> lessonColumns = {{0, 0.48}, {0.48, 0.64}, {0.64, 0.76, true}, {0.76, 0.88, true},
                                           {0.88, 1, true}};
    const QVector<Column> totals = {{0, 0.21}, {0.21, 0.46}, {0.46, 0.73}, {0.73, 1}};
    const QColor band(0xdf, 0xe5, 0xef), summary(0xf3, 0xf5, 0xf9);
    for (const ReportStudent& s : report.students) {
        out.row(heading, {{"Product Name:"}, {report.productName}, {"Date:"}, {date}}, 2, 2);
        out.row(heading, {{"Class Name:"}, {report.className}, {"Grade:"}, {report.grade}}, 0, 2);
        out.row({{0, 0.17}, {0.17, 1}}, {{"Educator:"}, {report.educator}}, 0, 2);
        out.title(QStringLiteral("Student Name: ") + s.name, 8);
        out.band(lessonColumns, {{"LessonName:"}, {"Difficulty:"}, {"Average:"}, {"Attempts:"}, {"Completed:"}}, band);
        for (int i = 0; i < s.lessons.size(); ++i) {
            const ReportLesson& l = s.lessons[i];
            out.row(lessonColumns,
                    {{l.name.simplified()},
                     {l.difficulty},
                     {numberOrEmpty(l.average, QStringLiteral("%"))},
                     {numberOrEmpty(l.attempts)},
                     {QString::number(completedPercent(l.highest, l.exercises)) + QLatin1Char('%')}},
                    i == 0 ? kPad : 2 * kPad, 0);
        }
        out.band(totals,
                 {{"Total Average", reportPercent(s.totalAverage)},
                  {"Total Attempts", basic::numText(s.totalAttempts)},
                  {"Total Completed", reportPercent(s.totalCompleted * 100)},
                  {"Number of Lessons", QString::number(s.lessonCount)}},
                 summary, kPad);
        out.rule();
    }
    if (report.found) {
        out.band({{0, 1}}, {{"Class Average", reportPercent(report.classAverage)}}, band, 8, 12);
        out.band(heading, {{"Class Name:"}, {report.className}, {"Grade:"}, {report.grade}}, band);
        out.band(heading, {{"ClassID:"}, {QString::number(report.classId)}, {"Educator:"}, {report.educator}},
                 band);
    }
    edit.endEditBlock();
    // The preview, the printer and the PDF each draw every line again: each keeps the glyphs
    // its layout shaped instead of shaping them anew for every drawing.
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) b.layout()->setCacheEnabled(true);
    return doc;
}

} // namespace classserver
