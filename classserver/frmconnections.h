#pragma once
// "Connections": which computers known to the class database have a student program
// connected now. Every connected program is asked its computer's name at once through the
// server's request (nothing waits in a loop); the answers are told in slot order.
#include <QDialog>
#include <QHash>

#include <vector>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace classserver {

class ClassServer;

class FrmConnections : public QDialog {
    Q_OBJECT
public:
    FrmConnections(ClassServer& server, const QString& dbPath, QWidget* owner = nullptr);
    ~FrmConnections() override;

    // Lists every computer of the Student table as "Disconnected", then asks the connected
    // programs; a name without a row brings "New Computer Found" (on load only). A program
    // that does not answer, or hangs up, is passed over.
    void Form_Load();
    // Marks every row "Disconnected" and asks again (no messages). Ignored while asking.
    void cmdRefresh_Click();
    void cmdOK_Click();

    bool isAsking() const { return asking_; }
    QTreeWidgetItem* row(const QString& computer) const;

    QTreeWidget* lvwConnections = nullptr;
    QPushButton* cmdRefresh = nullptr;
    QPushButton* cmdOK = nullptr;

signals:
    void askingFinished();

private:
    void startAsking(bool onLoad);
    void answered(int slot, bool inTime, const QString& name);
    void settle();
    void setConnected(QTreeWidgetItem* row, bool connected);

    ClassServer& server_;
    QString dbPath_;
    bool asking_ = false;
    bool onLoad_ = false;
    bool settling_ = false;
    std::vector<int> asked_;           // the slots asked, in increasing order
    QHash<int, QString> answers_;      // slot -> the name it gave (empty: none in time)
    size_t settled_ = 0;               // how many of asked_ have been told
};

} // namespace classserver
