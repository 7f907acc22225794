#pragma once
// Which commands the main window offers in each state: from whether a player is chosen,
// whether an exercise is running and whether a lesson or the lesson list is shown; and which
// palette items of the View menu the shown lesson can use.
#include <QStringList>

namespace lessons {

struct MenuFacts {
    bool playerChosen = false;
    bool exerciseRunning = false;
    int currentLesson = 0;   // 0 = the lesson list
};

struct MenuState {
    bool mnuGame = false;
    bool mnuGamePlayer = false;
    bool mnuExport = false;
    bool mnuImport = false;
    bool mnuOption = false;
    bool mnuChangePassword = false;
    bool lessonAreaHidden = false;   // no player: the lesson area is hidden as well
};

MenuState menuStateFor(const MenuFacts& facts);

// The eight palette items of the View menu, in the order they are switched off.
QStringList viewPaletteItems();
// The palette items enabled for a lesson (none for the lesson list and lesson 7).
QStringList viewItemsEnabledFor(int lesson);

// Toolbar buttons that mirror a menu entry's Enabled state, in the order they are set:
// (button position, menu item name).
struct ToolbarMirror { int button; const char* menuItem; };
inline constexpr ToolbarMirror kToolbarMirrors[] = {
    {8, "mnuPiano"}, {9, "mnuDrum"}, {4, "mnuOption"}, {2, "mnuGame"}, {1, "mnuGamePlayer"},
};

} // namespace lessons
