// The roster tree and list: what each node kind shows, read from small class databases.
#include <QMouseEvent>
#include <QTest>

#include "classserver/pictures.h"
#include "windowfixture.h"

using namespace classserver;
using namespace testsupport;

namespace {
class Roster : public WindowFixture {};
} // namespace

TEST_F(Roster, TheTreeHoldsTheFixedNodesAndEveryStudentOfTheirClasses) {
    const qint64 ann = addStudent(db, "Ann", "LAB7", 13, "pw");
    addStudent(db, "Far", "LAB7", 25);  // a product the tree does not show
    // Keys that read the same: both students still get their node.
    const qint64 ab = addStudent(db, "AB", "CPC", 11);
    const qint64 abc = addStudent(db, "ABC", "PC", 11);
    w->UpdateTreeView();

    QTreeWidgetItem* root = w->tvwLesson->topLevelItem(0);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(w->tvwLesson->topLevelItemCount(), 1);
    EXPECT_EQ(root->text(0), "default.mdb");
    EXPECT_EQ(nodeKey(root), "PRoot");
    EXPECT_EQ(nodeTag(root), "root");
    EXPECT_EQ(children(root), QStringList({"Sopranel 2.1", "Tonvale 1.2"}));
    const QStringList classTexts{"Default", "Class 1", "Class 2", "Class 3", "Class 4", "Class 5",
                                 "Class 6", "Class 7", "Class 8", "Class 9", "Class 10"};
    for (int p = 0; p < 2; ++p) {
        QTreeWidgetItem* product = root->child(p);
        EXPECT_EQ(nodeKey(product), p == 0 ? "Prod1" : "Prod2");
        EXPECT_EQ(nodeTag(product), "product");
        EXPECT_EQ(children(product), classTexts);
        for (int k = 0; k <= 10; ++k) {
            EXPECT_EQ(nodeKey(product->child(k)), QString("Class %1").arg(p * 11 + k));
            EXPECT_EQ(nodeClassId(product->child(k)), p * 11 + k);
            EXPECT_EQ(nodeTag(product->child(k)), "class");
        }
    }
    QTreeWidgetItem* annNode = node("AnnLAB7013");
    ASSERT_NE(annNode, nullptr);
    EXPECT_EQ(annNode->parent(), node("Class 13"));
    EXPECT_EQ(nodeTag(annNode), "student");
    EXPECT_EQ(nodeStudentId(annNode), ann);
    EXPECT_EQ(computerOfNode(annNode), "LAB7");
    EXPECT_EQ(children(node("Class 11")), QStringList({"AB", "ABC"}));
    EXPECT_EQ(nodeStudentId(node("Class 11")->child(0)), ab);
    EXPECT_EQ(nodeStudentId(node("Class 11")->child(1)), abc);
    EXPECT_EQ(computerOfNode(node("Class 11")->child(0)), "CPC");
    EXPECT_EQ(computerOfNode(node("Class 11")->child(1)), "PC");
    int students = 0;
    for (QTreeWidgetItemIterator it(w->tvwLesson); *it; ++it) students += nodeTag(*it) == "student";
    EXPECT_EQ(students, 3);  // the student of class 25 stays in the database only
    EXPECT_EQ(count(db, "Student"), 4);
    EXPECT_EQ(w->tvwLesson->currentItem(), root);
}

TEST_F(Roster, ARebuildKeepsTheSelectionWhileItsNodeIsThere) {
    const qint64 ab = addStudent(db, "AB", "CPC", 11);
    const qint64 abc = addStudent(db, "ABC", "PC", 11);
    w->UpdateTreeView();
    select("ABCPC011", abc);
    w->UpdateTreeView();
    EXPECT_EQ(nodeStudentId(w->tvwLesson->currentItem()), abc);
    select("ABCPC011", ab);
    w->UpdateTreeView();
    EXPECT_EQ(nodeStudentId(w->tvwLesson->currentItem()), ab);
    select("Class 15");
    w->UpdateTreeView();
    EXPECT_EQ(nodeKey(w->tvwLesson->currentItem()), "Class 15");
    // Moved since: the key now names another class, and the root is selected.
    select("ABCPC011", ab);
    ASSERT_TRUE(execSql(db, "UPDATE Student SET ClassID = 12 WHERE StudentID = ?", {ab}));
    w->UpdateTreeView();
    EXPECT_EQ(nodeKey(w->tvwLesson->currentItem()), "PRoot");
}

TEST_F(Roster, TheListShowsWhatTheSelectedNodeHolds) {
    ASSERT_TRUE(execSql(db, "UPDATE Class SET ClassName = 'Strings', ClassYear = '2024', Grade = '5', Educator = NULL "
                            "WHERE ClassID = 13"));
    ASSERT_TRUE(execSql(db, "DELETE FROM Class WHERE ClassID = 21"));  // a class without its row
    const qint64 ann = addStudent(db, "Ann", "LAB1", 13, "pw1");
    addStudent(db, "Ann", "LAB2", 13, QVariant());
    const qint64 sop = addStudent(db, "Sam", "LAB3", 0, "s");
    for (const LessonFixture& l : std::vector<LessonFixture>{
             {2, " 2.  Playback or Write the following melodies.", "Incremental", 12, 4, 87.5, 13, 3},
             {0, "zero", "Incremental", 9, 1, 1, 1, 1},
             {1, " 1.  Identify these intervals.", "Incremental", 9, 2, 80, 5, QVariant()},
             {8, "Eight", QVariant(), QVariant(), 1, QVariant(), 3, 2},  // outside the catalogue
         })
        ASSERT_TRUE(addLesson(db, ann, l));
    for (const LessonFixture& l : std::vector<LessonFixture>{
             {40, "40. Name the following intervals.", "Intermediate", 4, 0, 50, 2, 1},
             {5, " 5.  Semitones", "Beginner", 9, 3, 100, 0, 7},
             {99, "99. Nothing", QVariant(), QVariant(), 0, 10, 10, 1},
         })
        ASSERT_TRUE(addLesson(db, sop, l));
    w->UpdateTreeView();

    select("PRoot");
    EXPECT_EQ(headers(), QStringList({"Product Name", "Version"}));
    EXPECT_EQ(listRows(), QStringList({"Sopranel 2.1|2.0", "Tonvale 1.2|2.0"}));
    EXPECT_EQ(w->lvwLesson->columnWidth(0), 200);

    select("Prod2");
    EXPECT_EQ(headers(), QStringList({"Class ID", "Class Name", "Class Year", "Grade", "Educator"}));
    const QStringList products = listRows();
    ASSERT_EQ(products.size(), 11);
    EXPECT_EQ(products[0], "Default|Default|||");
    EXPECT_EQ(products[2], "Class 2|Strings|2024|5|");
    EXPECT_EQ(products[10], "Class 10||||");
    EXPECT_EQ(w->lvwLesson->topLevelItem(2)->data(0, ClassIdRole).toInt(), 13);
    // Every row can be read whole: "Class 10" beside its picture, not "Clas...".
    const QAbstractItemView* view = w->lvwLesson;
    for (int c = 0; c < w->lvwLesson->columnCount(); ++c)
        EXPECT_GE(w->lvwLesson->columnWidth(c), view->sizeHintForColumn(c)) << c;
    EXPECT_GE(w->lvwLesson->columnWidth(0), 1000 / 15);

    select("Class 13");
    EXPECT_EQ(headers(), QStringList({"Student Name", "Computer Name", "Password"}));
    EXPECT_EQ(listRows(), QStringList({"Ann|LAB1|pw1", "Ann|LAB2|"}));

    select("AnnLAB1013", ann);
    EXPECT_EQ(headers(), QStringList({"Lesson Name", "Level", "Difficulty", "Completed", "Average", "Attempts"}));
    // Title order; lesson 0 hidden; 13 done of 12 is all of it; an unknown lesson keeps its
    // own figures and leaves the catalogue's cells empty; a missing value shows as nothing.
    EXPECT_EQ(listRows(), QStringList({" 1.  Identify these intervals.|2|Incremental|55%|80%|",
                                       " 2.  Playback or Write the following melodies.|4|Incremental|100%|87.5%|3",
                                       "Eight|1||||2"}));
    EXPECT_EQ(w->lvwLesson->topLevelItem(0)->icon(0).cacheKey(), imgLessons(3).cacheKey());
    EXPECT_TRUE(w->lvwLesson->topLevelItem(2)->icon(0).isNull());

    select("SamLAB3000", sop);
    EXPECT_EQ(listRows(), QStringList({" 5.  Semitones|3|Beginner|0%|100%|7",
                                       "40. Name the following intervals.|0|Intermediate|100%|50%|1",
                                       "99. Nothing|0|||10%|1"}));
    // Lesson 40 of the first product is of its third topic, intervals.
    EXPECT_EQ(w->lvwLesson->topLevelItem(1)->icon(0).cacheKey(), imgLessons(3).cacheKey());
}

TEST(RosterFigures, CompletedIsAWholePercentOfTheCatalogueCountNeverAboveAll) {
    const struct { double done; int count; int percent; } cases[] = {
        {9, 18, 50}, {5, 18, 27}, {13, 12, 100}, {12, 12, 100}, {0, 12, 0}, {5, 0, 0}, {-3, 12, 0}, {1, 3, 33},
    };
    for (const auto& c : cases) EXPECT_EQ(completedPercent(c.done, c.count), c.percent) << c.done << "/" << c.count;
}

TEST_F(Roster, ReportAndEditCommandsFollowTheSelectedNode) {
    addStudent(db, "Ann", "LAB1", 13);
    w->UpdateTreeView();
    auto reportOn = [this] {
        const bool on = w->mnuViewReport->isEnabled();
        EXPECT_EQ(w->mnuConfigReport->isEnabled(), on);
        EXPECT_EQ(w->mnuPopupReport->isEnabled(), on);
        EXPECT_EQ(w->toolbarButtons.at(4)->isEnabled(), on);
        return on;
    };
    const struct { const char* key; bool report; bool edit; } cases[] = {
        {"PRoot", false, false}, {"Prod1", false, false}, {"Class 13", true, true}, {"AnnLAB1013", true, false},
    };
    for (const auto& c : cases) {
        select(c.key);
        EXPECT_EQ(reportOn(), c.report) << c.key;
        EXPECT_EQ(w->mnuEditEdit->isEnabled(), c.edit) << c.key;
        // A click in the list makes Edit follow the list: only a product's classes are edited there.
        w->show();
        QTest::mouseClick(w->lvwLesson->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(w->mnuEditEdit->isEnabled(), QString(c.key) == "Prod1") << c.key;
    }
}
