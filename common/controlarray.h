#pragma once
// A control array: element 0 is the design-time template and is never unloaded; load(i)
// makes element i as a copy of element 0 (font, colours, text and every writable property)
// with the same parent, hidden. Gaps are allowed. Misuse is reported, never a crash.
//
// Each element keeps its own record of where the code put it: Left, Top, Width and Height in
// twips exactly as they were set (doubles), its Tag, Visible and its stacking. The widget only
// shows the record: each of its pixel edges is floor(twips / 15) of that edge. Code reads
// positions from the record, never back from the widget, so positions compare exactly
// (a scorer compares a label's Left with a line's X1; the editor moves a note by 75 twips).
#include <QMetaProperty>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace common {

inline constexpr double kTwipsPerPixel = 15.0;
// The one conversion at a widget's edge: floor(twips / 15).
inline int twipsToPixels(double twips) { return int(std::floor(twips / kTwipsPerPixel)); }

// A child made hidden under its design-time name, as the element 0 of an array or a control
// that only shows when the code says so.
template <class T>
T* hiddenChild(QWidget* parent, const QString& name) {
    T* w = new T(parent);
    w->setObjectName(name);
    w->hide();
    return w;
}

// Copies every stored, writable property of `from` onto `to` except visibility, the object
// name and geometry (a frame's rectangle included); font and palette come along as QWidget
// properties.
void copyWidgetProperties(const QObject* from, QObject* to);

// Where the code put an element, and what else it set on it by name.
struct ElementRecord {
    double Left = 0, Top = 0, Width = 0, Height = 0;   // twips, as set
    QString Tag;
    bool Visible = false;
    qint64 ZOrder = 0;   // stacking stamp: the higher, the nearer the front
};

using OptTwips = std::optional<double>;

// Shows a record on its widget: the pixels of each of its four edges.
void applyRecordGeometry(QWidget* w, const ElementRecord& r);
// Next stacking stamp (program-wide, increasing).
qint64 nextZOrderStamp();

template <class T>
class ControlArray {
public:
    using Factory = std::function<T*(QWidget* parent)>;

    // `tmpl` becomes element 0; `factory` makes a blank element of the same class. The
    // template's record starts from its design-time geometry and visibility.
    ControlArray(T* tmpl, Factory factory) : factory_(std::move(factory)) {
        Slot& s = items_[0];
        s.widget = tmpl;
        if (tmpl) {
            const QRect g = tmpl->geometry();
            s.record.Left = g.x() * kTwipsPerPixel;
            s.record.Top = g.y() * kTwipsPerPixel;
            s.record.Width = g.width() * kTwipsPerPixel;
            s.record.Height = g.height() * kTwipsPerPixel;
            s.record.Visible = !tmpl->isHidden();
        }
    }
    ControlArray(const ControlArray&) = delete;
    ControlArray& operator=(const ControlArray&) = delete;
    ~ControlArray() { clear(); }

    // Loads element i with the template's properties and record (hidden); false when i is
    // negative or already loaded.
    bool load(int i) {
        if (i < 0 || exists(i)) return false;
        const Slot* t = slot(0);
        T* tmpl = t ? t->widget.data() : nullptr;
        if (!tmpl) return false;
        T* w = factory_(tmpl->parentWidget());
        if (!w) return false;
        copyWidgetProperties(tmpl, w);
        Slot s;
        s.widget = w;
        s.record = t->record;
        s.record.Visible = false;
        s.record.ZOrder = nextZOrderStamp();
        if (positioned_) applyRecordGeometry(w, s.record);
        else w->setGeometry(tmpl->geometry());
        w->setVisible(false);
        w->raise();
        items_[i] = s;
        if (loadHook_) loadHook_(i, w);
        return true;
    }
    // Runs for every element loaded from now on, with its index (the host wires its events).
    void setLoadHook(std::function<void(int, T*)> hook) { loadHook_ = std::move(hook); }
    // Unloads element i (> 0) at once; false when it was not loaded or is the template.
    bool unload(int i) {
        if (i <= 0) return false;
        auto it = items_.find(i);
        if (it == items_.end()) return false;
        delete it->second.widget.data();
        items_.erase(it);
        return true;
    }
    // Unloads element i from inside one of its own event handlers: the element leaves the
    // array and the screen at once (the index is free to load again), and the widget is
    // freed once the running event is over.
    bool unloadDeferred(int i) {
        if (i <= 0) return false;
        auto it = items_.find(i);
        if (it == items_.end()) return false;
        if (T* w = it->second.widget.data()) {
            w->hide();
            w->deleteLater();
        }
        items_.erase(it);
        return true;
    }
    bool exists(int i) const {
        const Slot* s = slot(i);
        return s && !s->widget.isNull();
    }
    T* at(int i) const {
        const Slot* s = slot(i);
        return s ? s->widget.data() : nullptr;
    }
    T* operator[](int i) const { return at(i); }
    // Highest loaded index (0 when only the template is loaded).
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
            if (it->first > 0) {
                delete it->second.widget.data();
                it = items_.erase(it);
            } else {
                ++it;
            }
        }
    }

    // ---- The element record ----
    // nullptr for an element that is not loaded.
    const ElementRecord* record(int i) const {
        const Slot* s = slot(i);
        return s ? &s->record : nullptr;
    }
    double Left(int i) const { return value(i, &ElementRecord::Left); }
    double Top(int i) const { return value(i, &ElementRecord::Top); }
    double Width(int i) const { return value(i, &ElementRecord::Width); }
    double Height(int i) const { return value(i, &ElementRecord::Height); }
    QString Tag(int i) const {
        const Slot* s = slot(i);
        return s ? s->record.Tag : QString();
    }
    bool Visible(int i) const {
        const Slot* s = slot(i);
        return s && s->record.Visible;
    }
    qint64 ZOrderStamp(int i) const {
        const Slot* s = slot(i);
        return s ? s->record.ZOrder : 0;
    }

    // Move: an empty value leaves that edge or size as it was. False when i is not loaded.
    bool Move(int i, OptTwips left, OptTwips top = {}, OptTwips width = {}, OptTwips height = {}) {
        Slot* s = slot(i);
        if (!s) return false;
        if (left) s->record.Left = *left;
        if (top) s->record.Top = *top;
        if (width) s->record.Width = qMax(0.0, *width);
        if (height) s->record.Height = qMax(0.0, *height);
        positioned_ = true;
        if (T* w = s->widget.data()) applyRecordGeometry(w, s->record);
        return true;
    }
    bool setLeft(int i, double v) { return Move(i, v); }
    bool setTop(int i, double v) { return Move(i, {}, v); }
    bool setWidth(int i, double v) { return Move(i, {}, {}, v); }
    bool setHeight(int i, double v) { return Move(i, {}, {}, {}, v); }
    bool setTag(int i, const QString& tag) {
        Slot* s = slot(i);
        if (!s) return false;
        s->record.Tag = tag;
        return true;
    }
    bool setVisible(int i, bool visible) {
        Slot* s = slot(i);
        if (!s) return false;
        s->record.Visible = visible;
        if (T* w = s->widget.data()) w->setVisible(visible);
        return true;
    }
    // ZOrder 0 brings the element to the front, any other position sends it to the back.
    bool ZOrder(int i, int position = 0) {
        Slot* s = slot(i);
        if (!s) return false;
        const qint64 stamp = nextZOrderStamp();
        s->record.ZOrder = position == 0 ? stamp : -stamp;
        if (T* w = s->widget.data()) {
            if (position == 0) w->raise();
            else w->lower();
        }
        return true;
    }

private:
    struct Slot {
        QPointer<T> widget;
        ElementRecord record;
    };
    Slot* slot(int i) {
        auto it = items_.find(i);
        return it == items_.end() || it->second.widget.isNull() ? nullptr : &it->second;
    }
    const Slot* slot(int i) const {
        auto it = items_.find(i);
        return it == items_.end() || it->second.widget.isNull() ? nullptr : &it->second;
    }
    double value(int i, double ElementRecord::*field) const {
        const Slot* s = slot(i);
        return s ? s->record.*field : 0.0;
    }

    Factory factory_;
    std::function<void(int, T*)> loadHook_;
    std::map<int, Slot> items_;
    // Until the code first places an element by its record, elements keep the template's
    // widget geometry (arrays whose widgets place themselves, such as lines by their ends).
    bool positioned_ = false;
};

} // namespace common
