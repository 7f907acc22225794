#include "networkform.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace common {

NetworkForm layOutNetworkForm(QDialog* dialog, QWidget* computer, QWidget* port) {
    NetworkForm f;
    auto named = [](auto* w, const char* name) {
        w->setObjectName(QLatin1String(name));
        return w;
    };
    f.lblComputer = named(new QLabel(QStringLiteral("Computer Name:"), dialog), "lblComputer");
    f.lblPort = named(new QLabel(QStringLiteral("Port Number:"), dialog), "lblPort");
    f.cmdOK = named(new QPushButton(QStringLiteral("OK"), dialog), "cmdOK");
    f.cmdOK->setDefault(true);
    f.cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), dialog), "cmdCancel");
    f.cmdHelp = named(new QPushButton(QStringLiteral("Help"), dialog), "cmdHelp");

    auto* grid = new QGridLayout;
    grid->addWidget(f.lblComputer, 0, 0);
    grid->addWidget(computer, 0, 1);
    grid->addWidget(f.lblPort, 1, 0);
    grid->addWidget(port, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(f.cmdOK);
    buttons->addWidget(f.cmdCancel);
    buttons->addWidget(f.cmdHelp);
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    return f;
}

} // namespace common
