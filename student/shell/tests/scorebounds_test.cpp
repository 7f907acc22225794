// The score bounds dialog: what it opens on, how a pick keeps the bounds apart, OK and Cancel.
#include "student/shell/scorebounds.h"

#include "platform/dialogs.h"
#include "student/profile/playersession.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace shell {
namespace {

struct BoundsCase {
    const char* what;
    int upper, lower;            // the session's bounds when the dialog opens
    const char* shownUpper;
    const char* shownLower;
    const char* pickUpper;       // nullptr: no pick in that box
    const char* pickLower;
    const char* afterUpper;
    const char* afterLower;
};

TEST(ScoreBounds, OpensPicksAndKeepsTheLowerBoundBelow) {
    const BoundsCase cases[] = {
        {"a new player's bounds are not listed", 89, 79, "90", "85", nullptr, nullptr, "90", "85"},
        {"lowest bounds", 60, 55, "60", "55", nullptr, nullptr, "60", "55"},
        {"highest bounds", 100, 95, "100", "95", nullptr, nullptr, "100", "95"},
        {"upper 70 over lower 75", 90, 75, "90", "75", "70", nullptr, "70", "65"},
        {"upper 100 over lower 80", 90, 80, "90", "80", "100", nullptr, "100", "80"},
        {"upper to the lower's value", 90, 80, "90", "80", "80", nullptr, "80", "75"},
        {"lower 95 under upper 90", 90, 80, "90", "80", nullptr, "95", "90", "85"},
        {"lower picked below upper", 90, 80, "90", "80", nullptr, "50", "90", "50"},
        {"lower equal to upper 60", 60, 50, "60", "50", nullptr, "60", "60", "55"},
    };
    for (const BoundsCase& c : cases) {
        SCOPED_TRACE(c.what);
        tonvale::PlayerSession s;
        s.UpperBound = c.upper;
        s.LowerBound = c.lower;
        FrmScoreBounds dlg(s);
        EXPECT_EQ(dlg.cboUpper->currentText(), c.shownUpper);
        EXPECT_EQ(dlg.cboLower->currentText(), c.shownLower);
        if (c.pickUpper) emit dlg.cboUpper->activated(dlg.cboUpper->findText(c.pickUpper));
        if (c.pickLower) emit dlg.cboLower->activated(dlg.cboLower->findText(c.pickLower));
        EXPECT_EQ(dlg.cboUpper->currentText(), c.afterUpper);
        EXPECT_EQ(dlg.cboLower->currentText(), c.afterLower);
        dlg.cmdOK->click();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(s.UpperBound, QString(c.afterUpper).toInt());
        EXPECT_EQ(s.LowerBound, QString(c.afterLower).toInt());
    }
}

TEST(ScoreBounds, CancelChangesNothingAndTheBoxesTakeNoTyping) {
    tonvale::PlayerSession s;
    s.UpperBound = 89;
    s.LowerBound = 79;
    s.IntervalStyle = 2;
    FrmScoreBounds dlg(s);
    EXPECT_EQ(dlg.windowTitle(), "Score Range");
    EXPECT_FALSE(dlg.cboUpper->isEditable());
    EXPECT_FALSE(dlg.cboLower->isEditable());
    QStringList upper, lower;
    for (int i = 0; i < dlg.cboUpper->count(); ++i) upper << dlg.cboUpper->itemText(i);
    for (int i = 0; i < dlg.cboLower->count(); ++i) lower << dlg.cboLower->itemText(i);
    EXPECT_EQ(upper, (QStringList{"100", "95", "90", "85", "80", "75", "70", "65", "60"}));
    EXPECT_EQ(lower, (QStringList{"95", "90", "85", "80", "75", "70", "65", "60", "55", "50"}));
    EXPECT_TRUE(dlg.lblInfo->text().startsWith("Change the limits for the scores here.\r\n\r\nA score equal"));
    emit dlg.cboUpper->activated(0);
    emit dlg.cboLower->activated(9);
    dlg.cmdCancel->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(s.UpperBound, 89);
    EXPECT_EQ(s.LowerBound, 79);
    EXPECT_EQ(s.IntervalStyle, 2);
}

TEST(ScoreBounds, RunsModallyThroughTheDialogsService) {
    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride guard(&dialogs);
    tonvale::PlayerSession s;
    dialogs.modalHandlers["frmScoreBounds"] = [](QDialog& d) {
        auto& dlg = static_cast<FrmScoreBounds&>(d);
        emit dlg.cboUpper->activated(dlg.cboUpper->findText("75"));
        dlg.cmdOK->click();
        return dlg.result();
    };
    EXPECT_EQ(showScoreBounds(s, nullptr), QDialog::Accepted);
    EXPECT_EQ(dialogs.modalsShown, QStringList{"frmScoreBounds"});
    EXPECT_EQ(s.UpperBound, 75);
    EXPECT_EQ(s.LowerBound, 70);
}

} // namespace
} // namespace shell
