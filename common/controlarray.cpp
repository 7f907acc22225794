#include "controlarray.h"

namespace common {

void copyWidgetProperties(const QObject* from, QObject* to) {
    const QMetaObject* mo = from->metaObject();
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        const QByteArray name = p.name();
        if (!p.isWritable() || !p.isStored() || name == "visible" || name == "objectName" ||
            name == "geometry" || name == "pos" || name == "size" || name == "minimumSize" ||
            name == "maximumSize")
            continue;
        const int target = to->metaObject()->indexOfProperty(name);
        if (target < 0) continue;
        // Only what differs from the fresh element's own value: writing an equal value can
        // have side effects (a label's empty pixmap wipes its text).
        const QMetaProperty tp = to->metaObject()->property(target);
        if (!tp.metaType().isEqualityComparable()) continue;  // pixmaps and the like
        const QVariant v = p.read(from);
        if (tp.read(to) != v) tp.write(to, v);
    }
}

} // namespace common
