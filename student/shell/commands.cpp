// The main window's commands: the menu items, the toolbar's buttons and the help buttons, each
// reaching the dialog, window or lesson switch it names.
#include "mainwindow.h"

#include "about.h"
#include "scorebounds.h"

#include "common/basic.h"
#include "common/helpwindow.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "student/lessons/menurules.h"
#include "student/palettes/palettespecs.h"
#include "student/palettes/paletteregistry.h"
#include "student/shell/classlink/frmconfig.h"
#include "student/profile/passworddialog.h"
#include "student/profile/playerdialog.h"
#include "student/profile/playersession.h"
#include "student/profile/profilestore.h"
#include "student/shell/report/reportmodule.h"
#include "student/shell/report/reportoptions.h"

#include <QApplication>
#include <QDialog>
#include <QTreeWidget>

namespace shell {

namespace {
tonvale::PlayerSession& session() { return tonvale::PlayerSession::instance(); }
} // namespace

// ---- Help ------------------------------------------------------------------------------------

void FrmTonvale::cmdHelp_Click() {
    int lesson = 0;
    for (int row = 1; row <= lvwLesson->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = lvwLesson->topLevelItem(row - 1);
        if (!item->isSelected()) continue;
        lesson = int(basic::Val(item->text(0)));
        SelectedLessonRow = row;
        break;
    }
    HelpContextID = lesson;
    showHelp();
}

void FrmTonvale::showHelp() { showHelp(HelpContextID); }

void FrmTonvale::showHelp(int context) {
    const QString page = context >= 1 && context <= 7 ? QStringLiteral("lesson%1.html").arg(context)
                                                      : QStringLiteral("index.html");
    common::HelpWindow::showPage(platform::Paths::shareFile("help"), page, QStringLiteral("Tonvale Help"), this);
}

// ---- Commands ---------------------------------------------------------------------------------

void FrmTonvale::onMenuCommand(const QString& name, int index) { runMenuCommand(name, index); }

void FrmTonvale::runMenuCommand(const QString& name, int index) {
    if (name == "mnuFileExit") close();
    else if (name == "mnuGameNewLesson") mnuGameNewLesson_Click();
    else if (name == "mnuGamePlayer") mnuGamePlayer_Click();
    else if (name == "mnuGameRestart") mnuGameRestart_Click();
    else if (name == "mnuHelpContent") mnuHelpContent_Click();
    else if (name == "mnuIntervalTerm") mnuIntervalTerm_Click(index);
    else if (name == "mnuAbout") mnuAbout_Click();
    else if (name == "mnuBounds") showScoreBounds(session(), this);
    else if (name == "mnuChangePassword") mnuChangePassword_Click();
    else if (name == "mnuConfigNetwork") {
        if (classLink_) classlink::showNetworkSettings(*classLink_, this);
    }
    else if (name == "mnuConfigReport") customizeReport(this);
    else if (name == "mnuExport") tonvale::ProfileStore::exportPlayer();
    else if (name == "mnuImport") tonvale::ProfileStore::importPlayer();
    else if (name == "mnuViewReport") showPlayerReport(session().PlayerName, this);
    else if (name == "mnuPracticeMode") mnuPracticeMode_Click();
    else if (name == "mnuPiano" || name == "mnuDrum") palettes_->toggle(name);
    else if (name == "mnuDevice") mnuDevice_Click(index);
    else if (lessons::viewPaletteItems().contains(name)) {
        palettes_->toggle(name);
    }
}

void FrmTonvale::Toolbar_ButtonClick(const QString& key) {
    if (key == "User") {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != "frmPlayer" && w->objectName() != "frmPassword") continue;
            if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible()) dialog->reject();
            else if (w->isVisible()) w->close();
        }
        choosePlayer();
    } else if (key == "New") {
        mnuGameNewLesson_Click();
    } else if (key == "Practice") {
        mnuPracticeMode_Click();
    } else if (key == "Report") {
        showPlayerReport(session().PlayerName, this);
    } else if (key == "Piano") {
        palettes_->toggle("mnuPiano");
    } else if (key == "Drum") {
        palettes_->toggle("mnuDrum");
    }
}

void FrmTonvale::mnuGameNewLesson_Click() {
    if (!ConfirmQuit()) return;
    state.ExerciseRunning = false;
    SelectFrame(0);
    UpdateMenu();
    state.tools.setMousePointer(lessons::kPointerDefault);
}

void FrmTonvale::mnuGamePlayer_Click() { choosePlayer(); }

void FrmTonvale::choosePlayer() {
    tonvale::PlayerDialog::showPlayerDialog(this);
    afterPlayerChoice();
}

void FrmTonvale::afterPlayerChoice() {
    fraScore->hide();
    lvwLesson->hide();
    update();
    SelectFrame(0);
    UpdateMenu();
}

void FrmTonvale::mnuGameRestart_Click() {
    const int answer = platform::Dialogs::instance().messageBox(
        "Are you sure you want to restart this lesson from the beginning?", platform::YesNo, "Question", this);
    if (answer != platform::AnsYes) return;
    tonvale::PlayerSession& s = session();
    state.CurrentLevel = 2;
    const int n = state.CurrentLesson;
    if (n >= 0 && n <= 7) {
        s.AttemptCount[n] = 0;
        s.AverageScore[n] = 100;
        s.CompletedLevel[n] = 0;
    }
    SelectFrame(n);
}

void FrmTonvale::mnuIntervalTerm_Click(int index) {
    if (index < 1 || index > 3) return;
    for (int i = 1; i <= 3; ++i) menus_->intervalTerm(i)->setChecked(i == index);
    session().IntervalStyle = index;
    tonvale::ProfileStore::SaveProfile(session(), state.CurrentLesson, state.CurrentLevel,
                                       tonvale::ProfileStore::SaveReason::Settings);
    palettes::setIntervalImages(state.tools, index);
}

void FrmTonvale::mnuPracticeMode_Click() {
    QAction* item = menus_->item("mnuPracticeMode");
    item->setChecked(!item->isChecked());
    session().PracticeMode = item->isChecked();
    setPracticeIndicator();
    tonvale::ProfileStore::SaveProfile(session(), state.CurrentLesson, state.CurrentLevel,
                                       tonvale::ProfileStore::SaveReason::Settings);
}

void FrmTonvale::mnuChangePassword_Click() {
    const QString answer = tonvale::PasswordDialog::NewPassword(this);
    if (answer == tonvale::kCancelSentinel) return;
    session().PlayerPassword = answer;
    tonvale::ProfileStore::SaveProfile(session(), state.CurrentLesson, state.CurrentLevel,
                                       tonvale::ProfileStore::SaveReason::Password);
}

void FrmTonvale::mnuAbout_Click() {
    FrmAbout about(this);
    platform::Dialogs::instance().runModal(about);
}

void FrmTonvale::mnuHelpContent_Click() { showHelp(0); }

void FrmTonvale::showPlayerReport(const QString& playerName, QWidget* owner) {
    report::openStudentReport(playerName, owner);
}

void FrmTonvale::customizeReport(QWidget* owner) { report::showReportOptions(owner); }

} // namespace shell
