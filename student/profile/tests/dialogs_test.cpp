#include "testsupport.h"

#include "student/profile/passworddialog.h"
#include "student/profile/playerdialog.h"

#include "testoutput.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QTest>

using namespace tonvale;
using namespace tonvale::testing;
using common::CRLF;

namespace {

const QString kAnn = lines({"begin", "name=Ann", "password=Secret", "upper=89", "lower=79", "end"});
const QString kLowerAnn = lines({"begin", "name=ann", "password=other", "upper=89", "lower=79", "end"});
const QString kBob = lines({"begin", "name=Bob", "password=b", "upper=89", "lower=79", "lesson1=L3S85M2Q4", "end"});
const QString kWrong = "Password Verification Failure: Wrong Password, try again.";

class PlayerFormTest : public ProfileTest {
protected:
    PlayerForm& open() {
        form_.load();
        return form_;
    }
    int indexOf(const QString& name) const { return form_.names().indexOf(name); }
    PlayerForm form_;
};

} // namespace

// ---- Password dialog --------------------------------------------------------------------

TEST_F(ProfileTest, PasswordFormAnswersAsTypedOrCancels) {
    PasswordForm form;
    form.prepareGet("Ann");
    EXPECT_EQ(form.prompt, "Password for Ann");
    EXPECT_FALSE(form.verifyVisible);
    form.password = "  Mixed Case ";
    EXPECT_TRUE(form.clickOk());
    EXPECT_EQ(session().PasswordResult, "  Mixed Case ");

    form.prepareNew();
    EXPECT_EQ(form.prompt, "New Password");
    EXPECT_TRUE(form.verifyVisible);
    EXPECT_TRUE(form.password.isEmpty());
    form.password = "one";
    form.verify = "One";
    EXPECT_FALSE(form.clickOk());
    EXPECT_EQ(messages(), QStringList{"Password Verification Failure: Passwords don't match, please try again"});
    EXPECT_EQ(dialogs_.shown[0].style, platform::Exclamation);
    EXPECT_TRUE(form.password.isEmpty());
    EXPECT_TRUE(form.verify.isEmpty());
    EXPECT_EQ(session().PasswordResult, "");
    form.password = form.verify = "two";
    EXPECT_TRUE(form.clickOk());
    EXPECT_EQ(session().PasswordResult, "two");

    form.prepareNew();
    form.verify = "typed";
    form.clickCancel();
    EXPECT_EQ(session().PasswordResult, kCancelSentinel);
    EXPECT_TRUE(form.verify.isEmpty());
}

TEST_F(ProfileTest, PasswordDialogIsARealWindowDrivenByItsButtons) {
    session().PlayerName = "Ann";
    QString seenPrompt;
    bool verifyShown = true;
    dialogs_.modalHandlers["frmPassword"] = [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Password");
        seenPrompt = dlg.findChild<QLabel*>("lblPassword")->text();
        verifyShown = !dlg.findChild<QLineEdit*>("txtVerify")->isHidden();
        EXPECT_EQ(dlg.findChild<QLineEdit*>("txtPassword")->echoMode(), QLineEdit::Password);
        EXPECT_TRUE(dlg.findChild<QLineEdit*>("txtPassword")->text().isEmpty());
        dlg.findChild<QLineEdit*>("txtPassword")->setText("Secret");
        dlg.findChild<QPushButton*>("cmdOK")->click();
        return dlg.result();
    };
    EXPECT_EQ(PasswordDialog::GetPassword(), "Secret");
    EXPECT_EQ(seenPrompt, "Password for Ann");
    EXPECT_FALSE(verifyShown);

    // New password: a mismatch keeps the window open with empty boxes; then a match closes it.
    dialogs_.modalHandlers["frmPassword"] = [&](QDialog& dlg) {
        seenPrompt = dlg.findChild<QLabel*>("lblPassword")->text();
        verifyShown = !dlg.findChild<QLineEdit*>("txtVerify")->isHidden();
        auto* pw = dlg.findChild<QLineEdit*>("txtPassword");
        auto* verify = dlg.findChild<QLineEdit*>("txtVerify");
        pw->setText("a");
        verify->setText("b");
        dlg.findChild<QPushButton*>("cmdOK")->click();
        EXPECT_TRUE(pw->text().isEmpty());
        EXPECT_TRUE(verify->text().isEmpty());
        EXPECT_EQ(dlg.result(), 0);
        pw->setText("same");
        verify->setText("same");
        dlg.findChild<QPushButton*>("cmdOK")->click();
        return dlg.result();
    };
    EXPECT_EQ(PasswordDialog::NewPassword(), "same");
    EXPECT_EQ(seenPrompt, "New Password");
    EXPECT_TRUE(verifyShown);

    // Closed without its buttons (Escape, the close box, or never answered): cancelled.
    dialogs_.modalHandlers["frmPassword"] = [](QDialog& dlg) {
        dlg.reject();
        return dlg.result();
    };
    EXPECT_EQ(PasswordDialog::GetPassword(), kCancelSentinel);
    dialogs_.modalHandlers.clear();
    session().PasswordResult = "stale";
    EXPECT_EQ(PasswordDialog::NewPassword(), kCancelSentinel);
}

// ---- Player dialog: opening ---------------------------------------------------------------

TEST_F(PlayerFormTest, AnEmptyProfileOpensWithTheNewPlayerMessage) {
    writeProfile(QString());
    PlayerForm& form = open();
    EXPECT_TRUE(form.players.isEmpty());
    EXPECT_EQ(messages(), QStringList{"New Player: There are no User names in the list." + CRLF +
                                      "Create a new User name for a player then click the Add button." + CRLF +
                                      "Afterwards, You will be asked to create a new password for that User."});
    EXPECT_EQ(dialogs_.shown[0].style, platform::Information);
    EXPECT_FALSE(form.okEnabled || form.deleteEnabled || form.viewEnabled || form.addEnabled);
}

TEST_F(PlayerFormTest, OpeningSelectsTheFirstPlayerOnlyWhenTheMainWindowShows) {
    writeProfile(kAnn + kBob);
    PlayerForm& form = open();
    EXPECT_EQ(form.names(), (QStringList{"Ann", "Bob"}));
    EXPECT_EQ(form.selected, 0);
    EXPECT_TRUE(form.okEnabled && form.deleteEnabled && form.viewEnabled);
    EXPECT_FALSE(form.addEnabled);

    main_.visible = false;
    PlayerForm hidden;
    hidden.load();
    EXPECT_EQ(hidden.selected, -1);
    EXPECT_FALSE(hidden.okEnabled);
    writeProfile(QString());
    hidden.load();
    EXPECT_TRUE(dialogs_.shown.isEmpty());
}

TEST_F(PlayerFormTest, AnUnreadableProfileIsReportedOnceAndNeverRewritten) {
    writeProfile(kAnn + kBob);
    QByteArray broken = fileBytes(ProfileStore::profilePath());
    broken[5] = broken[5] == 'A' ? 'B' : 'A';
    putBytes(ProfileStore::profilePath(), broken);

    PlayerForm& form = open();
    const QString damaged = ProfileStore::profilePath() + " is cut short or damaged.";
    EXPECT_EQ(messages(), QStringList{"Profile Error: The player file could not be read." + CRLF + damaged + CRLF +
                                      "It has been left unchanged."});
    EXPECT_TRUE(form.players.isEmpty());
    // A player added: nothing reaches the file, so the player is neither created nor logged in.
    answerPasswords({QString("pw"), QString("pw")});
    form.changeName("Zed");
    form.clickAdd();
    form.clickList(0);
    form.clickOk();
    EXPECT_FALSE(form.closed);
    EXPECT_EQ(session().PlayerName, "");
    ASSERT_EQ(dialogs_.shown.size(), 2);
    EXPECT_EQ(messages()[1], "Profile Error: The player \"Zed\" could not be created." + CRLF + damaged + CRLF +
                                 "The player file has been left unchanged.");
    EXPECT_EQ(fileBytes(ProfileStore::profilePath()), broken);
}

TEST_F(PlayerFormTest, EachPlayerKeepsTheirOwnBlocksPassword) {
    const QString noPw = lines({"begin", "name=Nopw", "upper=89", "lower=79", "end"});
    writeProfile(noPw + kBob);
    PlayerForm& form = open();
    EXPECT_EQ(form.names(), (QStringList{"Nopw", "Bob"}));  // Bob is listed, not swallowed

    // Nopw logs in with an empty password, not Bob's.
    answerPasswords({QString("b"), QString("")});
    form.clickList(0);
    form.clickOk();
    EXPECT_EQ(messages(), QStringList{kWrong});
    EXPECT_TRUE(form.accepted);
    EXPECT_EQ(session().PlayerName, "Nopw");
    EXPECT_EQ(profileText(), noPw + kBob);  // both blocks kept
}

// ---- Player dialog: adding ------------------------------------------------------------------

TEST_F(PlayerFormTest, AddingAPlayerAndLoggingInWritesANewBlock) {
    writeProfile(kBob);
    PlayerForm& form = open();
    form.changeName("Carol");
    EXPECT_TRUE(form.addEnabled);
    answerPasswords({QString("c pw"), QString("C PW")});
    form.clickAdd();
    EXPECT_EQ(prompts_, QStringList{"New Password"});
    EXPECT_FALSE(form.addEnabled);
    EXPECT_TRUE(form.nameText.isEmpty());
    EXPECT_EQ(form.names(), (QStringList{"Bob", "Carol"}));
    EXPECT_EQ(profileText(), kBob);  // not saved until OK or Delete

    form.clickList(1);
    form.clickOk();
    EXPECT_EQ(prompts_.last(), "Password for Carol");
    EXPECT_TRUE(form.closed && form.accepted);
    EXPECT_EQ(session().PlayerName, "Carol");
    EXPECT_EQ(session().PlayerPassword, "C PW");  // as typed at the login
    EXPECT_EQ(profileText(), kBob + lines({"begin", "name=Carol", "password=c pw", "upper=89", "lower=79", "end"}));
    EXPECT_FALSE(QFileInfo::exists(ProfileStore::backupPath()));
}

TEST_F(PlayerFormTest, AddingChecksTheNameExactly) {
    writeProfile(kAnn);
    PlayerForm& form = open();
    form.changeName("Ann");
    form.clickAdd();
    EXPECT_EQ(messages(), QStringList{"Error: This name already exists. Please choose another."});
    EXPECT_EQ(form.names(), QStringList{"Ann"});
    EXPECT_TRUE(prompts_.isEmpty());

    // Another letter case is another player; a cancelled password leaves them without one.
    answerPasswords({std::nullopt});
    form.changeName("ann");
    form.clickAdd();
    EXPECT_EQ(form.names(), (QStringList{"Ann", "ann"}));
    EXPECT_FALSE(form.players[1].hasPassword);
    form.clickList(1);
    answerPasswords({QString("")});
    form.clickOk();
    EXPECT_TRUE(form.accepted);
    EXPECT_EQ(profileText(), kAnn + lines({"begin", "name=ann", "upper=89", "lower=79", "end"}));

    // A blank name is never listed.
    form.changeName("   ");
    answerPasswords({QString("x")});
    form.clickAdd();
    EXPECT_EQ(form.names().size(), 2);
}

TEST_F(PlayerFormTest, APastedNameOrPasswordKeepsOnlyItsFirstLine) {
    // Every name and password is the value of one profile line: a line break in it would
    // split the block (or forge another player's block).
    writeProfile(kBob);
    PlayerForm& form = open();
    form.changeName("Carol\r\nend\r\nbegin\r\nname=Bob\r\npassword=evil");
    EXPECT_EQ(form.nameText, "Carol");
    answerPasswords({QString("pw\r\nupper=1"), QString("PW\nx")});
    form.clickAdd();
    EXPECT_EQ(form.names(), (QStringList{"Bob", "Carol"}));
    form.clickList(1);
    form.clickOk();
    EXPECT_TRUE(form.accepted);
    EXPECT_EQ(session().PlayerName, "Carol");
    EXPECT_EQ(session().PlayerPassword, "PW");
    EXPECT_EQ(profileText(), kBob + lines({"begin", "name=Carol", "password=pw", "upper=89", "lower=79", "end"}));

    // A name copied with its line end is the name alone.
    form.changeName("Dora\n");
    EXPECT_EQ(form.nameText, "Dora");
    form.changeName("\r\nEve");
    EXPECT_EQ(form.nameText, "");
    EXPECT_FALSE(form.addEnabled);
}

// ---- Player dialog: logging in --------------------------------------------------------------

TEST_F(PlayerFormTest, LoginTakesTheStoredPasswordInAnyCaseButNotTheMasterPassword) {
    writeProfile(kAnn + kBob);
    PlayerForm& form = open();
    answerPasswords({QString("curator"), QString("wrong"), QString("sECRET")});
    form.clickList(0);
    form.clickOk();
    EXPECT_EQ(messages(), (QStringList{kWrong, kWrong}));
    EXPECT_EQ(dialogs_.shown[0].style, platform::Exclamation);
    EXPECT_TRUE(form.accepted);
    EXPECT_EQ(session().PlayerName, "Ann");
    EXPECT_EQ(session().PlayerPassword, "sECRET");
    EXPECT_EQ(profileText(), kAnn + kBob);
}

TEST_F(PlayerFormTest, ACancelledLoginLeavesNoPlayerAndKeepsTheDialogOpen) {
    writeProfile(kAnn + kBob);
    session().PlayerName = "Bob";
    PlayerForm& form = open();
    answerPasswords({QString("nope"), std::nullopt});
    form.clickList(0);
    form.clickOk();
    EXPECT_FALSE(form.closed);
    EXPECT_EQ(session().PlayerName, "");
    EXPECT_EQ(messages(), QStringList{kWrong});

    form.clickCancel();
    EXPECT_TRUE(form.closed);
    EXPECT_FALSE(form.accepted);
}

// ---- Player dialog: deleting ----------------------------------------------------------------

TEST_F(PlayerFormTest, DeletingTakesThePlayersOrTheMasterPasswordInAnyCase) {
    struct Case { std::deque<std::optional<QString>> answers; bool deleted; QStringList messages; };
    const QString denied = "Password Verification Failure: You don't have sufficient permission to delete this user profile.";
    const Case cases[] = {
        {{QString("SECRET")}, true, {}},
        {{QString("CuRaToR")}, true, {}},
        {{QString("x"), QString("secret")}, true, {kWrong}},
        {{std::nullopt}, false, {denied}},
        {{QString("x"), std::nullopt}, false, {kWrong, denied}},
    };
    for (const Case& c : cases) {
        writeProfile(kAnn + kLowerAnn + kBob);
        dialogs_.shown.clear();
        main_.frames.clear();
        PlayerForm form;
        form.load();
        session().PlayerName = "Bob";
        answerPasswords(c.answers);
        form.clickList(0);
        form.clickDelete();
        EXPECT_EQ(messages(), c.messages);
        EXPECT_EQ(profileText(), c.deleted ? kLowerAnn + kBob : kAnn + kLowerAnn + kBob);
        EXPECT_EQ(form.names(), c.deleted ? (QStringList{"ann", "Bob"}) : (QStringList{"Ann", "ann", "Bob"}));
        EXPECT_EQ(session().PlayerName, "");
        EXPECT_EQ(main_.frames, std::vector<int>{0});
        EXPECT_FALSE(form.deleteEnabled || form.viewEnabled || form.okEnabled);
        EXPECT_FALSE(form.closed);
    }
}

TEST_F(PlayerFormTest, DeletingOneOfTwoNamesDifferingInCaseTouchesOnlyThatBlock) {
    writeProfile(kAnn + kLowerAnn + kBob);
    PlayerForm& form = open();
    answerPasswords({QString("other")});
    form.clickList(indexOf("ann"));
    form.clickDelete();
    EXPECT_EQ(prompts_, QStringList{"Password for ann"});
    EXPECT_EQ(profileText(), kAnn + kBob);
}

// ---- The real window ------------------------------------------------------------------------

TEST_F(ProfileTest, PlayerDialogWindowShowsTheFormAndLogsIn) {
    writeProfile(kAnn + kBob);
    answerPasswords({QString("b")});
    QStringList listed;
    QString title;
    dialogs_.modalHandlers["frmPlayer"] = [&](QDialog& dlg) {
        title = dlg.windowTitle();
        auto* list = dlg.findChild<QListWidget*>("lbxNames");
        for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text();
        EXPECT_EQ(list->currentRow(), 0);
        EXPECT_TRUE(dlg.findChild<QPushButton*>("cmdOK")->isEnabled());
        EXPECT_TRUE(dlg.findChild<QPushButton*>("cmdReport")->isEnabled());
        EXPECT_FALSE(dlg.findChild<QPushButton*>("cmdAdd")->isEnabled());
        EXPECT_TRUE(dlg.findChild<QPushButton*>("cmdOK")->isDefault());
        EXPECT_EQ(dlg.findChild<QGroupBox*>("fraReport")->title(), "Report");
        dlg.findChild<QLineEdit*>("txtName")->setText("New");
        EXPECT_TRUE(dlg.findChild<QPushButton*>("cmdAdd")->isEnabled());
        dlg.findChild<QLineEdit*>("txtName")->clear();
        list->setCurrentRow(1);
        dlg.findChild<QPushButton*>("cmdOK")->click();
        return dlg.result();
    };
    EXPECT_TRUE(PlayerDialog::showPlayerDialog());
    EXPECT_EQ(title, "Player");
    EXPECT_EQ(listed, (QStringList{"Ann", "Bob"}));
    EXPECT_EQ(session().PlayerName, "Bob");
    EXPECT_EQ(session().PlayerPassword, "b");
    EXPECT_EQ(dialogs_.modalsShown, (QStringList{"frmPlayer", "frmPassword"}));

    // Escape closes it without a player change.
    dialogs_.modalHandlers["frmPlayer"] = [](QDialog& dlg) {
        dlg.reject();
        return dlg.result();
    };
    EXPECT_FALSE(PlayerDialog::showPlayerDialog());
    EXPECT_EQ(session().PlayerName, "Bob");
}

TEST_F(ProfileTest, ClickingTheHighlightedNameAgainSelectsIt) {
    // After a refused delete OK and Delete are off while the name stays highlighted; a click
    // on it must turn them on again, or a lone player could never log in.
    writeProfile(kAnn);
    answerPasswords({std::nullopt, QString("secret")});
    bool okAfterRefusal = true, okAfterClick = false;
    QString pastedName;
    dialogs_.modalHandlers["frmPlayer"] = [&](QDialog& dlg) {
        dlg.show();
        auto* list = dlg.findChild<QListWidget*>("lbxNames");
        auto* ok = dlg.findChild<QPushButton*>("cmdOK");
        dlg.findChild<QPushButton*>("cmdDelete")->click();
        okAfterRefusal = ok->isEnabled();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        okAfterClick = ok->isEnabled();
        auto* name = dlg.findChild<QLineEdit*>("txtName");
        name->setText("Carol\r\nend");
        pastedName = name->text();
        name->clear();
        ok->click();
        return dlg.result();
    };
    EXPECT_TRUE(PlayerDialog::showPlayerDialog());
    EXPECT_FALSE(okAfterRefusal);
    EXPECT_TRUE(okAfterClick);
    EXPECT_EQ(pastedName, "Carol");
    EXPECT_EQ(session().PlayerName, "Ann");
    EXPECT_EQ(profileText(), kAnn);
}

TEST_F(ProfileTest, DialogsRenderForALook) {
    writeProfile(kAnn + kLowerAnn + kBob);
    PlayerDialog player;
    player.load();
    player.findChild<QLineEdit*>("txtName")->setText("Carol");
    player.adjustSize();
    const QImage playerImage = player.grab().toImage();
    EXPECT_TRUE(playerImage.save(testOutputPath("profile_player_dialog.png")));
    EXPECT_GT(playerImage.width(), 200);

    PasswordDialog password;
    password.form().prepareNew();
    password.SetCaption("New Password");
    password.findChild<QLabel*>("lblVerify")->show();
    password.findChild<QLineEdit*>("txtVerify")->show();
    password.findChild<QLineEdit*>("txtPassword")->setText("abc");
    password.adjustSize();
    EXPECT_TRUE(password.grab().toImage().save(testOutputPath("profile_password_dialog.png")));
}
