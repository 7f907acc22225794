#pragma once
// The frame a desktop gives a top-level window (title bar and borders), and placing a window by
// its frame. A window manager frames a window only once it is shown; until then its frame is
// unknown (none), and a placement reckons with an expected one.
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <functional>

class QWidget;

namespace platform {

// The window's frame as the desktop has it now: none while it is not framed (or where nothing
// frames it). Read from the window system each time, as a widget's own record of its frame may
// lag behind a frame given after it was shown.
QMargins frameMargins(const QWidget& window);
// The window's outer rect, its frame included.
QRect frameGeometry(const QWidget& window);

// Puts the window's frame at `outerTopLeft`: its client area goes to that point plus the frame's
// top-left, the frame it has or, before it has one, `expected`. (Asking for a frame position
// leaves it to the window manager how to read it; asking for the client's position does not.)
void moveFrameTo(QWidget& window, const QPoint& outerTopLeft, const QMargins& expected);

// Runs `then` once, when the window (shown or about to be) first stands on the screen: a window
// manager has framed it by then.
void whenFirstOnScreen(QWidget& window, std::function<void()> then);

} // namespace platform
