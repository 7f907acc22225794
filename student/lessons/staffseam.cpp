#include "staffseam.h"

#include "music/framework/dispatch.h"

#include <cmath>

namespace lessons {

qint16 StaffSeam::NoteMouseMove(int index, double, double, ElementArray& notes, int& staffIndex) {
    staffIndex = notes.Tag(index).toInt();
    if (!arrays || !notes.exists(index) || !arrays->StaffLines.exists(staffIndex)) return 0;
    QObject* staff = arrays->StaffLines[staffIndex];
    QObject* note = notes[index];
    // The head's centre against the bottom line, in steps of 75 twips.
    const double bottomLine = arrays->StaffLines.Top(staffIndex) +
                              15.0 * (getInt(staff, "LineTop") + 4 * getInt(staff, "LineSpace"));
    const double head = notes.Top(index) + 15.0 * getInt(note, "NoteTop") + 75.0;
    return qint16(std::lround((bottomLine - head) / 75.0));
}

QString StaffSeam::AdjustNoteToStaff(QObject* clef, qint16 step, int) {
    // The letter of the bottom line's step by clef: treble E, bass G, alto F, tenor D.
    static const char* kFromBottom[4] = {"EFGABCD", "GABCDEF", "FGABCDE", "DEFGABC"};
    int c = clef ? music::dispGet(clef, QStringLiteral("Clef")).toInt() : 0;
    if (c < 0 || c > 3) c = 0;
    return QString(QLatin1Char(kFromBottom[c][((step % 7) + 7) % 7]));
}

} // namespace lessons
