#include "frmconfig.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSysInfo>

#include "common/basic.h"
#include "common/networkform.h"
#include "common/storedtext/getvalue.h"
#include "common/storedtext/storedtext.h"
#include "platform/dialogs.h"

namespace classserver {

std::function<QString()> FrmConfig::computerName = [] { return QSysInfo::machineHostName(); };

FrmConfig::FrmConfig(const QString& configPath, Listen listen, QWidget* owner)
    : QDialog(owner), configPath_(configPath), listen_(std::move(listen)) {
    setObjectName(QStringLiteral("frmConfig"));
    setWindowTitle(QStringLiteral("Network Configuration"));
    lblName = new QLabel(QStringLiteral("Label1"), this);
    lblName->setObjectName(QStringLiteral("lblName"));
    lblName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    txtPort = new QLineEdit(QStringLiteral("Text1"), this);
    txtPort->setObjectName(QStringLiteral("txtPort"));
    const common::NetworkForm form = common::layOutNetworkForm(this, lblName, txtPort);
    lblComputer = form.lblComputer;
    lblPort = form.lblPort;
    cmdOK = form.cmdOK;
    cmdCancel = form.cmdCancel;
    cmdHelp = form.cmdHelp;
    connect(cmdOK, &QPushButton::clicked, this, &FrmConfig::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmConfig::cmdCancel_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &FrmConfig::cmdHelp_Click);
    Form_Load();
}

void FrmConfig::Form_Load() {
    const QString name = computerName ? computerName() : QString();
    if (!name.isEmpty()) lblName->setText(name);
    QString text;
    common::ReadTextFile(configPath_, text);
    if (text.isEmpty()) {
        txtPort->setText(QStringLiteral("2001"));
        return;
    }
    QString key;
    txtPort->setText(common::GetValue(text, key));
}

void FrmConfig::cmdOK_Click() {
    platform::Dialogs& dialogs = platform::Dialogs::instance();
    const QString typed = txtPort->text();
    const double port = basic::roundHalfEven(basic::Val(typed));
    if (!(port >= 1 && port <= 65535)) {
        dialogs.messageBox(QStringLiteral("Please enter a port number from 1 to 65535."),
                           platform::OkOnly | platform::Exclamation, QStringLiteral("Network Configuration"), this);
        return;
    }
    QString why;
    switch (listen_ ? listen_(quint16(port), &why) : ListenResult::Failed) {
    case ListenResult::PortInUse:
        dialogs.messageBox(QStringLiteral("Port in use. Please choose another."), platform::OkOnly | platform::Exclamation,
                           QStringLiteral("Connection Error"), this);
        return;
    case ListenResult::Failed:
        dialogs.messageBox(QStringLiteral("Unable to listen on port %1: %2").arg(port).arg(why),
                           platform::OkOnly | platform::Exclamation, QStringLiteral("Connection Error"), this);
        return;
    case ListenResult::Listening:
        break;
    }
    if (!common::WriteTextFile(configPath_, QStringLiteral("port=") + typed + QStringLiteral("\r\n")))
        dialogs.messageBox(QStringLiteral("The server now listens on port %1, but Server.cfg could not be written: "
                                          "the next start will not use it.")
                               .arg(port),
                           platform::OkOnly | platform::Exclamation, QStringLiteral("Network Configuration"), this);
    accept();
}

void FrmConfig::cmdCancel_Click() { reject(); }

void FrmConfig::cmdHelp_Click() {
    if (onHelp) onHelp();
}

} // namespace classserver
