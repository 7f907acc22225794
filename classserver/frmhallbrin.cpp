#include "frmhallbrin.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLocale>
#include <QMenuBar>
#include <QMouseEvent>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTextDocument>
#include <QToolBar>

#include "classdatabase.h"
#include "classreport.h"
#include "classserver.h"
#include "common/about/frmabout.h"
#include "common/helpwindow.h"
#include "common/report/reportpreview.h"
#include "common/storedtext/storedtext.h"
#include "frmclass.h"
#include "frmconfig.h"
#include "frmconnections.h"
#include "pictures.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "profileimport.h"
#include "reportoptions.h"
#include "roster.h"
#include "serverconfig.h"

namespace classserver {
namespace {

const QString kDatabaseFilter = QStringLiteral("(*.mdb)|*.mdb");

common::AboutText hallbrinAbout() {
    const QString CRLF = common::CRLF;
    common::AboutText about;
    about.title = QStringLiteral("Hallbrin");
    about.major = 2;
    about.minor = 3;
    about.revision = 0;
    about.description = QStringLiteral("Hallbrin Version 2.3") + CRLF + QStringLiteral("The class server for Tonvale") +
                        CRLF + QStringLiteral("Copyright (C) the Tonvale authors.") + CRLF +
                        QStringLiteral("All rights reserved.");
    about.disclaimer = CRLF + QStringLiteral("Warning: this computer program is protected by copyright law") + CRLF +
                       QStringLiteral("and international treaties. Unauthorized reproduction or") + CRLF +
                       QStringLiteral("distribution of this program, or any portion of it, may result") + CRLF +
                       QStringLiteral("in severe civil and criminal penalties, and will be prosecuted") + CRLF +
                       QStringLiteral("to the maximum extent possible under the law.") + CRLF +
                       QStringLiteral("Classroom copies are licensed per site.");
    about.icon = hallbrinEmblem(QSize(96, 60));
    return about;
}

QString count(int n, const char* one, const char* many) {
    return QLocale().toString(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

// Where work that was not saved went, and how to get it back.
QString keptNotice(const QString& what, const QString& path) {
    return what + QStringLiteral(" It is kept in\n%1\nOpen it with File > Open... and keep it with File > Save As...")
                      .arg(path);
}

} // namespace

frmHallbrin::frmHallbrin(const Options& options, QWidget* parent)
    : QMainWindow(parent), options_(options) {
    setObjectName(QStringLiteral("frmHallbrin"));
    setWindowTitle(QStringLiteral("Hallbrin 2.1"));
    dataFolder_ = options.dataFolder.isEmpty() ? platform::Paths::dataFolder() : options.dataFolder;
    shareFolder_ = options.shareFolder.isEmpty() ? platform::Paths::shareFolder() : options.shareFolder;
    openHelp = [this](const QString& page) {
        const QFileInfo file(page);
        common::HelpWindow::showPage(file.absolutePath(), file.fileName(), QStringLiteral("Hallbrin Help"), this);
    };

    server_ = new ClassServer(this);
    poll_ = new ClassPoll(*server_, this);
    connect(poll_, &ClassPoll::finished, this, &frmHallbrin::pollDone);
    connect(poll_, &ClassPoll::progress, this, &frmHallbrin::pollProgress);
    connect(server_, &ClassServer::shutdownFinished, this, [this] {
        mayClose_ = true;
        close();
    });

    tvwLesson = new RosterTree(this);
    tvwLesson->setObjectName(QStringLiteral("tvwLesson"));
    tvwLesson->setContextMenuPolicy(Qt::CustomContextMenu);
    tvwLesson->onDrop = [this](QTreeWidgetItem* dragged, QTreeWidgetItem* target) { moveStudent(dragged, target); };
    connect(tvwLesson, &QTreeWidget::currentItemChanged, this, [this] {
        if (!rebuilding_) tvwLesson_NodeClick();
    });
    connect(tvwLesson, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        // The popup edits or reports on the selected class.
        if (nodeTag(tvwLesson->currentItem()) == QLatin1String("class"))
            mnuPopup->popup(tvwLesson->viewport()->mapToGlobal(at));
    });
    connect(tvwLesson, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* n) {
        if (!rebuilding_) collapsed_.insert(nodeKey(n));
    });
    connect(tvwLesson, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* n) {
        if (!rebuilding_) collapsed_.remove(nodeKey(n));
    });
    lvwLesson = new QTreeWidget(this);
    lvwLesson->setObjectName(QStringLiteral("lvwLesson"));
    lvwLesson->setRootIsDecorated(false);
    lvwLesson->setUniformRowHeights(true);
    lvwLesson->setHeaderLabels({QString()});  // the list sets its columns by what it shows
    lvwLesson->viewport()->installEventFilter(this);
    splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("picSplit"));
    splitter->addWidget(tvwLesson);
    splitter->addWidget(lvwLesson);
    splitter->setChildrenCollapsible(false);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});
    setCentralWidget(splitter);

    buildMenus();
    buildToolbar();
    statusBar()->setObjectName(QStringLiteral("sbStatus"));
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &frmHallbrin::mnuHelpContents_Click);
    stopPoll_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    stopPoll_->setEnabled(false);
    connect(stopPoll_, &QShortcut::activated, this, &frmHallbrin::stopPolling);
    resize(900, 600);
}

frmHallbrin::~frmHallbrin() {
    if (rptStudentScores) delete rptStudentScores.data();
    poll_->abort();
    setPolling(false);
}

void frmHallbrin::buildMenus() {
    QMenuBar* bar = menuBar();
    auto item = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    auto separator = [](QMenu* menu, const char* name) {
        QAction* a = menu->addSeparator();
        a->setObjectName(QLatin1String(name));
        return a;
    };

    mnuFile = bar->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileNew = item(mnuFile, "mnuFileNew", QStringLiteral("&New"));
    mnuFileOpen = item(mnuFile, "mnuFileOpen", QStringLiteral("&Open..."));
    mnuFileSave = item(mnuFile, "mnuFileSave", QStringLiteral("&Save..."));
    mnuFileSaveAs = item(mnuFile, "mnuFileSaveAs", QStringLiteral("Save &As..."));
    space1 = separator(mnuFile, "space1");
    mnuFilePageSetup = item(mnuFile, "mnuFilePageSetup", QStringLiteral("Page Set&up"));
    mnuFilePreview = item(mnuFile, "mnuFilePreview", QStringLiteral("Print Pre&view"));
    mnuFilePrint = item(mnuFile, "mnuFilePrint", QStringLiteral("&Print"));
    space2 = separator(mnuFile, "space2");
    mnuFileExit = item(mnuFile, "mnuFileExit", QStringLiteral("&Exit"));
    for (QAction* hidden : {space1, mnuFilePageSetup, mnuFilePreview, mnuFilePrint}) hidden->setVisible(false);

    mnuEdit = bar->addMenu(QStringLiteral("&Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuEditEdit = item(mnuEdit, "mnuEditEdit", QStringLiteral("&Edit..."));
    mnuEditEdit->setEnabled(false);  // the list enables it while a class is shown

    mnuView = bar->addMenu(QStringLiteral("&View"));
    mnuView->setObjectName(QStringLiteral("mnuView"));
    mnuViewConnections = item(mnuView, "mnuViewConnections", QStringLiteral("&Connections..."));
    mnuViewReport = item(mnuView, "mnuViewReport", QStringLiteral("Re&port..."));
    space3 = separator(mnuView, "space3");
    mnuRefresh = item(mnuView, "mnuRefresh", QStringLiteral("&Refresh!"));

    mnuConfig = bar->addMenu(QStringLiteral("&Configure"));
    mnuConfig->setObjectName(QStringLiteral("mnuConfig"));
    mnuConfigNetwork = item(mnuConfig, "mnuConfigNetwork", QStringLiteral("&Network..."));
    mnuConfigReport = item(mnuConfig, "mnuConfigReport", QStringLiteral("Customize &Report..."));
    mnuConfigClass = item(mnuConfig, "mnuConfigClass", QStringLiteral("&Classroom"));
    mnuConfigClass->setVisible(false);

    mnuGetData = bar->addAction(QStringLiteral("&Get Data!"));
    mnuGetData->setObjectName(QStringLiteral("mnuGetData"));
    mnuGetData->setVisible(false);

    mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpContents = item(mnuHelp, "mnuHelpContents", QStringLiteral("&Help Contents..."));
    space4 = separator(mnuHelp, "space4");
    mnuHelpAbout = item(mnuHelp, "mnuHelpAbout", QStringLiteral("&About..."));

    // Shown only at the pointer, never in the menu bar.
    mnuPopup = new QMenu(QStringLiteral("Popup"), this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    mnuPopupEdit = item(mnuPopup, "mnuPopupEdit", QStringLiteral("&Edit..."));
    mnuPopupReport = item(mnuPopup, "mnuPopupReport", QStringLiteral("Re&port..."));

    connect(mnuFileNew, &QAction::triggered, this, &frmHallbrin::mnuFileNew_Click);
    connect(mnuFileOpen, &QAction::triggered, this, &frmHallbrin::mnuFileOpen_Click);
    connect(mnuFileSave, &QAction::triggered, this, &frmHallbrin::mnuFileSave_Click);
    connect(mnuFileSaveAs, &QAction::triggered, this, [this] { mnuFileSaveAs_Click(); });
    connect(mnuFileExit, &QAction::triggered, this, &frmHallbrin::mnuFileExit_Click);
    connect(mnuEditEdit, &QAction::triggered, this, &frmHallbrin::mnuEditEdit_Click);
    connect(mnuViewConnections, &QAction::triggered, this, &frmHallbrin::mnuViewConnections_Click);
    connect(mnuViewReport, &QAction::triggered, this, &frmHallbrin::mnuViewReport_Click);
    connect(mnuRefresh, &QAction::triggered, this, &frmHallbrin::mnuRefresh_Click);
    connect(mnuConfigNetwork, &QAction::triggered, this, &frmHallbrin::mnuConfigNetwork_Click);
    connect(mnuConfigReport, &QAction::triggered, this, &frmHallbrin::mnuConfigReport_Click);
    connect(mnuHelpContents, &QAction::triggered, this, &frmHallbrin::mnuHelpContents_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmHallbrin::mnuHelpAbout_Click);
    connect(mnuPopupEdit, &QAction::triggered, this, &frmHallbrin::mnuEditEdit_Click);
    connect(mnuPopupReport, &QAction::triggered, this, &frmHallbrin::mnuViewReport_Click);
}

void frmHallbrin::buildToolbar() {
    Toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setIconSize(QSize(16, 16));
    struct Button { const char* key; int picture; const char* tip; };
    const Button buttons[] = {
        {"New", 14, "New class database"},
        {"Open", 15, "Open a class database"},
        {"Save", 16, "Save the class database"},
        {"", 0, ""},
        {"Report", 17, "Class score report"},
    };
    for (const Button& b : buttons) {
        QAction* a = nullptr;
        if (b.picture) {
            a = Toolbar1->addAction(imgLessons(b.picture), QLatin1String(b.tip));
        } else {
            a = Toolbar1->addSeparator();  // the button without key or action only spaces the others
        }
        a->setData(QLatin1String(b.key));
        a->setObjectName(QStringLiteral("Toolbar1_") + (*b.key ? QLatin1String(b.key) : QLatin1String("Button4")));
        toolbarButtons << a;
    }
    connect(Toolbar1, &QToolBar::actionTriggered, this, &frmHallbrin::Toolbar1_ButtonClick);
}

void frmHallbrin::Toolbar1_ButtonClick(QAction* button) {
    const QString key = button->data().toString();
    if (key == QLatin1String("New")) mnuFileNew_Click();
    else if (key == QLatin1String("Open")) mnuFileOpen_Click();
    else if (key == QLatin1String("Save")) mnuFileSave_Click();
    else if (key == QLatin1String("Report")) mnuViewReport_Click();
}

QString frmHallbrin::workingCopyPath() const { return dataFolder_ + "/" + kWorkingCopyName; }
QString frmHallbrin::serverConfigPath() const { return dataFolder_ + "/" + kServerConfigFile; }
QString frmHallbrin::reportConfigPath() const { return dataFolder_ + "/" + kReportConfigFile; }
QString frmHallbrin::helpPage() const { return shareFolder_ + QStringLiteral("/help/hallbrin.html"); }
bool frmHallbrin::isWorkingCopy() const { return DatabasePath == workingCopyPath(); }

quint16 frmHallbrin::listeningPort() const { return server_->isListening() ? server_->port() : 0; }

void frmHallbrin::showMessage(const QString& text, const QString& title) {
    platform::Dialogs::instance().messageBox(text, platform::OkOnly | platform::Exclamation, title, this);
}

void frmHallbrin::Form_Load() {
    QString why, backup, kept;
    const bool made = makeWorkingCopy(shareFolder_ + "/" + kTemplateName, workingCopyPath(), &why, &backup, &kept);
    DatabasePath = workingCopyPath();

    UpdateTreeView();
    UpdateListView();

    // Listening comes before anything is said: student programs that start meanwhile connect
    // once and do not try again.
    const quint16 port = options_.port ? *options_.port : quint16(readServerPort(serverConfigPath()));
    const ListenResult listening = server_->listen(port, options_.address);
    if (!made) showMessage(why, QStringLiteral("Class Database"));
    if (!backup.isEmpty()) showMessage(backup, QStringLiteral("Class Database"));
    if (!kept.isEmpty())
        showMessage(keptNotice(QStringLiteral("The work of the last session was not saved."), kept),
                    QStringLiteral("Class Database"));
    tellListening(listening, port);
}

void frmHallbrin::tellListening(ListenResult result, quint16 port) {
    switch (result) {
    case ListenResult::Listening:
        return;
    case ListenResult::PortInUse:
        showMessage(QStringLiteral("Port in use. Please choose another."), QStringLiteral("Connection Error"));
        mnuConfigNetwork_Click();
        return;
    case ListenResult::Failed:
        showMessage(QStringLiteral("Unable to listen on port ") + QString::number(port), QStringLiteral("Connection Error"));
        return;
    }
}

// ---- Roster --------------------------------------------------------------------------------

void frmHallbrin::UpdateTreeView() {
    QString key = QStringLiteral("PRoot");
    qint64 student = 0;
    if (QTreeWidgetItem* selected = tvwLesson->currentItem()) {
        key = nodeKey(selected);
        student = nodeStudentId(selected);
    }
    rebuilding_ = true;
    tvwLesson->setUpdatesEnabled(false);
    tvwLesson->setDropHighlight(nullptr);
    tvwLesson->clear();
    QTreeWidgetItem* root = addRosterNodes(tvwLesson, DatabasePath);
    for (QTreeWidgetItemIterator it(tvwLesson); *it; ++it)
        if ((*it)->childCount() > 0 && !collapsed_.contains(nodeKey(*it))) (*it)->setExpanded(true);
    QTreeWidgetItem* selected = tvwLesson->findNode(key, student);
    if (!selected) selected = root;
    tvwLesson->setCurrentItem(selected);
    tvwLesson->setUpdatesEnabled(true);
    tvwLesson->scrollToItem(selected);
    rebuilding_ = false;
    applyReportRule();
}

void frmHallbrin::UpdateListView() {
    tvwLesson->setDropHighlight(nullptr);
    lvwLesson->setUpdatesEnabled(false);
    lvwLesson->clear();
    const QTreeWidgetItem* node = tvwLesson->currentItem();
    const QString tag = nodeTag(node);
    setRosterColumns(lvwLesson, tag);
    if (node) fillRosterList(lvwLesson, node, DatabasePath);
    lvwLesson->setUpdatesEnabled(true);
    mnuEditEdit->setEnabled(tag == QLatin1String("class"));
}

void frmHallbrin::tvwLesson_NodeClick() {
    applyReportRule();
    UpdateListView();
}

// The report commands act on a class: the selected one, or the selected student's.
void frmHallbrin::applyReportRule() {
    const QString tag = nodeTag(tvwLesson->currentItem());
    const bool on = tag == QLatin1String("class") || tag == QLatin1String("student");
    mnuViewReport->setEnabled(on);
    toolbarButtons.at(4)->setEnabled(on);
    mnuPopupReport->setEnabled(on);
    mnuConfigReport->setEnabled(on);
}

bool frmHallbrin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lvwLesson->viewport() && event->type() == QEvent::MouseButtonPress) {
        // A click in the list of a product makes its classes editable.
        const bool product = nodeTag(tvwLesson->currentItem()) == QLatin1String("product");
        mnuEditEdit->setEnabled(product);
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (product && mouse->button() == Qt::RightButton) {
            if (QTreeWidgetItem* row = lvwLesson->itemAt(mouse->position().toPoint())) lvwLesson->setCurrentItem(row);
            mnuPopup->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmHallbrin::moveStudent(QTreeWidgetItem* dragged, QTreeWidgetItem* target) {
    auto finish = [this] {
        UpdateListView();
        applyReportRule();
    };
    const QString tag = nodeTag(dragged);
    if (!dragged || !target || tag == QLatin1String("root") || tag == QLatin1String("product")) return finish();
    // Only into a class of the dragged node's own product.
    QTreeWidgetItem* product = dragged->parent() ? dragged->parent()->parent() : nullptr;
    if (!target->parent() || target->parent() != product) return finish();
    if (dragged == target) return finish();
    if (tag != QLatin1String("student") || nodeTag(target) != QLatin1String("class")) return finish();

    const int classId = nodeClassId(target);
    if (nodeClassId(dragged) != classId) {
        QString why;
        if (!setStudentClass(DatabasePath, nodeStudentId(dragged), classId, &why)) {
            showMessage(QStringLiteral("%1 could not be moved: %2").arg(dragged->text(0), why),
                        QStringLiteral("Class Database"));
            return finish();
        }
        DataChanged = true;
    }
    rebuilding_ = true;
    dragged->parent()->removeChild(dragged);
    target->addChild(dragged);
    dragged->setData(0, ClassIdRole, classId);
    target->setExpanded(true);
    tvwLesson->setCurrentItem(dragged);
    rebuilding_ = false;
    finish();
}

// ---- Poll ----------------------------------------------------------------------------------

// While a poll runs nothing may replace, rename or save the database it writes into; Refresh!
// (and Esc) stop it, and Exit and the window's close stop it before they go on.
void frmHallbrin::setPolling(bool polling) {
    if (polling == polling_) return;
    polling_ = polling;
    if (polling) QApplication::setOverrideCursor(Qt::BusyCursor);
    else QApplication::restoreOverrideCursor();
    for (QAction* a : {mnuFileNew, mnuFileOpen, mnuFileSave, mnuFileSaveAs, mnuViewConnections, toolbarButtons.at(0),
                       toolbarButtons.at(1), toolbarButtons.at(2)})
        a->setEnabled(!polling);
    stopPoll_->setEnabled(polling);
}

void frmHallbrin::mnuRefresh_Click() {
    if (shutdownStarted_) return;
    if (poll_->isRunning()) {
        stopPolling();
        return;
    }
    setPolling(true);
    statusBar()->showMessage(QStringLiteral("Refreshing..."));
    poll_->start(DatabasePath);
}

// The teacher stops waiting: what has come is imported, the rest is not waited for. Once
// only imports are left, a second stop ends those too.
void frmHallbrin::stopPolling() {
    if (poll_->isRunning() && !poll_->stopWaiting()) poll_->cancel();
}

void frmHallbrin::pollProgress(int answered, int asked) {
    if (polling_ && asked > 0)
        statusBar()->showMessage(
            QStringLiteral("Refreshing: %1 of %2 answered").arg(QLocale().toString(answered), QLocale().toString(asked)));
}

void frmHallbrin::pollDone(const PollReport& report) {
    UpdateTreeView();
    UpdateListView();
    DataChanged = !clearChangedAfterPoll_;
    clearChangedAfterPoll_ = false;
    setPolling(false);

    QString status = (report.cancelled ? QStringLiteral("Refresh stopped: ") : QStringLiteral("Refresh: ")) +
                     QStringLiteral("%1 of %2 answered; %3 imported")
                         .arg(QLocale().toString(report.answered), count(report.asked, "program", "programs"),
                              count(report.players, "player", "players"));
    if (report.playersSkipped > 0) status += QStringLiteral("; ") + count(report.playersSkipped, "player", "players") + QStringLiteral(" skipped");
    if (!report.silent.isEmpty()) {
        // Several programs of one computer are named once.
        QStringList names;
        for (const QString& name : report.silent)
            if (!names.contains(name)) names << name;
        for (QString& name : names)
            if (const int n = int(report.silent.count(name)); n > 1) name += QStringLiteral(" (%1)").arg(n);
        status += QStringLiteral("; no answer from ") + names.join(QStringLiteral(", "));
    }
    status += QLatin1Char('.');
    for (const PollReport::Note& n : report.overLimit)
        status += QStringLiteral(" %1 sent more than %2 players: %3 not read.")
                      .arg(n.computer, QLocale().toString(kMaxPlayersPerProfile), QLocale().toString(n.count));
    for (const PollReport::Note& n : report.failures)
        status += QStringLiteral(" Nothing of %1 was imported.").arg(n.computer.isEmpty() ? QStringLiteral("one program") : n.computer);
    statusBar()->showMessage(status);
    if (!report.failures.isEmpty()) {
        QString text = QStringLiteral("The results of these student programs could not be imported:");
        for (const PollReport::Note& n : report.failures)
            text += QStringLiteral("\n%1: %2").arg(n.computer.isEmpty() ? QStringLiteral("(no name)") : n.computer, n.error);
        showMessage(text, QStringLiteral("Refresh"));
    }
    emit pollFinished(report);
}

// ---- Documents -----------------------------------------------------------------------------

QString frmHallbrin::rootText() const {
    QTreeWidgetItem* root = tvwLesson->topLevelItemCount() ? tvwLesson->topLevelItem(0) : nullptr;
    return root ? root->text(0) : QFileInfo(DatabasePath).fileName();
}

void frmHallbrin::setRootText(const QString& path) {
    if (tvwLesson->topLevelItemCount()) tvwLesson->topLevelItem(0)->setText(0, QFileInfo(path).fileName());
}

bool frmHallbrin::offerToSave() {
    if (!isWorkingCopy() || !DataChanged) return true;
    const int answer = platform::Dialogs::instance().messageBox(QStringLiteral("Do you want to Save ") + rootText(),
                                                                platform::YesNo, QStringLiteral("Save File"), this);
    return answer != platform::AnsYes || mnuFileSaveAs_Click();
}

// A database name from the file dialog, with ".mdb" added to a name typed without one; empty
// when the dialog was cancelled or the instructor keeps an existing file.
QString frmHallbrin::askDatabaseName(bool save) {
    platform::Dialogs& dialogs = platform::Dialogs::instance();
    const QString folder = QFileInfo(DatabasePath).absolutePath();
    QString path = save ? dialogs.saveFileName(QStringLiteral("Save As"), kDatabaseFilter, folder, this)
                        : dialogs.openFileName(QStringLiteral("Open"), kDatabaseFilter, folder, this);
    if (path.isEmpty()) return QString();
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".mdb");
        // The dialog asked about the name as typed, not about this one.
        if (save && QFileInfo::exists(path) &&
            dialogs.messageBox(QFileInfo(path).fileName() + QStringLiteral(" already exists.\nDo you want to replace it?"),
                               platform::YesNo | platform::Exclamation, QStringLiteral("Save As"),
                               this) != platform::AnsYes)
            return QString();
    }
    return QFileInfo(path).absoluteFilePath();
}

void frmHallbrin::mnuFileNew_Click() {
    if (polling_ || shutdownStarted_) return;
    if (!offerToSave()) return;
    QString why, backup, kept;
    if (!makeWorkingCopy(shareFolder_ + "/" + kTemplateName, workingCopyPath(), &why, &backup, &kept)) {
        showMessage(why + QStringLiteral("\nThe class database stays as it is."), QStringLiteral("New"));
        return;
    }
    if (!backup.isEmpty()) showMessage(backup, QStringLiteral("New"));
    if (!kept.isEmpty())
        showMessage(keptNotice(QStringLiteral("The work in default.mdb was not saved."), kept), QStringLiteral("New"));
    DatabasePath = workingCopyPath();
    setRootText(DatabasePath);
    clearChangedAfterPoll_ = true;
    mnuRefresh_Click();
}

void frmHallbrin::mnuFileOpen_Click() {
    if (polling_ || shutdownStarted_) return;
    if (!offerToSave()) return;
    const QString path = askDatabaseName(false);
    if (path.isEmpty()) return;
    QString why;
    if (sameFile(path, workingCopyPath())) {
        showMessage(QStringLiteral("%1 is the class server's working copy. Open a class database saved under a "
                                   "name of its own.")
                        .arg(QFileInfo(path).fileName()),
                    QStringLiteral("Open"));
        return;
    }
    if (!isClassDatabase(path, &why)) {
        showMessage(QStringLiteral("%1 cannot be opened as a class database.\n%2").arg(QFileInfo(path).fileName(), why),
                    QStringLiteral("Open"));
        return;
    }
    if (isWorkingCopy()) {
        // What was not saved is kept aside before the working copy goes; a copy that cannot be
        // kept stays where it is, and the next start or New keeps it.
        QString warning;
        const QString kept = keepWorkingCopy(workingCopyPath(), shareFolder_ + "/" + kTemplateName, &warning);
        if (!warning.isEmpty()) {
            showMessage(warning, QStringLiteral("Open"));
        } else {
            if (!kept.isEmpty())
                showMessage(keptNotice(QStringLiteral("The work in default.mdb was not saved."), kept),
                            QStringLiteral("Open"));
            removeDatabaseFiles(workingCopyPath());
        }
    }
    DatabasePath = path;
    setRootText(DatabasePath);
    clearChangedAfterPoll_ = true;
    mnuRefresh_Click();
}

void frmHallbrin::mnuFileSave_Click() {
    if (isWorkingCopy()) mnuFileSaveAs_Click();
}

bool frmHallbrin::mnuFileSaveAs_Click() {
    if (polling_) return false;
    const QString target = askDatabaseName(true);
    if (target.isEmpty()) return false;
    if (sameFile(target, workingCopyPath())) {
        showMessage(QStringLiteral("%1 is the class server's working copy, which the next start replaces. Choose "
                                   "another name.")
                        .arg(QFileInfo(target).fileName()),
                    QStringLiteral("Save As"));
        return false;
    }
    if (!sameFile(target, DatabasePath)) {
        QString why;
        if (!copyDatabase(DatabasePath, target, &why)) {
            showMessage(QStringLiteral("The class database could not be saved as %1.\n%2").arg(target, why),
                        QStringLiteral("Save As"));
            return false;
        }
        // Saved under its name, the working copy is gone until New or the next start.
        if (isWorkingCopy()) removeDatabaseFiles(workingCopyPath());
    }
    DatabasePath = target;
    setRootText(DatabasePath);
    return true;
}

void frmHallbrin::mnuFileExit_Click() {
    if (poll_->isRunning()) poll_->cancel();
    if (!offerToSave()) return;
    close();
}

void frmHallbrin::closeEvent(QCloseEvent* event) {
    if (mayClose_) {
        event->accept();
        return;
    }
    event->ignore();
    if (shutdownStarted_) return;
    // Every imported client is whole (one transaction each); the rest are not asked. Should the
    // close be cancelled, the views and the status bar show what was imported.
    if (poll_->isRunning()) poll_->cancel();
    if (isWorkingCopy() && DataChanged) {
        const int answer = platform::Dialogs::instance().messageBox(
            QStringLiteral("Do you want to Save ") + rootText(), platform::YesNoCancel, QStringLiteral("Save File"), this);
        if (answer == platform::AnsCancel) return;
        if (answer == platform::AnsYes && !mnuFileSaveAs_Click()) return;
    }
    shutdownStarted_ = true;
    if (rptStudentScores) rptStudentScores->close();
    for (QAction* a : menuBar()->actions()) a->setEnabled(false);
    Toolbar1->setEnabled(false);
    server_->beginShutdown();
}

// ---- Dialogs -------------------------------------------------------------------------------

void frmHallbrin::mnuEditEdit_Click() {
    QTreeWidgetItem* selected = tvwLesson->currentItem();
    const QString tag = nodeTag(selected);
    int classId = -1;
    QString product;
    if (tag == QLatin1String("class")) {
        classId = nodeClassId(selected);
        product = selected->parent() ? selected->parent()->text(0) : QString();
    } else if (tag == QLatin1String("product")) {
        // The class of the list's chosen row.
        QTreeWidgetItem* row = lvwLesson->currentItem();
        if (!row) return;
        classId = row->data(0, ClassIdRole).toInt();
        product = selected->text(0);
    } else {
        return;
    }
    FrmClass dialog(DatabasePath, classId, product, this);
    if (platform::Dialogs::instance().runModal(dialog) != QDialog::Accepted) return;
    DataChanged = true;
    UpdateListView();
}

void frmHallbrin::mnuViewConnections_Click() {
    if (polling_) return;
    FrmConnections dialog(*server_, DatabasePath, this);
    platform::Dialogs::instance().runModal(dialog);
}

QTreeWidgetItem* frmHallbrin::reportClassNode() const {
    QTreeWidgetItem* selected = tvwLesson->currentItem();
    const QString tag = nodeTag(selected);
    if (tag == QLatin1String("class")) return selected;
    if (tag == QLatin1String("student")) return selected->parent();
    return nullptr;
}

void frmHallbrin::mnuViewReport_Click() {
    QTreeWidgetItem* cls = reportClassNode();
    if (!cls) return;
    QString text;
    common::ReadTextFile(reportConfigPath(), text);
    if (text.isEmpty()) {
        text = defaultReportText();
        if (!common::WriteTextFile(reportConfigPath(), text))
            statusBar()->showMessage(QStringLiteral("Report.cfg could not be written."));
    }
    const ClassOptions options = findClassOptions(text, cls->text(0));
    ReportFilter filter;
    filter.level = options.hasLevel ? options.level : QString();
    filter.lessonFilter = options.anyLesson;
    filter.lessons = options.lessons;
    ReportLevel = filter.level;

    ClassReport report;
    QString why;
    if (!loadClassReport(DatabasePath, nodeClassId(cls), filter, &report, &why)) {
        showMessage(QStringLiteral("The report could not be read from the class database.\n") + why,
                    QStringLiteral("Student Scores"));
        return;
    }
    if (rptStudentScores) delete rptStudentScores.data();
    rptStudentScores = new common::ReportPreview(classReportDocument(report, today()), QStringLiteral("Student Scores"), this);
    rptStudentScores->setObjectName(QStringLiteral("rptStudentScores"));
    rptStudentScores->setAttribute(Qt::WA_DeleteOnClose);
    rptStudentScores->show();
}

void frmHallbrin::mnuConfigNetwork_Click() {
    FrmConfig dialog(
        serverConfigPath(),
        [this](quint16 port, QString* why) {
            const ListenResult result = server_->listen(port, options_.address);
            if (why) *why = server_->listenErrorText();
            return result;
        },
        this);
    dialog.onHelp = [this] { mnuHelpContents_Click(); };
    platform::Dialogs::instance().runModal(dialog);
}

void frmHallbrin::mnuConfigReport_Click() {
    QTreeWidgetItem* cls = reportClassNode();
    if (!cls) return;
    FrmReportOptions dialog(reportConfigPath(), cls->text(0), ReportLevel, this);
    platform::Dialogs::instance().runModal(dialog);
}

void frmHallbrin::mnuHelpAbout_Click() {
    common::FrmAbout about(hallbrinAbout(), this);
    platform::Dialogs::instance().runModal(about);
}

void frmHallbrin::mnuHelpContents_Click() {
    if (openHelp) openHelp(helpPage());
}

} // namespace classserver
