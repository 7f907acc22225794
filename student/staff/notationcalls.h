#pragma once
// The notation controls' methods that the editor and the beam commands call by name.
#include "music/framework/dispatch.h"

#include <QObject>
#include <QVariant>

namespace staffedit {

inline QVariant callMethod(QObject* o, const char* name, const QVariantList& args = {}) {
    QVariant result;
    if (o) music::dispCall(o, QString::fromLatin1(name), args, &result);
    return result;
}
// A note's duration in ticks, dots included.
inline int noteValueOf(QObject* note) { return callMethod(note, "NoteValue").toInt(); }
// The x of a note's stem in twips.
inline int stemPositionOf(QObject* note) { return callMethod(note, "StemPosition").toInt(); }
// Item j (from 1) of a beam; nullptr outside 1..Count.
inline QObject* beamItemOf(QObject* beam, int j) { return callMethod(beam, "Item", {j}).value<QObject*>(); }
inline void beamAdd(QObject* beam, int left, int right, int stemUp, int stemPosition) {
    callMethod(beam, "Add", {left, right, stemUp, stemPosition});
}

} // namespace staffedit
