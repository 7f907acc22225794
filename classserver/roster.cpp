#include "roster.h"

#include <QDragEnterEvent>
#include <QDrag>
#include <QFileInfo>
#include <QHash>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <cmath>

#include "catalogue.h"
#include "classdatabase.h"
#include "common/basic.h"
#include "pictures.h"

namespace classserver {
namespace {

const QString kNodeMime = QStringLiteral("application/x-hallbrin-roster-node");

// Only the tree's own nodes are dropped on it (a drop event made by hand has no source).
bool ownDrag(const QDropEvent* event, const QObject* tree) {
    return (event->source() == tree || event->source() == nullptr) && event->mimeData() &&
           event->mimeData()->hasFormat(kNodeMime);
}

QTreeWidgetItem* makeNode(QTreeWidgetItem* parent, const QString& key, const QString& text, int picture,
                          const QString& tag) {
    auto* n = new QTreeWidgetItem(parent);
    n->setText(0, text);
    n->setIcon(0, imgLessons(picture));
    n->setData(0, KeyRole, key);
    n->setData(0, TagRole, tag);
    return n;
}

// A cell's text: the number in its shortest form, empty for a value the database lacks.
QString numberCell(const QVariant& v, const QString& unit = QString()) {
    if (v.isNull() || !v.isValid()) return QString();
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? basic::numText(d) + unit : QString();
}

QString textCell(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }

QTreeWidgetItem* addRow(QTreeWidget* list, const QStringList& cells, int picture) {
    auto* row = new QTreeWidgetItem(list, cells);
    if (picture > 0) row->setIcon(0, imgLessons(picture));
    return row;
}

} // namespace

const RosterProduct kRosterProducts[2] = {{"Prod1", "Sopranel 2.1", 0}, {"Prod2", "Tonvale 1.2", 11}};

// ---- The tree widget -----------------------------------------------------------------------

RosterTree::RosterTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);  // the drop highlight marks the target instead
}

void RosterTree::setDropHighlight(QTreeWidgetItem* item) {
    if (item == highlight_) return;
    highlight_ = item;
    viewport()->update();
}

QTreeWidgetItem* RosterTree::findNode(const QString& key, qint64 studentId) const {
    for (QTreeWidgetItemIterator it(const_cast<RosterTree*>(this)); *it; ++it) {
        if (nodeKey(*it) != key) continue;
        if (studentId != 0 && nodeStudentId(*it) != studentId) continue;
        return *it;
    }
    return nullptr;
}

QStringList RosterTree::mimeTypes() const { return {kNodeMime}; }

QMimeData* RosterTree::mimeData(const QList<QTreeWidgetItem*>& items) const {
    auto* data = new QMimeData;
    data->setData(kNodeMime, items.isEmpty() ? QByteArray() : nodeKey(items.first()).toUtf8());
    return data;
}

Qt::DropActions RosterTree::supportedDropActions() const { return Qt::MoveAction; }

void RosterTree::startDrag(Qt::DropActions) {
    QTreeWidgetItem* dragged = currentItem();
    if (!dragged) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mimeData({dragged}));
    drag->setPixmap(dragged->icon(0).pixmap(16, 16));
    // The drop has done all there is to do; whatever the drag reports, nothing is removed here.
    drag->exec(Qt::MoveAction);
    setDropHighlight(nullptr);
}

void RosterTree::dragEnterEvent(QDragEnterEvent* event) {
    if (ownDrag(event, this)) event->acceptProposedAction();
    else event->ignore();
}

void RosterTree::dragMoveEvent(QDragMoveEvent* event) {
    if (!ownDrag(event, this)) {
        event->ignore();
        return;
    }
    setDropHighlight(itemAt(event->position().toPoint()));
    event->acceptProposedAction();
}

void RosterTree::dragLeaveEvent(QDragLeaveEvent* event) {
    setDropHighlight(nullptr);
    event->accept();
}

void RosterTree::dropEvent(QDropEvent* event) {
    if (!ownDrag(event, this)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    dropOn(itemAt(event->position().toPoint()));
}

bool RosterTree::dropMimeData(QTreeWidgetItem* parent, int, const QMimeData* data, Qt::DropAction) {
    if (!data || !data->hasFormat(kNodeMime)) return false;
    dropOn(parent);
    // The tree's nodes are moved by onDrop, never by the view.
    return false;
}

void RosterTree::dropOn(QTreeWidgetItem* target) {
    if (onDrop) onDrop(currentItem(), target);
}

void RosterTree::paintEvent(QPaintEvent* event) {
    QTreeWidget::paintEvent(event);
    if (!highlight_) return;
    const QRect r = visualItemRect(highlight_);
    if (r.isEmpty()) return;
    QPainter p(viewport());
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = palette().color(QPalette::Highlight);
    fill.setAlpha(70);
    p.setBrush(fill);
    p.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
    p.drawRoundedRect(QRectF(r).adjusted(1, 1, -1, -1), 3, 3);
}

// ---- Building the tree ---------------------------------------------------------------------

QString studentKey(const QString& name, const QString& computer, int classId) {
    return name + computer + QStringLiteral("%1").arg(classId, 3, 10, QLatin1Char('0'));
}

QString computerOfNode(const QTreeWidgetItem* student) {
    const QString key = nodeKey(student);
    const int nameLength = student->text(0).size();
    return key.mid(nameLength, qMax(0, int(key.size()) - nameLength - 3));
}

QTreeWidgetItem* addRosterNodes(QTreeWidget* tree, const QString& dbPath, QString* error) {
    auto* root = new QTreeWidgetItem(tree);
    root->setText(0, QFileInfo(dbPath).fileName());
    root->setIcon(0, imgLessons(11));
    root->setData(0, KeyRole, QStringLiteral("PRoot"));
    root->setData(0, TagRole, QStringLiteral("root"));

    QHash<int, QTreeWidgetItem*> classNodes;
    for (const RosterProduct& product : kRosterProducts) {
        QTreeWidgetItem* p =
            makeNode(root, QLatin1String(product.key), QLatin1String(product.text), 12, QStringLiteral("product"));
        for (int k = 0; k <= 10; ++k) {
            const int id = product.base + k;
            QTreeWidgetItem* c = makeNode(p, QStringLiteral("Class %1").arg(id),
                                          k == 0 ? QStringLiteral("Default") : QStringLiteral("Class %1").arg(k), 13,
                                          QStringLiteral("class"));
            c->setData(0, ClassIdRole, id);
            classNodes.insert(id, c);
        }
    }

    DbConnection c(dbPath);
    if (!c.isOpen()) {
        if (error) *error = c.errorText();
        return root;
    }
    QSqlQuery q(c.db());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT StudentID, StudentName, ComputerName, ClassID FROM Student ORDER BY StudentID"))) {
        if (error) *error = q.lastError().text();
        return root;
    }
    const QIcon student = imgLessons(10);
    const QString tag = QStringLiteral("student");
    while (q.next()) {
        const QVariant name = q.value(1), computer = q.value(2), classId = q.value(3);
        if (name.isNull() || computer.isNull() || classId.isNull()) continue;
        const QString nameText = name.toString();
        if (nameText.isEmpty()) continue;
        QTreeWidgetItem* parent = classNodes.value(classId.toInt());
        if (!parent) continue;  // a class of a product the tree does not show
        auto* n = new QTreeWidgetItem(parent);
        n->setText(0, nameText);
        n->setIcon(0, student);
        n->setData(0, KeyRole, studentKey(nameText, computer.toString(), classId.toInt()));
        n->setData(0, TagRole, tag);
        n->setData(0, StudentIdRole, q.value(0).toLongLong());
        n->setData(0, ClassIdRole, classId.toInt());
    }
    return root;
}

// ---- The list ------------------------------------------------------------------------------

void setRosterColumns(QTreeWidget* list, const QString& tag) {
    struct Column { const char* header; int twips; };
    QVector<Column> columns;
    if (tag == QLatin1String("root")) columns = {{"Product Name", 3000}, {"Version", 2000}};
    else if (tag == QLatin1String("product"))
        columns = {{"Class ID", 1000}, {"Class Name", 1300}, {"Class Year", 1000}, {"Grade", 1000}, {"Educator", 2000}};
    else if (tag == QLatin1String("class"))
        columns = {{"Student Name", 2000}, {"Computer Name", 2000}, {"Password", 2000}};
    else if (tag == QLatin1String("student"))
        columns = {{"Lesson Name", 3000}, {"Level", 600},    {"Difficulty", 1200},
                   {"Completed", 1000},   {"Average", 1000}, {"Attempts", 1300}};
    QStringList headers;
    for (const Column& c : columns) headers << QLatin1String(c.header);
    list->setColumnCount(qMax(1, int(headers.size())));
    list->setHeaderLabels(headers.isEmpty() ? QStringList{QString()} : headers);
    for (int i = 0; i < columns.size(); ++i) list->setColumnWidth(i, columns[i].twips / 15);
}

int completedPercent(double completed, int exercises) {
    if (exercises <= 0 || !(completed > 0)) return 0;
    const double percent = std::floor(completed * 100.0 / exercises);
    return percent >= 100 ? 100 : int(percent);
}

namespace {

void addListRows(QTreeWidget* list, const QTreeWidgetItem* node, const QString& dbPath) {
    const QString tag = nodeTag(node);
    if (tag == QLatin1String("root")) {
        for (int i = 0; i < node->childCount(); ++i) addRow(list, {node->child(i)->text(0), QStringLiteral("2.0")}, 12);
        return;
    }
    if (tag == QLatin1String("product")) {
        const int base = productBase(productFromText(node->text(0)));
        QHash<int, QStringList> classes;
        {
            DbConnection c(dbPath);
            QSqlQuery q(c.db());
            if (c.isOpen() && q.prepare(QStringLiteral("SELECT ClassID, ClassName, ClassYear, Grade, Educator FROM Class "
                                                       "WHERE ClassID BETWEEN ? AND ?"))) {
                q.addBindValue(base);
                q.addBindValue(base + 10);
                if (q.exec())
                    while (q.next())
                        classes.insert(q.value(0).toInt(), {textCell(q.value(1)), textCell(q.value(2)),
                                                            textCell(q.value(3)), textCell(q.value(4))});
            }
        }
        for (int i = 0; i < node->childCount(); ++i) {
            const QTreeWidgetItem* cls = node->child(i);
            const int id = nodeClassId(cls);
            QStringList cells{cls->text(0)};
            cells += classes.value(id, {QString(), QString(), QString(), QString()});
            QTreeWidgetItem* row = addRow(list, cells, 13);
            row->setData(0, ClassIdRole, id);
        }
        return;
    }
    if (tag == QLatin1String("class")) {
        QHash<qint64, QString> passwords;
        {
            DbConnection c(dbPath);
            QSqlQuery q(c.db());
            const int base = productBase(productFromText(node->parent() ? node->parent()->text(0) : QString()));
            if (c.isOpen() &&
                q.prepare(QStringLiteral("SELECT StudentID, Password FROM Student WHERE ClassID BETWEEN ? AND ?"))) {
                q.addBindValue(base);
                q.addBindValue(base + 10);
                if (q.exec())
                    while (q.next()) passwords.insert(q.value(0).toLongLong(), textCell(q.value(1)));
            }
        }
        for (int i = 0; i < node->childCount(); ++i) {
            const QTreeWidgetItem* s = node->child(i);
            QTreeWidgetItem* row = addRow(list, {s->text(0), computerOfNode(s), passwords.value(nodeStudentId(s))}, 10);
            row->setData(0, StudentIdRole, nodeStudentId(s));
            row->setData(0, ClassIdRole, nodeClassId(s));
        }
        return;
    }
    if (tag == QLatin1String("student")) {
        const QTreeWidgetItem* product = node->parent() ? node->parent()->parent() : nullptr;
        const Product p = productFromText(product ? product->text(0) : QString());
        const LessonCatalogue& catalogue = LessonCatalogue::instance();
        DbConnection c(dbPath);
        QSqlQuery q(c.db());
        if (!c.isOpen() || !q.prepare(QStringLiteral("SELECT LessonNumber, LessonName, LLevel, Average, HighestLevel, "
                                                     "Attempts FROM Lesson WHERE StudentID = ? AND LessonNumber > 0")))
            return;
        q.addBindValue(nodeStudentId(node));
        if (!q.exec()) return;
        while (q.next()) {
            const int n = q.value(0).toInt();
            const bool listed = catalogue.has(p, n);
            const CatalogueEntry e = catalogue.entry(p, n);
            const QVariant highest = q.value(4);
            QTreeWidgetItem* row = addRow(
                list,
                {textCell(q.value(1)), numberCell(q.value(2)), listed ? e.difficulty : QString(),
                 listed && !highest.isNull() ? QString::number(completedPercent(highest.toDouble(), e.exercises)) + "%"
                                             : QString(),
                 numberCell(q.value(3), QStringLiteral("%")), numberCell(q.value(5))},
                listed ? e.topic : 0);
            row->setData(0, StudentIdRole, nodeStudentId(node));
            row->setData(0, ClassIdRole, nodeClassId(node));
        }
        // The titles begin with their numbers (a blank before 1 to 9): title order is lesson order.
        list->sortByColumn(0, Qt::AscendingOrder);
        list->setSortingEnabled(true);
    }
}

} // namespace

void fillRosterList(QTreeWidget* list, const QTreeWidgetItem* node, const QString& dbPath) {
    list->setSortingEnabled(false);
    addListRows(list, node, dbPath);
    // A column is at least as wide as its set width, and as wide as its longest text.
    const QAbstractItemView* view = list;
    for (int c = 0; c < list->columnCount(); ++c)
        list->setColumnWidth(c, qMax(list->columnWidth(c), view->sizeHintForColumn(c)));
}

bool setStudentClass(const QString& dbPath, qint64 studentId, int classId, QString* error) {
    DbConnection c(dbPath);
    if (!c.isOpen()) {
        if (error) *error = c.errorText();
        return false;
    }
    QSqlQuery q(c.db());
    if (!q.prepare(QStringLiteral("UPDATE Student SET ClassID = ? WHERE StudentID = ?"))) {
        if (error) *error = q.lastError().text();
        return false;
    }
    q.addBindValue(classId);
    q.addBindValue(studentId);
    if (!q.exec()) {
        if (error) *error = q.lastError().text();
        return false;
    }
    if (q.numRowsAffected() != 1) {
        if (error) *error = QStringLiteral("The student is no longer in the class database.");
        return false;
    }
    return true;
}

} // namespace classserver
