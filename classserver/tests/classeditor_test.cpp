// The class editor: which class it edits, what it shows, and what Update and Cancel leave.
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "classserver/frmclass.h"
#include "windowfixture.h"

using namespace classserver;
using namespace testsupport;

TEST_F(WindowFixture, TheClassEditorEditsTheChosenClassAndSaysWhenItCannot) {
    const struct {
        const char* what;
        const char* selected;   // key of the tree node selected
        int listRow;            // with a product selected: the list row chosen (-1 none)
        bool deleteRow;         // the class's row is gone before Update
        bool update;            // Update, else Cancel
        int classId;            // the class edited
        const char* product;    // lblPruductName
        const char* number;     // lblClassID
        const char* loaded;     // the four boxes at load: name|year|grade|educator
        const char* message;    // shown at Update, or none
        bool changed;           // DataChanged afterwards
    } cases[] = {
        {"a class of the second product", "Class 14", -1, false, true, 14, "Tonvale 1.2", "Class 3",
         "Class 3|||", nullptr, true},
        {"the third row of the first product", "Prod1", 2, false, true, 2, "Sopranel 2.1", "Class 2", "Class 2|||",
         nullptr, true},
        {"the third row of the second product", "Prod2", 2, false, true, 13, "Tonvale 1.2", "Class 2", "Class 2|||",
         nullptr, true},
        {"a Default class", "Class 11", -1, false, true, 11, "Tonvale 1.2", "Class 0", "Default|||", nullptr, true},
        {"Cancel after typing", "Class 14", -1, false, false, 14, "Tonvale 1.2", "Class 3", "Class 3|||", nullptr,
         false},
        {"a class whose row is gone", "Class 15", -1, true, true, 15, "Tonvale 1.2", "Class 4", "Class 4|||",
         "There is no record of Class 4 of Tonvale 1.2 in the class database: nothing was saved.", false},
    };
    w->show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(execSql(db, "UPDATE Class SET ClassName = CASE WHEN ClassID % 11 = 0 THEN 'Default' "
                                "ELSE 'Class ' || (ClassID % 11) END, ClassYear = NULL, Grade = NULL, Educator = NULL"));
        w->UpdateTreeView();
        w->DataChanged = false;
        dialogs.shown.clear();
        select(c.selected);
        if (c.listRow >= 0) {
            // A click on the class's row makes it editable.
            QTreeWidgetItem* row = w->lvwLesson->topLevelItem(c.listRow);
            EXPECT_FALSE(w->mnuEditEdit->isEnabled());
            QTest::mouseClick(w->lvwLesson->viewport(), Qt::LeftButton, {},
                              w->lvwLesson->visualItemRect(row).center());
            EXPECT_EQ(w->lvwLesson->currentItem(), row);
        }
        EXPECT_TRUE(w->mnuEditEdit->isEnabled());
        const QStringList before = rows(db, "SELECT * FROM Class ORDER BY ClassID");

        QString loaded, product, number;
        dialogs.modalHandlers["frmClass"] = [&](QDialog& d) {
            auto& dlg = static_cast<FrmClass&>(d);
            product = dlg.lblPruductName->text();
            number = dlg.lblClassID->text();
            loaded = QStringList({dlg.txtClassName->text(), dlg.txtClassYear->text(), dlg.txtGrade->text(),
                                  dlg.txtEducator->text()})
                         .join('|');
            dlg.txtClassName->setText("Brass");
            dlg.txtClassYear->setText("2025");
            dlg.txtGrade->setText("");
            dlg.txtEducator->setText("Mr O'Hara");
            if (c.deleteRow) execSql(db, "DELETE FROM Class WHERE ClassID = ?", {c.classId});
            (c.update ? dlg.cmdUpdate : dlg.cmdCancel)->click();
            return dlg.result();
        };
        w->mnuEditEdit->trigger();

        EXPECT_EQ(product, c.product);
        EXPECT_EQ(number, c.number);
        EXPECT_EQ(loaded, c.loaded);
        EXPECT_EQ(w->DataChanged, c.changed);
        if (c.message) {
            ASSERT_EQ(dialogs.shown.size(), 1);
            EXPECT_EQ(dialogs.shown[0].text, c.message);
        } else {
            EXPECT_TRUE(dialogs.shown.isEmpty());
        }
        const QString row = rows(db, "SELECT ClassName, ClassYear, Grade, Educator FROM Class WHERE ClassID = ?",
                                 {c.classId})
                                .value(0);
        if (c.deleteRow) EXPECT_TRUE(row.isEmpty());
        else if (c.update) EXPECT_EQ(row, "Brass|2025||Mr O'Hara");
        else EXPECT_EQ(rows(db, "SELECT * FROM Class ORDER BY ClassID"), before);
        if (c.deleteRow) {
            ASSERT_TRUE(execSql(db, "INSERT INTO Class (ClassID, ClassName, ProductID) VALUES (?, 'Class 4', 2)",
                                {c.classId}));
        }
    }
}
