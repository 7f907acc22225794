#include "dispatch.h"
#include "control.h"
#include "enums.h"

#include <QHash>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QWidget>

namespace music {
namespace {

struct StockEntry { const char* name; int id; unsigned bit; };
const StockEntry kStock[] = {
    {"BackColor", DISPID_BACKCOLOR, StockBackColor}, {"FillColor", DISPID_FILLCOLOR, StockFillColor},
    {"Font", DISPID_FONT, StockFont}, {"ForeColor", DISPID_FORECOLOR, StockForeColor},
    {"Enabled", DISPID_ENABLED, StockEnabled}, {"TabStop", DISPID_TABSTOP, StockTabStop},
    {"Caption", DISPID_CAPTION, StockCaption}, {"MousePointer", DISPID_MOUSEPOINTER, StockMousePointer},
    {"MouseIcon", DISPID_MOUSEICON, StockMouseIcon},
};

const StockEntry* stockByName(const QString& name) {
    for (const auto& s : kStock)
        if (name.compare(QLatin1String(s.name), Qt::CaseInsensitive) == 0) return &s;
    return nullptr;
}
const StockEntry* stockById(int id) {
    for (const auto& s : kStock)
        if (s.id == id) return &s;
    return nullptr;
}

unsigned stockMask(const QObject* obj) {
    auto* c = qobject_cast<const MusicControl*>(obj);
    return c ? c->stockProperties() : 0u;
}

// name -> dispid of a class's own members, parsed once per class from its class info.
const QHash<QString, int>& ownIds(const QMetaObject* mo) {
    static QHash<const QMetaObject*, QHash<QString, int>> cache;
    auto it = cache.find(mo);
    if (it != cache.end()) return *it;
    QHash<QString, int> ids;
    for (const QMetaObject* m = mo; m; m = m->superClass()) {
        const int ci = m->indexOfClassInfo("dispids");
        if (ci < 0 || m->classInfo(ci).enclosingMetaObject() != m) continue;
        const QString text = QString::fromLatin1(m->classInfo(ci).value());
        for (const QString& pair : text.split(';', Qt::SkipEmptyParts)) {
            const int eq = pair.indexOf('=');
            if (eq <= 0) continue;
            const QString key = pair.left(eq).trimmed().toLower();
            if (!ids.contains(key)) ids.insert(key, pair.mid(eq + 1).trimmed().toInt());
        }
    }
    return *cache.insert(mo, ids);
}

// A class's own properties (declared below QWidget/QObject, so "enabled" finds the stock
// Enabled, not the widget's own enabled state) and public methods, by lower-case name, each the
// first of its name. Built once per class: every property access looks names up, and a linear
// case-blind scan of a control's members made that the cost of writing notes on a staff.
struct MemberIndex {
    QHash<QString, int> properties;
    QHash<QString, int> methods;
};

const MemberIndex& membersOf(const QMetaObject* mo) {
    static QHash<const QMetaObject*, MemberIndex> cache;
    auto it = cache.find(mo);
    if (it != cache.end()) return *it;
    MemberIndex idx;
    const int base = mo->inherits(&QWidget::staticMetaObject) ? QWidget::staticMetaObject.propertyCount()
                                                              : QObject::staticMetaObject.propertyCount();
    for (int i = base; i < mo->propertyCount(); ++i) {
        const QString key = QString::fromLatin1(mo->property(i).name()).toLower();
        if (!idx.properties.contains(key)) idx.properties.insert(key, i);
    }
    for (int i = QObject::staticMetaObject.methodCount(); i < mo->methodCount(); ++i) {
        const QMetaMethod m = mo->method(i);
        if (m.methodType() != QMetaMethod::Method && m.methodType() != QMetaMethod::Slot) continue;
        if (m.access() != QMetaMethod::Public) continue;
        const QString key = QString::fromLatin1(m.name()).toLower();
        if (!idx.methods.contains(key)) idx.methods.insert(key, i);
    }
    return *cache.insert(mo, idx);
}

int findProperty(const QObject* obj, const QString& name) {
    return membersOf(obj->metaObject()).properties.value(name.toLower(), -1);
}

int findMethod(const QObject* obj, const QString& name) {
    return membersOf(obj->metaObject()).methods.value(name.toLower(), -1);
}

// Hosts pass True as -1: a boolean given for a whole-number member keeps that value.
QVariant hostValue(const QVariant& v, QMetaType target) {
    const int t = target.id();
    if (v.metaType().id() == QMetaType::Bool &&
        (t == QMetaType::Int || t == QMetaType::Short || t == QMetaType::LongLong || t == QMetaType::Long))
        return QVariant(v.toBool() ? -1 : 0);
    return v;
}

bool stockAllowed(const QObject* obj, const QString& name) {
    const StockEntry* s = stockByName(name);
    return !s || (stockMask(obj) & s->bit);
}

} // namespace

int dispIdOf(const QObject* obj, const QString& name) {
    if (!obj) return 0;
    if (const StockEntry* s = stockByName(name)) return (stockMask(obj) & s->bit) ? s->id : 0;
    return ownIds(obj->metaObject()).value(name.toLower(), 0);
}

QString memberNameOf(const QObject* obj, int dispId) {
    if (!obj) return QString();
    if (const StockEntry* s = stockById(dispId))
        return (stockMask(obj) & s->bit) ? QString::fromLatin1(s->name) : QString();
    const auto& ids = ownIds(obj->metaObject());
    for (auto it = ids.begin(); it != ids.end(); ++it) {
        if (it.value() != dispId) continue;
        const int p = findProperty(obj, it.key());
        if (p >= 0) return QString::fromLatin1(obj->metaObject()->property(p).name());
        const int m = findMethod(obj, it.key());
        if (m >= 0) return QString::fromLatin1(obj->metaObject()->method(m).name());
        return it.key();
    }
    return QString();
}

bool dispGet(const QObject* obj, const QString& name, QVariant* value) {
    if (!obj || !stockAllowed(obj, name)) return false;
    const int p = findProperty(obj, name);
    if (p >= 0) {
        const QVariant v = obj->metaObject()->property(p).read(obj);
        if (value) *value = v;
        return true;
    }
    // A parameterless method is callable as a property get (StemPosition, NoteValue).
    const int m = findMethod(obj, name);
    if (m >= 0 && obj->metaObject()->method(m).parameterCount() == 0)
        return dispCall(const_cast<QObject*>(obj), name, {}, value);
    return false;
}

QVariant dispGet(const QObject* obj, const QString& name) {
    QVariant v;
    dispGet(obj, name, &v);
    return v;
}

bool dispPut(QObject* obj, const QString& name, const QVariant& value) {
    if (!obj || !stockAllowed(obj, name)) return false;
    const int p = findProperty(obj, name);
    if (p < 0) return false;
    const QMetaProperty prop = obj->metaObject()->property(p);
    if (!prop.isWritable()) return false;
    QVariant v = value;
    // Booleans arrive as -1/0 from hosts, enumerations as integers.
    if (prop.metaType().id() == QMetaType::Bool && v.metaType().id() != QMetaType::Bool)
        v = QVariant(v.toInt() != 0 || (v.metaType().id() == QMetaType::QString && v.toString().compare("true", Qt::CaseInsensitive) == 0));
    v = hostValue(v, prop.metaType());
    if (v.metaType() != prop.metaType() && !v.convert(prop.metaType())) return false;
    return prop.write(obj, v);
}

bool dispGet(const QObject* obj, int dispId, QVariant* value) {
    const QString name = memberNameOf(obj, dispId);
    return !name.isEmpty() && dispGet(obj, name, value);
}

bool dispPut(QObject* obj, int dispId, const QVariant& value) {
    const QString name = memberNameOf(obj, dispId);
    return !name.isEmpty() && dispPut(obj, name, value);
}

bool dispCall(QObject* obj, const QString& name, const QVariantList& args, QVariant* result) {
    if (!obj) return false;
    const int idx = findMethod(obj, name);
    if (idx < 0) {
        // A property read through call syntax.
        if (args.isEmpty() && findProperty(obj, name) >= 0) return dispGet(obj, name, result);
        return false;
    }
    const QMetaMethod m = obj->metaObject()->method(idx);
    if (args.size() > m.parameterCount() || args.size() > 10) return false;
    QVariantList conv;
    for (int i = 0; i < m.parameterCount(); ++i) {
        QVariant a = i < args.size() ? hostValue(args[i], m.parameterMetaType(i))
                                     : QVariant(m.parameterMetaType(i));
        if (a.metaType() != m.parameterMetaType(i) && !a.convert(m.parameterMetaType(i))) return false;
        conv << a;
    }
    QGenericArgument ga[10];
    for (int i = 0; i < conv.size(); ++i) ga[i] = QGenericArgument(conv[i].typeName(), conv[i].constData());
    QVariant ret;
    bool ok;
    if (m.returnMetaType().isValid() && m.returnMetaType().id() != QMetaType::Void) {
        ret = QVariant(m.returnMetaType());
        ok = m.invoke(obj, Qt::DirectConnection, QGenericReturnArgument(m.typeName(), ret.data()),
                      ga[0], ga[1], ga[2], ga[3], ga[4], ga[5], ga[6], ga[7], ga[8], ga[9]);
    } else {
        ok = m.invoke(obj, Qt::DirectConnection, ga[0], ga[1], ga[2], ga[3], ga[4], ga[5], ga[6],
                      ga[7], ga[8], ga[9]);
    }
    // A member declared to return a variant hands back its content, not a variant in a variant.
    if (ok && ret.metaType().id() == QMetaType::QVariant) ret = ret.value<QVariant>();
    if (ok && result) *result = ret;
    return ok;
}

QVariant dispCall(QObject* obj, const QString& name, const QVariantList& args, bool* ok) {
    QVariant r;
    const bool good = dispCall(obj, name, args, &r);
    if (ok) *ok = good;
    return r;
}

} // namespace music
