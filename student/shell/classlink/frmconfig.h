#pragma once
// "Configure Network": the class server's computer name and port, kept in Client.cfg.
// OK lets the server know we leave, reconnects to the new address, reports a failure, and
// saves the settings whatever the outcome.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace classlink {

class ClassLinkClient;

class frmConfig : public QDialog {
    Q_OBJECT
public:
    explicit frmConfig(ClassLinkClient& client, QWidget* parent = nullptr);

    QLineEdit* txtComputer = nullptr;
    QLineEdit* txtPort = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdHelp = nullptr;

    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

signals:
    // The host shows the help topic (as the F1 key would).
    void helpRequested();

private:
    ClassLinkClient& client_;
};

// Configure > Network of the main window: runs frmConfig modally over owner.
int showNetworkSettings(ClassLinkClient& client, QWidget* owner);

} // namespace classlink
