#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/registry.h"

#include <QDialog>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;

TEST(Clock, VirtualClockRunsWaitsInstantly) {
    VirtualClock vc(0);
    ClockOverride guard(&vc);
    Clock::instance().sleepMs(500);
    Clock::instance().sleepPumping(100);
    EXPECT_EQ(Clock::instance().nowMs(), 600);
}

TEST(Clock, SystemClockIsMonotonic) {
    SystemClock c;
    const qint64 a = c.nowMs();
    c.sleepMs(5);
    EXPECT_GE(c.nowMs() - a, 5);
}

TEST(Dialogs, ScriptedAnswersAndRecords) {
    ScriptedDialogs d;
    DialogsOverride guard(&d);
    d.answers.push_back(AnsNo);
    EXPECT_EQ(Dialogs::instance().messageBox("Quit?", YesNo | Question, "Q"), AnsNo);
    EXPECT_EQ(Dialogs::instance().messageBox("Done", OkOnly, "T"), AnsOk);  // first button
    EXPECT_EQ(Dialogs::instance().messageBox("Go on?", YesNoCancel, "T"), AnsYes);
    ASSERT_EQ(d.shown.size(), 2 + 1);
    EXPECT_EQ(d.shown[0].text, "Quit?");
    EXPECT_EQ(d.shown[0].style, YesNo | Question);
    QDialog dlg;
    dlg.setObjectName("frmPlayer");
    d.modalHandlers["frmPlayer"] = [](QDialog&) { return 1; };
    EXPECT_EQ(Dialogs::instance().runModal(dlg), 1);
    EXPECT_EQ(d.modalsShown, QStringList{"frmPlayer"});
    EXPECT_EQ(Dialogs::instance().openFileName("Open", "Text (*.txt)|*.txt"), "");
}

TEST(Registry, KeysValuesAndRemoval) {
    QTemporaryDir dir;
    Registry r(dir.filePath("reg.ini"));
    r.setValue("CLSID\\{ABC}", "", "Staff Class");
    r.setValue("CLSID\\{ABC}\\InprocServer32", "ThreadingModel", "Apartment");
    bool found = false;
    EXPECT_EQ(r.value("CLSID\\{ABC}", "", &found), "Staff Class");
    EXPECT_TRUE(found);
    EXPECT_EQ(r.value("CLSID\\{ABC}\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(r.subKeys("CLSID\\{ABC}"), QStringList{"InprocServer32"});
    r.removeKey("CLSID\\{ABC}");
    EXPECT_FALSE(r.keyExists("CLSID\\{ABC}"));
    r.value("CLSID\\{ABC}", "", &found);
    EXPECT_FALSE(found);
}

TEST(Paths, DataFilesLiveInTheDataFolder) {
    QTemporaryDir dir;
    const QString before = Paths::dataFolder();
    Paths::setDataFolder(dir.path());
    EXPECT_EQ(Paths::dataFile("\\Tonvale.txt"), dir.path() + "/Tonvale.txt");
    Paths::setDataFolder(before);
}
