#pragma once
// What the player records need of the main window. The main window implements it and
// installs itself at start-up; until then (and in tests that do not care) a window that is
// not shown and does nothing stands in.
#include <QString>

class QWidget;

namespace tonvale {

class MainWindowSeam {
public:
    virtual ~MainWindowSeam() = default;
    // Switches to lesson n (0: the lesson list, rebuilt for the current player).
    virtual void selectFrame(int lesson) = 0;
    virtual bool isMainWindowVisible() const = 0;
    // Owner of the modal dialogs and message boxes (nullptr: none).
    virtual QWidget* mainWindow() const { return nullptr; }
    // The player dialog's report frame: "View" for the selected player, "Customize".
    virtual void showPlayerReport(const QString& playerName, QWidget* owner) {
        (void)playerName;
        (void)owner;
    }
    virtual void customizeReport(QWidget* owner) { (void)owner; }

    static MainWindowSeam& instance();
    static void setInstance(MainWindowSeam* seam);  // nullptr: the stand-in again
};

class MainWindowSeamOverride {
public:
    explicit MainWindowSeamOverride(MainWindowSeam* seam) { MainWindowSeam::setInstance(seam); }
    ~MainWindowSeamOverride() { MainWindowSeam::setInstance(nullptr); }
};

} // namespace tonvale
