// The class server from end to end: the real window, student programs of both products on
// loopback, and everything an instructor does in a lesson's time.
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>

#include "classserver/frmclass.h"
#include "common/report/reportpreview.h"
#include "common/storedtext/storedtext.h"
#include "fakeclient.h"
#include "platform/vexel/vexel.h"
#include "student/shell/classlink/classlinkclient.h"
#include "testoutput.h"
#include "windowfixture.h"

using namespace classserver;
using namespace testsupport;

namespace {

class EndToEnd : public WindowFixture {
protected:
    classlink::ClassLinkClient& studentProgram(const QString& computer, const QString& profile) {
        folders.push_back(std::make_unique<QTemporaryDir>());
        auto c = std::make_unique<classlink::ClassLinkClient>();
        c->setDataFolder(folders.back()->path());
        c->setComputerNameSource([computer] { return computer; });
        common::SaveStoredText(folders.back()->path() + "/Tonvale.txt", profile);
        classlink::writeClientConfig(folders.back()->path() + "/Client.cfg", "127.0.0.1",
                                     QString::number(w->listeningPort()));
        c->ConnectToServer();
        programs.push_back(std::move(c));
        return *programs.back();
    }
    void refresh() {
        QSignalSpy done(w.get(), &frmHallbrin::pollFinished);
        w->mnuRefresh->trigger();
        ASSERT_TRUE(waitUntil([&] { return done.count() == 1; }, 20000));
    }
    void drop(QTreeWidgetItem* dragged, QTreeWidgetItem* target) {
        select(dragged);
        QAbstractItemModel* model = w->tvwLesson->model();
        std::unique_ptr<QMimeData> data(model->mimeData({w->tvwLesson->indexFromItem(dragged)}));
        model->dropMimeData(data.get(), Qt::MoveAction, -1, -1, w->tvwLesson->indexFromItem(target));
    }
    QTreeWidgetItem* studentNamed(const QString& name) {
        for (QTreeWidgetItemIterator it(w->tvwLesson); *it; ++it)
            if (nodeTag(*it) == "student" && (*it)->text(0) == name) return *it;
        return nullptr;
    }
    // Every student as "product/class/name".
    QStringList roster() {
        QStringList out;
        for (QTreeWidgetItemIterator it(w->tvwLesson); *it; ++it)
            if (nodeTag(*it) == "student")
                out << (*it)->parent()->parent()->text(0) + "/" + (*it)->parent()->text(0) + "/" + (*it)->text(0);
        return out;
    }

    std::vector<std::unique_ptr<QTemporaryDir>> folders;
    std::vector<std::unique_ptr<classlink::ClassLinkClient>> programs;
};

} // namespace

TEST_F(EndToEnd, AnInstructorsLesson) {
    w->show();
    w->today = [] { return QDate(2024, 10, 7); };
    studentProgram("LAB1", block("Ann", "fugue", {"lesson1=L3S80M5Q2", "lesson2=L4S90M13Q4"}) +
                               block("Ben", "canon", {"lesson1=L2S60M9Q1"}));
    studentProgram("LAB2", block("Cara", "rondo", {"lesson3=L2S70M6Q3"}));
    FakeClient other(w->listeningPort());
    other.onRequest = FakeClient::answering(
        "LAB3", "Sopranel 2.0",
        platform::Vexel::EncodeText(block("Dora", "motet", {"lesson40=L2S75M2Q1"}), platform::kStoredTextKey));
    ASSERT_TRUE(waitUntil([&] { return w->server().clientCount() == 3; }));

    // Refresh: each program's players under its product's Default class.
    refresh();
    EXPECT_EQ(roster(), QStringList({"Sopranel 2.1/Default/Dora", "Tonvale 1.2/Default/Ann",
                                     "Tonvale 1.2/Default/Ben", "Tonvale 1.2/Default/Cara"}));
    EXPECT_TRUE(w->DataChanged);

    // The list for every kind of node.
    select("PRoot");
    EXPECT_EQ(listRows(), QStringList({"Sopranel 2.1|2.0", "Tonvale 1.2|2.0"}));
    select("Prod2");
    EXPECT_EQ(listRows().size(), 11);
    select("Class 11");
    EXPECT_EQ(listRows(), QStringList({"Ann|LAB1|fugue", "Ben|LAB1|canon", "Cara|LAB2|rondo"}));
    select(studentNamed("Ann"));
    const QStringList ann = listRows();
    ASSERT_EQ(ann.size(), 7);
    EXPECT_EQ(ann[0], " 1.  Identify these intervals.|2|Incremental|55%|80%|2");
    EXPECT_EQ(ann[1], " 2.  Playback or Write the following melodies.|3|Incremental|100%|90%|4");
    select(studentNamed("Dora"));
    EXPECT_EQ(listRows().size(), 98);

    // Ann and Ben go to Class 3 of the second product; Dora cannot follow them there.
    drop(studentNamed("Ann"), node("Class 14"));
    drop(studentNamed("Ben"), node("Class 14"));
    drop(studentNamed("Dora"), node("Class 14"));
    EXPECT_EQ(rows(db, "SELECT StudentName, ClassID FROM Student ORDER BY StudentName"),
              QStringList({"Ann|14", "Ben|14", "Cara|11", "Dora|0"}));
    EXPECT_EQ(children(node("Class 14")), QStringList({"Ann", "Ben"}));

    // The class gets its name in the class editor.
    select("Class 14");
    dialogs.modalHandlers["frmClass"] = [](QDialog& d) {
        auto& dlg = static_cast<FrmClass&>(d);
        EXPECT_EQ(dlg.lblPruductName->text(), "Tonvale 1.2");
        EXPECT_EQ(dlg.lblClassID->text(), "Class 3");
        EXPECT_EQ(dlg.txtClassName->text(), "Class 3");
        dlg.txtClassName->setText("Strings");
        dlg.txtClassYear->setText("2024");
        dlg.txtGrade->setText("5");
        dlg.txtEducator->setText("Ms Lind");
        dlg.cmdUpdate->click();
        return dlg.result();
    };
    w->mnuEditEdit->trigger();
    select("Prod2");
    EXPECT_EQ(listRows()[3], "Class 3|Strings|2024|5|Ms Lind");
    const QStringList saved = roster();

    // Save As Monday, a fresh New, and Monday opened again shows the same roster.
    QTemporaryDir keep;
    const QString monday = keep.path() + "/Monday.mdb";
    dialogs.files = {keep.path() + "/Monday"};
    w->mnuFileSaveAs->trigger();
    EXPECT_EQ(w->DatabasePath, monday);
    EXPECT_EQ(w->tvwLesson->topLevelItem(0)->text(0), "Monday.mdb");
    EXPECT_FALSE(QFile::exists(data.path() + "/default.mdb"));
    {
        QSignalSpy done(w.get(), &frmHallbrin::pollFinished);
        w->mnuFileNew->trigger();
        ASSERT_TRUE(waitUntil([&] { return done.count() == 1; }, 20000));
    }
    EXPECT_EQ(w->DatabasePath, data.path() + "/default.mdb");
    EXPECT_EQ(roster(), QStringList({"Sopranel 2.1/Default/Dora", "Tonvale 1.2/Default/Ann",
                                     "Tonvale 1.2/Default/Ben", "Tonvale 1.2/Default/Cara"}));
    EXPECT_FALSE(w->DataChanged);
    dialogs.files = {monday};
    {
        QSignalSpy done(w.get(), &frmHallbrin::pollFinished);
        w->mnuFileOpen->trigger();
        ASSERT_TRUE(waitUntil([&] { return done.count() == 1; }, 20000));
    }
    // New's poll was never saved: Open keeps it in a file of its own and says where.
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].title, "Open");
    const QStringList kept = keptCopies(data.path());
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].text.contains(kept[0])) << dialogs.shown[0].text.toStdString();
    EXPECT_EQ(count(kept[0], "Student"), 4);
    EXPECT_EQ(w->DatabasePath, monday);
    EXPECT_EQ(roster(), saved);

    // The class report, exported as PDF: each student's seven lessons (13 exercises done of
    // lesson 2's 12 is all of it) and the figures over them.
    select("Class 14");
    w->mnuViewReport->trigger();
    ASSERT_NE(w->rptStudentScores, nullptr);
    const QString pdf = keep.path() + "/Class 3.pdf";
    dialogs.files = {pdf};
    w->rptStudentScores->cmdExportPdf->click();
    ASSERT_TRUE(QFile::exists(pdf));
    QFile::remove(testOutputPath("hallbrin_class_report.pdf"));
    QFile::copy(pdf, testOutputPath("hallbrin_class_report.pdf"));
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    ASSERT_FALSE(pdftotext.isEmpty()) << "pdftotext (poppler-utils) is needed to read the report back";
    QProcess p;
    p.start(pdftotext, {"-layout", pdf, "-"});
    ASSERT_TRUE(p.waitForFinished(20000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput()).simplified();
    for (const char* expected :
         {"Student Name: Ann", "Student Name: Ben", "Product Name: Tonvale 1.2", "Class Name: Strings", "Grade: 5",
          "Educator: Ms Lind", "Total Average 24.3%", "Total Attempts 6", "Total Completed 22.2%", "Number of Lessons 7",
          "Total Average 8.6%", "Total Attempts 1", "Total Completed 14.3%", "Class Average 16.4%", "ClassID: 14", "100%"})
        EXPECT_TRUE(text.contains(expected)) << expected << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains("Cara"));
}
