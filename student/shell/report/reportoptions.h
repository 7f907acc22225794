#pragma once
// What the student report covers: a difficulty and the lessons chosen, kept in the stored
// text "ReportOpt.cfg" (line 1 the difficulty, empty for all; then one lesson number a line),
// and frmReportOptions, the dialog that edits it.
#include <QDate>
#include <QDialog>
#include <QString>
#include <QVector>
#include <array>
#include <functional>

class QButtonGroup;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace report {

inline constexpr int kLessons = 7;
inline const QStringList& difficultyNames() {
    // Index 0 is every difficulty; the file stores the empty text for it.
    static const QStringList names = {QString(), QStringLiteral("Beginner"), QStringLiteral("Intermediate"),
                                      QStringLiteral("Advanced")};
    return names;
}

struct ReportOptions {
    QString level;                  // line 1 as it stands
    std::array<bool, kLessons + 1> lessons{};  // 1..7
    bool lessonNamed = false;       // some line named a lesson 1..7: the report keeps to them

    // Only lines naming a lesson 1..7 count; any other line (0, 9, a word) names none.
    static ReportOptions parse(const QString& text);
    // The difficulty the report keeps to, empty for every difficulty (a line 1 that is not
    // one of the three names filters nothing).
    QString difficultyFilter() const;
    // Whether lesson n is reported as far as the lesson choice goes.
    bool covers(int lesson) const { return !lessonNamed || (lesson >= 1 && lesson <= kLessons && lessons[lesson]); }
};

QString reportOptionsPath();        // "ReportOpt.cfg" in the data folder
QString defaultReportOptionsText();  // every difficulty, all seven lessons
// The report's reading: a missing, empty or unreadable file is replaced by the default text.
ReportOptions loadReportOptions();

// The dialog's logic, without widgets.
class ReportOptionsForm {
public:
    struct Item {
        int lesson;
        QString title;
        bool selected;
    };

    void load();                 // Form_Load
    void clickLevel(int index);  // optLevel_Click: 0 all, 1..3 the difficulties
    void selectAll();
    void removeAll();
    // cmdOK_Click: the choice as the stored text; False (and *why) when it could not be written.
    bool ok(QString* why = nullptr);
    QString text() const;        // what OK writes

    QVector<Item> list;          // lstLessons
    int checkedLevel = -1;       // the option checked, -1 none
    QString reportLevel;         // ReportLevel
    std::array<bool, kLessons + 1> flags{};

private:
    void rememberSelection();
};

class FrmReportOptions : public QDialog {
    Q_OBJECT
public:
    explicit FrmReportOptions(QWidget* owner = nullptr);

    ReportOptionsForm& form() { return form_; }
    void optLevel_Click(int index);
    void cmdSelectAll_Click();
    void cmdRemoveAll_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    std::array<QRadioButton*, 4> optLevel{};
    QListWidget* lstLessons;
    QPushButton* cmdSelectAll;
    QPushButton* cmdRemoveAll;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

private:
    void refresh();         // the form into the widgets
    void takeSelection();   // the list's selection into the form

    ReportOptionsForm form_;
    bool refreshing_ = false;
};

// Configure > Customize Report and the player dialog's Customize: the dialog, modal over owner.
int showReportOptions(QWidget* owner);

// Today as the report dates it; tests set it (nullptr: the clock's).
void setReportToday(std::function<QDate()> today);
QDate reportToday();

} // namespace report
