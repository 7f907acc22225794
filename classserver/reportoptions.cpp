#include "reportoptions.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "catalogue.h"
#include "common/basic.h"
#include "common/storedtext/storedtext.h"
#include "platform/dialogs.h"

namespace classserver {
namespace {

const QString kCRLF = QStringLiteral("\r\n");
const char* const kLevelWords[4] = {"", "Beginner", "Intermediate", "Advanced"};

int levelIndex(const QString& level) {
    for (int i = 0; i < 4; ++i)
        if (level == QLatin1String(kLevelWords[i])) return i;
    return -1;
}

} // namespace

ClassOptions findClassOptions(const QString& text, const QString& classText) {
    ClassOptions found;
    const QStringView all(text);
    for (qsizetype at = 0; at < all.size();) {
        qsizetype lineEnd = all.indexOf(kCRLF, at);
        const qsizetype next = lineEnd < 0 ? all.size() : lineEnd + 2;
        if (lineEnd < 0) lineEnd = all.size();
        const QStringView line = all.mid(at, lineEnd - at);
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        if (comma >= 0 && line.left(comma) == classText) {
            found.found = true;
            found.start = at;
            found.end = next;
            const QList<QStringView> fields = line.mid(comma + 1).split(QLatin1Char(','));
            found.hasLevel = !line.mid(comma + 1).isEmpty();
            if (found.hasLevel) found.level = fields.first().toString();
            for (qsizetype i = 1; i < fields.size(); ++i) {
                const double n = basic::roundHalfEven(basic::Val(fields[i].toString()));
                if (n >= 1 && n <= 98) {
                    found.lessons[int(n)] = true;
                    found.anyLesson = true;
                }
            }
            return found;
        }
        at = next;
    }
    return found;
}

QString classOptionsLine(const QString& classText, const QString& level, const LessonChoice& lessons) {
    QString line = classText + QLatin1Char(',') + level + QLatin1Char(',');
    for (int k = 1; k <= 98; ++k)
        if (lessons[k]) line += QString::number(k) + QLatin1Char(',');
    return line + kCRLF;
}

QString storeClassOptions(const QString& text, const QString& classText, const QString& line) {
    const ClassOptions old = findClassOptions(text, classText);
    if (!old.found) return line + text;
    return text.left(old.start) + line + text.mid(old.end);
}

QString defaultReportText() {
    QString text = kCRLF;
    for (int k = 1; k <= 98; ++k) text += QString::number(k) + kCRLF;
    return text;
}

// ---- The dialog ----------------------------------------------------------------------------

FrmReportOptions::FrmReportOptions(const QString& configPath, const QString& classText, QString& reportLevel,
                                   QWidget* owner)
    : QDialog(owner), configPath_(configPath), classText_(classText), reportLevel_(reportLevel) {
    setObjectName(QStringLiteral("frmReportOptions"));
    setWindowTitle(QStringLiteral("Customize Report Options"));

    lstLessons = new QListWidget(this);
    lstLessons->setObjectName(QStringLiteral("lstLessons"));
    lstLessons->setSelectionMode(QAbstractItemView::MultiSelection);
    lstLessons->setMinimumWidth(460);

    fraLevel = new QGroupBox(QStringLiteral("Difficulty"), this);
    fraLevel->setObjectName(QStringLiteral("fraLevel"));
    levels_ = new QButtonGroup(this);
    auto* levelBox = new QVBoxLayout(fraLevel);
    const char* const captions[4] = {"All", "Beginner", "Intermediate", "Advanced"};
    for (int i = 0; i < 4; ++i) {
        optLevel[i] = new QRadioButton(QLatin1String(captions[i]), fraLevel);
        optLevel[i]->setObjectName(QStringLiteral("optLevel%1").arg(i));
        levels_->addButton(optLevel[i], i);
        levelBox->addWidget(optLevel[i]);
    }
    connect(levels_, &QButtonGroup::idClicked, this, &FrmReportOptions::optLevel_Click);

    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    cmdSelectAll = button("cmdSelectAll", QStringLiteral("Select All"));
    cmdRemoveAll = button("cmdRemoveAll", QStringLiteral("Remove All"));
    cmdOK = button("cmdOK", QStringLiteral("OK"));
    cmdCancel = button("cmdCancel", QStringLiteral("Cancel"));
    cmdOK->setDefault(true);
    connect(cmdSelectAll, &QPushButton::clicked, this, &FrmReportOptions::cmdSelectAll_Click);
    connect(cmdRemoveAll, &QPushButton::clicked, this, &FrmReportOptions::cmdRemoveAll_Click);
    connect(cmdOK, &QPushButton::clicked, this, &FrmReportOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmReportOptions::cmdCancel_Click);

    auto* side = new QVBoxLayout;
    side->addWidget(fraLevel);
    side->addWidget(cmdSelectAll);
    side->addWidget(cmdRemoveAll);
    side->addStretch();
    side->addWidget(cmdOK);
    side->addWidget(cmdCancel);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(lstLessons, 1);
    layout->addLayout(side);
    resize(640, 420);
    Form_Load();
}

void FrmReportOptions::Form_Load() {
    QString text;
    common::ReadTextFile(configPath_, text);
    const ClassOptions options = findClassOptions(text, classText_);
    const LessonCatalogue& catalogue = LessonCatalogue::instance();
    lstLessons->clear();
    for (int k = 1; k <= 98; ++k) {
        choice_[k] = !options.found;
        auto* item = new QListWidgetItem(catalogue.Lessons1Name[k], lstLessons);
        item->setData(Qt::UserRole, k);
    }
    if (options.found) {
        // A line that stops after its class text leaves the level as it was.
        if (options.hasLevel) reportLevel_ = options.level;
        for (int k = 1; k <= 98; ++k) choice_[k] = options.lessons[k];
    }
    for (int i = 0; i < lstLessons->count(); ++i) {
        QListWidgetItem* item = lstLessons->item(i);
        item->setSelected(choice_[item->data(Qt::UserRole).toInt()]);
    }
    const int level = levelIndex(reportLevel_);
    if (level >= 0) pressLevel(level);
    setWindowTitle(QStringLiteral("Customize Report Options for ") + classText_);
}

void FrmReportOptions::pressLevel(int index) {
    optLevel[index]->setChecked(true);
    optLevel_Click(index);
}

void FrmReportOptions::keepListedChoices() {
    for (int i = 0; i < lstLessons->count(); ++i) {
        QListWidgetItem* item = lstLessons->item(i);
        choice_[item->data(Qt::UserRole).toInt()] = item->isSelected();
    }
}

void FrmReportOptions::optLevel_Click(int index) {
    if (index < 0 || index > 3) return;
    keepListedChoices();
    reportLevel_ = QLatin1String(kLevelWords[index]);
    const LessonCatalogue& catalogue = LessonCatalogue::instance();
    lstLessons->clear();
    for (int k = 1; k <= 98; ++k) {
        if (index != 0 && catalogue.Lessons1Difficulty[k] != reportLevel_) continue;
        auto* item = new QListWidgetItem(catalogue.Lessons1Name[k], lstLessons);
        item->setData(Qt::UserRole, k);
        item->setSelected(choice_[k]);
    }
}

void FrmReportOptions::cmdSelectAll_Click() {
    for (int i = 0; i < lstLessons->count(); ++i) lstLessons->item(i)->setSelected(true);
    keepListedChoices();
}

void FrmReportOptions::cmdRemoveAll_Click() {
    for (int i = 0; i < lstLessons->count(); ++i) lstLessons->item(i)->setSelected(false);
    keepListedChoices();
}

void FrmReportOptions::cmdOK_Click() {
    keepListedChoices();
    const QString line = classOptionsLine(classText_, reportLevel_, choice_);
    QString text;
    common::ReadTextFile(configPath_, text);
    if (!common::WriteTextFile(configPath_, storeClassOptions(text, classText_, line))) {
        platform::Dialogs::instance().messageBox(
            QStringLiteral("The report options could not be saved in ") + configPath_ + QStringLiteral("."),
            platform::OkOnly | platform::Exclamation, QStringLiteral("Customize Report Options"), this);
        return;
    }
    accept();
}

void FrmReportOptions::cmdCancel_Click() { reject(); }

} // namespace classserver
