#include "passworddialog.h"

#include "playersession.h"

#include "platform/dialogs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tonvale {

void PasswordForm::prepareGet(const QString& playerName) {
    verifyVisible = false;
    newPasswordMode = false;
    prompt = QStringLiteral("Password for ") + playerName;
    password.clear();
    verify.clear();
    answered = false;
}

void PasswordForm::prepareNew() {
    verifyVisible = true;
    newPasswordMode = true;
    prompt = QStringLiteral("New Password");
    password.clear();
    verify.clear();
    answered = false;
}

bool PasswordForm::clickOk() {
    PlayerSession& session = PlayerSession::instance();
    password = firstLine(password);
    verify = firstLine(verify);
    if (newPasswordMode && password != verify) {
        platform::Dialogs::instance().messageBox(QStringLiteral("Passwords don't match, please try again"),
                                                 platform::Exclamation,
                                                 QStringLiteral("Password Verification Failure"));
        password.clear();
        verify.clear();
        session.PasswordResult.clear();
        return false;
    }
    session.PasswordResult = password;
    answered = true;
    return true;
}

void PasswordForm::clickCancel() {
    PlayerSession::instance().PasswordResult = kCancelSentinel;
    verify.clear();
    answered = true;
}

PasswordDialog::PasswordDialog(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmPassword"));
    setWindowTitle(QStringLiteral("Password"));
    setModal(true);

    lblPassword_ = new QLabel(this);
    lblPassword_->setObjectName(QStringLiteral("lblPassword"));
    txtPassword_ = new QLineEdit(this);
    txtPassword_->setObjectName(QStringLiteral("txtPassword"));
    lblVerify_ = new QLabel(QStringLiteral("Verify Password"), this);
    lblVerify_->setObjectName(QStringLiteral("lblVerify"));
    txtVerify_ = new QLineEdit(this);
    txtVerify_->setObjectName(QStringLiteral("txtVerify"));
    for (QLineEdit* box : {txtPassword_, txtVerify_}) {
        box->setEchoMode(QLineEdit::Password);
        box->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // "*"
    }
    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    cmdCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblPassword_, 0, 0);
    grid->addWidget(txtPassword_, 1, 0);
    grid->addWidget(lblVerify_, 2, 0);
    grid->addWidget(txtVerify_, 3, 0);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel_);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 1, 4, 1);

    connect(cmdOK_, &QPushButton::clicked, this, &PasswordDialog::okClicked);
    connect(cmdCancel_, &QPushButton::clicked, this, &PasswordDialog::cancelClicked);
    refresh();
}

void PasswordDialog::refresh() {
    lblPassword_->setText(form_.prompt);
    txtPassword_->setText(form_.password);
    txtVerify_->setText(form_.verify);
    lblVerify_->setVisible(form_.verifyVisible);
    txtVerify_->setVisible(form_.verifyVisible);
}

void PasswordDialog::SetCaption(const QString& text) {
    form_.SetCaption(text);
    lblPassword_->setText(text);
}

void PasswordDialog::okClicked() {
    form_.password = txtPassword_->text();
    form_.verify = txtVerify_->text();
    const bool closes = form_.clickOk();
    refresh();
    if (closes) {
        accept();
    } else {
        txtPassword_->setFocus();
    }
}

void PasswordDialog::cancelClicked() {
    form_.clickCancel();
    refresh();
    QDialog::reject();
}

void PasswordDialog::reject() {
    if (!form_.answered) form_.clickCancel();
    QDialog::reject();
}

QString PasswordDialog::ask(QWidget* owner) {
    refresh();
    adjustSize();
    // Just below and right of the window that asks (300 twips each way).
    if (owner) move(owner->pos() + QPoint(20, 20));
    txtPassword_->setFocus();
    platform::Dialogs::instance().runModal(*this);
    if (!form_.answered) form_.clickCancel();
    return PlayerSession::instance().PasswordResult;
}

QString PasswordDialog::GetPassword(QWidget* owner) {
    PasswordDialog dialog(owner);
    dialog.form_.prepareGet(PlayerSession::instance().PlayerName);
    return dialog.ask(owner);
}

QString PasswordDialog::NewPassword(QWidget* owner) {
    PasswordDialog dialog(owner);
    dialog.form_.prepareNew();
    return dialog.ask(owner);
}

} // namespace tonvale
