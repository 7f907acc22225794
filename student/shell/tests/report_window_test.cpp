// The student report and its options from the main window and the player dialog: which
// player is reported, who owns the windows, and that reporting leaves the player state alone.
#include "shelltestsupport.h"

#include "common/report/reportpreview.h"
#include "student/shell/report/studentreport.h"

#include <QTextDocument>
#include <QTreeWidget>

namespace shell {
namespace {

using testing::ShellTest;

class ReportWindow : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        report::setReportToday([] { return QDate(2024, 3, 5); });
        // Each report shown: its caption, owner and text (blanks made single spaces).
        dialogs_.modalHandlers["rptStudentReport"] = [this](QDialog& d) {
            auto& preview = static_cast<common::ReportPreview&>(d);
            reports_ << Shown{preview.windowTitle(), preview.parentWidget(), preview.document()->toPlainText().simplified()};
            return 0;
        };
        dialogs_.modalHandlers["frmReportOptions"] = [this](QDialog& d) {
            optionOwners_ << d.parentWidget();
            return 0;
        };
    }
    void TearDown() override {
        report::setReportToday(nullptr);
        ShellTest::TearDown();
    }

    std::unique_ptr<FrmTonvale> annLoggedIn() {
        writeProfile(testing::twoPlayerProfile());
        auto frm = loadedWindow();
        scriptLogin("Ann", "pw");
        frm->runMenuCommand("mnuGamePlayer");
        EXPECT_EQ(session().PlayerName, "Ann");
        return frm;
    }

    struct Shown {
        QString caption;
        QWidget* owner;
        QString text;
    };
    QVector<Shown> reports_;
    QVector<QWidget*> optionOwners_;
};

TEST_F(ReportWindow, ViewReportAndTheToolbarReportTheCurrentPlayer) {
    auto frm = annLoggedIn();
    frm->runMenuCommand("mnuViewReport");
    frm->toolbar()->buttonByKey("Report")->trigger();
    ASSERT_EQ(reports_.size(), 2);
    for (const Shown& r : reports_) {
        EXPECT_EQ(r.caption, "Student Report");
        EXPECT_EQ(r.owner, frm.get());
        EXPECT_TRUE(r.text.contains("Student Name: Ann"));
        EXPECT_TRUE(r.text.contains("Date: " + report::longDate(QDate(2024, 3, 5))));
        EXPECT_TRUE(r.text.contains("1. Identify these intervals. Incremental 75% 6 33%")) << r.text.toStdString();
    }
    frm->runMenuCommand("mnuConfigReport");
    EXPECT_EQ(optionOwners_, QVector<QWidget*>{frm.get()});
}

TEST_F(ReportWindow, WithoutAPlayerTheReportShowsTheEmptyName) {
    writeProfile(testing::twoPlayerProfile());
    auto frm = loadedWindow();
    ASSERT_TRUE(session().PlayerName.isEmpty());
    EXPECT_TRUE(frm->menus()->item("mnuViewReport")->isEnabled());
    EXPECT_TRUE(frm->toolbar()->buttonByKey("Report")->isEnabled());
    frm->toolbar()->buttonByKey("Report")->trigger();
    ASSERT_EQ(reports_.size(), 1);
    EXPECT_TRUE(reports_[0].text.contains("Student Name: LessonName:")) << reports_[0].text.toStdString();
    EXPECT_TRUE(reports_[0].text.contains("3. Identify these chords. Incremental 0% 0 0%"));
    EXPECT_TRUE(reports_[0].text.contains("Number of Lessons 7"));
}

TEST_F(ReportWindow, ThePlayerDialogReportsAnotherPlayerAndTheNextSaveKeepsTheCurrentOne) {
    auto frm = annLoggedIn();
    const QString before = profileText();
    const tonvale::PlayerSession kept = session();
    // The player dialog: Bob's report and the options, then Cancel.
    QWidget* playerDialog = nullptr;
    dialogs_.modalHandlers["frmPlayer"] = [&](QDialog& dlg) {
        playerDialog = &dlg;
        auto* list = dlg.findChild<QListWidget*>("lbxNames");
        list->setCurrentItem(list->findItems("Bob", Qt::MatchExactly).first());
        dlg.findChild<QPushButton*>("cmdReport")->click();
        dlg.findChild<QPushButton*>("cmdCustReport")->click();
        dlg.findChild<QPushButton*>("cmdCancel")->click();
        return dlg.result();
    };
    frm->runMenuCommand("mnuGamePlayer");
    ASSERT_EQ(reports_.size(), 1);
    EXPECT_EQ(reports_[0].owner, playerDialog);
    EXPECT_TRUE(reports_[0].text.contains("Student Name: Bob"));
    EXPECT_EQ(optionOwners_, QVector<QWidget*>{playerDialog});

    EXPECT_EQ(session().PlayerName, "Ann");
    EXPECT_EQ(session().UpperBound, kept.UpperBound);
    EXPECT_EQ(session().LessonProgress, kept.LessonProgress);
    EXPECT_EQ(session().AttemptCount, kept.AttemptCount);
    EXPECT_EQ(session().CompletedLevel, kept.CompletedLevel);
    // The next save (lesson 1 at Ann's stored level 4) writes Ann's block as it was.
    ASSERT_EQ(tonvale::ProfileStore::SaveProfile(session(), 1, 4, tonvale::ProfileStore::SaveReason::Settings),
              tonvale::ProfileStore::SaveResult::Saved);
    EXPECT_EQ(profileText().toStdString(), before.toStdString());
}

TEST_F(ReportWindow, AReportDuringAnExerciseLeavesItsState) {
    auto frm = annLoggedIn();
    frm->lvwLesson->topLevelItem(0)->setSelected(true);
    frm->cmdStart_Click();
    ASSERT_EQ(frm->state.CurrentLesson, 1);
    ASSERT_TRUE(frm->state.ExerciseRunning);
    session().AttemptCount[1] = 9;
    session().AverageScore[1] = 42;
    const qint16 level = frm->state.CurrentLevel;
    const bool practice = frm->menus()->item("mnuPracticeMode")->isChecked();
    frm->toolbar()->buttonByKey("Report")->trigger();
    ASSERT_EQ(reports_.size(), 1);
    EXPECT_EQ(frm->state.CurrentLevel, level);
    EXPECT_EQ(session().AttemptCount[1], 9);
    EXPECT_EQ(session().AverageScore[1], 42);
    EXPECT_EQ(frm->menus()->item("mnuPracticeMode")->isChecked(), practice);
    EXPECT_TRUE(frm->state.ExerciseRunning);
}

} // namespace
} // namespace shell
