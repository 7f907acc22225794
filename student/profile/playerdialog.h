#pragma once
// frmPlayer: lists the players of the profile file, adds and deletes players and logs one in.
#include "profilestore.h"

#include <QDialog>
#include <QString>
#include <QVector>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace tonvale {

// The dialog's logic, without widgets. `owner` places the password questions and owns the
// message boxes.
class PlayerForm {
public:
    explicit PlayerForm(QWidget* owner = nullptr) : owner_(owner) {}

    void load();                           // Form_Load
    void clickList(int index);             // lbxNames_Click (-1: nothing selected)
    void changeName(const QString& text);  // txtName_Change
    void clickAdd();                       // cmdAdd_Click
    void clickDelete();                    // cmdDelete_Click
    void clickOk();                        // cmdOK_Click
    void clickCancel();                    // cmdCancel_Click
    // Writes the list (SaveProfiles); False when it could not be written.
    bool SaveProfiles();

    QStringList names() const;
    QString selectedName() const;

    // What the widgets show.
    QVector<PlayerEntry> players;  // the list and the name and password of each player
    int selected = -1;
    QString nameText;              // txtName
    bool okEnabled = false;
    bool deleteEnabled = false;
    bool addEnabled = false;
    bool viewEnabled = false;
    // Closed by OK (accepted) or Cancel.
    bool closed = false;
    bool accepted = false;
    // The profile as read when the dialog opened.
    ProfileText profile;

private:
    // SaveProfiles, telling the user what a failure left undone (`deleted`: the player the
    // write was to remove, if any).
    bool saveList(const QString& deleted);

    QWidget* owner_;
    QString lastFailure_;
};

class PlayerDialog : public QDialog {
    Q_OBJECT
public:
    explicit PlayerDialog(QWidget* owner = nullptr);

    // Form_Load then the modal showing, through the dialogs service. True when a player
    // logged in.
    static bool showPlayerDialog(QWidget* owner = nullptr);

    void load();  // Form_Load
    PlayerForm& form() { return form_; }
    void reject() override;  // Escape and the close button: Cancel

private:
    void refresh();
    void after();  // refresh, then close when the form says so

    PlayerForm form_;
    bool refreshing_ = false;
    QListWidget* lbxNames_;
    QLineEdit* txtName_;
    QPushButton* cmdAdd_;
    QPushButton* cmdDelete_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
    QPushButton* cmdReport_;
    QPushButton* cmdCustReport_;
};

} // namespace tonvale
