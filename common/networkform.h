#pragma once
// The frame both programs' network settings dialogs share: "Computer Name:" and "Port Number:"
// each beside its field, and OK (the default), Cancel and Help in a row under them at the right.
// What the fields are and what the buttons do stays with each dialog.
class QDialog;
class QLabel;
class QPushButton;
class QWidget;

namespace common {

struct NetworkForm {
    QLabel* lblComputer = nullptr;
    QLabel* lblPort = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdHelp = nullptr;
};

// Lays out `dialog` around its two fields (made beforehand, so they come first in the tab order).
NetworkForm layOutNetworkForm(QDialog* dialog, QWidget* computer, QWidget* port);

} // namespace common
