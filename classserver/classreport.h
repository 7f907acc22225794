#pragma once
// The class score report: for one class, every student's lesson results over the lessons the
// class's report options choose, with a summary per student and one for the class. The data
// come from the class database in one query per level; the report model computes the
// summaries; the layout is a document the print preview shows, prints and exports.
#include <QDate>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>

#include "reportoptions.h"

class QTextDocument;

namespace classserver {

struct ReportLesson {
    QString name;
    QString difficulty;
    QVariant average;      // as stored; null when the database holds none
    QVariant attempts;     // the student program's count of scored test sets
    double highest = 0;    // exercises completed
    int exercises = 0;     // the lesson's exercise count
    // Part completed, 0..1: exercises completed of the count, never above the whole; a
    // count of 0 gives 0.
    double completed() const;
};

struct ReportStudent {
    QString name;
    QVector<ReportLesson> lessons;   // by lesson name
    double totalAverage = 0;         // average of Average (0 with no value)
    double totalAttempts = 0;        // sum of Attempts
    double totalCompleted = 0;       // average of the parts completed, 0..1
    int lessonCount = 0;
};

struct ClassReport {
    bool found = false;              // the class has a row (with its product)
    QString productName, className, grade, educator;
    int classId = -1;
    QVector<ReportStudent> students; // in table order
    double classAverage = 0;         // average of Average over the lessons of every student
};

// What one run of the report covers: rows of this difficulty only (empty or any other word:
// every difficulty) and, when lessonFilter is set, of the chosen lesson numbers only.
struct ReportFilter {
    QString level;
    bool lessonFilter = false;
    LessonChoice lessons{};
};

// Reads the report of class classId. False (with a reason) when the database cannot be read.
bool loadClassReport(const QString& dbPath, int classId, const ReportFilter& filter, ClassReport* report,
                     QString* error = nullptr);

// The report laid out for print: per student its class's heading with the date, the lesson
// rows and the student's summary, then the class summary. Arial throughout.
std::unique_ptr<QTextDocument> classReportDocument(const ClassReport& report, const QDate& today);

// Figures as the report prints them: "87.5%" (one decimal at most), "100%".
QString reportPercent(double percent);

} // namespace classserver
