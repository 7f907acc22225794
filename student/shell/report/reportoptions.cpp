#include "reportoptions.h"

#include "common/basic.h"
#include "common/storedtext/storedtext.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "student/lessons/lessoncatalogue.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace report {

namespace {

// The lesson a line (or a list title such as "3. Identify these chords.") names, 0 for none.
int lessonOf(const QString& text) {
    const double v = basic::roundHalfEven(basic::Val(text));
    return v >= 1 && v <= kLessons ? int(v) : 0;
}

// Line 1, then the lessons the rest names.
void readLines(const QString& text, QString& level, std::array<bool, kLessons + 1>& flags, bool* named) {
    const qsizetype end = text.indexOf(common::CRLF);
    level = end < 0 ? text : text.left(end);
    if (end < 0) return;
    const QStringList rest = text.mid(end + common::CRLF.size()).split(common::CRLF);
    for (const QString& line : rest) {
        const int n = lessonOf(line);
        if (n == 0) continue;
        flags[n] = true;
        if (named) *named = true;
    }
}

} // namespace

ReportOptions ReportOptions::parse(const QString& text) {
    ReportOptions o;
    readLines(text, o.level, o.lessons, &o.lessonNamed);
    return o;
}

QString ReportOptions::difficultyFilter() const {
    const qsizetype i = difficultyNames().indexOf(level);
    return i > 0 ? level : QString();
}

namespace {
std::function<QDate()>& todaySource() {
    static std::function<QDate()> source;
    return source;
}
} // namespace

void setReportToday(std::function<QDate()> today) { todaySource() = std::move(today); }
QDate reportToday() { return todaySource() ? todaySource()() : QDate::currentDate(); }

QString reportOptionsPath() { return platform::Paths::dataFile("ReportOpt.cfg"); }

QString defaultReportOptionsText() {
    QString text = common::CRLF;
    for (int n = 1; n <= kLessons; ++n) text += QString::number(n) + common::CRLF;
    return text;
}

ReportOptions loadReportOptions() {
    QString text;
    common::LoadStoredText(reportOptionsPath(), text);
    if (text.isEmpty()) {
        text = defaultReportOptionsText();
        // The report is made all the same when the default cannot be kept.
        common::SaveStoredText(reportOptionsPath(), text);
    }
    return ReportOptions::parse(text);
}

// ---- ReportOptionsForm ----------------------------------------------------------------------

void ReportOptionsForm::load() {
    QString text;
    common::LoadStoredText(reportOptionsPath(), text);
    flags.fill(text.isEmpty());
    flags[0] = false;
    list.clear();
    for (int n = 1; n <= kLessons; ++n) list.push_back({n, lessons::lessonTitle(n), false});
    if (!text.isEmpty()) readLines(text, reportLevel, flags, nullptr);
    for (Item& item : list) item.selected = flags[lessonOf(item.title)];
    checkedLevel = int(difficultyNames().indexOf(reportLevel));
    // Checking an option is choosing it: the list shows the lessons of that difficulty.
    if (checkedLevel >= 0) clickLevel(checkedLevel);
}

void ReportOptionsForm::rememberSelection() {
    for (const Item& item : list)
        if (const int n = lessonOf(item.title)) flags[n] = item.selected;
}

void ReportOptionsForm::clickLevel(int index) {
    if (index < 0 || index >= difficultyNames().size()) return;
    rememberSelection();
    checkedLevel = index;
    reportLevel = difficultyNames()[index];
    list.clear();
    for (int n = 1; n <= kLessons; ++n) {
        if (index != 0 && lessons::kDifficulty != reportLevel) continue;
        list.push_back({n, lessons::lessonTitle(n), flags[n]});
    }
}

void ReportOptionsForm::selectAll() {
    for (Item& item : list) item.selected = true;
}

void ReportOptionsForm::removeAll() {
    for (Item& item : list) item.selected = false;
}

QString ReportOptionsForm::text() const {
    std::array<bool, kLessons + 1> chosen{};
    for (const Item& item : list)
        if (const int n = lessonOf(item.title)) chosen[n] = item.selected;
    QString out = reportLevel + common::CRLF;
    for (int n = 1; n <= kLessons; ++n)
        if (chosen[n]) out += QString::number(n) + common::CRLF;
    return out;
}

bool ReportOptionsForm::ok(QString* why) {
    flags.fill(false);
    for (const Item& item : list)
        if (const int n = lessonOf(item.title)) flags[n] = item.selected;
    return common::SaveStoredText(reportOptionsPath(), text(), why);
}

// ---- FrmReportOptions -----------------------------------------------------------------------

FrmReportOptions::FrmReportOptions(QWidget* owner) : QDialog(owner) {
    setObjectName("frmReportOptions");
    setWindowTitle("Customize Report Options");
    setModal(true);

    auto* fraLevel = new QGroupBox("Difficulty", this);
    fraLevel->setObjectName("fraLevel");
    auto* levels = new QVBoxLayout(fraLevel);
    const QStringList captions = {"All", "Beginner", "Intermediate", "Advanced"};
    for (int i = 0; i < 4; ++i) {
        optLevel[i] = new QRadioButton(captions[i], fraLevel);
        optLevel[i]->setObjectName(QStringLiteral("optLevel%1").arg(i));
        levels->addWidget(optLevel[i]);
        connect(optLevel[i], &QRadioButton::clicked, this, [this, i] { optLevel_Click(i); });
    }
    levels->addStretch();

    lstLessons = new QListWidget(this);
    lstLessons->setObjectName("lstLessons");
    lstLessons->setSelectionMode(QAbstractItemView::MultiSelection);
    lstLessons->setMinimumWidth(320);
    connect(lstLessons, &QListWidget::itemSelectionChanged, this, [this] {
        if (!refreshing_) takeSelection();
    });

    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    cmdSelectAll = button("cmdSelectAll", "Select All");
    cmdRemoveAll = button("cmdRemoveAll", "Remove All");
    cmdOK = button("cmdOK", "OK");
    cmdOK->setDefault(true);
    cmdCancel = button("cmdCancel", "Cancel");
    connect(cmdSelectAll, &QPushButton::clicked, this, &FrmReportOptions::cmdSelectAll_Click);
    connect(cmdRemoveAll, &QPushButton::clicked, this, &FrmReportOptions::cmdRemoveAll_Click);
    connect(cmdOK, &QPushButton::clicked, this, &FrmReportOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmReportOptions::cmdCancel_Click);

    auto* side = new QVBoxLayout;
    side->addWidget(fraLevel);
    side->addWidget(cmdSelectAll);
    side->addWidget(cmdRemoveAll);
    side->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(lstLessons, 1);
    top->addLayout(side);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    form_.load();
    refresh();
}

void FrmReportOptions::refresh() {
    refreshing_ = true;
    lstLessons->clear();
    for (const ReportOptionsForm::Item& item : form_.list) {
        auto* row = new QListWidgetItem(item.title, lstLessons);
        row->setSelected(item.selected);
    }
    // An exclusive group would keep one option checked; the file may name none of them.
    for (int i = 0; i < 4; ++i) {
        optLevel[i]->setAutoExclusive(false);
        optLevel[i]->setChecked(i == form_.checkedLevel);
        optLevel[i]->setAutoExclusive(true);
    }
    refreshing_ = false;
}

void FrmReportOptions::takeSelection() {
    for (int i = 0; i < form_.list.size() && i < lstLessons->count(); ++i)
        form_.list[i].selected = lstLessons->item(i)->isSelected();
}

void FrmReportOptions::optLevel_Click(int index) {
    form_.clickLevel(index);
    refresh();
}

void FrmReportOptions::cmdSelectAll_Click() {
    form_.selectAll();
    refresh();
}

void FrmReportOptions::cmdRemoveAll_Click() {
    form_.removeAll();
    refresh();
}

void FrmReportOptions::cmdOK_Click() {
    QString why;
    if (!form_.ok(&why)) {
        platform::Dialogs::instance().messageBox("The report options could not be saved." + common::CRLF + why,
                                                 platform::OkOnly | platform::Exclamation,
                                                 "Customize Report Options", this);
        return;
    }
    accept();
}

void FrmReportOptions::cmdCancel_Click() { reject(); }

int showReportOptions(QWidget* owner) {
    FrmReportOptions dialog(owner);
    return platform::Dialogs::instance().runModal(dialog);
}

} // namespace report
