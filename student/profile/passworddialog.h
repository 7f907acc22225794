#pragma once
// frmPassword: asks a player's password, or a new password twice.
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tonvale {

// The dialog's logic, without widgets.
class PasswordForm {
public:
    // GetPassword: one box, prompt "Password for " and the player's name.
    void prepareGet(const QString& playerName);
    // NewPassword: both boxes, prompt "New Password".
    void prepareNew();
    void SetCaption(const QString& text) { prompt = text; }

    // OK: True when the dialog closes. A new password typed differently twice is refused:
    // the boxes are emptied, PasswordResult becomes "" and the dialog stays.
    bool clickOk();
    // Cancel: PasswordResult becomes the cancel sentinel.
    void clickCancel();

    QString prompt;
    QString password;  // txtPassword
    QString verify;    // txtVerify
    bool newPasswordMode = false;
    bool verifyVisible = false;
    bool answered = false;  // closed by OK or Cancel
};

class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit PasswordDialog(QWidget* owner = nullptr);

    // Shown modally through the dialogs service; each returns PasswordResult. A dialog closed
    // by other means than its buttons counts as cancelled.
    static QString GetPassword(QWidget* owner = nullptr);
    static QString NewPassword(QWidget* owner = nullptr);

    void SetCaption(const QString& text);
    PasswordForm& form() { return form_; }

    void reject() override;  // Escape and the close button: Cancel

private:
    QString ask(QWidget* owner);
    void refresh();
    void okClicked();
    void cancelClicked();

    PasswordForm form_;
    QLabel* lblPassword_;
    QLabel* lblVerify_;
    QLineEdit* txtPassword_;
    QLineEdit* txtVerify_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
};

} // namespace tonvale
