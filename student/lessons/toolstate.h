#pragma once
// The palettes' tool state: which toolbar buttons are pressed (the armed tool), their
// visibility, enabled state and picture, the window sizes a lesson gives them, the main
// window's mouse pointer (0 default, 2 cross-hair, 99 eraser) and the lesson frame's, and the
// time palette's tool. There is no other record of the current tool: the staff editor and the
// answer labels read a named palette's button by index at the moment of a click. The palette
// windows only show this model; closing one resets its design state here.
//
// Palettes are named by their window ("frmIntervals"); buttons count from 1 with separators
// counted, as on the toolbars. A palette that is not open reads as having nothing pressed.
#include "common/controlarray.h"

#include <QString>
#include <functional>
#include <map>
#include <vector>

namespace lessons {

class ExerciseState;

inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerCross = 2;
inline constexpr int kPointerEraser = 99;

// The ten tool windows the View menu opens and the two that only other palettes reach.
struct PaletteInfo {
    const char* window;      // "frmIntervals"
    const char* caption;     // "Intervals"
    const char* toolbar;     // "tbrIntervals" (empty: no toolbar of buttons)
    int buttons;             // toolbar buttons, separators counted
    const char* menuItem;    // View menu item, empty for none
    const char* eraserKey;   // key of the palette's eraser button, empty for none
};
// Every palette, the piano and drum windows (no toolbar) included.
const std::vector<PaletteInfo>& paletteInfos();
const PaletteInfo* paletteInfo(const QString& window);
const PaletteInfo* paletteForMenuItem(const QString& menuItem);

struct ToolButton {
    int Value = 0;         // 1 pressed, 0 released
    bool Visible = true;
    bool Enabled = true;   // as the lesson's palette set-up left it
    int Image = 0;         // 0: the button's own picture
};

// A palette click's fixed steps (which palettes it releases, whether it raises the time tool,
// where the lesson frame's pointer comes from, whether it clears the drag flag).
enum class PointerSource { MainWindow, OwnWindow };
enum class ClickTail { FocusAndRefresh, ToolbarRefreshOnly, FocusAfterCopy };
struct ClickRule {
    const char* palette;
    std::vector<const char*> released;   // in this order
    bool buttonUp;                        // raises the time palette's tool
    ClickTail tail;
    PointerSource pointerSource;
    bool setMouseDown;                    // SetMouseDown(0) at the end
};
const std::vector<ClickRule>& clickRules();
const ClickRule* clickRule(const QString& palette);

// The time palette's own metre and tool button.
struct TimeTool {
    bool down = false;       // IsButtonDown
    qint32 Pulses = 3;       // GetPulses (4 over 4 when new)
    qint32 NoteValue = 2;    // GetNoteValue
    // The palette's own choices, kept until its window closes: the grouping (simple or
    // compound) and the beat/grouping code last chosen (1..6, as Pulses counts them).
    bool IsSimple = true;
    qint32 PulsesCode = 3;
};

class ToolState {
public:
    ToolState();

    // ---- Buttons ----
    int buttonCount(const QString& palette) const;
    // Value of button i: 0 for an unknown palette or index.
    int Value(const QString& palette, int i) const;
    bool pressed(const QString& palette, int i) const { return Value(palette, i) == 1; }
    void setValue(const QString& palette, int i, int value);
    // Value 0 on buttons 1..count.
    void releaseAll(const QString& palette);
    bool Visible(const QString& palette, int i) const;
    void setVisible(const QString& palette, int i, bool visible);
    // Enabled as shown: the set-up's state and the lesson's own.
    bool Enabled(const QString& palette, int i) const;
    void setEnabled(const QString& palette, int i, bool enabled);
    int Image(const QString& palette, int i) const;
    void setImage(const QString& palette, int i, int image);
    // States a lesson's builder sets for its set (the cadence lesson's buttons): they stay
    // when the window closes and are shown again when it opens.
    void setLessonEnabled(const QString& palette, int i, bool enabled);
    void clearLessonEnabled(const QString& palette);

    // ---- Window geometry the lesson's set-up gives (twips; empty: where the window is) ----
    common::OptTwips windowLeft(const QString& palette) const;
    common::OptTwips windowTop(const QString& palette) const;
    common::OptTwips windowWidth(const QString& palette) const;
    void setWindowLeft(const QString& palette, double twips);
    void setWindowTop(const QString& palette, double twips);
    void setWindowWidth(const QString& palette, double twips);
    // Where the window stands now (twips), as the window reports it when it opens or moves.
    void setWindowPlace(const QString& palette, double left, double top);
    double placedLeft(const QString& palette) const;
    double placedTop(const QString& palette) const;

    // No tool armed: every palette's buttons released (closed palettes' too), the time tool
    // raised, the window's and the lesson frame's pointers back to the default. What the
    // lesson's set-up gave the buttons (shown, enabled, pictures) stays.
    void disarmAll();
    // Closing a window: its buttons released, shown, enabled and with their own pictures, its
    // lesson geometry forgotten. The lesson's own states stay.
    void resetDesign(const QString& palette);

    // ---- Pointers ----
    int MousePointer() const { return mousePointer_; }
    void setMousePointer(int p);
    int LessonFramePointer() const { return framePointer_; }
    void setLessonFramePointer(int p);

    // ---- The time palette ----
    const TimeTool& time() const { return time_; }
    void setTime(const TimeTool& t);
    // ButtonUp: the time tool raised.
    void ButtonUp();

    // ---- Observers (the palette windows, the main window's cursor) ----
    int subscribe(std::function<void()> f);
    void unsubscribe(int id);
    void notify();

private:
    struct Palette {
        std::vector<ToolButton> buttons;   // [0] unused
        std::map<int, bool> lessonEnabled;
        common::OptTwips left, top, width;
        double placedLeft = 0, placedTop = 0;
    };
    Palette* find(const QString& palette);
    const Palette* find(const QString& palette) const;
    ToolButton* button(const QString& palette, int i);
    const ToolButton* button(const QString& palette, int i) const;

    std::map<QString, Palette> palettes_;
    int mousePointer_ = kPointerDefault;
    int framePointer_ = kPointerDefault;
    TimeTool time_;
    std::map<int, std::function<void()>> observers_;
    int nextObserver_ = 1;
};

// The shared skeleton of a palette button click. beginPaletteClick: unless `keepPointer`, the
// main window's pointer goes to 0; the palettes of the rule are released in order; the time
// tool is raised where the rule says. endPaletteClick: the lesson frame takes its pointer from
// the rule's source, and the drag flag is cleared where the rule says.
void beginPaletteClick(ExerciseState& state, const QString& palette, bool keepPointer);
void endPaletteClick(ExerciseState& state, const QString& palette);
// The eraser toggle of the Notes, Accidentals and Intervals palettes: armed (pointer 99,
// button 1 down) unless it was armed already (pointer neither 0 nor 2), then disarmed.
void toggleEraser(ExerciseState& state, const QString& palette);

} // namespace lessons
