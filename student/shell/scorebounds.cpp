#include "scorebounds.h"

#include "common/basic.h"
#include "common/storedtext/storedtext.h"
#include "platform/dialogs.h"
#include "student/profile/playersession.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace shell {

namespace {

QStringList stepsDown(int from, int count) {
    QStringList out;
    for (int i = 0; i < count; ++i) out << QString::number(from - 5 * i);
    return out;
}

// A bound as OK stores it: the text's leading number, rounded half to even.
int boundValue(const QString& text) {
    const auto v = basic::CInt(basic::Val(text));
    return v ? int(*v) : 0;
}

} // namespace

const QStringList& ScoreBoundsForm::upperItems() {
    static const QStringList items = stepsDown(100, 9);
    return items;
}

const QStringList& ScoreBoundsForm::lowerItems() {
    static const QStringList items = stepsDown(95, 10);
    return items;
}

QString ScoreBoundsForm::infoText() {
    const QString& CRLF = common::CRLF;
    return "Change the limits for the scores here." + CRLF + CRLF +
           "A score equal to or higher than the upper bound limit must be achieved to proceed to the next exercise." +
           CRLF + "A score between the lower bound and upper bound limit will alow you to repeat the exercise." + CRLF +
           "A score below the lower bound limit will have you restart from the previous exercise.";
}

void ScoreBoundsForm::load(int upperBound, int lowerBound) {
    const int u = upperItems().indexOf(QString::number(upperBound));
    const int l = lowerItems().indexOf(QString::number(lowerBound));
    upper = u >= 0 ? u : int(upperItems().indexOf("90"));
    lower = l >= 0 ? l : int(lowerItems().indexOf("85"));
}

void ScoreBoundsForm::clickUpper(int index) {
    if (index < 0 || index >= upperItems().size()) return;
    upper = index;
    keepOrder();
}

void ScoreBoundsForm::clickLower(int index) {
    if (index < 0 || index >= lowerItems().size()) return;
    lower = index;
    keepOrder();
}

void ScoreBoundsForm::keepOrder() {
    // The same index of the lower list is 5 below the upper bound.
    if (upperValue() <= lowerValue()) lower = upper;
}

int ScoreBoundsForm::upperValue() const { return boundValue(upperText()); }
int ScoreBoundsForm::lowerValue() const { return boundValue(lowerText()); }

FrmScoreBounds::FrmScoreBounds(tonvale::PlayerSession& session, QWidget* owner)
    : QDialog(owner), session_(session) {
    setObjectName("frmScoreBounds");
    setWindowTitle("Score Range");
    setModal(true);

    lblInfo = new QLabel(ScoreBoundsForm::infoText(), this);
    lblInfo->setObjectName("lblInfo");
    lblInfo->setWordWrap(true);
    lblUpper = new QLabel("Specify Upper Bound.", this);
    lblUpper->setObjectName("lblUpper");
    lblLower = new QLabel("Specify Lower Bound", this);
    lblLower->setObjectName("lblLower");
    // Drop-down lists: a bound is always one of the listed values.
    cboUpper = new QComboBox(this);
    cboUpper->setObjectName("cboUpper");
    cboUpper->addItems(ScoreBoundsForm::upperItems());
    cboLower = new QComboBox(this);
    cboLower->setObjectName("cboLower");
    cboLower->addItems(ScoreBoundsForm::lowerItems());
    lblUpper->setBuddy(cboUpper);
    lblLower->setBuddy(cboLower);
    cmdOK = new QPushButton("OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton("Cancel", this);
    cmdCancel->setObjectName("cmdCancel");

    auto* grid = new QGridLayout;
    grid->addWidget(lblUpper, 0, 0);
    grid->addWidget(cboUpper, 0, 1);
    grid->addWidget(lblLower, 1, 0);
    grid->addWidget(cboLower, 1, 1);
    grid->setColumnStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblInfo);
    layout->addSpacing(8);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    lblInfo->setMinimumWidth(460);

    connect(cboUpper, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        form_.clickUpper(i);
        refresh();
    });
    connect(cboLower, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        form_.clickLower(i);
        refresh();
    });
    connect(cmdOK, &QPushButton::clicked, this, &FrmScoreBounds::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmScoreBounds::cmdCancel_Click);

    form_.load(session_.UpperBound, session_.LowerBound);
    refresh();
}

void FrmScoreBounds::refresh() {
    cboUpper->setCurrentIndex(form_.upper);
    cboLower->setCurrentIndex(form_.lower);
}

void FrmScoreBounds::cmdOK_Click() {
    session_.UpperBound = form_.upperValue();
    session_.LowerBound = form_.lowerValue();
    accept();
}

void FrmScoreBounds::cmdCancel_Click() { reject(); }

int showScoreBounds(tonvale::PlayerSession& session, QWidget* owner) {
    FrmScoreBounds dialog(session, owner);
    return platform::Dialogs::instance().runModal(dialog);
}

} // namespace shell
