#include "frmconnections.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "classdatabase.h"
#include "classserver.h"
#include "pictures.h"
#include "platform/dialogs.h"

namespace classserver {

FrmConnections::FrmConnections(ClassServer& server, const QString& dbPath, QWidget* owner)
    : QDialog(owner), server_(server), dbPath_(dbPath) {
    setObjectName(QStringLiteral("frmConnections"));
    setWindowTitle(QStringLiteral("Connections"));
    lvwConnections = new QTreeWidget(this);
    lvwConnections->setObjectName(QStringLiteral("lvwConnections"));
    lvwConnections->setRootIsDecorated(false);
    lvwConnections->setHeaderLabels({QStringLiteral("Client Name"), QStringLiteral("Status")});
    lvwConnections->setColumnWidth(0, 1500 / 15);
    lvwConnections->setColumnWidth(1, 3100 / 15);
    cmdRefresh = new QPushButton(QStringLiteral("Refresh"), this);
    cmdRefresh->setObjectName(QStringLiteral("cmdRefresh"));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    connect(cmdRefresh, &QPushButton::clicked, this, &FrmConnections::cmdRefresh_Click);
    connect(cmdOK, &QPushButton::clicked, this, &FrmConnections::cmdOK_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdRefresh);
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lvwConnections, 1);
    layout->addLayout(buttons);
    resize(360, 300);
    Form_Load();
}

FrmConnections::~FrmConnections() {
    // The answers to questions still out must not reach a dialog that is gone.
    for (int slot : asked_)
        if (!answers_.contains(slot)) server_.cancelRequest(slot);
}

void FrmConnections::Form_Load() {
    lvwConnections->clear();
    {
        DbConnection c(dbPath_);
        QSqlQuery q(c.db());
        q.setForwardOnly(true);
        // What could be read is shown; an unreadable database lists no computers.
        if (c.isOpen() && q.exec(QStringLiteral("SELECT DISTINCT ComputerName FROM Student"))) {
            while (q.next()) {
                auto* item = new QTreeWidgetItem(lvwConnections, {q.value(0).toString(), QString()});
                setConnected(item, false);
            }
        }
    }
    // The questions start once the dialog is up.
    asking_ = true;
    QTimer::singleShot(0, this, [this] {
        asking_ = false;
        startAsking(true);
    });
}

void FrmConnections::setConnected(QTreeWidgetItem* row, bool connected) {
    row->setText(1, connected ? QStringLiteral("Connected") : QStringLiteral("Disconnected"));
    row->setIcon(0, imgConnections(connected ? 1 : 2));
}

QTreeWidgetItem* FrmConnections::row(const QString& computer) const {
    for (int i = 0; i < lvwConnections->topLevelItemCount(); ++i)
        if (lvwConnections->topLevelItem(i)->text(0) == computer) return lvwConnections->topLevelItem(i);
    return nullptr;
}

void FrmConnections::cmdRefresh_Click() {
    if (asking_) return;
    for (int i = 0; i < lvwConnections->topLevelItemCount(); ++i) setConnected(lvwConnections->topLevelItem(i), false);
    startAsking(false);
}

void FrmConnections::cmdOK_Click() { accept(); }

void FrmConnections::startAsking(bool onLoad) {
    if (asking_) return;
    asking_ = true;
    onLoad_ = onLoad;
    asked_.clear();
    answers_.clear();
    settled_ = 0;
    // Every connected program is asked at once, so a silent one costs one time-out in all, not
    // one each; the answers are then told in slot order, as they would be one by one.
    for (int slot = 1; slot <= server_.highestSlot(); ++slot) {
        if (!server_.isConnected(slot)) continue;
        const bool sent = server_.request(slot, QString::fromLatin1(kComputerName),
                                          [this, slot](Reply reply, const QString& name) {
                                              answered(slot, reply == Reply::Answered, name);
                                          });
        if (sent) asked_.push_back(slot);
    }
    settle();
}

void FrmConnections::answered(int slot, bool inTime, const QString& name) {
    answers_.insert(slot, inTime ? name : QString());
    if (inTime)
        if (QTreeWidgetItem* r = row(name)) setConnected(r, true);
    settle();
}

void FrmConnections::settle() {
    // A message box below runs its own event loop, in which further answers come in.
    if (settling_) return;
    settling_ = true;
    while (settled_ < asked_.size() && answers_.contains(asked_[settled_])) {
        const QString name = answers_.value(asked_[settled_++]);
        if (onLoad_ && !name.isEmpty() && !row(name)) {
            platform::Dialogs::instance().messageBox(
                QStringLiteral("There is no record of a computer named ") + name + QStringLiteral("\r\n") +
                    QStringLiteral("Click Refresh, from the View menu, to obtain new information about this computer"),
                platform::OkOnly | platform::Information, QStringLiteral("New Computer Found"), this);
        }
    }
    settling_ = false;
    if (asking_ && settled_ == asked_.size()) {
        asking_ = false;
        emit askingFinished();
    }
}

} // namespace classserver
