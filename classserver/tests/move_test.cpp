// Moving students between classes by the tree's own drag and drop.
#include <QDropEvent>
#include <QMimeData>

#include "windowfixture.h"

using namespace classserver;
using namespace testsupport;

namespace {

class Move : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        ann = addStudent(db, "Ann", "LAB1", 11);
        named = addStudent(db, "Class 3", "LAB2", 11);  // a student named like a class
        sam = addStudent(db, "Sam", "LAB3", 0);
        w->UpdateTreeView();
    }
    // The tree's drop through its model, as Qt's own drop handling delivers it.
    void dropThroughModel(QTreeWidgetItem* dragged, QTreeWidgetItem* target) {
        select(dragged);
        QAbstractItemModel* model = w->tvwLesson->model();
        std::unique_ptr<QMimeData> data(model->mimeData({w->tvwLesson->indexFromItem(dragged)}));
        const QModelIndex parent = target ? w->tvwLesson->indexFromItem(target) : QModelIndex();
        model->dropMimeData(data.get(), Qt::MoveAction, -1, -1, parent);
    }
    // The drop as the pointer makes it: drag over, then release over the target.
    void dropWithEvents(QTreeWidgetItem* dragged, QTreeWidgetItem* target) {
        w->show();
        select(dragged);
        if (target) w->tvwLesson->scrollToItem(target);
        else w->tvwLesson->scrollToBottom();
        std::unique_ptr<QMimeData> data(w->tvwLesson->model()->mimeData({w->tvwLesson->indexFromItem(dragged)}));
        const QPoint at = target ? w->tvwLesson->visualItemRect(target).center()
                                 : QPoint(5, w->tvwLesson->viewport()->height() - 3);
        // Qt delivers moves and the drop to the widget that accepted the drag's entry.
        QDragEnterEvent enter(at, Qt::MoveAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(w->tvwLesson->viewport(), &enter);
        QDragMoveEvent move(at, Qt::MoveAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(w->tvwLesson->viewport(), &move);
        highlighted = w->tvwLesson->dropHighlight();
        QDropEvent drop(at, Qt::MoveAction, data.get(), Qt::LeftButton, {});
        QCoreApplication::sendEvent(w->tvwLesson->viewport(), &drop);
    }
    int classOf(qint64 student) {
        return scalar(db, "SELECT ClassID FROM Student WHERE StudentID = ?", {student}).toInt();
    }
    QTreeWidgetItem* studentNode(qint64 id) {
        for (QTreeWidgetItemIterator it(w->tvwLesson); *it; ++it)
            if (nodeStudentId(*it) == id) return *it;
        return nullptr;
    }

    QTreeWidgetItem* highlighted = nullptr;

public:
    qint64 ann = 0, named = 0, sam = 0;
};

} // namespace

TEST_F(Move, EveryDropEndsInOneMoveWithItsChecks) {
    struct Case {
        const char* what;
        qint64 Move::*dragged;
        const char* target;       // key of the node dropped on; "" for empty space
        const char* targetText;   // a student node: its name
        int classAfter;           // the dragged student's ClassID afterwards
        bool changed;
    };
    const Case cases[] = {
        {"own class", &Move::ann, "Class 11", "", 11, false},
        {"another class", &Move::ann, "Class 14", "", 14, true},
        {"a class of the other product", &Move::ann, "Class 3", "", 11, false},
        {"a student", &Move::ann, "", "Sam", 11, false},
        {"a student of the same class", &Move::ann, "", "Class 3", 11, false},
        {"its product", &Move::ann, "Prod2", "", 11, false},
        {"the root", &Move::ann, "PRoot", "", 11, false},
        {"empty space", &Move::ann, "", "", 11, false},
        {"student named like the class", &Move::named, "Class 14", "", 14, true},
        {"the other product's student onto its class", &Move::sam, "Class 3", "", 3, true},
    };
    for (bool events : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (events ? " (events)" : " (model)"));
            ASSERT_TRUE(execSql(db, "UPDATE Student SET ClassID = CASE StudentID WHEN ? THEN 0 ELSE 11 END", {sam}));
            w->UpdateTreeView();
            w->DataChanged = false;
            const qint64 id = this->*c.dragged;
            QTreeWidgetItem* dragged = studentNode(id);
            ASSERT_NE(dragged, nullptr);
            QTreeWidgetItem* target = nullptr;
            if (*c.target) target = node(c.target);
            else if (*c.targetText)
                for (QTreeWidgetItemIterator it(w->tvwLesson); *it; ++it)
                    if ((*it)->text(0) == c.targetText && nodeTag(*it) == "student") target = *it;
            ASSERT_TRUE(target || (!*c.target && !*c.targetText));
            const int before = classOf(id);
            if (events) dropWithEvents(dragged, target);
            else dropThroughModel(dragged, target);

            EXPECT_EQ(classOf(id), c.classAfter);
            EXPECT_EQ(w->DataChanged, c.changed);
            QTreeWidgetItem* now = studentNode(id);
            ASSERT_NE(now, nullptr);
            EXPECT_EQ(nodeClassId(now->parent()), c.classAfter);
            EXPECT_EQ(nodeClassId(now), c.classAfter);
            EXPECT_EQ(w->tvwLesson->currentItem(), now);
            // The node keeps its key until the next rebuild.
            EXPECT_EQ(nodeKey(now), studentKey(now->text(0), computerOfNode(now), before));
            // The list shows the selected student again; the drop highlight is gone.
            EXPECT_EQ(headers().first(), "Lesson Name");
            EXPECT_EQ(w->tvwLesson->dropHighlight(), nullptr);
            EXPECT_TRUE(w->mnuViewReport->isEnabled());
            if (events) {
                EXPECT_EQ(highlighted, target);
            }
            EXPECT_EQ(count(db, "Student"), 3);
        }
    }
}

TEST_F(Move, ClassesAndProductsAreNeverMoved) {
    for (const char* dragged : {"Class 12", "Prod2", "PRoot"}) {
        for (const char* target : {"Class 14", "Prod1", "PRoot"}) {
            dropThroughModel(node(dragged), node(target));
            EXPECT_EQ(node(dragged)->parent(), dragged == QString("Class 12") ? node("Prod2")
                                               : dragged == QString("Prod2") ? node("PRoot")
                                                                              : nullptr);
        }
    }
    EXPECT_EQ(children(node("Prod2")).size(), 11);
    EXPECT_FALSE(w->DataChanged);
}

TEST_F(Move, AStudentWhoseRowIsGoneStaysWhereItWas) {
    QTreeWidgetItem* annNode = studentNode(ann);
    ASSERT_TRUE(execSql(db, "DELETE FROM Student WHERE StudentID = ?", {ann}));
    dropThroughModel(annNode, node("Class 14"));
    EXPECT_EQ(studentNode(ann)->parent(), node("Class 11"));
    EXPECT_FALSE(w->DataChanged);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.startsWith("Ann could not be moved")) << dialogs.shown[0].text.toStdString();
}
