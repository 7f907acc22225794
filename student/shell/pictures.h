#pragma once
// The program's own small pictures, drawn rather than shipped: the main toolbar's image list,
// the lesson list's row icons, the status bar's connection pictures and the logo of the
// splash and about boxes.
#include <QIcon>
#include <QPixmap>

class QPainter;

namespace shell {

// Main toolbar image list (1-based): 1 player, 2 new lesson, 3 report, 4 practice on,
// 5 practice off (test mode), 6 practice lit (the bright step of its blink), 7 piano keyboard,
// 8 drum.
enum ToolbarImage { ImgUser = 1, ImgNew = 2, ImgReport = 3, ImgPracticeOn = 4, ImgPracticeOff = 5,
                    ImgPracticeLit = 6, ImgPiano = 7, ImgDrum = 8 };
QIcon toolbarImage(int index);

// Lesson list row icons (1-based, 1..7): 1 rhythm, 2 melody, 3 interval, 4 chord,
// 5 cadence, 6 (unused), 7 time signature.
QIcon lessonIcon(int index);

// The help button's picture: a question mark on a blue disc.
QIcon helpPicture();

// Connection pictures: 0 connected, 1 not connected.
QPixmap connectPicture(int index);

// The program's logo at the given size, as a picture or painted straight onto `p` (which is
// left as it was given).
QPixmap logoPicture(const QSize& size);
void paintLogo(QPainter& p, const QSize& size);

} // namespace shell
