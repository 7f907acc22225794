#include "playerdialog.h"

#include "mainwindowseam.h"
#include "passworddialog.h"

#include "platform/dialogs.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tonvale {

namespace {
const PlayerEntry* entryAt(const QVector<PlayerEntry>& players, int index) {
    return index >= 0 && index < players.size() ? &players[index] : nullptr;
}
} // namespace

QStringList PlayerForm::names() const {
    QStringList out;
    for (const PlayerEntry& p : players) out << p.name;
    return out;
}

QString PlayerForm::selectedName() const {
    const PlayerEntry* p = entryAt(players, selected);
    return p ? p->name : QString();
}

void PlayerForm::load() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    players.clear();
    selected = -1;
    profile = ProfileStore::read();
    players = ProfileStore::scanPlayers(profile.text);
    okEnabled = deleteEnabled = viewEnabled = addEnabled = false;
    QApplication::restoreOverrideCursor();

    platform::Dialogs& dialogs = platform::Dialogs::instance();
    if (!profile.usable()) {
        // The file is then never rewritten by this dialog.
        ProfileStore::tellFailure(QStringLiteral("The player file could not be read."), profile.why,
                                  QStringLiteral("It has been left unchanged."), owner_);
        return;
    }
    if (!MainWindowSeam::instance().isMainWindowVisible()) return;
    if (players.isEmpty()) {
        dialogs.messageBox(QStringLiteral("There are no User names in the list.") + common::CRLF +
                               QStringLiteral("Create a new User name for a player then click the Add button.") +
                               common::CRLF +
                               QStringLiteral("Afterwards, You will be asked to create a new password for that User."),
                           platform::Information, QStringLiteral("New Player"), owner_);
    } else {
        clickList(0);
    }
}

void PlayerForm::clickList(int index) {
    selected = entryAt(players, index) ? index : -1;
    if (selected >= 0) {
        okEnabled = deleteEnabled = viewEnabled = true;
    } else {
        okEnabled = deleteEnabled = false;
        viewEnabled = true;
    }
    addEnabled = !nameText.isEmpty();
}

void PlayerForm::changeName(const QString& text) {
    nameText = firstLine(text);
    addEnabled = !nameText.isEmpty();
}

void PlayerForm::clickAdd() {
    for (const PlayerEntry& p : players) {
        if (p.name == nameText) {
            platform::Dialogs::instance().messageBox(QStringLiteral("This name already exists. Please choose another."),
                                                     platform::Information, QStringLiteral("Error"), owner_);
            return;
        }
    }
    const QString typed = nameText;
    const bool listed = !typed.trimmed().isEmpty();
    if (listed) {
        PlayerEntry p;
        p.name = typed;
        players.append(p);
    }
    const QString answer = PasswordDialog::NewPassword(owner_);
    // Cancelled: the player stays listed without a password.
    if (listed && answer != kCancelSentinel) {
        players.last().hasPassword = true;
        players.last().password = answer;
    }
    addEnabled = false;
    nameText.clear();
}

void PlayerForm::clickDelete() {
    PlayerSession& session = PlayerSession::instance();
    const QVector<PlayerEntry> before = players;
    QString deleted;
    session.PlayerName = selectedName();
    QString answer = PasswordDialog::GetPassword(owner_);
    if (const PlayerEntry* p = entryAt(players, selected)) {
        auto matches = [&](const QString& a) {
            return a.compare(p->password, Qt::CaseInsensitive) == 0 || a.compare(kMasterPassword, Qt::CaseInsensitive) == 0;
        };
        while (answer != kCancelSentinel && !matches(answer)) {
            platform::Dialogs::instance().messageBox(QStringLiteral("Wrong Password, try again."), platform::Exclamation,
                                                     QStringLiteral("Password Verification Failure"), owner_);
            answer = PasswordDialog::GetPassword(owner_);
        }
        if (answer != kCancelSentinel) {
            deleted = p->name;
            players.removeAt(selected);
            selected = -1;
        } else {
            platform::Dialogs::instance().messageBox(
                QStringLiteral("You don't have sufficient permission to delete this user profile."),
                platform::Exclamation, QStringLiteral("Password Verification Failure"), owner_);
        }
    }
    if (!saveList(deleted) && !deleted.isEmpty()) {
        players = before;  // still in the file, so still in the list
    }
    deleteEnabled = false;
    viewEnabled = false;
    if (nameText.isEmpty()) okEnabled = false;
    session.PlayerName.clear();
    MainWindowSeam::instance().selectFrame(0);
}

void PlayerForm::clickOk() {
    const PlayerEntry* p = entryAt(players, selected);
    if (!p) return;
    PlayerSession& session = PlayerSession::instance();
    session.PlayerName = p->name;
    QString answer = PasswordDialog::GetPassword(owner_);
    while (answer != kCancelSentinel && answer.compare(p->password, Qt::CaseInsensitive) != 0) {
        platform::Dialogs::instance().messageBox(QStringLiteral("Wrong Password, try again."), platform::Exclamation,
                                                 QStringLiteral("Password Verification Failure"), owner_);
        answer = PasswordDialog::GetPassword(owner_);
    }
    if (answer == kCancelSentinel) {
        session.PlayerName.clear();
        return;
    }
    // A player who is not in the file yet logs in only once written.
    const bool inFile = !p->block.isEmpty();
    if (!saveList(QString()) && !inFile) {
        session.PlayerName.clear();
        return;
    }
    session.PlayerPassword = answer;
    closed = accepted = true;
}

void PlayerForm::clickCancel() {
    closed = true;
    accepted = false;
}

bool PlayerForm::SaveProfiles() {
    if (!ProfileStore::SaveProfiles(profile, players, &lastFailure_)) return false;
    lastFailure_.clear();
    // The players added here are in the file now.
    for (PlayerEntry& p : players)
        if (p.block.isEmpty()) p.block = ProfileStore::newBlock(p.name, p.hasPassword, p.password);
    return true;
}

bool PlayerForm::saveList(const QString& deleted) {
    QStringList added;
    for (const PlayerEntry& p : players)
        if (p.block.isEmpty()) added << QLatin1Char('"') + p.name + QLatin1Char('"');
    if (SaveProfiles()) return true;
    QStringList what;
    if (!deleted.isEmpty()) what << QStringLiteral("The player \"%1\" could not be deleted.").arg(deleted);
    if (added.size() == 1) what << QStringLiteral("The player %1 could not be created.").arg(added[0]);
    if (added.size() > 1) what << QStringLiteral("The players %1 could not be created.").arg(added.join(QStringLiteral(", ")));
    if (what.isEmpty()) what << QStringLiteral("The player list could not be saved.");
    ProfileStore::tellFailure(what.join(common::CRLF), lastFailure_, QStringLiteral("The player file has been left unchanged."),
                              owner_);
    return false;
}

// ---- The window ----------------------------------------------------------------------------

PlayerDialog::PlayerDialog(QWidget* owner) : QDialog(owner), form_(this) {
    setObjectName(QStringLiteral("frmPlayer"));
    setWindowTitle(QStringLiteral("Player"));
    setModal(true);

    auto* choose = new QLabel(QStringLiteral("Choose a player from the list below."), this);
    lbxNames_ = new QListWidget(this);
    lbxNames_->setObjectName(QStringLiteral("lbxNames"));
    lbxNames_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* addLabel = new QLabel(QStringLiteral("Add New Player:"), this);
    txtName_ = new QLineEdit(this);
    txtName_->setObjectName(QStringLiteral("txtName"));
    auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        return b;
    };
    cmdAdd_ = button("cmdAdd", "Add");
    cmdDelete_ = button("cmdDelete", "Delete");
    cmdOK_ = button("cmdOK", "OK");
    cmdOK_->setDefault(true);
    cmdCancel_ = button("cmdCancel", "Cancel");
    auto* report = new QGroupBox(QStringLiteral("Report"), this);
    report->setObjectName(QStringLiteral("fraReport"));
    cmdReport_ = button("cmdReport", "View");
    cmdCustReport_ = button("cmdCustReport", "Customize");
    auto* reportLayout = new QVBoxLayout(report);
    reportLayout->addWidget(cmdReport_);
    reportLayout->addWidget(cmdCustReport_);

    auto* grid = new QGridLayout(this);
    grid->addWidget(choose, 0, 0);
    grid->addWidget(lbxNames_, 1, 0, 4, 1);
    grid->addWidget(cmdOK_, 1, 1);
    grid->addWidget(cmdCancel_, 2, 1);
    grid->addWidget(cmdDelete_, 3, 1);
    grid->addWidget(report, 4, 1);
    grid->addWidget(addLabel, 5, 0);
    grid->addWidget(txtName_, 6, 0);
    grid->addWidget(cmdAdd_, 6, 1);

    connect(lbxNames_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (refreshing_) return;
        form_.clickList(row);
        after();
    });
    // A click on the name already highlighted selects it again (currentRowChanged stays quiet).
    connect(lbxNames_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (refreshing_) return;
        form_.clickList(lbxNames_->row(item));
        after();
    });
    connect(txtName_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (refreshing_) return;
        form_.changeName(text);
        after();
    });
    connect(cmdAdd_, &QPushButton::clicked, this, [this] { form_.clickAdd(); after(); });
    connect(cmdDelete_, &QPushButton::clicked, this, [this] { form_.clickDelete(); after(); });
    connect(cmdOK_, &QPushButton::clicked, this, [this] { form_.clickOk(); after(); });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { form_.clickCancel(); after(); });
    connect(cmdReport_, &QPushButton::clicked, this,
            [this] { MainWindowSeam::instance().showPlayerReport(form_.selectedName(), this); });
    connect(cmdCustReport_, &QPushButton::clicked, this, [this] { MainWindowSeam::instance().customizeReport(this); });
    refresh();
}

void PlayerDialog::refresh() {
    refreshing_ = true;
    const QStringList names = form_.names();
    QStringList shown;
    for (int i = 0; i < lbxNames_->count(); ++i) shown << lbxNames_->item(i)->text();
    if (shown != names) {
        lbxNames_->clear();
        lbxNames_->addItems(names);
    }
    lbxNames_->setCurrentRow(form_.selected);
    if (form_.selected < 0) lbxNames_->clearSelection();
    if (txtName_->text() != form_.nameText) txtName_->setText(form_.nameText);
    cmdOK_->setEnabled(form_.okEnabled);
    cmdDelete_->setEnabled(form_.deleteEnabled);
    cmdAdd_->setEnabled(form_.addEnabled);
    cmdReport_->setEnabled(form_.viewEnabled);
    refreshing_ = false;
}

void PlayerDialog::after() {
    refresh();
    if (!form_.closed) return;
    if (form_.accepted) {
        accept();
    } else {
        QDialog::reject();
    }
}

void PlayerDialog::reject() {
    form_.clickCancel();
    after();
}

void PlayerDialog::load() {
    form_.load();
    refresh();
}

bool PlayerDialog::showPlayerDialog(QWidget* owner) {
    PlayerDialog dialog(owner);
    dialog.load();
    platform::Dialogs::instance().runModal(dialog);
    return dialog.form().accepted;
}

} // namespace tonvale
