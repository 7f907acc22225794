#pragma once
// The main window opens inside its screen's available area, its frame included: at its design
// size where that fits, else as large as the area holds. A window manager's frame is known only
// once the window is shown: until then a usual frame is reckoned with, and the window is fitted
// again to the real one when it comes.
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace shell {

// The outer rect (frame included) of a window whose client area would be `wanted` and whose
// frame is `frame`: the client at that size where the area holds it, else as large as the area
// holds; the frame at `at` as far as the area allows, and wholly inside `available`.
QRect fitInside(const QRect& available, const QSize& wanted, const QMargins& frame, const QPoint& at);

// Shows `window` inside its screen's available area with its client area at `wanted` where that
// fits, and fits it again to its window manager's frame when the frame is known.
void showInsideScreen(QWidget& window, const QSize& wanted);

} // namespace shell
