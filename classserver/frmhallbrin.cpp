#include "frmhallbrin.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenuBar>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>

#include "classdatabase.h"
#include "classserver.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "serverconfig.h"

namespace classserver {

frmHallbrin::frmHallbrin(const Options& options, QWidget* parent)
    : QMainWindow(parent), options_(options) {
    setObjectName(QStringLiteral("frmHallbrin"));
    setWindowTitle(QStringLiteral("Hallbrin 2.1"));
    dataFolder_ = options.dataFolder.isEmpty() ? platform::Paths::dataFolder() : options.dataFolder;
    shareFolder_ = options.shareFolder.isEmpty() ? platform::Paths::shareFolder() : options.shareFolder;

    server_ = new ClassServer(this);
    poll_ = new ClassPoll(*server_, this);
    connect(poll_, &ClassPoll::finished, this, &frmHallbrin::pollDone);
    connect(server_, &ClassServer::shutdownFinished, this, [this] {
        mayClose_ = true;
        close();
    });

    tvwLesson = new QTreeWidget(this);
    tvwLesson->setObjectName(QStringLiteral("tvwLesson"));
    tvwLesson->setHeaderHidden(true);
    lvwLesson = new QTreeWidget(this);
    lvwLesson->setObjectName(QStringLiteral("lvwLesson"));
    lvwLesson->setRootIsDecorated(false);
    lvwLesson->setHeaderLabels({QString()});  // the list sets its columns by what it shows
    splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("picSplit"));
    splitter->addWidget(tvwLesson);
    splitter->addWidget(lvwLesson);
    splitter->setChildrenCollapsible(false);
    splitter->setStretchFactor(1, 1);
    setCentralWidget(splitter);

    buildMenus();
    buildToolbar();
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &frmHallbrin::mnuHelpContents_Click);
    resize(900, 600);
}

frmHallbrin::~frmHallbrin() {
    poll_->abort();
    setPolling(false);
}

void frmHallbrin::buildMenus() {
    QMenuBar* bar = menuBar();
    auto item = [this](QMenu* menu, const char* name, const QString& caption) {
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
    connect(mnuFileSaveAs, &QAction::triggered, this, &frmHallbrin::mnuFileSaveAs_Click);
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
    struct Button { const char* key; QStyle::StandardPixmap icon; const char* tip; };
    const Button buttons[] = {
        {"New", QStyle::SP_FileIcon, "New"},
        {"Open", QStyle::SP_DialogOpenButton, "Open"},
        {"Save", QStyle::SP_DialogSaveButton, "Save"},
        {"", QStyle::SP_FileDialogInfoView, ""},
        {"Report", QStyle::SP_FileDialogDetailedView, "Report"},
    };
    for (const Button& b : buttons) {
        QAction* a = Toolbar1->addAction(style()->standardIcon(b.icon), QLatin1String(b.tip));
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

quint16 frmHallbrin::listeningPort() const { return server_->isListening() ? server_->port() : 0; }

void frmHallbrin::Form_Load() {
    helpFile_ = shareFolder_ + "/Hallbrin.hlp";

    QString why;
    if (!makeWorkingCopy(shareFolder_ + "/" + kTemplateName, workingCopyPath(), &why)) {
        platform::Dialogs::instance().messageBox(why, platform::OkOnly | platform::Exclamation,
                                                 QStringLiteral("Class Database"), this);
    }
    DatabasePath = workingCopyPath();

    UpdateTreeView();
    UpdateListView();
    // The tree selects its root first, on which no report can be made.
    setReportCommandsEnabled(false);

    const quint16 port = options_.port ? *options_.port
                                       : quint16(readServerPort(dataFolder_ + "/" + kServerConfigFile));
    startListening(port);
}

void frmHallbrin::startListening(quint16 port) {
    switch (server_->listen(port, options_.address)) {
    case ListenResult::Listening:
        return;
    case ListenResult::PortInUse:
        platform::Dialogs::instance().messageBox(QStringLiteral("Port in use. Please choose another."),
                                                 platform::OkOnly | platform::Exclamation,
                                                 QStringLiteral("Connection Error"), this);
        mnuConfigNetwork_Click();
        return;
    case ListenResult::Failed:
        platform::Dialogs::instance().messageBox(QStringLiteral("Unable to listen on port ") + QString::number(port),
                                                 platform::OkOnly | platform::Exclamation,
                                                 QStringLiteral("Connection Error"), this);
        return;
    }
}

void frmHallbrin::setReportCommandsEnabled(bool on) {
    mnuViewReport->setEnabled(on);
    toolbarButtons.at(4)->setEnabled(on);
    mnuPopupReport->setEnabled(on);
    mnuConfigReport->setEnabled(on);
}

// While a poll runs nothing may replace or close the database it writes into.
void frmHallbrin::setPolling(bool polling) {
    if (polling == polling_) return;
    polling_ = polling;
    if (polling) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
    for (QAction* a : {mnuRefresh, mnuFileNew, mnuFileOpen, mnuFileExit, toolbarButtons.at(0), toolbarButtons.at(1)})
        a->setEnabled(!polling);
}

void frmHallbrin::mnuRefresh_Click() {
    if (poll_->isRunning() || shutdownStarted_) return;
    setPolling(true);
    poll_->start(DatabasePath);
}

void frmHallbrin::pollDone(const PollReport& report) {
    UpdateTreeView();
    UpdateListView();
    DataChanged = true;
    setPolling(false);
    emit pollFinished(report);
}

void frmHallbrin::UpdateTreeView() {}
void frmHallbrin::UpdateListView() {}

void frmHallbrin::closeEvent(QCloseEvent* event) {
    if (mayClose_) {
        event->accept();
        return;
    }
    event->ignore();
    if (shutdownStarted_) return;
    if (poll_->isRunning()) {
        // Every imported client is whole (one transaction each); the rest are not asked.
        poll_->abort();
        setPolling(false);
        DataChanged = true;
        // The clients imported so far are in the database; should the close be cancelled,
        // the views must show them.
        UpdateTreeView();
        UpdateListView();
    }
    if (DatabasePath == workingCopyPath() && DataChanged) {
        const int answer = platform::Dialogs::instance().messageBox(
            QStringLiteral("Do you want to Save ") + QFileInfo(DatabasePath).fileName(), platform::YesNoCancel,
            QStringLiteral("Save File"), this);
        if (answer == platform::AnsCancel) return;
        if (answer == platform::AnsYes) mnuFileSaveAs_Click();
    }
    shutdownStarted_ = true;
    for (QAction* a : menuBar()->actions()) a->setEnabled(false);
    Toolbar1->setEnabled(false);
    server_->beginShutdown();
}

// Commands whose windows and documents come with their own parts of the program.
void frmHallbrin::mnuFileNew_Click() {}
void frmHallbrin::mnuFileOpen_Click() {}
void frmHallbrin::mnuFileSave_Click() {}
void frmHallbrin::mnuFileSaveAs_Click() {}
void frmHallbrin::mnuEditEdit_Click() {}
void frmHallbrin::mnuViewConnections_Click() {}
void frmHallbrin::mnuViewReport_Click() {}
void frmHallbrin::mnuConfigNetwork_Click() {}
void frmHallbrin::mnuConfigReport_Click() {}
void frmHallbrin::mnuHelpAbout_Click() {}

void frmHallbrin::mnuFileExit_Click() { close(); }

void frmHallbrin::mnuHelpContents_Click() {
    if (QFileInfo(helpFile_).isFile()) QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile_));
}

} // namespace classserver
