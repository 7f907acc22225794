#pragma once
// What the lesson builders, players and scorers, the staff editor and the palettes reach of the
// main window: the control arrays, the table of loaded elements, the exercise state, the
// player, the MIDI port, the palettes, the played-input and staff-editor seams, the few fixed
// controls of the score frame, and the window operations they call. The main window makes
// one and hands it out by reference; tests make one over a bare frame.
#include "exercisestate.h"
#include "loadedflags.h"
#include "notationarrays.h"
#include "palettehost.h"
#include "playedinput.h"
#include "staffseam.h"

#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class QWidget;

namespace sound { class MidiPort; }
namespace tonvale { class PlayerSession; }

namespace lessons {

class LessonTable;

// The main window's operations the lessons call.
class LessonWindow {
public:
    virtual ~LessonWindow() = default;
    // Owner of message boxes and tool windows.
    virtual QWidget* owner() = 0;
    virtual void UpdateMenu() {}
    virtual void ArrangeCanvas() {}
    // The check mark of mnuPracticeMode (checked: practice mode, else test mode).
    virtual bool practiceMode() const = 0;
    virtual void PlaySong(const QString& path) { (void)path; }
    virtual void CloseSong() {}
    // Opens the help window at a context: 0 the contents, 1..7 a lesson.
    virtual void showHelp(int context) { (void)context; }
    // View menu items by name: check mark and Enabled.
    virtual bool menuChecked(const QString& item) const { (void)item; return false; }
    virtual void setMenuChecked(const QString& item, bool checked) { (void)item; (void)checked; }
    // Shows the tool state's pointers (main window, lesson frame) as cursors.
    virtual void showPointers() {}
};

// The fixed controls of the score frame and the lesson area that the lessons drive.
struct FrameControls {
    QFrame* fraLesson0 = nullptr;
    QPushButton* cmdGo = nullptr;
    QPushButton* cmdStop = nullptr;
    QPushButton* cmdNext = nullptr;
    QPushButton* cmdPrevious = nullptr;
    QLabel* lblScore = nullptr;
    QLabel* lblLevel = nullptr;
    QLabel* lblTime = nullptr;
    QTimer* Timer1 = nullptr;
};

struct LessonContext {
    NotationArrays& arrays;
    lessons::LoadedFlags& LoadedFlags;
    ExerciseState& state;
    tonvale::PlayerSession& session;
    LessonWindow& window;
    PaletteHost& palettes;
    // The seams the played-input capture and the staff editor fill in (never nullptr; the
    // main window swaps in the real ones).
    PlayedInput* playedInput;
    StaffSeam* staff;
    sound::MidiPort* port = nullptr;   // nullptr: nothing sounds
    FrameControls frame;
    // The lessons' builders, markings and questions (the main window's table).
    const LessonTable* table = nullptr;
};

} // namespace lessons
