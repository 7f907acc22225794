#pragma once
// The class server's one window: menus, toolbar, the roster tree and list side by side, and
// the server itself (listener, socket slots, poll) that its load starts and its unload ends.
#include <QDate>
#include <QHostAddress>
#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <functional>
#include <optional>

#include "classpoll.h"
#include "classserver.h"
#include "roster.h"

class QAction;
class QMenu;
class QShortcut;
class QSplitter;
class QToolBar;

namespace common { class ReportPreview; }

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

    // Makes the working database, builds the roster, reads Server.cfg and starts listening;
    // says so when the template is missing, the last working copy held work that was not
    // saved (and where it is kept) or could not be kept, or the port cannot be listened on.
    void Form_Load();

    ClassServer& server() { return *server_; }
    ClassPoll& poll() { return *poll_; }
    QString workingCopyPath() const;
    QString serverConfigPath() const;
    QString reportConfigPath() const;
    QString helpPage() const;
    bool isWorkingCopy() const;
    bool isPolling() const { return polling_; }
    // The port listened on (0 when not listening).
    quint16 listeningPort() const;

    QString DatabasePath;
    bool DataChanged = false;
    // The difficulty level of the last report or report options (empty after start).
    QString ReportLevel;
    // Today, for the report's date; what shows a help page (the help window).
    std::function<QDate()> today = [] { return QDate::currentDate(); };
    std::function<void(const QString& page)> openHelp;

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
    RosterTree* tvwLesson = nullptr;
    QTreeWidget* lvwLesson = nullptr;
    QSplitter* splitter = nullptr;
    // The last class score report shown (replaced by the next).
    QPointer<common::ReportPreview> rptStudentScores;

    // Command handlers.
    void mnuRefresh_Click();
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSave_Click();
    // True when the document now has the chosen name; false when the dialog was cancelled or
    // the copy failed (said so), and the command that asked for it stops.
    bool mnuFileSaveAs_Click();
    void mnuFileExit_Click();
    void mnuEditEdit_Click();
    void mnuViewConnections_Click();
    void mnuViewReport_Click();
    void mnuConfigNetwork_Click();
    void mnuConfigReport_Click();
    void mnuHelpContents_Click();
    void mnuHelpAbout_Click();
    void Toolbar1_ButtonClick(QAction* button);

    // A node of the tree was dropped on another (or on empty space: target null): moves a
    // student to another class of its product, the row first (by StudentID), then the node.
    // Every other drop changes nothing. The list and the report commands follow at the end.
    void moveStudent(QTreeWidgetItem* dragged, QTreeWidgetItem* target);

    // The roster tree and list are rebuilt after start-up and after every poll; the list also
    // after every click on the tree, a drop and a class edit.
    virtual void UpdateTreeView();
    virtual void UpdateListView();

signals:
    void pollFinished(const classserver::PollReport& report);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void applyReportRule();
    void tvwLesson_NodeClick();
    void setPolling(bool polling);
    void stopPolling();
    void pollProgress(int answered, int asked);
    void pollDone(const PollReport& report);
    // Says what a listen at start-up came to (and offers the network settings for a port in use).
    void tellListening(ListenResult result, quint16 port);
    // The Yes/No save question for the working copy holding unsaved work; false when the
    // command must stop (Yes, and the Save As did not happen).
    bool offerToSave();
    QString rootText() const;
    void setRootText(const QString& path);
    QTreeWidgetItem* reportClassNode() const;
    QString askDatabaseName(bool save);
    void showMessage(const QString& text, const QString& title);

    Options options_;
    QString dataFolder_;
    QString shareFolder_;
    ClassServer* server_ = nullptr;
    ClassPoll* poll_ = nullptr;
    bool polling_ = false;
    QShortcut* stopPoll_ = nullptr;   // Esc, while a poll runs
    bool clearChangedAfterPoll_ = false;
    bool rebuilding_ = false;
    bool shutdownStarted_ = false;
    bool mayClose_ = false;
    QSet<QString> collapsed_;   // keys of the nodes the instructor closed
};

} // namespace classserver
