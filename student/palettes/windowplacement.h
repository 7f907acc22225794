#pragma once
// Where the tool windows (palettes, piano, drum pad) open. A window stands inside the screen's
// available area, never over another tool window nor over what the lesson needs in sight (the
// main window's menu bar, toolbar and score frame, the lesson's staff, speakers and answer
// lines, and the status bar at the main window's foot); off the main window where the screen
// has room, else over the main window's empty lower part, between the lesson and the status
// bar. A window starts from its preferred place (its design place, or where it stands) and goes
// to the nearest place the rules allow.
//
// WindowPlacer is plain geometry in screen pixels; every rect it takes or gives is a window's
// outer rect, its frame included. placementAround() gathers the real windows' rects for it.
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

class QWidget;

namespace palettes {

struct PlacementArea {
    QRect available;                // the screen's available area
    QRect mainWindow;               // the main window's frame
    std::vector<QRect> keepClear;   // what of the main window stays in sight above its lower part
    // The frame a tool window is given round its client area (title bar and borders): windows
    // not shown yet have none, so room for it is kept.
    QMargins decorations;
    std::vector<QRect> foot;        // what stays in sight below the lower part (the status bar)
};

class WindowPlacer {
public:
    // Room kept between windows, and between a window and what it must keep clear.
    static constexpr int kGap = 4;

    explicit WindowPlacer(PlacementArea area);

    const PlacementArea& area() const { return area_; }
    // The outer rect of a window with a client area of `client` size whose frame stands at
    // `framePos` (the decorations counted).
    QRect outerRect(const QPoint& framePos, const QSize& client) const;
    // Where a window with no place of its own starts: under the lesson, at the main window's left.
    QPoint underTheLesson() const;

    // A window that stands where it is: nothing may be placed over it.
    void occupy(const QRect& outer);
    // Whether a window may stand at `outer`: inside the available area, clear of what must stay
    // in sight, of the main window above its empty lower part and of the windows occupied.
    bool allows(const QRect& outer) const;
    // The top-left for a window of outer size `size`, as near `preferred` as the rules allow:
    // off the main window if any place there is free, else over its empty lower part; none when
    // nothing is free.
    std::optional<QPoint> freePlace(const QSize& size, const QPoint& preferred) const;
    // The free place, or when there is none the place that covers least of what must stay in
    // sight; the window then occupies it.
    QPoint place(const QSize& size, const QPoint& preferred);
    // Several windows (outer rects at their preferred places) placed together, the largest first
    // so that the small ones fill the room left; their places in the order given.
    std::vector<QPoint> placeAll(const std::vector<QRect>& windows);

private:
    enum Tier { OffMainWindow, OverLowerPart, Nowhere };
    Tier tierOf(const QRect& outer) const;
    bool clearOf(const QRect& outer, const std::vector<QRect>& obstacles) const;
    // The best place tried: the lowest tier, then the least cost (distance to `preferred`, and
    // where nothing is free what it covers).
    std::pair<Tier, QPoint> best(const QSize& size, const QPoint& preferred) const;

    PlacementArea area_;
    QRect busyBand_;                  // the main window from its top down to the lesson's end
    std::vector<QRect> occupied_;
};

// The narrowest client area a tool window may have for its title bar to show `title` whole
// beside the bar's buttons (the window's icon, its close box and two buttons more).
int titleBarWidth(const QString& title);

// Where the places of the tool windows owned by `mainWindow` are counted from (their design
// places and where they last stood): the top-left of its screen's available area.
QPoint placesOrigin(const QWidget* mainWindow);

// The placement area of the tool windows owned by `mainWindow`: its screen's available area and
// its frame; the rects of `keepClear` (those shown) and of every shown child of `lesson` (a bar
// line counts by the staves it joins), and of `foot`, as far as they are in sight in the main
// window.
PlacementArea placementAround(const QWidget* mainWindow, const std::vector<const QWidget*>& keepClear,
                              const QWidget* lesson, const QWidget* foot = nullptr);

} // namespace palettes
