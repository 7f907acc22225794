#include "frmabout.h"

#include "platform/dialogs.h"
#include "platform/registry.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

namespace common {

namespace {
const QString kInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kInfoLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
} // namespace

bool GetKeyValue(const platform::Registry& registry, const QString& KeyName, const QString& SubKeyRef,
                 QString& KeyVal) {
    bool found = false;
    const QString value = registry.value(KeyName, SubKeyRef, &found);
    if (!found) {
        KeyVal.clear();
        return false;
    }
    // A stored text may carry its terminating NUL; the value is the text before it.
    KeyVal = value.endsWith(QChar(0)) ? value.chopped(1) : value;
    return true;
}

FrmAbout::FrmAbout(const AboutText& about, QWidget* owner)
    : QDialog(owner), registry_(&platform::Registry::machine()),
      starter_([](const QString& program) { return QProcess::startDetached(program, {}); }) {
    setObjectName("frmAbout");
    setWindowTitle("About " + about.title);

    picIcon = new QLabel(this);
    picIcon->setObjectName("picIcon");
    if (!about.icon.isNull()) picIcon->setPixmap(about.icon);
    lblTitle = new QLabel(about.title, this);
    lblTitle->setObjectName("lblTitle");
    QFont big = lblTitle->font();
    big.setPointSize(16);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = new QLabel(QString("Version %1.%2.%3").arg(about.major).arg(about.minor).arg(about.revision), this);
    lblVersion->setObjectName("lblVersion");
    lblDescription = new QLabel(about.description, this);
    lblDescription->setObjectName("lblDescription");
    lblDisclaimer = new QLabel(about.disclaimer, this);
    lblDisclaimer->setObjectName("lblDisclaimer");
    QFont small = lblDisclaimer->font();
    small.setPointSize(8);
    lblDisclaimer->setFont(small);

    cmdOK = new QPushButton("OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton("&System Info...", this);
    cmdSysInfo->setObjectName("cmdSysInfo");
    connect(cmdOK, &QPushButton::clicked, this, &FrmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &FrmAbout::cmdSysInfo_Click);

    auto* grid = new QGridLayout(this);
    grid->addWidget(picIcon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblDescription, 2, 1);
    grid->addWidget(lblDisclaimer, 3, 0, 1, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 4, 1);
}

void FrmAbout::cmdOK_Click() { accept(); }

void FrmAbout::cmdSysInfo_Click() { StartSysInfo(); }

void FrmAbout::StartSysInfo() {
    QString path;
    if (registry_ && GetKeyValue(*registry_, kInfoKey, "PATH", path)) {
        starter_(path);
        return;
    }
    QString folder;
    if (registry_ && GetKeyValue(*registry_, kInfoLocationKey, "MSINFO", folder)) {
        const QString program = folder + "/MSINFO32.EXE";
        if (QFileInfo::exists(program)) {
            starter_(program);
            return;
        }
    }
    platform::Dialogs::instance().messageBox("System Information Is Unavailable At This Time",
                                             platform::OkOnly, QString(), this);
}

} // namespace common
