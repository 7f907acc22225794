#pragma once
// The palette framework: a palette is a spec (its toolbar's buttons, pictures, default place
// and click handler); a PaletteWindow is the floating tool window (owned by the main window)
// that shows the palette's part of the tool state and hands each button click to the spec;
// the registry keeps the windows by name, opens, closes and toggles them from the View menu.
//
// Adding a palette: write student/palettes/<name>palette.cpp with a function returning its
// PaletteSpec (window name as in lessons::paletteInfos(), buttons in toolbar order with
// separators as empty keys, a picture for each image number, the click handler), declare it in
// palettespecs.h and add it to allPaletteSpecs() in paletteregistry.cpp. The click handler
// runs the shared skeleton (lessons::beginPaletteClick / endPaletteClick) around its own
// step; the window redraws itself from the tool state.
#include "student/lessons/lessoncontext.h"

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

class QToolButton;

namespace palettes {

struct PaletteButton {
    QString key;        // empty: a separator
    QString toolTip;
    int image = 0;      // design picture number
    bool separator() const { return key.isEmpty(); }
};

struct PaletteSpec {
    QString window;                       // "frmIntervals"
    std::vector<PaletteButton> buttons;   // toolbar buttons 1..n
    double left = 0, top = 0, width = 0;  // design place and width, twips
    int buttonWidth = 0;                  // pixels; 0: square buttons (worded buttons are wider)
    std::function<QPixmap(int image)> picture;
    // tbr..._ButtonClick with the button's key.
    std::function<void(lessons::LessonContext& ctx, const QString& key)> click;
    // Form_Load: runs when the window is made.
    std::function<void(lessons::LessonContext& ctx)> load;
    // A window without a toolbar (the time palette) builds its own content here.
    std::function<QWidget*(QWidget* parent, lessons::LessonContext& ctx)> content;
};

class PaletteWindow : public QWidget {
    Q_OBJECT
public:
    PaletteWindow(const PaletteSpec& spec, lessons::LessonContext& ctx, QWidget* owner);
    ~PaletteWindow() override;

    const PaletteSpec& spec() const { return spec_; }
    QString name() const { return spec_.window; }
    // Button i (1-based) as shown; nullptr for a separator or an index outside.
    QToolButton* button(int i) const;
    // Clicks button i as the student would (nothing for a hidden or disabled one).
    void clickButton(int i);
    // Shows the tool state again (buttons, pictures, width).
    void refresh();
    // Called when the student closes the window with its title bar's close box.
    std::function<void()> closedByUser;

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void layoutButtons();
    int buttonWidth() const;

    PaletteSpec spec_;
    lessons::LessonContext& ctx_;
    std::vector<QToolButton*> buttons_;   // [i - 1], nullptr for separators
    std::vector<int> shownImages_;        // [i - 1]: the image each button's picture shows, 0 none
    QWidget* content_ = nullptr;
    int observer_ = 0;
};

} // namespace palettes
