#include "frmconfig.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include "classlinkclient.h"
#include "common/networkform.h"
#include "platform/dialogs.h"

namespace classlink {

frmConfig::frmConfig(ClassLinkClient& client, QWidget* parent) : QDialog(parent), client_(client) {
    setObjectName(QStringLiteral("frmConfig"));
    setWindowTitle(QStringLiteral("Configure Network"));
    setModal(true);

    txtComputer = new QLineEdit(this);
    txtComputer->setObjectName(QStringLiteral("txtComputer"));
    txtPort = new QLineEdit(this);
    txtPort->setObjectName(QStringLiteral("txtPort"));
    const common::NetworkForm form = common::layOutNetworkForm(this, txtComputer, txtPort);
    cmdOK = form.cmdOK;
    cmdCancel = form.cmdCancel;
    cmdHelp = form.cmdHelp;

    connect(cmdOK, &QPushButton::clicked, this, &frmConfig::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmConfig::cmdCancel_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmConfig::cmdHelp_Click);
    Form_Load();
}

void frmConfig::Form_Load() {
    const ServerAddress address = readClientConfig(client_.dataFolder() + "/" + kConfigFile);
    if (address.fromFile) {
        txtComputer->setText(address.hostText);
        txtPort->setText(address.portText);
    } else {
        txtPort->setText(QString::number(kDefaultPort));
        txtComputer->setText(QString::fromLatin1(kDefaultHost));
    }
}

void frmConfig::cmdOK_Click() {
    setWindowTitle(QStringLiteral("Connecting ......."));
    client_.SendReceive(QStringLiteral("@@CLOSE_SOCKET:>"));

    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    client_.connectTo(txtComputer->text(), portFromText(txtPort->text()), kDialogConnectWaitMs);
    QApplication::restoreOverrideCursor();
    setEnabled(true);

    platform::Dialogs& dialogs = platform::Dialogs::instance();
    if (client_.connectFailed() && !client_.isConnected()) {
        const QString why = client_.connectError().isEmpty() ? QStringLiteral("Unable to connect.")
                                                             : client_.connectError();
        dialogs.messageBox(why, platform::OkOnly | platform::Critical, QStringLiteral("Connection Error"), this);
    }
    if (client_.stillResolving()) {
        dialogs.messageBox(QStringLiteral("Cannot Resolve Host Name or Port Number."),
                           platform::OkOnly | platform::Critical, QStringLiteral("Connection Error"), this);
    }
    client_.reportStatus();
    writeClientConfig(client_.dataFolder() + "/" + kConfigFile, txtComputer->text(), txtPort->text());
    accept();
}

void frmConfig::cmdCancel_Click() { reject(); }

void frmConfig::cmdHelp_Click() { emit helpRequested(); }

int showNetworkSettings(ClassLinkClient& client, QWidget* owner) {
    frmConfig dialog(client, owner);
    return platform::Dialogs::instance().runModal(dialog);
}

} // namespace classlink
