// Every menu item and toolbar button of the real main window, in every state the window can be
// in: no player; the lesson list; each lesson with its exercise running; a lesson between two
// sets. Each command is either greyed exactly as the menu rules say (an item inside a greyed
// menu counts as greyed), or, triggered, shows the effect the table below gives it. A command
// the table does not know, or one that changes nothing, fails.
#include "shelltestsupport.h"

#include "common/helpwindow.h"
#include "student/palettes/paletteregistry.h"

#include <QFileInfo>
#include <QMenu>
#include <QKeySequence>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>
#include <deque>
#include <map>
#include <optional>

namespace shell {
namespace {

using testing::ShellTest;

// ---- The states -------------------------------------------------------------------------------

struct WalkState {
    QString name;
    bool player = false;
    int lesson = 0;
    bool running = false;   // the lesson's exercise set is going on
};

std::vector<WalkState> walkStates() {
    std::vector<WalkState> out = {{"no player", false, 0, false}, {"lesson list", true, 0, false}};
    for (int lesson = 1; lesson <= 7; ++lesson) out.push_back({QString("lesson %1 running").arg(lesson), true, lesson, true});
    out.push_back({"lesson 1 between sets", true, 1, false});
    return out;
}

// ---- What is greyed, from the menu rules ------------------------------------------------------

// The six entries of the menu rules, by the first case that applies.
struct MenuRow {
    const char* entry;
    bool noPlayer, running, lessonShown, lessonList;
};
const MenuRow kMenuRules[] = {
    {"mnuGame", false, true, true, false},          {"mnuGamePlayer", true, false, true, true},
    {"mnuExport", false, false, false, true},       {"mnuImport", true, false, false, true},
    {"mnuOption", false, false, false, true},       {"mnuChangePassword", false, false, false, true},
};

// The View menu's palette items each lesson can use (none for the list and lesson 7).
const std::map<int, QStringList> kViewItems = {
    {1, {"mnuViewIntervals"}},
    {2, {"mnuViewNoteSymbols", "mnuViewMisc", "mnuViewAccidentals", "mnuViewRests"}},
    {3, {"mnuViewIntervals"}},
    {4, {"mnuViewNoteSymbols", "mnuViewMisc", "mnuViewAccidentals", "mnuViewRests"}},
    {5, {"mnuViewCadence", "mnuViewNoteSymbols"}},
    {6, {"mnuViewTime", "mnuViewNoteSymbols"}},
};
const QStringList kPaletteItems = {"mnuViewAccidentals", "mnuViewCadence", "mnuViewIntervals", "mnuInversion",
                                   "mnuViewNoteSymbols", "mnuViewMisc", "mnuViewRests", "mnuViewTime"};

// Toolbar buttons that mirror a menu entry; Report has none and is never greyed.
const std::map<QString, QString> kButtonMirrors = {
    {"User", "mnuGamePlayer"}, {"New", "mnuGame"}, {"Practice", "mnuOption"}, {"Piano", "mnuPiano"}, {"Drum", "mnuDrum"}};

bool ruleEnabled(const WalkState& s, const QString& entry) {
    for (const MenuRow& r : kMenuRules) {
        if (entry != QLatin1String(r.entry)) continue;
        if (!s.player) return r.noPlayer;
        if (s.running) return r.running;
        return s.lesson > 0 ? r.lessonShown : r.lessonList;
    }
    if (kPaletteItems.contains(entry)) return s.player && kViewItems.count(s.lesson) && kViewItems.at(s.lesson).contains(entry);
    if (entry == "mnuPiano") return s.player && s.lesson == 2;
    if (entry == "mnuDrum") return s.player && (s.lesson == 4 || s.lesson == 7);
    return true;
}

// ---- What each command shows ------------------------------------------------------------------

enum class Show {
    Modal,        // a modal window by objectName
    Message,      // a message box whose text starts so
    FileDialog,   // a file dialog, "open" or "save"
    Toggle,       // the item's check mark flips, and its window opens or closes
    ProfileLine,  // the profile is saved with this line, which it did not hold before
    Device,       // the MIDI output is opened again
    Help,         // the help window shows this page
    LessonList,   // back to the lesson list
    Closed,       // the main window is gone
};

struct Effect {
    Effect(Show s, QString w = {}, QString t = {}, std::deque<int> a = {})
        : show(s), what(std::move(w)), toggled(std::move(t)), answers(std::move(a)) {}
    Show show;
    QString what;             // the name, text, page, line or window
    QString toggled;          // Toggle: the menu item whose mark flips
    std::deque<int> answers;  // message box answers
};

struct CommandRow {
    CommandRow(QString c, Effect i, std::optional<Effect> r = std::nullopt, bool leaves = false)
        : command(std::move(c)), idle(std::move(i)), running(std::move(r)), leavesState(leaves) {}
    QString command;
    Effect idle;                    // no exercise running
    std::optional<Effect> running;  // while an exercise runs, when it differs
    bool leavesState;               // the walk goes on in a fresh window afterwards
};

const QString kQuitQuestion = "You may lose points if you Quit now.";

Effect modal(const char* name) { return Effect(Show::Modal, name); }
Effect toggle(const char* item, const char* window) { return Effect(Show::Toggle, window, item); }
Effect profileLine(const QString& line) { return Effect(Show::ProfileLine, line); }
Effect quitAsked() { return Effect(Show::Message, kQuitQuestion, {}, {platform::AnsCancel}); }

const std::vector<CommandRow>& commandTable() {
    static const std::vector<CommandRow> rows = {
        {"mnuGamePlayer", modal("frmPlayer"), std::nullopt, true},
        {"mnuChangePassword", modal("frmPassword")},
        {"mnuExport", Effect(Show::FileDialog, "save")},
        {"mnuImport", Effect(Show::FileDialog, "open")},
        {"mnuFileExit", Effect(Show::Closed), quitAsked(), true},
        {"mnuViewAccidentals", toggle("mnuViewAccidentals", "frmFloatingAccidentals")},
        {"mnuViewCadence", toggle("mnuViewCadence", "frmFloatingCadence")},
        {"mnuViewIntervals", toggle("mnuViewIntervals", "frmIntervals")},
        {"mnuInversion", toggle("mnuInversion", "frmInversion")},
        {"mnuViewNoteSymbols", toggle("mnuViewNoteSymbols", "frmFloatingNotes")},
        {"mnuViewMisc", toggle("mnuViewMisc", "frmFloatingMisc")},
        {"mnuViewRests", toggle("mnuViewRests", "frmFloatingRests")},
        {"mnuViewTime", toggle("mnuViewTime", "frmTime")},
        {"mnuPiano", toggle("mnuPiano", "frmKeyboard")},
        {"mnuDrum", toggle("mnuDrum", "frmDrum")},
        {"mnuViewReport", modal("rptStudentReport")},
        {"mnuGameNewLesson", Effect(Show::LessonList), quitAsked(), true},
        {"mnuGameRestart", Effect(Show::Message, "Are you sure you want to restart this lesson", {}, {platform::AnsNo})},
        {"mnuBounds", modal("frmScoreBounds")},
        {"mnuPracticeMode", profileLine("practice=false")},
        // The walk starts with style 2, so each of the three is a change.
        {"mnuIntervalTerm(1)", profileLine("interval=1")},
        {"mnuIntervalTerm(2)", profileLine("interval=2")},
        {"mnuIntervalTerm(3)", profileLine("interval=3")},
        {"mnuConfigNetwork", modal("frmConfig")},
        {"mnuConfigReport", modal("frmReportOptions")},
        {"mnuDevice(0)", Effect(Show::Device, "0")},
        {"mnuDevice(1)", Effect(Show::Device, "1")},
        {"mnuDevice(2)", Effect(Show::Device, "2")},
        {"mnuHelpContent", Effect(Show::Help, "index.html")},
        {"mnuAbout", modal("frmAbout")},
        {"button User", modal("frmPlayer"), std::nullopt, true},
        {"button New", Effect(Show::LessonList), quitAsked(), true},
        {"button Practice", profileLine("practice=")},   // flips whatever the menu left
        {"button Report", modal("rptStudentReport")},
        {"button Piano", toggle("mnuPiano", "frmKeyboard")},
        {"button Drum", toggle("mnuDrum", "frmDrum")},
    };
    return rows;
}

const CommandRow* findRow(const QString& command) {
    for (const CommandRow& r : commandTable())
        if (r.command == command) return &r;
    return nullptr;
}

// Menu titles: nothing to trigger, only their greyed state.
const QStringList kTitles = {"mnuFile", "mnuView", "mnuGame", "mnuOption", "mnuTerms", "mnuConfigure", "mnuMIDI", "mnuHelp"};

// ---- The walk ---------------------------------------------------------------------------------

class MenuWalk : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        midi_.setOutputs({"Synth A", "Synth B"});
    }

    // The window in `s`, with the record of dialogs and devices emptied.
    std::unique_ptr<FrmTonvale> enter(const WalkState& s) {
        writeProfile(testing::lines({"begin", "name=Ann", "password=pw", "upper=85", "lower=70", "practice=true",
                                     "interval=2", "lesson1=L4S75M3Q6", "end"}));
        if (auto* help = common::HelpWindow::current()) help->close();
        auto frm = loadedWindow();
        if (s.player) {
            scriptLogin("Ann", "pw");
            frm->runMenuCommand("mnuGamePlayer");
            EXPECT_EQ(session().PlayerName, "Ann");
        }
        if (s.lesson > 0) {
            frm->lvwLesson->clearSelection();
            frm->lvwLesson->topLevelItem(s.lesson - 1)->setSelected(true);
            frm->cmdStart_Click();
            EXPECT_EQ(frm->state.CurrentLesson, s.lesson);
            if (!s.running) frm->cmdStop->click();
        }
        EXPECT_EQ(frm->state.ExerciseRunning, s.running) << s.name.toStdString();
        dialogs_.modalHandlers.clear();
        dialogs_.answers.clear();
        dialogs_.shown.clear();
        dialogs_.modalsShown.clear();
        dialogs_.fileDialogsAsked.clear();
        midi_.clearLog();
        return frm;
    }

    // Every command: the menu's named items (titles apart), then the toolbar's buttons.
    static QStringList commands(FrmTonvale& frm) {
        QStringList out;
        for (const QString& name : frm.menus()->itemNames())
            if (!kTitles.contains(name)) out << name;
        for (int i = 1; i <= frm.toolbar()->count(); ++i) {
            QAction* b = frm.toolbar()->button(i);
            if (!b->isSeparator()) out << "button " + b->objectName();
        }
        return out;
    }

    static QAction* action(FrmTonvale& frm, const QString& command) {
        if (command.startsWith("button ")) return frm.toolbar()->buttonByKey(command.mid(7));
        static const QRegularExpression indexed(R"(^(\w+)\((\d+)\)$)");
        const auto m = indexed.match(command);
        if (!m.hasMatch()) return frm.menus()->item(command);
        const int i = m.captured(2).toInt();
        return m.captured(1) == "mnuDevice" ? frm.menus()->device(i) : frm.menus()->intervalTerm(i);
    }

    // Reachable: enabled, and every menu above it enabled too.
    static bool reachable(QAction* a) {
        if (!a->isEnabled()) return false;
        for (QObject* o : a->associatedObjects())
            if (auto* menu = qobject_cast<QMenu*>(o); menu && !reachable(menu->menuAction())) return false;
        return true;
    }

    // What the rules expect of a command: the entry it is greyed with, and the menus above it.
    static bool expectedReachable(const WalkState& s, const QString& command) {
        if (command.startsWith("button ")) {
            const auto mirror = kButtonMirrors.find(command.mid(7));
            return mirror == kButtonMirrors.end() || ruleEnabled(s, mirror->second);
        }
        static const QStringList game = {"mnuGameNewLesson", "mnuGameRestart"};
        static const QStringList option = {"mnuBounds", "mnuPracticeMode", "mnuIntervalTerm(1)", "mnuIntervalTerm(2)",
                                           "mnuIntervalTerm(3)"};
        if (game.contains(command)) return ruleEnabled(s, "mnuGame");
        if (option.contains(command)) return ruleEnabled(s, "mnuOption");
        return ruleEnabled(s, command);
    }

    // Triggers the row's command and checks the effect the table gives it in state `s`.
    void trigger(FrmTonvale& frm, const WalkState& s, const CommandRow& row) {
        const Effect& e = s.running && row.running ? *row.running : row.idle;
        dialogs_.answers = e.answers;
        const int modals = int(dialogs_.modalsShown.size()), messages = int(dialogs_.shown.size());
        const int files = int(dialogs_.fileDialogsAsked.size());
        const size_t midiLog = midi_.log().size();
        const QString profileBefore = profileText();
        QAction* mark = e.show == Show::Toggle ? frm.menus()->item(e.toggled) : nullptr;
        const bool markBefore = mark && mark->isChecked();
        palettes::PaletteRegistry& windows = frm.paletteWindows();
        const bool windowBefore = e.show == Show::Toggle && windows.isVisible(e.what);
        if (auto* help = common::HelpWindow::current()) help->close();

        action(frm, row.command)->trigger();
        QApplication::processEvents();

        switch (e.show) {
        case Show::Modal:
            EXPECT_EQ(dialogs_.modalsShown.mid(modals).join(", ").toStdString(), e.what.toStdString());
            break;
        case Show::Message:
            ASSERT_EQ(dialogs_.shown.size(), messages + 1);
            EXPECT_TRUE(dialogs_.shown.last().text.startsWith(e.what)) << dialogs_.shown.last().text.toStdString();
            break;
        case Show::FileDialog:
            ASSERT_EQ(dialogs_.fileDialogsAsked.size(), files + 1);
            EXPECT_TRUE(dialogs_.fileDialogsAsked.last().startsWith(e.what + " "));
            break;
        case Show::Toggle:
            EXPECT_NE(mark->isChecked(), markBefore);
            EXPECT_NE(windows.isVisible(e.what), windowBefore) << e.what.toStdString();
            break;
        case Show::ProfileLine: {
            const QString after = profileText();
            EXPECT_NE(after, profileBefore);
            EXPECT_TRUE(after.contains(e.what)) << after.toStdString();
            break;
        }
        case Show::Device: {
            bool opened = false;
            for (size_t i = midiLog; i < midi_.log().size(); ++i)
                opened = opened || midi_.log()[i].kind == platform::MidiLogEntry::Open;
            EXPECT_TRUE(opened);
            EXPECT_TRUE(frm.menus()->device(e.what.toInt())->isChecked());
            break;
        }
        case Show::Help: {
            auto* help = common::HelpWindow::current();
            ASSERT_NE(help, nullptr);
            EXPECT_TRUE(help->isVisible());
            EXPECT_TRUE(help->shownFile().endsWith("/help/" + e.what)) << help->shownFile().toStdString();
            break;
        }
        case Show::LessonList:
            EXPECT_EQ(frm.state.CurrentLesson, 0);
            EXPECT_TRUE(frm.lvwLesson->isVisible());
            break;
        case Show::Closed:
            EXPECT_FALSE(frm.isVisible());
            break;
        }
        // Nothing but the asked question may come up on the way.
        if (e.show != Show::Message) {
            EXPECT_EQ(dialogs_.shown.size(), messages) << dialogs_.shown.last().text.toStdString();
        }
    }
};

TEST_F(MenuWalk, EveryCommandInEveryStateIsGreyedOrShowsItsEffect) {
    int triggered = 0, walked = 0;
    for (const WalkState& s : walkStates()) {
        SCOPED_TRACE(s.name.toStdString());
        auto frm = enter(s);
        ++walked;
        // The pad these lessons are answered on stays open.
        if (s.lesson == 4 || s.lesson == 7) {
            EXPECT_TRUE(frm->paletteWindows().isVisible("frmDrum"));
        }
        // The titles of the menus.
        for (const QString& title : kTitles) {
            const bool expected = title == "mnuGame" || title == "mnuOption" ? ruleEnabled(s, title)
                                  : title == "mnuTerms"                     ? ruleEnabled(s, "mnuOption")
                                                                            : true;
            EXPECT_EQ(reachable(frm->menus()->item(title)), expected) << title.toStdString();
        }
        QStringList later;   // the commands that take the window out of its state
        for (const QString& command : commands(*frm)) {
            SCOPED_TRACE(command.toStdString());
            const CommandRow* row = findRow(command);
            ASSERT_NE(row, nullptr) << "the walk's table does not know this command";
            const bool expected = expectedReachable(s, command);
            ASSERT_EQ(reachable(action(*frm, command)), expected);
            if (!expected) continue;
            if (row->leavesState && !(s.running && row->running)) {
                later << command;
                continue;
            }
            trigger(*frm, s, *row);
            ++triggered;
        }
        frm.reset();
        for (const QString& command : later) {
            SCOPED_TRACE(command.toStdString());
            auto fresh = enter(s);
            trigger(*fresh, s, *findRow(command));
            ++triggered;
        }
    }
    EXPECT_GT(triggered, 15 * walked);
}

// Alt and a menu's key, then an item's key, reach each item: every menu of the bar, the bar
// itself, the interval terminology and the MIDI devices (names alike at their start, and one
// with an '&' of its own) give each of their items a key no other item of theirs has.
TEST_F(MenuWalk, EveryMenuGivesEachItemAKeyOfItsOwn) {
    midi_.setOutputs({"Midi Through Port-0", "FLUID Synth (1234): Synth input port", "Midi Through Port-1", "Drums & Bass"});
    auto frm = loadedWindow();
    ASSERT_EQ(frm->menus()->deviceCount(), 5);
    EXPECT_EQ(frm->menus()->device(4)->iconText(), "Drums & Bass");
    std::vector<const QWidget*> menus{frm->menuBar()};
    int walked = 0;
    for (size_t m = 0; m < menus.size(); ++m) {
        std::map<QString, QString> byKey;
        for (QAction* a : menus[m]->actions()) {
            if (a->isSeparator()) continue;
            if (a->menu()) menus.push_back(a->menu());
            const QString key = QKeySequence::mnemonic(a->text()).toString();
            EXPECT_FALSE(key.isEmpty()) << "no key: " << a->text().toStdString();
            if (key.isEmpty()) continue;
            const auto [other, fresh] = byKey.emplace(key, a->text());
            EXPECT_TRUE(fresh) << key.toStdString() << " on both " << other->second.toStdString() << " and "
                               << a->text().toStdString();
            ++walked;
        }
    }
    EXPECT_EQ(menus.size(), 9u);   // the bar, seven menus and the terminology
    EXPECT_GE(walked, 40);
}

// The lesson list's Help opens the page of the selected lesson, or the contents without one;
// each page is there of its own (not the contents standing in for it).
TEST_F(MenuWalk, HelpOfTheListOpensEveryLessonsOwnPage) {
    auto frm = enter({"lesson list", true, 0, false});
    for (int lesson = 0; lesson <= 7; ++lesson) {
        SCOPED_TRACE(lesson);
        frm->lvwLesson->clearSelection();
        if (lesson > 0) frm->lvwLesson->topLevelItem(lesson - 1)->setSelected(true);
        frm->cmdHelp_Click();
        auto* help = common::HelpWindow::current();
        ASSERT_NE(help, nullptr);
        const QString page = lesson ? QString("lesson%1.html").arg(lesson) : QString("index.html");
        EXPECT_EQ(QFileInfo(help->shownFile()).fileName().toStdString(), page.toStdString());
        EXPECT_FALSE(help->browser()->document()->toPlainText().trimmed().isEmpty());
    }
}

} // namespace
} // namespace shell
