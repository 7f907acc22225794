#include "toolstate.h"

#include "exercisestate.h"

namespace lessons {

const std::vector<PaletteInfo>& paletteInfos() {
    // The View menu's windows in the order the lesson switch opens and closes them, then the
    // two palettes no menu item opens.
    static const std::vector<PaletteInfo> infos = {
        {"frmFloatingAccidentals", "Accidentals", "tbrAccidentals", 9, "mnuViewAccidentals", "Erase"},
        {"frmFloatingCadence", "Cadences", "tbrCadence", 6, "mnuViewCadence", ""},
        {"frmIntervals", "Intervals", "tbrIntervals", 21, "mnuViewIntervals", "Eraser"},
        {"frmFloatingMisc", "Miscelaneous", "tbrMisc", 14, "mnuViewMisc", "Eraser"},
        {"frmFloatingNotes", "Note Values", "tbrNotes", 16, "mnuViewNoteSymbols", "Eraser"},
        {"frmFloatingRests", "Rests", "tbrRests", 11, "mnuViewRests", "Erase"},
        {"frmInversion", "Inversion", "tbrInversion", 6, "mnuInversion", "Eraser"},
        {"frmTime", "Time", "", 0, "mnuViewTime", ""},
        {"frmKeyboard", "Piano Keyboard", "", 0, "mnuPiano", ""},
        {"frmDrum", "Drum", "", 0, "mnuDrum", ""},
        {"frmFloatingClef", "Clefs", "tbrClef", 3, "", ""},
        {"frmFloatingRoman", "Roman Numbers", "tbrRomans", 9, "", "Eraser"},
    };
    return infos;
}

const PaletteInfo* paletteInfo(const QString& window) {
    for (const PaletteInfo& p : paletteInfos())
        if (window == QLatin1String(p.window)) return &p;
    return nullptr;
}

const PaletteInfo* paletteForMenuItem(const QString& menuItem) {
    if (menuItem.isEmpty()) return nullptr;
    for (const PaletteInfo& p : paletteInfos())
        if (menuItem == QLatin1String(p.menuItem)) return &p;
    return nullptr;
}

const std::vector<ClickRule>& clickRules() {
    // Which palettes each toolbar's click releases, in order, and how it ends. No click
    // releases the cadence palette; the Inversion and Intervals clicks leave their own.
    static const std::vector<ClickRule> rules = {
        {"frmFloatingNotes",
         {"frmIntervals", "frmFloatingAccidentals", "frmFloatingClef", "frmFloatingMisc", "frmFloatingNotes",
          "frmFloatingRests", "frmFloatingRoman", "frmInversion"},
         true, ClickTail::FocusAndRefresh, PointerSource::MainWindow, true},
        {"frmFloatingRests",
         {"frmFloatingAccidentals", "frmFloatingClef", "frmFloatingMisc", "frmFloatingNotes", "frmFloatingRests",
          "frmFloatingRoman", "frmInversion"},
         true, ClickTail::FocusAndRefresh, PointerSource::MainWindow, true},
        {"frmFloatingAccidentals",
         {"frmFloatingAccidentals", "frmIntervals", "frmFloatingClef", "frmFloatingMisc", "frmFloatingNotes",
          "frmFloatingRests", "frmFloatingRoman", "frmInversion"},
         true, ClickTail::FocusAndRefresh, PointerSource::OwnWindow, true},
        {"frmFloatingClef",
         {"frmIntervals", "frmFloatingClef", "frmFloatingMisc", "frmFloatingNotes", "frmFloatingRests",
          "frmFloatingRoman", "frmFloatingAccidentals", "frmInversion"},
         true, ClickTail::ToolbarRefreshOnly, PointerSource::MainWindow, false},
        {"frmFloatingMisc",
         {"frmFloatingClef", "frmFloatingMisc", "frmFloatingNotes", "frmFloatingRests", "frmFloatingRoman",
          "frmInversion", "frmFloatingAccidentals"},
         true, ClickTail::FocusAfterCopy, PointerSource::OwnWindow, false},
        {"frmInversion",
         {"frmFloatingAccidentals", "frmIntervals", "frmFloatingClef", "frmFloatingMisc", "frmFloatingNotes",
          "frmFloatingRests", "frmFloatingRoman"},
         false, ClickTail::FocusAndRefresh, PointerSource::OwnWindow, true},
        {"frmFloatingCadence",
         {"frmFloatingAccidentals", "frmFloatingClef", "frmFloatingMisc", "frmFloatingNotes", "frmFloatingRests",
          "frmFloatingRoman", "frmIntervals", "frmInversion"},
         false, ClickTail::FocusAndRefresh, PointerSource::OwnWindow, true},
        {"frmFloatingRoman",
         {"frmFloatingAccidentals", "frmFloatingClef", "frmFloatingMisc", "frmFloatingNotes", "frmFloatingRests",
          "frmFloatingRoman", "frmInversion"},
         false, ClickTail::FocusAndRefresh, PointerSource::MainWindow, true},
        {"frmIntervals",
         {"frmFloatingAccidentals", "frmFloatingClef", "frmFloatingMisc", "frmFloatingNotes", "frmFloatingRests",
          "frmFloatingRoman", "frmInversion"},
         false, ClickTail::FocusAndRefresh, PointerSource::OwnWindow, true},
    };
    return rules;
}

const ClickRule* clickRule(const QString& palette) {
    for (const ClickRule& r : clickRules())
        if (palette == QLatin1String(r.palette)) return &r;
    return nullptr;
}

ToolState::ToolState() {
    for (const PaletteInfo& p : paletteInfos()) palettes_[QString::fromLatin1(p.window)].buttons.resize(size_t(p.buttons) + 1);
}

ToolState::Palette* ToolState::find(const QString& palette) {
    auto it = palettes_.find(palette);
    return it == palettes_.end() ? nullptr : &it->second;
}
const ToolState::Palette* ToolState::find(const QString& palette) const {
    auto it = palettes_.find(palette);
    return it == palettes_.end() ? nullptr : &it->second;
}
ToolButton* ToolState::button(const QString& palette, int i) {
    Palette* p = find(palette);
    return p && i >= 1 && i < int(p->buttons.size()) ? &p->buttons[size_t(i)] : nullptr;
}
const ToolButton* ToolState::button(const QString& palette, int i) const {
    const Palette* p = find(palette);
    return p && i >= 1 && i < int(p->buttons.size()) ? &p->buttons[size_t(i)] : nullptr;
}

int ToolState::buttonCount(const QString& palette) const {
    const Palette* p = find(palette);
    return p ? int(p->buttons.size()) - 1 : 0;
}

int ToolState::Value(const QString& palette, int i) const {
    const ToolButton* b = button(palette, i);
    return b ? b->Value : 0;
}

void ToolState::setValue(const QString& palette, int i, int value) {
    if (ToolButton* b = button(palette, i)) {
        b->Value = value;
        notify();
    }
}

void ToolState::releaseAll(const QString& palette) {
    Palette* p = find(palette);
    if (!p) return;
    for (size_t i = 1; i < p->buttons.size(); ++i) p->buttons[i].Value = 0;
    notify();
}

bool ToolState::Visible(const QString& palette, int i) const {
    const ToolButton* b = button(palette, i);
    return b && b->Visible;
}

void ToolState::setVisible(const QString& palette, int i, bool visible) {
    if (ToolButton* b = button(palette, i)) {
        b->Visible = visible;
        notify();
    }
}

bool ToolState::Enabled(const QString& palette, int i) const {
    const ToolButton* b = button(palette, i);
    if (!b || !b->Enabled) return false;
    const Palette* p = find(palette);
    auto it = p->lessonEnabled.find(i);
    return it == p->lessonEnabled.end() || it->second;
}

void ToolState::setEnabled(const QString& palette, int i, bool enabled) {
    if (ToolButton* b = button(palette, i)) {
        b->Enabled = enabled;
        notify();
    }
}

int ToolState::Image(const QString& palette, int i) const {
    const ToolButton* b = button(palette, i);
    return b ? b->Image : 0;
}

void ToolState::setImage(const QString& palette, int i, int image) {
    if (ToolButton* b = button(palette, i)) {
        b->Image = image;
        notify();
    }
}

void ToolState::setLessonEnabled(const QString& palette, int i, bool enabled) {
    Palette* p = find(palette);
    if (!p || i < 1 || i >= int(p->buttons.size())) return;
    p->lessonEnabled[i] = enabled;
    notify();
}

void ToolState::clearLessonEnabled(const QString& palette) {
    if (Palette* p = find(palette)) {
        p->lessonEnabled.clear();
        notify();
    }
}

common::OptTwips ToolState::windowLeft(const QString& palette) const {
    const Palette* p = find(palette);
    return p ? p->left : common::OptTwips();
}
common::OptTwips ToolState::windowTop(const QString& palette) const {
    const Palette* p = find(palette);
    return p ? p->top : common::OptTwips();
}
common::OptTwips ToolState::windowWidth(const QString& palette) const {
    const Palette* p = find(palette);
    return p ? p->width : common::OptTwips();
}
void ToolState::setWindowLeft(const QString& palette, double twips) {
    if (Palette* p = find(palette)) {
        p->left = twips;
        p->placedLeft = twips;
        notify();
    }
}
void ToolState::setWindowTop(const QString& palette, double twips) {
    if (Palette* p = find(palette)) {
        p->top = twips;
        p->placedTop = twips;
        notify();
    }
}
void ToolState::setWindowWidth(const QString& palette, double twips) {
    if (Palette* p = find(palette)) {
        p->width = twips;
        notify();
    }
}
void ToolState::setWindowPlace(const QString& palette, double left, double top) {
    if (Palette* p = find(palette)) {
        p->placedLeft = left;
        p->placedTop = top;
    }
}
double ToolState::placedLeft(const QString& palette) const {
    const Palette* p = find(palette);
    return p ? p->placedLeft : 0;
}
double ToolState::placedTop(const QString& palette) const {
    const Palette* p = find(palette);
    return p ? p->placedTop : 0;
}

void ToolState::disarmAll() {
    for (auto& kv : palettes_)
        for (size_t i = 1; i < kv.second.buttons.size(); ++i) kv.second.buttons[i].Value = 0;
    time_.down = false;
    mousePointer_ = kPointerDefault;
    framePointer_ = kPointerDefault;
    notify();
}

void ToolState::resetDesign(const QString& palette) {
    Palette* p = find(palette);
    if (!p) return;
    for (size_t i = 1; i < p->buttons.size(); ++i) p->buttons[i] = ToolButton();
    p->left.reset();
    p->top.reset();
    p->width.reset();
    if (palette == QLatin1String("frmTime")) time_ = TimeTool();
    notify();
}

void ToolState::setMousePointer(int pointer) {
    if (mousePointer_ == pointer) return;
    mousePointer_ = pointer;
    notify();
}

void ToolState::setLessonFramePointer(int pointer) {
    if (framePointer_ == pointer) return;
    framePointer_ = pointer;
    notify();
}

void ToolState::setTime(const TimeTool& t) {
    time_ = t;
    notify();
}

void ToolState::ButtonUp() {
    if (!time_.down) return;
    time_.down = false;
    notify();
}

int ToolState::subscribe(std::function<void()> f) {
    const int id = nextObserver_++;
    observers_[id] = std::move(f);
    return id;
}

void ToolState::unsubscribe(int id) { observers_.erase(id); }

void ToolState::notify() {
    // Observers may subscribe or leave while they run.
    const auto copy = observers_;
    for (const auto& kv : copy)
        if (observers_.count(kv.first) && kv.second) kv.second();
}

void beginPaletteClick(ExerciseState& state, const QString& palette, bool keepPointer) {
    ToolState& t = state.tools;
    if (!keepPointer) t.setMousePointer(kPointerDefault);
    const ClickRule* rule = clickRule(palette);
    if (!rule) return;
    for (const char* p : rule->released) t.releaseAll(QString::fromLatin1(p));
    if (rule->buttonUp) t.ButtonUp();
}

void endPaletteClick(ExerciseState& state, const QString& palette) {
    ToolState& t = state.tools;
    const ClickRule* rule = clickRule(palette);
    if (!rule) return;
    // A palette window's own pointer is never changed: the default.
    t.setLessonFramePointer(rule->pointerSource == PointerSource::MainWindow ? t.MousePointer() : kPointerDefault);
    if (rule->setMouseDown) state.SetMouseDown(false);
}

void toggleEraser(ExerciseState& state, const QString& palette) {
    ToolState& t = state.tools;
    const int p = t.MousePointer();
    if (p != kPointerDefault && p != kPointerCross) {
        t.setMousePointer(kPointerDefault);
        t.setValue(palette, 1, 0);
    } else {
        t.setMousePointer(kPointerEraser);
        t.setValue(palette, 1, 1);
    }
}

} // namespace lessons
