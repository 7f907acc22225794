#pragma once
// The library's classes by name and identifier: creation by ProgID ("Music.Note" or
// "Music.Note.1"), the class-object hand-out by CLSID, object and lock counting with the
// can-unload answer, and registration into the key store.
#include <QString>
#include <QVector>
#include <QWidget>
#include <type_traits>
#include <functional>

class QObject;
class QWidget;
namespace platform { class Registry; }

namespace music {

struct ClassInfo {
    QString name;           // "Staff"
    QString progId;         // "Music.Staff" (version-independent)
    QString versionProgId;  // "Music.Staff.1"
    QString description;    // "Staff Class"
    QString clsid;          // "{2D4848F7-...}"
    int toolboxBitmap = 0;  // 0: not a control
    bool isControl = true;
    std::function<QObject*(QWidget* parent)> create;
};

inline const char* kTypeLibId = "{AE92A122-8806-444F-A59A-26507E90CD28}";
inline const char* kTypeLibHelp = "Music 1.0 Type Library";

class ClassRegistry {
public:
    static ClassRegistry& instance();
    void add(const ClassInfo& info);
    const QVector<ClassInfo>& classes() const { return classes_; }
    const ClassInfo* byProgId(const QString& progId) const;   // either form, case ignored
    // The class object of a CLSID; nullptr is the "class not available" failure.
    const ClassInfo* getClassObject(const QString& clsid) const;

    // Creates an instance (a control is sited on `parent` when it has one); nullptr for an
    // unknown ProgID.
    QObject* createObject(const QString& progId, QWidget* parent = nullptr) const;

    void lockServer(bool lock);
    int lockCount() const { return locks_; }
    // True when no object of the library is alive and no lock is held.
    bool canUnloadNow() const;

    // Writes every class's keys with "%MODULE%" replaced by `modulePath`, and the type library.
    void registerServer(platform::Registry& reg, const QString& modulePath) const;
    // Removes the ProgID and CLSID keys; the type library stays. Always succeeds.
    bool unregisterServer(platform::Registry& reg) const;

private:
    QVector<ClassInfo> classes_;
    int locks_ = 0;
};

// Registers a class at library load: MUSIC_REGISTER_CLASS(Staff, "Music.Staff", "Staff Class",
// "{...}", 105). Toolbox bitmap 0 marks a collection item that is not a control.
struct ClassRegistration {
    explicit ClassRegistration(const ClassInfo& info) { ClassRegistry::instance().add(info); }
};

#define MUSIC_REGISTER_CLASS(Type, ProgId, Description, Clsid, Bitmap)                        \
    static const ::music::ClassRegistration Type##_registration_{::music::ClassInfo{          \
        #Type, ProgId, ProgId ".1", Description, Clsid, Bitmap, (Bitmap) != 0,                \
        [](QWidget* parent) -> QObject* { return ::music::detail::make<Type>(parent); }}};

namespace detail {
template <class T>
QObject* make(QWidget* parent) {
    if constexpr (std::is_base_of_v<QWidget, T>) return new T(parent);
    else return new T(static_cast<QObject*>(parent));
}
} // namespace detail

} // namespace music
