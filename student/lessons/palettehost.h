#pragma once
// The floating tool windows by name ("frmIntervals", "frmKeyboard", ...) as the lesson engine
// opens and closes them. The palette framework (student/palettes/) is the real host; without
// it no window is ever open. The played input (student/played/) hands its piano and drum
// windows to the host through it.
#include <QString>
#include <Qt>

#include "common/controlarray.h"

#include <functional>

namespace lessons {

// A floating tool window (palette, piano, drum pad) keeps the size its contents need: its title
// bar shows the caption and a close box, never a minimize or maximize button.
inline constexpr Qt::WindowFlags kToolWindowFlags =
    Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

class PaletteHost {
public:
    virtual ~PaletteHost() = default;
    // A window that is not a palette (piano, drum): `make` creates it as a child of the
    // owner, with kToolWindowFlags.
    virtual void addToolWindow(const QString& window, std::function<QWidget*(QWidget* owner)> make) {
        (void)window, (void)make;
    }
    virtual bool isVisible(const QString& window) const { (void)window; return false; }
    // Shows the window modeless, owned by the main window (created on first use).
    virtual void show(const QString& window) { (void)window; }
    // Destroys the window; its design state is reset.
    virtual void unload(const QString& window) { (void)window; }
    // The View menu's toggle for `menuItem` (mnuViewIntervals .. mnuPiano, mnuDrum).
    virtual void toggle(const QString& menuItem) { (void)menuItem; }
    // The misc palette's BeamIt: the selected notes under a new beam marked in `column`; its
    // refusals are shown unless `silent`. False when no beam was made.
    virtual bool BeamIt(common::ControlArray<QWidget>& staves, common::ControlArray<QWidget>& beams,
                        common::ControlArray<QWidget>& notes, int column, bool silent) {
        (void)staves, (void)beams, (void)notes, (void)column, (void)silent;
        return false;
    }
};

} // namespace lessons
