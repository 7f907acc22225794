#include "controlarray.h"

#include <QBitmap>
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace common {
namespace {
bool isEmptyPicture(const QVariant& v) {
    switch (v.metaType().id()) {
    case QMetaType::QPixmap: return v.value<QPixmap>().isNull();
    case QMetaType::QIcon: return v.value<QIcon>().isNull();
    case QMetaType::QImage: return v.value<QImage>().isNull();
    case QMetaType::QBitmap: return v.value<QBitmap>().isNull();
    default: return !v.isValid() || v.isNull();
    }
}
} // namespace

void copyWidgetProperties(const QObject* from, QObject* to) {
    const QMetaObject* mo = from->metaObject();
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        const QByteArray name = p.name();
        // A frame's rectangle is geometry too: copied, it would keep the template's size as
        // margins, and a label made wider would still clip its text at the template's width.
        if (!p.isWritable() || !p.isStored() || name == "visible" || name == "objectName" ||
            name == "geometry" || name == "pos" || name == "size" || name == "minimumSize" ||
            name == "maximumSize" || name == "frameRect")
            continue;
        // Elements are made of the template's own class: its index holds, no name lookup.
        const int target = to->metaObject() == mo ? i : to->metaObject()->indexOfProperty(name);
        if (target < 0) continue;
        // Only what differs from the fresh element's own value: writing an equal value can
        // have side effects (a label's empty pixmap wipes its text).
        const QMetaProperty tp = to->metaObject()->property(target);
        const QVariant v = p.read(from);
        if (!tp.metaType().isEqualityComparable()) {
            // Pictures cannot be compared: copy the ones the template has (a button's icon),
            // never an empty one.
            if (!isEmptyPicture(v)) tp.write(to, v);
            continue;
        }
        if (tp.read(to) != v) tp.write(to, v);
    }
}

void applyRecordGeometry(QWidget* w, const ElementRecord& r) {
    if (!w) return;
    // Every edge is converted, not the size: two elements that meet in twips then meet on
    // screen too (a row of staves shows no blank column between them).
    const int left = twipsToPixels(r.Left), top = twipsToPixels(r.Top);
    w->setGeometry(left, top, qMax(0, twipsToPixels(r.Left + r.Width) - left),
                   qMax(0, twipsToPixels(r.Top + r.Height) - top));
}

qint64 nextZOrderStamp() {
    static qint64 stamp = 0;
    return ++stamp;
}

} // namespace common
