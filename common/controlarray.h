#pragma once
// A control array: element 0 is the design-time template and is never unloaded; load(i)
// makes element i as a copy of element 0 (geometry, font, colours, text and every writable
// property) with the same parent, hidden. Gaps are allowed. Misuse is reported, never a crash.
#include <QMetaProperty>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>

namespace common {

// Copies every stored, writable property of `from` onto `to` except visibility and the
// object name; geometry, font and palette come along as QWidget properties.
void copyWidgetProperties(const QObject* from, QObject* to);

template <class T>
class ControlArray {
public:
    using Factory = std::function<T*(QWidget* parent)>;

    // `tmpl` becomes element 0; `factory` makes a blank element of the same class.
    ControlArray(T* tmpl, Factory factory) : factory_(std::move(factory)) { items_[0] = tmpl; }
    ControlArray(const ControlArray&) = delete;
    ControlArray& operator=(const ControlArray&) = delete;
    ~ControlArray() { clear(); }

    // Loads element i; false when i is negative or already loaded.
    bool load(int i) {
        if (i < 0 || exists(i)) return false;
        T* tmpl = items_[0].data();
        if (!tmpl) return false;
        T* w = factory_(tmpl->parentWidget());
        if (!w) return false;
        copyWidgetProperties(tmpl, w);
        w->setGeometry(tmpl->geometry());
        w->setVisible(false);
        items_[i] = w;
        return true;
    }
    // Unloads element i (> 0); false when it was not loaded or is the template.
    bool unload(int i) {
        if (i <= 0) return false;
        auto it = items_.find(i);
        if (it == items_.end()) return false;
        delete it->second.data();
        items_.erase(it);
        return true;
    }
    bool exists(int i) const {
        auto it = items_.find(i);
        return it != items_.end() && !it->second.isNull();
    }
    T* at(int i) const {
        auto it = items_.find(i);
        return it == items_.end() ? nullptr : it->second.data();
    }
    T* operator[](int i) const { return at(i); }
    int ubound() const { return items_.empty() ? -1 : items_.rbegin()->first; }
    int lbound() const { return 0; }
    int count() const { return int(items_.size()); }
    // Next free index at the upper bound plus one.
    int next() const { return ubound() + 1; }
    std::vector<int> indices() const {
        std::vector<int> v;
        for (const auto& kv : items_) v.push_back(kv.first);
        return v;
    }
    // Unloads every element above 0.
    void clear() {
        for (auto it = items_.begin(); it != items_.end();) {
            if (it->first > 0) { delete it->second.data(); it = items_.erase(it); }
            else ++it;
        }
    }

private:
    Factory factory_;
    std::map<int, QPointer<T>> items_;
};

} // namespace common
