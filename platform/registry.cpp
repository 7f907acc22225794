#include "registry.h"
#include "paths.h"

#include <QSettings>

namespace platform {
namespace {
// QSettings groups use "/"; registry paths use "\". Value names are stored under a
// reserved child so a key can hold both values and subkeys.
QString group(const QString& key) {
    QString k = key;
    k.replace('\\', '/');
    while (k.endsWith('/')) k.chop(1);
    return k;
}
QString valueKey(const QString& key, const QString& name) {
    return group(key) + "/@values/" + (name.isEmpty() ? QString("@default") : name);
}
} // namespace

Registry::Registry(const QString& iniFile) : file_(iniFile) {}

void Registry::setValue(const QString& key, const QString& name, const QString& value) {
    QSettings s(file_, QSettings::IniFormat);
    s.setValue(valueKey(key, name), value);
    s.sync();
}

QString Registry::value(const QString& key, const QString& name, bool* found) const {
    QSettings s(file_, QSettings::IniFormat);
    const QString k = valueKey(key, name);
    if (found) *found = s.contains(k);
    return s.value(k).toString();
}

bool Registry::keyExists(const QString& key) const {
    QSettings s(file_, QSettings::IniFormat);
    s.beginGroup(group(key));
    return !s.allKeys().isEmpty();
}

void Registry::removeKey(const QString& key) {
    QSettings s(file_, QSettings::IniFormat);
    s.remove(group(key));
    s.sync();
}

QStringList Registry::subKeys(const QString& key) const {
    QSettings s(file_, QSettings::IniFormat);
    s.beginGroup(group(key));
    QStringList out = s.childGroups();
    out.removeAll("@values");
    return out;
}

Registry& Registry::machine() {
    static Registry r(Paths::dataFolder() + "/registry.ini");
    return r;
}

} // namespace platform
