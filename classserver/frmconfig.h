#pragma once
// "Network Configuration": the computer's name, under which student programs reach the
// server, and the port it listens on, kept in Server.cfg.
#include <QDialog>
#include <functional>

#include "classserver.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace classserver {

class FrmConfig : public QDialog {
    Q_OBJECT
public:
    // listen moves the server's listener to a port (the old one keeps listening until the new
    // one does) and says why it could not.
    using Listen = std::function<ListenResult(quint16 port, QString* why)>;
    FrmConfig(const QString& configPath, Listen listen, QWidget* owner = nullptr);

    void Form_Load();
    // Listens on the port typed and keeps it in Server.cfg. A port that is not a number from
    // 1 to 65535, or that cannot be listened on, is refused with a message: nothing is
    // written and the server goes on listening where it did.
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

    std::function<void()> onHelp;
    // The computer's name (tests give their own).
    static std::function<QString()> computerName;

    QLabel* lblComputer = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblPort = nullptr;
    QLineEdit* txtPort = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdHelp = nullptr;

private:
    QString configPath_;
    Listen listen_;
};

} // namespace classserver
