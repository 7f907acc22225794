#include "classregistry.h"
#include "control.h"
#include "platform/registry.h"

#include <QWidget>

namespace music {

ClassRegistry& ClassRegistry::instance() {
    static ClassRegistry r;
    return r;
}

void ClassRegistry::add(const ClassInfo& info) {
    if (!byProgId(info.progId)) classes_.push_back(info);
}

const ClassInfo* ClassRegistry::byProgId(const QString& id) const {
    for (const ClassInfo& c : classes_)
        if (id.compare(c.progId, Qt::CaseInsensitive) == 0 || id.compare(c.versionProgId, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

const ClassInfo* ClassRegistry::getClassObject(const QString& clsid) const {
    for (const ClassInfo& c : classes_)
        if (clsid.compare(c.clsid, Qt::CaseInsensitive) == 0) return &c;
    return nullptr;
}

QObject* ClassRegistry::createObject(const QString& progId, QWidget* parent) const {
    const ClassInfo* c = byProgId(progId);
    return c ? c->create(parent) : nullptr;
}

void ClassRegistry::lockServer(bool lock) {
    if (lock) ++locks_;
    else if (locks_ > 0) --locks_;
}

bool ClassRegistry::canUnloadNow() const { return ObjectCounter::liveObjects() == 0 && locks_ == 0; }

void ClassRegistry::registerServer(platform::Registry& reg, const QString& modulePath) const {
    for (const ClassInfo& c : classes_) {
        reg.setValue(c.versionProgId, "", c.description);
        reg.setValue(c.versionProgId + "\\CLSID", "", c.clsid);
        reg.setValue(c.progId, "", c.description);
        reg.setValue(c.progId + "\\CLSID", "", c.clsid);
        reg.setValue(c.progId + "\\CurVer", "", c.versionProgId);
        const QString k = "CLSID\\" + c.clsid;
        reg.setValue(k, "", c.description);
        reg.setValue(k + "\\ProgID", "", c.versionProgId);
        reg.setValue(k + "\\VersionIndependentProgID", "", c.progId);
        reg.setValue(k + "\\Programmable", "", "");
        reg.setValue(k + "\\InprocServer32", "", modulePath);
        reg.setValue(k + "\\InprocServer32", "ThreadingModel", "Apartment");
        reg.setValue(k + "\\TypeLib", "", kTypeLibId);
        if (c.isControl) {
            reg.setValue(k + "\\Control", "", "");
            reg.setValue(k + "\\Insertable", "", "");
            reg.setValue(k + "\\ToolboxBitmap32", "",
                         QString("%MODULE%, %1").arg(c.toolboxBitmap).replace("%MODULE%", modulePath));
            reg.setValue(k + "\\MiscStatus", "", "0");
            reg.setValue(k + "\\MiscStatus\\1", "", "131473");
        }
    }
    const QString tl = QString("TypeLib\\") + kTypeLibId + "\\1.0";
    reg.setValue(tl, "", kTypeLibHelp);
    reg.setValue(tl + "\\0\\win32", "", modulePath);
}

bool ClassRegistry::unregisterServer(platform::Registry& reg) const {
    for (const ClassInfo& c : classes_) {
        reg.removeKey(c.versionProgId);
        reg.removeKey(c.progId);
        reg.removeKey("CLSID\\" + c.clsid);
    }
    return true;
}

} // namespace music
