#pragma once
// The class server's pictures, drawn here: the image list of the roster tree, the list and the
// toolbar (17 pictures of 16 x 16, addressed by index from 1), the connection states, and the
// program's emblem for the about box.
#include <QIcon>
#include <QPixmap>

namespace classserver {

// imgLessons: 1..9 the lesson topics ("Notation", "Scales", "Intervals", "Triads", "Cadences",
// "Dominant7", "Time", "Transposition", "Definitions"), 10 "user", 11 "database", 12
// "product", 13 "multiuser", 14..17 the toolbar's New, Open, Save and Report. Any other index
// gives no picture.
QIcon imgLessons(int index);
inline constexpr int kImgLessonsCount = 17;

// imgConnections: 1 connected, 2 not connected.
QIcon imgConnections(int index);

QPixmap hallbrinEmblem(const QSize& size);

} // namespace classserver
