#pragma once
// The floating tool windows by name ("frmIntervals", "frmKeyboard", ...) as the lesson engine
// opens and closes them. The palette framework (student/palettes/) is the real host; without
// it no window is ever open.
#include <QString>

namespace lessons {

class PaletteHost {
public:
    virtual ~PaletteHost() = default;
    virtual bool isVisible(const QString& window) const { (void)window; return false; }
    // Shows the window modeless, owned by the main window (created on first use).
    virtual void show(const QString& window) { (void)window; }
    // Destroys the window; its design state is reset.
    virtual void unload(const QString& window) { (void)window; }
    virtual void moveBy(const QString& window, double dxTwips, double dyTwips) {
        (void)window; (void)dxTwips; (void)dyTwips;
    }
    // The View menu's toggle for `menuItem` (mnuViewIntervals .. mnuPiano, mnuDrum).
    virtual void toggle(const QString& menuItem) { (void)menuItem; }
};

} // namespace lessons
