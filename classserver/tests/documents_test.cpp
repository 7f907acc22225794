// The class database as a document: New, Open, Save, Save As, Exit and the close, against the
// instructor's answers.
#include <QSignalSpy>

#include "fakeclient.h"
#include "windowfixture.h"

using namespace classserver;
using namespace testsupport;

namespace {

enum class Command { New, Open, Save, SaveAs, Exit, Close };

struct DocCase {
    const char* what;
    Command command;
    bool changed;                     // unsaved work in the working copy before
    std::vector<int> answers;         // message boxes, in order
    std::vector<const char*> files;   // file dialogs: "{T}" the target folder, "{D}" the data folder, "" cancelled
    // Afterwards:
    QStringList titles;               // the message boxes shown, by title
    bool changedAfter;
    const char* current;              // the document
    const char* annIn;                // a file that holds the working copy's student ("" none)
    bool working;                     // default.mdb is there...
    bool workingFresh;                // ...and fresh from the template
    bool closed = false;
};

class Documents : public ::testing::Test {
protected:
    // {B}: the one kept copy of the working copy in the data folder.
    QString expand(QString s) const {
        const QStringList kept = keptCopies(data.path());
        return s.replace("{T}", target.path())
            .replace("{D}", data.path())
            .replace("{X}", "/no/such/folder")
            .replace("{B}", kept.size() == 1 ? kept[0] : QString("(%1 kept copies)").arg(kept.size()));
    }
    QTemporaryDir target;
    QTemporaryDir data;
};

} // namespace

TEST_F(Documents, CommandsFollowTheAnswers) {
    using C = Command;
    const int Yes = platform::AnsYes, No = platform::AnsNo, Cancel = platform::AnsCancel;
    const QString save = "Save File";
    const DocCase cases[] = {
        // The working copy holds Ann: what replaces it keeps her in a file of her own, and says so.
        {"New, nothing to save", C::New, false, {}, {}, {"New"}, false, "{D}/default.mdb", "{B}", true, true},
        {"New, No", C::New, true, {No}, {}, {save, "New"}, false, "{D}/default.mdb", "{B}", true, true},
        {"New, Yes", C::New, true, {Yes}, {"{T}/Keep.mdb"}, {save}, false, "{D}/default.mdb", "{T}/Keep.mdb", true, true},
        {"New, Yes, dialog cancelled", C::New, true, {Yes}, {""}, {save}, true, "{D}/default.mdb", "{D}/default.mdb", true, false},
        {"New, Yes, unwritable", C::New, true, {Yes}, {"{X}/Keep.mdb"}, {save, "Save As"}, true, "{D}/default.mdb", "{D}/default.mdb", true, false},
        {"Open, No", C::Open, true, {No}, {"{T}/Monday.mdb"}, {save, "Open"}, false, "{T}/Monday.mdb", "{B}", false, false},
        {"Open, nothing to save", C::Open, false, {}, {"{T}/Monday"}, {"Open"}, false, "{T}/Monday.mdb", "{B}", false, false},
        {"Open, No, dialog cancelled", C::Open, true, {No}, {""}, {save}, true, "{D}/default.mdb", "{D}/default.mdb", true, false},
        {"Open, No, missing file", C::Open, true, {No}, {"{T}/Absent.mdb"}, {save, "Open"}, true, "{D}/default.mdb", "{D}/default.mdb", true, false},
        {"Open, No, not a database", C::Open, true, {No}, {"{T}/Junk.mdb"}, {save, "Open"}, true, "{D}/default.mdb", "{D}/default.mdb", true, false},
        {"Open, No, the working copy", C::Open, true, {No}, {"{D}/default.mdb"}, {save, "Open"}, true, "{D}/default.mdb", "{D}/default.mdb", true, false},
        {"Open, Yes, Save As cancelled", C::Open, true, {Yes}, {"", "{T}/Monday.mdb"}, {save}, true, "{D}/default.mdb", "{D}/default.mdb", true, false},
        {"Open, Yes", C::Open, true, {Yes}, {"{T}/Keep.mdb", "{T}/Monday.mdb"}, {save}, false, "{T}/Monday.mdb", "{T}/Keep.mdb", false, false},
        {"Save", C::Save, true, {}, {"{T}/Keep"}, {}, true, "{T}/Keep.mdb", "{T}/Keep.mdb", false, false},
        {"Save As, cancelled", C::SaveAs, true, {}, {""}, {}, true, "{D}/default.mdb", "{D}/default.mdb", true, false},
        {"Save As, unwritable", C::SaveAs, true, {}, {"{X}/Keep.mdb"}, {"Save As"}, true, "{D}/default.mdb", "{D}/default.mdb", true, false},
        {"Save As over a database", C::SaveAs, true, {}, {"{T}/Monday.mdb"}, {}, true, "{T}/Monday.mdb", "{T}/Monday.mdb", false, false},
        {"Save As, typed name of an existing file, kept", C::SaveAs, true, {No}, {"{T}/Monday"}, {"Save As"}, true, "{D}/default.mdb", "{D}/default.mdb", true, false},
        {"Save As onto the working copy", C::SaveAs, true, {}, {"{D}/default.mdb"}, {"Save As"}, true, "{D}/default.mdb", "{D}/default.mdb", true, false},
        {"Exit, nothing to save", C::Exit, false, {}, {}, {}, false, "{D}/default.mdb", "{D}/default.mdb", true, false, true},
        {"Exit, No, then Cancel", C::Exit, true, {No, Cancel}, {}, {save, save}, true, "{D}/default.mdb", "{D}/default.mdb", true, false},
        {"Exit, No, No", C::Exit, true, {No, No}, {}, {save, save}, true, "{D}/default.mdb", "{D}/default.mdb", true, false, true},
        {"Exit, Yes, dialog cancelled", C::Exit, true, {Yes}, {""}, {save}, true, "{D}/default.mdb", "{D}/default.mdb", true, false},
        {"Exit, Yes", C::Exit, true, {Yes}, {"{T}/Keep.mdb"}, {save}, true, "{T}/Keep.mdb", "{T}/Keep.mdb", false, false, true},
        {"Close, Yes, unwritable", C::Close, true, {Yes}, {"{X}/Keep.mdb"}, {save, "Save As"}, true, "{D}/default.mdb", "{D}/default.mdb", true, false},
        {"Close, Cancel", C::Close, true, {Cancel}, {}, {save}, true, "{D}/default.mdb", "{D}/default.mdb", true, false},
    };
    for (const DocCase& c : cases) {
        SCOPED_TRACE(c.what);
        // A fresh start: the working copy holds Ann; Monday.mdb is a saved class database.
        QDir(target.path()).removeRecursively();
        QDir().mkpath(target.path());
        QDir(data.path()).removeRecursively();
        QDir().mkpath(data.path());
        QTemporaryDir share;
        ASSERT_TRUE(putTemplate(share.path()));
        ASSERT_TRUE(makeWorkingCopy(templatePath(), target.path() + "/Monday.mdb"));
        addStudent(target.path() + "/Monday.mdb", "Mon", "LAB9", 11);
        QFile junk(target.path() + "/Junk.mdb");
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("not a database");
        junk.close();

        platform::ScriptedDialogs dialogs;
        platform::DialogsOverride guard(&dialogs);
        frmHallbrin w(scratchOptions(data.path(), share.path()));
        w.server().setShutdownTimeoutMs(500);
        w.Form_Load();
        w.show();
        addStudent(w.DatabasePath, "Ann", "LAB1", 11);
        w.DataChanged = c.changed;
        for (int a : c.answers) dialogs.answers.push_back(a);
        for (const char* f : c.files) dialogs.files.push_back(expand(f));
        QSignalSpy polled(&w, &frmHallbrin::pollFinished);

        switch (c.command) {
        case C::New: w.mnuFileNew->trigger(); break;
        case C::Open: w.mnuFileOpen->trigger(); break;
        case C::Save: w.toolbarButtons.at(2)->trigger(); break;
        case C::SaveAs: w.mnuFileSaveAs->trigger(); break;
        case C::Exit: w.mnuFileExit->trigger(); break;
        case C::Close: w.close(); break;
        }
        if (w.isPolling()) {
            ASSERT_TRUE(waitUntil([&] { return polled.count() == 1; }));
        }
        if (c.closed) {
            ASSERT_TRUE(waitUntil([&] { return !w.isVisible(); }));
        } else {
            pump(20);
        }

        QStringList titles;
        for (const platform::ShownMessage& m : dialogs.shown) titles << m.title;
        EXPECT_EQ(titles, c.titles);
        if (!dialogs.shown.isEmpty() && dialogs.shown[0].title == save) {
            EXPECT_EQ(dialogs.shown[0].text, "Do you want to Save default.mdb");
        }
        EXPECT_EQ(w.DataChanged, c.changedAfter);
        EXPECT_EQ(w.DatabasePath, expand(c.current));
        EXPECT_EQ(w.tvwLesson->topLevelItem(0)->text(0), QFileInfo(w.DatabasePath).fileName());
        EXPECT_EQ(w.isVisible(), !c.closed);
        const QString working = data.path() + "/default.mdb";
        EXPECT_EQ(QFileInfo::exists(working), c.working);
        if (c.working) {
            EXPECT_EQ(count(working, "Student"), c.workingFresh ? 0 : 1);
        }
        if (*c.annIn) {
            EXPECT_EQ(rows(expand(c.annIn), "SELECT StudentName FROM Student"), QStringList({"Ann"}));
        }
        // A kept copy is named where it is told.
        if (QString(c.annIn) == "{B}") {
            ASSERT_FALSE(dialogs.shown.isEmpty());
            EXPECT_TRUE(dialogs.shown.back().text.contains(expand("{B}"))) << dialogs.shown.back().text.toStdString();
        }
        // What was not chosen stays as it was.
        if (QString(c.annIn) != "{T}/Monday.mdb") {
            EXPECT_EQ(rows(target.path() + "/Monday.mdb", "SELECT StudentName FROM Student"), QStringList({"Mon"}));
        }
        EXPECT_FALSE(QFileInfo::exists(target.path() + "/Absent.mdb"));
        // No temporary is left behind.
        EXPECT_TRUE(QDir(target.path()).entryList({".*tmp*"}, QDir::Files | QDir::Hidden).isEmpty());
    }
}

TEST_F(Documents, CommandsThatChangeTheDocumentWaitForARunningPoll) {
    QTemporaryDir share;
    ASSERT_TRUE(putTemplate(share.path()));
    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride guard(&dialogs);
    frmHallbrin w(scratchOptions(data.path(), share.path()));
    w.server().setRequestTimeoutMs(3000);
    w.Form_Load();
    FakeClient silent(w.listeningPort());  // keeps the poll waiting
    ASSERT_TRUE(waitUntil([&] { return w.server().clientCount() == 1; }));
    w.mnuRefresh_Click();
    ASSERT_TRUE(w.isPolling());
    for (QAction* a : {w.mnuFileNew, w.mnuFileOpen, w.mnuFileSave, w.mnuFileSaveAs, w.mnuViewConnections,
                       w.toolbarButtons.at(0), w.toolbarButtons.at(1), w.toolbarButtons.at(2)})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    // Even when reached another way, none of them acts.
    dialogs.files = {target.path() + "/Keep.mdb"};
    EXPECT_FALSE(w.mnuFileSaveAs_Click());
    w.mnuFileNew_Click();
    w.mnuFileOpen_Click();
    EXPECT_EQ(dialogs.files.size(), 1u);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(w.DatabasePath, data.path() + "/default.mdb");
    w.poll().abort();
}

TEST_F(Documents, NewWithoutATemplateSaysSoAndKeepsTheDocument) {
    QTemporaryDir share;
    ASSERT_TRUE(putTemplate(share.path()));
    platform::ScriptedDialogs dialogs;
    platform::DialogsOverride guard(&dialogs);
    frmHallbrin w(scratchOptions(data.path(), share.path()));
    w.Form_Load();
    addStudent(w.DatabasePath, "Ann", "LAB1", 11);
    QFile::remove(share.path() + "/templates/default.mdb");
    w.mnuFileNew_Click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].title, "New");
    EXPECT_TRUE(dialogs.shown[0].text.contains("missing"));
    EXPECT_FALSE(w.isPolling());
    EXPECT_EQ(count(w.DatabasePath, "Student"), 1);
}
