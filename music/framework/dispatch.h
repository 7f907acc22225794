#pragma once
// Late binding: hosts drive every notation object by member name (letter case ignored, since
// callers write both `NoteValue` and `noteValue`) or by dispatch identifier.
//
// A class publishes its members as Q_PROPERTY / Q_INVOKABLE and its dispatch identifiers with
//   Q_CLASSINFO("dispids", "LineTop=1;LineLeft=2;...")
// Stock members (BackColor -501 ...) are known to every class that supports them.
#include <QMetaObject>
#include <QString>
#include <QVariant>
#include <QVariantList>

class QObject;

namespace music {

// The dispatch identifier of a member name (case ignored); 0 when unknown.
int dispIdOf(const QObject* obj, const QString& name);
// The member name of a dispatch identifier; empty when unknown.
QString memberNameOf(const QObject* obj, int dispId);

// Property get/put. False when the member is unknown (or not supported by this class).
bool dispGet(const QObject* obj, const QString& name, QVariant* value);
bool dispPut(QObject* obj, const QString& name, const QVariant& value);
bool dispGet(const QObject* obj, int dispId, QVariant* value);
bool dispPut(QObject* obj, int dispId, const QVariant& value);
// Convenience: the value, or an invalid QVariant.
QVariant dispGet(const QObject* obj, const QString& name);

// Method call by name (case ignored); arguments are converted to the parameter types.
bool dispCall(QObject* obj, const QString& name, const QVariantList& args = {}, QVariant* result = nullptr);
QVariant dispCall(QObject* obj, const QString& name, const QVariantList& args, bool* ok);

} // namespace music
