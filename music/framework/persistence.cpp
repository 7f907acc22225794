#include "persistence.h"
#include "control.h"
#include "dispatch.h"

#include <QDataStream>
#include <QIODevice>
#include <QMetaClassInfo>
#include <QVariant>
#include <QWidget>

namespace music {
namespace {
constexpr quint32 kMagic = 0x4D55534Cu; // "MUSL"
constexpr quint16 kVersion = 1;
} // namespace

QVector<QPair<QString, int>> propertyMap(const QWidget* control) {
    QVector<QPair<QString, int>> out;
    if (!control) return out;
    const QMetaObject* mo = control->metaObject();
    const int ci = mo->indexOfClassInfo("propmap");
    if (ci < 0) return out;
    const QString text = QString::fromLatin1(mo->classInfo(ci).value());
    for (const QString& entry : text.split(';', Qt::SkipEmptyParts)) {
        const int eq = entry.lastIndexOf('=');
        if (eq <= 0) continue;
        out.push_back({entry.left(eq), entry.mid(eq + 1).toInt()});
    }
    return out;
}

QByteArray saveControl(QWidget* control) {
    QByteArray data;
    QDataStream s(&data, QIODevice::WriteOnly);
    s.setVersion(QDataStream::Qt_6_0);
    s << kMagic << kVersion << QString::fromLatin1(control->metaObject()->className());
    s << qint32(control->width()) << qint32(control->height());
    const auto map = propertyMap(control);
    s << qint32(map.size());
    auto* c = qobject_cast<MusicControl*>(control);
    for (const auto& e : map) {
        QVariant v;
        // A control without a Font saves none (an empty entry), rather than the text font
        // its getter would hand out, which loading would then put in place of a music font.
        if (e.second != DISPID_FONT || !c || c->hasFont()) dispGet(control, e.second, &v);
        s << qint32(e.second) << v;
    }
    if (c) c->setDirty(false);
    return data;
}

bool loadControl(QWidget* control, const QByteArray& data) {
    QDataStream s(data);
    s.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    quint16 version = 0;
    QString cls;
    s >> magic >> version >> cls;
    if (s.status() != QDataStream::Ok || magic != kMagic || version != kVersion ||
        cls != QString::fromLatin1(control->metaObject()->className()))
        return false;
    qint32 w = 0, h = 0, n = 0;
    s >> w >> h >> n;
    if (s.status() != QDataStream::Ok || n < 0 || n > 1000) return false;
    control->resize(w, h);
    for (qint32 i = 0; i < n; ++i) {
        qint32 id = 0;
        QVariant v;
        s >> id >> v;
        if (s.status() != QDataStream::Ok) return false;
        if (v.isValid()) dispPut(control, id, v);
    }
    return true;
}

} // namespace music
