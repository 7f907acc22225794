#pragma once
// The student report: one player's progress per lesson, with totals, laid out for printing.
// The player's progress is read from the profile into a table of the report's own (the live
// player state is never touched), written into the scratch database "student.mdb" (tables
// Student and Lesson, remade whenever missing or unreadable), read back under the report
// options, and shown in the print preview.
#include "reportoptions.h"

#include "common/storedtext/storedtext.h"

#include <QDate>
#include <QString>
#include <QVector>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>

class QTextDocument;
class QWidget;

namespace report {

// The reported player's progress as the lesson list shows it (fields 1..5 of each lesson,
// and the completed level), read from the profile as it stands with the results not yet
// written laid over it. No player block (or no profile): the lesson list's defaults.
common::LessonProgressTable readPlayerProgress(const QString& playerName);

struct ReportRow {
    int lesson = 0;
    QString name;
    QString difficulty;
    int average = 0;      // percent
    int attempts = 0;
    double completedShare = 0;  // HighestLevel / TotExercises, unrounded (0 without exercises)
    // Whole percent of the lesson's exercises, as the lesson list shows it (rounded down).
    int completed() const { return int(std::floor(completedShare * 100.0)); }
};

struct ReportData {
    QString studentName;
    QVector<ReportRow> rows;   // lesson order
    // The footer; the averages are nothing when no lesson is reported. Total Completed is the
    // average of the lessons' completed shares in percent, not of the rounded line figures.
    std::optional<double> totalAverage() const;
    int totalAttempts() const;
    std::optional<double> totalCompleted() const;
    int lessonCount() const { return int(rows.size()); }
};

// "student.mdb" in a folder.
class StudentDatabase {
public:
    explicit StudentDatabase(const QString& path);
    ~StudentDatabase();
    StudentDatabase(const StudentDatabase&) = delete;
    StudentDatabase& operator=(const StudentDatabase&) = delete;

    static QString defaultPath();  // "student.mdb" in the data folder

    // The one Student row takes the name; the seven Lesson rows take the progress, found
    // again by their lesson number and overwritten, all under the student's own key. False
    // (and *why) when the file could not be made or written.
    bool write(const QString& studentName, const common::LessonProgressTable& progress, QString* why = nullptr);
    // The student and the lessons the options cover, in lesson order.
    std::optional<ReportData> read(const ReportOptions& options, QString* why = nullptr);

    // The key of the Student row (0 when there is none).
    qint64 studentKey();

private:
    bool open(QString* why);

    QString path_;
    QString connection_;
};

// The report laid out in Arial: the header ("Product: Tonvale 1.0", the date, the student's
// name, the column headings), a line per lesson and the footer of totals.
std::unique_ptr<QTextDocument> buildReportDocument(const ReportData& data, const QDate& today);

// "Long Date" of the report.
QString longDate(const QDate& date);

// ShowStudentReport and the player dialog's View: the report of playerName in the preview
// window "Student Report", modal over owner. The player's progress comes from the profile; a
// database failure is told and nothing is shown.
void showStudentReport(const QString& playerName, QWidget* owner);
// The document showStudentReport would show, without the window (nothing on failure).
std::unique_ptr<QTextDocument> makeStudentReport(const QString& playerName, QString* why = nullptr);

} // namespace report
