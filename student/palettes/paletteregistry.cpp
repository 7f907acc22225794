#include "paletteregistry.h"

#include "beaming.h"
#include "palettespecs.h"

#include "platform/windowframe.h"

#include <algorithm>

namespace palettes {

std::vector<PaletteSpec> allPaletteSpecs() {
    return {intervalsPalette(), cadencePalette(), inversionPalette(), romanPalette(), timePalette(),
            notesPalette(), restsPalette(), accidentalsPalette(), clefPalette(), miscPalette()};
}

PaletteRegistry::PaletteRegistry(QWidget* owner, std::function<void()> setupAnswerPalettes)
    : owner_(owner), setupAnswerPalettes_(std::move(setupAnswerPalettes)) {}

PaletteRegistry::~PaletteRegistry() { unloadAll(); }

void PaletteRegistry::setContext(lessons::LessonContext* ctx) {
    ctx_ = ctx;
    for (auto& kv : entries_)
        if (!kv.second.make) ctx_->state.tools.setWindowPlace(kv.first, kv.second.spec.left, kv.second.spec.top);
}

void PaletteRegistry::add(const PaletteSpec& spec) {
    Entry& e = entries_[spec.window];
    e.spec = spec;
    if (ctx_) ctx_->state.tools.setWindowPlace(spec.window, spec.left, spec.top);
}

void PaletteRegistry::addToolWindow(const QString& name, std::function<QWidget*(QWidget*)> make) {
    entries_[name].make = std::move(make);
}

bool PaletteRegistry::has(const QString& name) const { return find(name) != nullptr; }

PaletteRegistry::Entry* PaletteRegistry::find(const QString& name) {
    auto it = entries_.find(name);
    return it == entries_.end() ? nullptr : &it->second;
}
const PaletteRegistry::Entry* PaletteRegistry::find(const QString& name) const {
    auto it = entries_.find(name);
    return it == entries_.end() ? nullptr : &it->second;
}

QWidget* PaletteRegistry::window(const QString& name) const {
    const Entry* e = find(name);
    return e ? e->window.data() : nullptr;
}

PaletteWindow* PaletteRegistry::palette(const QString& name) const {
    return qobject_cast<PaletteWindow*>(window(name));
}

QWidget* PaletteRegistry::load(const QString& name) {
    Entry* e = find(name);
    if (!e) return nullptr;
    if (e->window) return e->window;
    if (e->make) {
        e->window = e->make(owner_);
    } else if (ctx_) {
        auto* w = new PaletteWindow(e->spec, *ctx_, owner_);
        w->closedByUser = [this, name] { closedByUser(name); };
        e->window = w;
        if (e->spec.load) e->spec.load(*ctx_);
        w->refresh();
    }
    return e->window;
}

bool PaletteRegistry::isVisible(const QString& name) const {
    const QWidget* w = window(name);
    return w && w->isVisible();
}

void PaletteRegistry::show(const QString& name) {
    Entry* e = find(name);
    QWidget* w = load(name);
    if (!e || !w) return;
    // The palette takes the lesson's buttons and width before its place is chosen.
    if (auto* p = qobject_cast<PaletteWindow*>(w)) p->refresh();
    place(*e, w);
    w->show();
    w->raise();
}

void PaletteRegistry::setPlacementArea(std::function<PlacementArea()> area) { placementArea_ = std::move(area); }

WindowPlacer PaletteRegistry::placerBeside(const QWidget* w) const {
    WindowPlacer placer(placementArea_ ? placementArea_() : placementAround(owner_, {}, nullptr));
    for (QWidget* other : openWindows())
        if (other != w) placer.occupy(outerRect(placer, other));
    return placer;
}

std::vector<QWidget*> PaletteRegistry::openWindows() const {
    std::vector<QWidget*> open;
    for (const auto& kv : entries_)
        if (kv.second.window && kv.second.window->isVisible()) open.push_back(kv.second.window);
    return open;
}

QRect PaletteRegistry::outerRect(const WindowPlacer& placer, const QWidget* w) {
    // A window not framed yet will be framed round where its client area stands.
    if (!w->isVisible() || platform::frameMargins(*w).isNull())
        return w->geometry().marginsAdded(placer.area().decorations);
    return platform::frameGeometry(*w);
}

void PaletteRegistry::place(const Entry& e, QWidget* w) {
    WindowPlacer placer = placerBeside(w);
    const QRect here = outerRect(placer, w);
    if (w->isVisible() && placer.allows(here)) return;
    QPoint preferred = w->pos();
    if (!w->isVisible()) {
        if (ctx_ && !e.make) {
            const lessons::ToolState& t = ctx_->state.tools;
            preferred = placesOrigin(owner_) +
                        QPoint(common::twipsToPixels(t.windowLeft(e.spec.window).value_or(t.placedLeft(e.spec.window))),
                               common::twipsToPixels(t.windowTop(e.spec.window).value_or(t.placedTop(e.spec.window))));
        } else {
            preferred = placer.underTheLesson();
        }
    }
    const QMargins frame = placer.area().decorations;
    if (const std::optional<QPoint> at = placer.freePlace(here.size(), preferred)) {
        platform::moveFrameTo(*w, *at, frame);
        return;
    }
    // No room is left between the windows open: all of them are placed again together.
    std::vector<QWidget*> windows = openWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), w), windows.end());
    windows.push_back(w);
    std::vector<QRect> wanted;
    for (QWidget* open : windows) wanted.push_back(open == w ? QRect(preferred, here.size()) : outerRect(placer, open));
    WindowPlacer fresh(placer.area());
    const std::vector<QPoint> at = fresh.placeAll(wanted);
    for (size_t i = 0; i < windows.size(); ++i) platform::moveFrameTo(*windows[i], at[i], frame);
}

void PaletteRegistry::applyViewChecks() {
    if (!ctx_) return;
    const lessons::LessonWindow& win = ctx_->window;
    auto checked = [&](const lessons::PaletteInfo& p) { return win.menuChecked(QString::fromLatin1(p.menuItem)); };
    for (const lessons::PaletteInfo& p : lessons::paletteInfos())
        if (*p.menuItem && !checked(p) && isVisible(QString::fromLatin1(p.window))) unload(QString::fromLatin1(p.window));
    // Windows left open from the lesson before stand where that lesson left room.
    for (auto& kv : entries_)
        if (kv.second.window && kv.second.window->isVisible()) place(kv.second, kv.second.window);
    for (const lessons::PaletteInfo& p : lessons::paletteInfos())
        if (*p.menuItem && checked(p) && !isVisible(QString::fromLatin1(p.window))) show(QString::fromLatin1(p.window));
}

void PaletteRegistry::unload(const QString& name) {
    Entry* e = find(name);
    if (!e || !e->window) return;
    QWidget* w = e->window;
    e->window = nullptr;
    w->hide();
    // The window may be the one whose event is running (its close box).
    w->deleteLater();
    dying_.erase(std::remove(dying_.begin(), dying_.end(), QPointer<QWidget>()), dying_.end());
    dying_.push_back(w);
    if (ctx_ && !e->make) ctx_->state.tools.resetDesign(name);
}

void PaletteRegistry::unloadAll() {
    for (auto& kv : entries_) {
        if (!kv.second.window) continue;
        delete kv.second.window.data();
        kv.second.window = nullptr;
    }
    // Windows closed earlier whose deletion is still pending go now, while the state they
    // show is still there.
    for (const QPointer<QWidget>& w : dying_) delete w.data();
    dying_.clear();
}

void PaletteRegistry::toggle(const QString& menuItem) {
    const lessons::PaletteInfo* info = lessons::paletteForMenuItem(menuItem);
    if (!info || !ctx_) return;
    const QString name = QString::fromLatin1(info->window);
    lessons::LessonWindow& win = ctx_->window;
    if (win.menuChecked(menuItem)) {
        win.setMenuChecked(menuItem, false);
        if (isVisible(name)) unload(name);
        return;
    }
    win.setMenuChecked(menuItem, true);
    // The note palette is set up and shown even when it is open already.
    if (menuItem == QLatin1String("mnuViewNoteSymbols") || !isVisible(name)) {
        if (setupAnswerPalettes_) setupAnswerPalettes_();
        show(name);
    }
}

void PaletteRegistry::closedByUser(const QString& name) {
    // Closing a palette with its close box clears its View item, so the menu says which
    // palettes are open; but the time palette has no unload step of its own: its item stays
    // checked, and its next click only removes the check.
    const lessons::PaletteInfo* info = lessons::paletteInfo(name);
    if (info && ctx_ && *info->menuItem && name != QLatin1String("frmTime"))
        ctx_->window.setMenuChecked(QString::fromLatin1(info->menuItem), false);
    unload(name);
}

bool PaletteRegistry::BeamIt(common::ControlArray<QWidget>& staves, common::ControlArray<QWidget>& beams,
                             common::ControlArray<QWidget>& notes, int column, bool silent) {
    return ctx_ && Beaming(*ctx_).BeamIt(staves, beams, notes, column, silent);
}

} // namespace palettes
