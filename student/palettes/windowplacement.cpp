#include "windowplacement.h"

#include "music/barline/barline.h"
#include "platform/windowframe.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <limits>
#include <set>

namespace palettes {
namespace {

// A tool window's title bar and borders on the desktops the program meets; a main window with a
// larger frame says the desktop's is larger.
constexpr QMargins kDecorations(4, 28, 4, 4);

// A title bar's buttons (the window's icon among them; each with its padding) and the room at
// the ends of the title.
constexpr int kTitleBarButton = 24, kTitleBarButtons = 4, kTitleBarEnds = 24;

QRect grown(const QRect& r, int by) { return r.adjusted(-by, -by, by, by); }

qint64 overlapArea(const QRect& a, const QRect& b) {
    const QRect i = a & b;
    return i.isEmpty() ? 0 : qint64(i.width()) * i.height();
}

} // namespace

WindowPlacer::WindowPlacer(PlacementArea area) : area_(std::move(area)) {
    // The main window is busy from its top down to the lowest thing the lesson shows.
    const QRect& main = area_.mainWindow;
    int bottom = std::numeric_limits<int>::min();
    for (const QRect& r : area_.keepClear)
        if (r.intersects(main)) bottom = std::max(bottom, r.bottom());
    if (main.isValid() && bottom >= main.top()) busyBand_ = QRect(main.left(), main.top(), main.width(), bottom - main.top() + 1);
}

QRect WindowPlacer::outerRect(const QPoint& framePos, const QSize& client) const {
    const QMargins& d = area_.decorations;
    return QRect(framePos, client + QSize(d.left() + d.right(), d.top() + d.bottom()));
}

QPoint WindowPlacer::underTheLesson() const {
    if (busyBand_.isValid()) return QPoint(area_.mainWindow.left(), busyBand_.bottom() + 1 + kGap);
    return area_.mainWindow.isValid() ? area_.mainWindow.topLeft() : area_.available.topLeft();
}

void WindowPlacer::occupy(const QRect& outer) { occupied_.push_back(outer); }

bool WindowPlacer::clearOf(const QRect& outer, const std::vector<QRect>& obstacles) const {
    return std::none_of(obstacles.begin(), obstacles.end(),
                        [&](const QRect& o) { return o.isValid() && outer.intersects(grown(o, kGap)); });
}

WindowPlacer::Tier WindowPlacer::tierOf(const QRect& outer) const {
    if (area_.available.isValid() && !area_.available.contains(outer)) return Nowhere;
    if (!clearOf(outer, area_.keepClear) || !clearOf(outer, area_.foot) || !clearOf(outer, occupied_) ||
        !clearOf(outer, {busyBand_}))
        return Nowhere;
    return clearOf(outer, {area_.mainWindow}) ? OffMainWindow : OverLowerPart;
}

bool WindowPlacer::allows(const QRect& outer) const { return tierOf(outer) != Nowhere; }

std::pair<WindowPlacer::Tier, QPoint> WindowPlacer::best(const QSize& size, const QPoint& preferred) const {
    const QRect& avail = area_.available;
    const int w = size.width(), h = size.height();
    // A window's best places touch an edge of the screen or of something it must not cover
    // (or keep the preferred line): those are the places tried.
    std::set<int> xs{preferred.x()}, ys{preferred.y()};
    auto edgesOf = [&](const QRect& r) {
        if (!r.isValid()) return;
        const QRect g = grown(r, kGap);
        xs.insert({g.left() - w, g.right() + 1});
        ys.insert({g.top() - h, g.bottom() + 1});
    };
    for (const QRect& r : area_.keepClear) edgesOf(r);
    for (const QRect& r : area_.foot) edgesOf(r);
    for (const QRect& r : occupied_) edgesOf(r);
    edgesOf(area_.mainWindow);
    edgesOf(busyBand_);
    if (avail.isValid()) {
        xs.insert({avail.left(), avail.right() + 1 - w});
        ys.insert({avail.top(), avail.bottom() + 1 - h});
    }
    auto within = [](int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); };

    Tier bestTier = Nowhere;
    qint64 bestCost = std::numeric_limits<qint64>::max();
    QPoint bestAt = preferred;
    for (int x0 : xs) {
        for (int y0 : ys) {
            const int x = avail.isValid() ? within(x0, avail.left(), std::max(avail.left(), avail.right() + 1 - w)) : x0;
            const int y = avail.isValid() ? within(y0, avail.top(), std::max(avail.top(), avail.bottom() + 1 - h)) : y0;
            const QRect r(x, y, w, h);
            const Tier tier = tierOf(r);
            const qint64 dx = x - preferred.x(), dy = y - preferred.y();
            qint64 cost = dx * dx + dy * dy;
            if (tier == Nowhere) {
                // Nothing is free: cover as little as possible, what must stay in sight least of all.
                qint64 covered = 0;
                for (const QRect& o : area_.keepClear) covered += 16 * overlapArea(r, o);
                for (const QRect& o : area_.foot) covered += 16 * overlapArea(r, o);
                covered += 4 * overlapArea(r, busyBand_);
                for (const QRect& o : occupied_) covered += overlapArea(r, o);
                cost += covered * 1'000'000;
            }
            if (tier < bestTier || (tier == bestTier && cost < bestCost)) {
                bestTier = tier;
                bestCost = cost;
                bestAt = QPoint(x, y);
            }
        }
    }
    return {bestTier, bestAt};
}

std::optional<QPoint> WindowPlacer::freePlace(const QSize& size, const QPoint& preferred) const {
    const auto [tier, at] = best(size, preferred);
    if (tier == Nowhere) return std::nullopt;
    return at;
}

QPoint WindowPlacer::place(const QSize& size, const QPoint& preferred) {
    const QPoint at = best(size, preferred).second;
    occupy(QRect(at, size));
    return at;
}

std::vector<QPoint> WindowPlacer::placeAll(const std::vector<QRect>& windows) {
    std::vector<size_t> order(windows.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    auto area = [&](size_t i) { return qint64(windows[i].width()) * windows[i].height(); };
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return area(a) > area(b); });
    std::vector<QPoint> at(windows.size());
    for (size_t i : order) at[i] = place(windows[i].size(), windows[i].topLeft());
    return at;
}

int titleBarWidth(const QString& title) {
    // Desktops draw titles in their own font, as large as the program's and mostly bold.
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + kTitleBarButtons * kTitleBarButton + kTitleBarEnds;
}

namespace {
// The screen the main window stands on (the primary one without a main window).
const QScreen* screenOf(const QWidget* mainWindow) {
    return mainWindow ? mainWindow->screen() : QGuiApplication::primaryScreen();
}
} // namespace

QPoint placesOrigin(const QWidget* mainWindow) {
    const QScreen* screen = screenOf(mainWindow);
    return screen ? screen->availableGeometry().topLeft() : QPoint();
}

PlacementArea placementAround(const QWidget* mainWindow, const std::vector<const QWidget*>& keepClear,
                              const QWidget* lesson, const QWidget* foot) {
    PlacementArea area;
    if (const QScreen* screen = screenOf(mainWindow)) area.available = screen->availableGeometry();
    area.decorations = kDecorations;
    if (!mainWindow) return area;
    area.mainWindow = platform::frameGeometry(*mainWindow);
    const QRect client = mainWindow->geometry();
    const QMargins own = platform::frameMargins(*mainWindow);
    area.decorations = QMargins(std::max(own.left(), kDecorations.left()), std::max(own.top(), kDecorations.top()),
                                std::max(own.right(), kDecorations.right()),
                                std::max(own.bottom(), kDecorations.bottom()));

    // What is in sight of a widget: the part inside the main window's client area.
    auto keep = [&](const QWidget* w, std::vector<QRect>& into) {
        if (!w || !w->isVisible()) return;
        const QRect inSight = QRect(w->mapToGlobal(QPoint(0, 0)), w->size()) & client;
        if (!inSight.isEmpty()) into.push_back(inSight);
    };
    for (const QWidget* w : keepClear) keep(w, area.keepClear);
    keep(foot, area.foot);
    if (lesson && lesson->isVisible()) {
        for (const QObject* child : lesson->children()) {
            const auto* w = qobject_cast<const QWidget*>(child);
            // A bar line's widget reaches down the whole lesson area (it may join staves of
            // several rows) but draws only on the staves it joins, which are kept clear.
            if (!w || w->isWindow() || qobject_cast<const music::BarLineControl*>(w)) continue;
            keep(w, area.keepClear);
        }
    }
    return area;
}

} // namespace palettes
