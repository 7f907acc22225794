#pragma once
// frmScoreBounds ("Score Range"): the player's upper and lower score bounds, picked from two
// drop-down lists in steps of 5. OK changes only the session's bounds; the profile gets
// them at its next save.
#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;

namespace tonvale { class PlayerSession; }

namespace shell {

// The dialog's logic, without widgets: each list's selected index.
class ScoreBoundsForm {
public:
    // "100" down to "60", and "95" down to "50": index i holds 100 - 5i and 95 - 5i.
    static const QStringList& upperItems();
    static const QStringList& lowerItems();
    static QString infoText();

    // Form_Load: shows the bounds when they are listed, else "90" and "85".
    void load(int upperBound, int lowerBound);
    // cboUpper_Click / cboLower_Click: the lower bound stays below the upper one.
    void clickUpper(int index);
    void clickLower(int index);

    QString upperText() const { return upperItems().value(upper); }
    QString lowerText() const { return lowerItems().value(lower); }
    // What OK stores.
    int upperValue() const;
    int lowerValue() const;

    int upper = 0;
    int lower = 0;

private:
    void keepOrder();
};

class FrmScoreBounds : public QDialog {
    Q_OBJECT
public:
    explicit FrmScoreBounds(tonvale::PlayerSession& session, QWidget* owner = nullptr);

    ScoreBoundsForm& form() { return form_; }
    void cmdOK_Click();
    void cmdCancel_Click();

    QLabel* lblInfo;
    QLabel* lblUpper;
    QLabel* lblLower;
    QComboBox* cboUpper;
    QComboBox* cboLower;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

private:
    void refresh();  // the form's indices into the boxes

    tonvale::PlayerSession& session_;
    ScoreBoundsForm form_;
};

// Options > Score Settings: runs the dialog modally over owner, through the dialogs service.
int showScoreBounds(tonvale::PlayerSession& session, QWidget* owner);

} // namespace shell
