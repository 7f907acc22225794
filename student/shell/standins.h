#pragma once
// Where the main window reaches work that is not built yet. Every entry is a hook with a
// harmless default (nothing happens, a window that is never open); the main window calls it
// at the moment the finished feature will run, so the work that builds the feature only sets
// the hook (or replaces the call) and finds every call site through this header.
//
//   buildLesson[n]        exercise builder of lesson n (1..7), run by SelectFrame when the
//                         lesson is entered, with CurrentLevel already set
//   unloadLesson[n]       unloads what lesson n loaded (the element-pool unloaders), run by
//                         SelectFrame when the lesson is left
//   setupAnswerPalettes   prepares the floating answer palettes for the current lesson
//   doScore               marks the running exercise (stop button, countdown, quitting)
//   cmdGo                 next exercise set of the shown lesson
//   countdownTick         Timer1's tick (test-mode countdown)
//   practiceBlink         tmrPractice's tick (blinks the toolbar's Practice button)
//   setIntervalImages     shows a naming style's images on the interval palette's buttons
//   showScoreBounds       "Score Settings..." dialog
//   showReport            the student report (toolbar Report, View > Report, player dialog)
//   customizeReport       "Customize Report" dialog
//   windows               the floating palettes and the piano and drum windows by name
//                         (frmFloatingAccidentals, frmFloatingCadence, frmIntervals,
//                         frmFloatingMisc, frmFloatingNotes, frmFloatingRests, frmInversion,
//                         frmTime, frmKeyboard, frmDrum)
//   viewCommand           the View menu's palette commands (mnuViewAccidentals ..
//                         mnuViewTime, mnuInversion) and mnuPiano / mnuDrum
#include <QString>
#include <array>
#include <functional>
#include <map>

class QWidget;

namespace shell {

struct ToolWindow {
    std::function<bool()> isVisible;           // default: never open
    std::function<void(QWidget* owner)> show;  // modeless, owned by the main window
    std::function<void()> unload;
    std::function<void(double dxTwips, double dyTwips)> moveBy;
};

struct StandIns {
    std::array<std::function<void()>, 8> buildLesson;
    std::array<std::function<void()>, 8> unloadLesson;
    std::function<void()> setupAnswerPalettes;
    std::function<void()> doScore;
    std::function<void()> cmdGo;
    std::function<void()> countdownTick;
    std::function<void()> practiceBlink;
    std::function<void(int style)> setIntervalImages;
    std::function<void(QWidget* owner)> showScoreBounds;
    std::function<void(const QString& playerName, QWidget* owner)> showReport;
    std::function<void(QWidget* owner)> customizeReport;
    std::map<QString, ToolWindow> windows;
    std::function<void(const QString& menuItem)> viewCommand;

    // Calls that tolerate an empty hook.
    static void run(const std::function<void()>& f) { if (f) f(); }
    bool windowVisible(const QString& name) const {
        auto it = windows.find(name);
        return it != windows.end() && it->second.isVisible && it->second.isVisible();
    }
    void showWindow(const QString& name, QWidget* owner) const {
        auto it = windows.find(name);
        if (it != windows.end() && it->second.show) it->second.show(owner);
    }
    void unloadWindow(const QString& name) const {
        auto it = windows.find(name);
        if (it != windows.end() && it->second.unload) it->second.unload();
    }
};

} // namespace shell
