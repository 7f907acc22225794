#pragma once
// frmTonvale, the student program's main window: the scrollable canvas with the lesson list
// and the exercise area, the menu bar and toolbar with their commands, the status bar with
// the class-link panel, the MIDI device menu, the message hook and the window's life cycle
// (initialise, load, resize, close query, unload). It hosts the lesson engine: the exercise
// state, the notation elements' control arrays, the table of loaded elements and the palette
// windows, handed to the lessons through one lesson context.
#include "canvaslayout.h"
#include "menus.h"
#include "messagehook.h"
#include "soundseam.h"

#include "common/controlarray.h"
#include "student/lessons/lessoncontext.h"
#include "student/lessons/lessonlist.h"
#include "student/lessons/lessontable.h"
#include "student/lessons/loadedflags.h"
#include "student/lessons/musicmath.h"
#include "student/lessons/notationarrays.h"
#include "student/profile/mainwindowseam.h"

#include <QMainWindow>
#include <memory>

class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QTextEdit;
class QTimer;
class QTreeWidget;

namespace classlink { class ClassLinkClient; }
namespace palettes { class PaletteRegistry; }
namespace staffedit { class StaffEditor; }
namespace played { class PlayedInputs; }

namespace shell {

using lessons::KeyTables;
using lessons::keyTables;
using lessons::LineControl;
using lessons::NotationArrays;

inline const QString kMainCaption = QStringLiteral("Tonvale 1.3");

class FrmTonvale : public QMainWindow, public tonvale::MainWindowSeam, public lessons::LessonWindow {
    Q_OBJECT
public:
    // Form_Initialize. `sound` is kept (not owned); nullptr: the window's own port on the
    // platform's MIDI devices and song player.
    explicit FrmTonvale(SoundSeam* sound = nullptr, QWidget* parent = nullptr);
    ~FrmTonvale() override;

    // Form_Load: device menu and MIDI, lesson list columns, start text, status bar, class
    // link, message hook. `hookName` empty: named after the program and its data folder.
    void Form_Load(const QString& hookName = QString());
    // Form_Unload: the hook goes first, then the MIDI output, then every other window.
    void Form_Unload();

    void ArrangeCanvas() override;
    bool ConfirmQuit();
    void HScroll1_Change();
    void VScroll1_Change();

    // ---- Lesson engine on this window ----
    void SelectFrame(int lesson);
    void UpdateMenu() override;
    void SetupLessonList();
    void ResetFrameControls();
    void UpdateViewMenus();
    void cmdStart_Click();
    void cmdHelp_Click();

    // ---- Commands ----
    // Runs a menu command by item name (index for the menu arrays).
    void runMenuCommand(const QString& name, int index = -1);
    void Toolbar_ButtonClick(const QString& key);
    void mnuGameNewLesson_Click();
    void mnuGamePlayer_Click();
    void mnuGameRestart_Click();
    void mnuIntervalTerm_Click(int index);
    void mnuPracticeMode_Click();
    void mnuChangePassword_Click();
    void mnuAbout_Click();
    void mnuHelpContent_Click();
    void mnuDevice_Click(int index);
    // The tail that start-up and the player command share after the player dialog.
    void afterPlayerChoice();
    // Opens the help window at the window's help context (F1).
    void showHelp();

    // ---- MIDI ----
    qint32 OpenMIDI();
    qint32 CloseMIDI();
    SoundSeam& sound() { return *sound_; }
    void HandleCopyData(HookCommand command);

    // ---- MainWindowSeam ----
    void selectFrame(int lesson) override { SelectFrame(lesson); }
    bool isMainWindowVisible() const override { return isVisible(); }
    QWidget* mainWindow() const override { return const_cast<FrmTonvale*>(this); }
    void showPlayerReport(const QString& playerName, QWidget* owner) override;
    void customizeReport(QWidget* owner) override;

    // ---- LessonWindow ----
    QWidget* owner() override { return this; }
    bool practiceMode() const override { return practiceChecked(); }
    void PlaySong(const QString& path) override;
    void CloseSong() override;
    void showHelp(int context) override;
    bool menuChecked(const QString& item) const override;
    void setMenuChecked(const QString& item, bool checked) override;
    void showPointers() override;

    // ---- State ----
    int SelectedLessonRow = 1;
    qint32 MidiResult = 0;
    int HelpContextID = 0;
    lessons::ExerciseState state;
    lessons::LoadedFlags LoadedFlags;
    lessons::LessonTable lessonTable;

    // ---- Lesson engine ----
    lessons::LessonContext& context() { return *ctx_; }
    palettes::PaletteRegistry& paletteWindows() { return *palettes_; }
    staffedit::StaffEditor& staffEditor() { return *staffEditor_; }
    // The seams the staff editor and the played input fill in (the window keeps ownership of
    // its own; nullptr puts them back).
    void setStaffSeam(lessons::StaffSeam* seam);
    void setPlayedInput(lessons::PlayedInput* input);
    // The piano and drum windows' state and capture.
    played::PlayedInputs& playedInputs() { return *played_; }

    // ---- Controls ----
    MainMenus* menus() const { return menus_; }
    MainToolbar* toolbar() const { return toolbar_; }
    QWidget* client() const { return client_; }
    QWidget* Frame1;
    QScrollBar* HScroll1;
    QScrollBar* VScroll1;
    QFrame* fraLesson0;
    QFrame* fraScore;
    QGroupBox* fraLevels;
    QTreeWidget* lvwLesson;
    QPushButton* cmdStart;
    QPushButton* cmdHelp;
    QPushButton* cmdGo;
    QPushButton* cmdStop;
    QPushButton* cmdHelp2;
    QPushButton* cmdNext;
    QPushButton* cmdPrevious;
    QLabel* lblPlayer;
    QLabel* lblPlayerName;
    QLabel* lblScore;
    QLabel* lblLevel;
    QLabel* lblTime;
    QLabel* lblNumberLesson;
    QLabel* lblUserName;
    QTextEdit* lblLessonName;
    QLabel* statusPicture;   // StatusBar1 panel 1
    QLabel* statusText;      // StatusBar1 panel 2
    QTimer* Timer1;
    QTimer* tmrPractice;
    std::unique_ptr<NotationArrays> arrays;

    MessageHook& hook() { return *hook_; }
    classlink::ClassLinkClient* classLink() const { return classLink_; }
    const lessons::LessonList& lessonList() const { return lessonList_; }
    // The last layout computed (twips), for tests.
    const CanvasLayout& lastLayout() const { return layout_; }
    // The outer window size the layout works from, in twips.
    double outerWidth() const;
    double outerHeight() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void onMenuCommand(const QString& name, int index);
    void showStatus(bool connected, const QString& text);
    void setPracticeIndicator();
    void choosePlayer();
    bool practiceChecked() const;

    std::unique_ptr<SoundSeam> ownSound_;
    SoundSeam* sound_;
    MainMenus* menus_ = nullptr;
    MainToolbar* toolbar_ = nullptr;
    QWidget* client_ = nullptr;
    MessageHook* hook_ = nullptr;
    classlink::ClassLinkClient* classLink_ = nullptr;
    lessons::LessonList lessonList_;
    std::unique_ptr<palettes::PaletteRegistry> palettes_;
    lessons::StaffSeam ownStaff_;
    std::unique_ptr<staffedit::StaffEditor> staffEditor_;
    lessons::PlayedInput ownPlayedInput_;
    std::unique_ptr<played::PlayedInputs> played_;
    std::unique_ptr<lessons::LessonContext> ctx_;
    int toolObserver_ = 0;
    int practiceBlinkStep_ = 0;
    CanvasLayout layout_;
    bool unloaded_ = false;
    bool loaded_ = false;
};

} // namespace shell
