#pragma once
// Report.cfg and the report options dialog: per class, a difficulty level and the lessons the
// class score report covers. The file is one quoted record of CR LF lines; a class line is
// its class text, the level and the lesson numbers, each field followed by a comma
// ("Class 3,Beginner,1,2,5,"). The class text is the class node's text, so the classes of the
// same name in the two products share one line.
#include <QDialog>
#include <QString>
#include <array>

class QButtonGroup;
class QGroupBox;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace classserver {

inline constexpr char kReportConfigFile[] = "Report.cfg";

// Lesson choices by lesson number 1..98 (index 0 unused).
using LessonChoice = std::array<bool, 99>;

struct ClassOptions {
    bool found = false;        // the class has a line
    qsizetype start = -1;      // where its line begins in the text
    qsizetype end = -1;        // just past its CR LF (or the text's end)
    bool hasLevel = false;     // the line goes on after its class text
    QString level;             // second field, as stored
    LessonChoice lessons{};    // lesson fields 1..98; others are passed over
    bool anyLesson = false;    // at least one such lesson field
};

// The class's line: the first line whose whole first field is the class text ("Class 1"
// never finds "Class 10").
ClassOptions findClassOptions(const QString& text, const QString& classText);
// A class line with its CR LF: class text, level, then each chosen lesson in increasing order.
QString classOptionsLine(const QString& classText, const QString& level, const LessonChoice& lessons);
// The text with the class's line replaced by line, or line put first when the class has none.
QString storeClassOptions(const QString& text, const QString& classText, const QString& line);
// The text the report writes when Report.cfg is missing or empty: an empty line, then one
// line per number 1 to 98.
QString defaultReportText();

// "Customize Report Options for <class>": the level and the lessons of one class's report.
class FrmReportOptions : public QDialog {
    Q_OBJECT
public:
    // reportLevel is the server's report level text, which the dialog shows and changes.
    FrmReportOptions(const QString& configPath, const QString& classText, QString& reportLevel,
                     QWidget* owner = nullptr);

    void Form_Load();
    void optLevel_Click(int index);
    void cmdSelectAll_Click();
    void cmdRemoveAll_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    const LessonChoice& lessonChoice() const { return choice_; }

    QListWidget* lstLessons = nullptr;
    QGroupBox* fraLevel = nullptr;
    std::array<QRadioButton*, 4> optLevel{};
    QPushButton* cmdSelectAll = nullptr;
    QPushButton* cmdRemoveAll = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void keepListedChoices();
    void pressLevel(int index);

    QString configPath_;
    QString classText_;
    QString& reportLevel_;
    LessonChoice choice_{};
    QButtonGroup* levels_ = nullptr;
};

} // namespace classserver
