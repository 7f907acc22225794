#pragma once
// The class server's one window: menus, toolbar, the roster tree and list side by side, and
// the server itself (listener, socket slots, poll) that its load starts and its unload ends.
#include <QHostAddress>
#include <QMainWindow>
#include <optional>

#include "classpoll.h"

class QAction;
class QMenu;
class QSplitter;
class QToolBar;
class QTreeWidget;

namespace classserver {

class ClassServer;

struct HallbrinOptions {
    QString dataFolder;              // default: the program's data folder
    QString shareFolder;             // default: the program's share folder
    std::optional<quint16> port;     // default: Server.cfg (0 listens on any free port)
    QHostAddress address = QHostAddress::Any;
};

class frmHallbrin : public QMainWindow {
    Q_OBJECT
public:
    using Options = HallbrinOptions;

    explicit frmHallbrin(const Options& options = Options(), QWidget* parent = nullptr);
    ~frmHallbrin() override;

    // Makes the working database, reads Server.cfg and starts listening; says so when the
    // template is missing or the port cannot be listened on.
    void Form_Load();

    ClassServer& server() { return *server_; }
    ClassPoll& poll() { return *poll_; }
    QString workingCopyPath() const;
    QString helpFile() const { return helpFile_; }
    // The port listened on (0 when not listening).
    quint16 listeningPort() const;

    QString DatabasePath;
    bool DataChanged = false;

    // Menu items, popup and toolbar, by their names.
    QMenu* mnuFile = nullptr;
    QAction* mnuFileNew = nullptr;
    QAction* mnuFileOpen = nullptr;
    QAction* mnuFileSave = nullptr;
    QAction* mnuFileSaveAs = nullptr;
    QAction* space1 = nullptr;
    QAction* mnuFilePageSetup = nullptr;
    QAction* mnuFilePreview = nullptr;
    QAction* mnuFilePrint = nullptr;
    QAction* space2 = nullptr;
    QAction* mnuFileExit = nullptr;
    QMenu* mnuEdit = nullptr;
    QAction* mnuEditEdit = nullptr;
    QMenu* mnuView = nullptr;
    QAction* mnuViewConnections = nullptr;
    QAction* mnuViewReport = nullptr;
    QAction* space3 = nullptr;
    QAction* mnuRefresh = nullptr;
    QMenu* mnuConfig = nullptr;
    QAction* mnuConfigNetwork = nullptr;
    QAction* mnuConfigReport = nullptr;
    QAction* mnuConfigClass = nullptr;
    QAction* mnuGetData = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpContents = nullptr;
    QAction* space4 = nullptr;
    QAction* mnuHelpAbout = nullptr;
    QMenu* mnuPopup = nullptr;
    QAction* mnuPopupEdit = nullptr;
    QAction* mnuPopupReport = nullptr;
    QToolBar* Toolbar1 = nullptr;
    QList<QAction*> toolbarButtons;   // the five buttons, in order
    QTreeWidget* tvwLesson = nullptr;
    QTreeWidget* lvwLesson = nullptr;
    QSplitter* splitter = nullptr;

    // Command handlers.
    void mnuRefresh_Click();
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();
    void mnuFileExit_Click();
    void mnuEditEdit_Click();
    void mnuViewConnections_Click();
    void mnuViewReport_Click();
    void mnuConfigNetwork_Click();
    void mnuConfigReport_Click();
    void mnuHelpContents_Click();
    void mnuHelpAbout_Click();
    void Toolbar1_ButtonClick(QAction* button);

signals:
    void pollFinished(const classserver::PollReport& report);

protected:
    void closeEvent(QCloseEvent* event) override;

    // The roster tree and list are rebuilt after start-up and after every poll.
    virtual void UpdateTreeView();
    virtual void UpdateListView();

private:
    void buildMenus();
    void buildToolbar();
    void setReportCommandsEnabled(bool on);
    void setPolling(bool polling);
    void pollDone(const PollReport& report);
    void startListening(quint16 port);

    Options options_;
    QString dataFolder_;
    QString shareFolder_;
    QString helpFile_;
    ClassServer* server_ = nullptr;
    ClassPoll* poll_ = nullptr;
    bool polling_ = false;
    bool shutdownStarted_ = false;
    bool mayClose_ = false;
};

} // namespace classserver
