#pragma once
// The roster: the tree of the class database (database file, the two course products, their
// eleven classes each, the students of each class) and the list that shows the contents of the
// tree's selected node. Every node and row carries what it stands for, so rows of the database
// are found by StudentID and ClassID, never by texts.
#include <QTreeWidget>
#include <functional>

namespace classserver {

// What tree nodes and list rows carry besides their text.
enum RosterRole {
    KeyRole = Qt::UserRole + 1,   // node key: "PRoot", "Prod1", "Class 14", name & computer & "013"
    TagRole,                      // "root", "product", "class", "student"
    StudentIdRole,                // Student.StudentID of a student node or row
    ClassIdRole,                  // Student.ClassID of a student, the id of a class
};

inline QString nodeKey(const QTreeWidgetItem* n) { return n ? n->data(0, KeyRole).toString() : QString(); }
inline QString nodeTag(const QTreeWidgetItem* n) { return n ? n->data(0, TagRole).toString() : QString(); }
inline qint64 nodeStudentId(const QTreeWidgetItem* n) { return n ? n->data(0, StudentIdRole).toLongLong() : 0; }
inline int nodeClassId(const QTreeWidgetItem* n) { return n ? n->data(0, ClassIdRole).toInt() : -1; }

// The roster tree widget. A student is moved by the tree's own drag and drop: whether by the
// pointer or through the model's drop API, every drop on the tree reaches onDrop exactly once
// with the dragged node (the selected one) and the node dropped on (null for empty space). The
// tree itself never moves, adds or removes a node on a drop.
class RosterTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit RosterTree(QWidget* parent = nullptr);

    std::function<void(QTreeWidgetItem* dragged, QTreeWidgetItem* target)> onDrop;

    // The node a drop would land on, marked while a drag passes over the tree.
    QTreeWidgetItem* dropHighlight() const { return highlight_; }
    void setDropHighlight(QTreeWidgetItem* item);
    // The first node, in tree order, with this key (and this StudentID when it is not 0).
    QTreeWidgetItem* findNode(const QString& key, qint64 studentId = 0) const;

protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
    bool dropMimeData(QTreeWidgetItem* parent, int index, const QMimeData* data, Qt::DropAction action) override;
    Qt::DropActions supportedDropActions() const override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void dropOn(QTreeWidgetItem* target);
    QTreeWidgetItem* highlight_ = nullptr;
};

struct RosterProduct {
    const char* key;    // "Prod1"
    const char* text;   // "Sopranel 2.1"
    int base;           // first class id of its block
};
// The two products the tree shows, in order.
extern const RosterProduct kRosterProducts[2];

// Adds the whole roster to an empty tree: the root (its text the file name of dbPath), the two
// products with their eleven classes, and one node per Student row whose class is one of those
// 22, in table order, read in one query. Returns the root. When the database cannot be read
// the tree holds the fixed nodes only, and *error (when given) says why.
QTreeWidgetItem* addRosterNodes(QTreeWidget* tree, const QString& dbPath, QString* error = nullptr);

// The key of a student node: name, computer, and the class id in three digits.
QString studentKey(const QString& name, const QString& computer, int classId);
// The computer name a student node's key holds.
QString computerOfNode(const QTreeWidgetItem* student);

// Sets the list's columns for a node kind (none for any other tag).
void setRosterColumns(QTreeWidget* list, const QString& tag);
// Adds the rows that show a node: the products of the root, the classes of a product with
// their class data, the students of a class with computer and password, the lessons of a
// student with level, difficulty, completion, average and attempts. A value the database
// does not hold (no row, no value, a lesson outside the catalogue) shows as an empty cell.
// A column too narrow for its longest text is widened to it.
void fillRosterList(QTreeWidget* list, const QTreeWidgetItem* node, const QString& dbPath);
// Completed, in whole percent: exercises completed of the exercise count, rounded down and
// never above 100; a count of 0 gives 0.
int completedPercent(double completed, int exercises);

// Writes a student's class (by StudentID). False with a reason when no row was changed.
bool setStudentClass(const QString& dbPath, qint64 studentId, int classId, QString* error = nullptr);

} // namespace classserver
