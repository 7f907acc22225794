#pragma once
// The tool windows of the student program by name: the palettes (made from their specs) and
// the piano and drum windows (made by factories their own code registers). One instance of
// each at most, owned by the main window, shown modeless; unloading destroys it and resets its
// design state in the tool state. The View menu's ten toggles run here. A window that opens is
// placed clear of the lesson and of the other tool windows (windowplacement.h).
#include "palettewindow.h"
#include "windowplacement.h"

#include "student/lessons/palettehost.h"

#include <QPointer>
#include <functional>
#include <map>

namespace palettes {

// Every palette the program has, in no particular order.
std::vector<PaletteSpec> allPaletteSpecs();

class PaletteRegistry : public lessons::PaletteHost {
public:
    // `setupAnswerPalettes` runs before a toggle shows a window.
    PaletteRegistry(QWidget* owner, std::function<void()> setupAnswerPalettes);
    ~PaletteRegistry() override;

    // The context every palette's clicks run in (set once by the main window).
    void setContext(lessons::LessonContext* ctx);
    void add(const PaletteSpec& spec);
    bool has(const QString& name) const;
    // What the tool windows must keep clear of, asked each time one is placed (by default the
    // owner's screen and frame only).
    void setPlacementArea(std::function<PlacementArea()> area);

    // ---- PaletteHost ----
    void addToolWindow(const QString& name, std::function<QWidget*(QWidget* owner)> make) override;
    bool isVisible(const QString& name) const override;
    void show(const QString& name) override;
    void unload(const QString& name) override;
    void toggle(const QString& menuItem) override;
    bool BeamIt(common::ControlArray<QWidget>& staves, common::ControlArray<QWidget>& beams,
                common::ControlArray<QWidget>& notes, int column, bool silent) override;

    // The window when it is loaded (created), else nullptr.
    QWidget* window(const QString& name) const;
    PaletteWindow* palette(const QString& name) const;
    // Makes the window without showing it (what reading a palette's toolbar does).
    QWidget* load(const QString& name);
    // Destroys every window at once (the owner is going).
    void unloadAll();
    // The lesson switch's window pass: the windows whose View item is unchecked are unloaded,
    // those left open are moved where they cover what the new lesson shows, and those checked
    // are opened.
    void applyViewChecks();

private:
    struct Entry {
        PaletteSpec spec;
        std::function<QWidget*(QWidget*)> make;
        QPointer<QWidget> window;
    };
    Entry* find(const QString& name);
    const Entry* find(const QString& name) const;
    void closedByUser(const QString& name);
    std::vector<QWidget*> openWindows() const;
    // A placer that knows every open tool window but `w`.
    WindowPlacer placerBeside(const QWidget* w) const;
    // The room a window takes: its frame, or the frame it will be given.
    static QRect outerRect(const WindowPlacer& placer, const QWidget* w);
    // Moves `w` to its place: where it stands if it is open there and the rules allow it, else
    // the free place nearest its own (its design place, or where it last stood); when no place
    // is free, every open window is placed again.
    void place(const Entry& e, QWidget* w);

    QWidget* owner_;
    std::function<void()> setupAnswerPalettes_;
    lessons::LessonContext* ctx_ = nullptr;
    std::function<PlacementArea()> placementArea_;
    std::map<QString, Entry> entries_;
    std::vector<QPointer<QWidget>> dying_;
};

} // namespace palettes
