#pragma once
// The "MIDI" menu's device items as a plain model: item 0 is "MIDI Mapper", item i (1..n) is
// output device i - 1, and exactly one item, the chosen device, carries the check mark.
// The menu has as many items as there are devices (no fixed limit).
#include <QString>
#include <QStringList>
#include <QVector>

namespace sound {

class DeviceMenu {
public:
    static const QString MapperCaption;  // "MIDI Mapper"

    // Item 0 "MIDI Mapper", then one item per output device name; no item checked.
    void build(const QStringList& outputDevices);

    int count() const { return int(items_.size()); }
    QStringList captions() const;
    QString caption(int index) const;
    bool isChecked(int index) const;
    void setChecked(int index, bool checked);
    int checkedIndex() const;  // -1 while none is checked
    bool contains(int index) const { return index >= 0 && index < count(); }

    // The captions as menu items show them: each with an access key of its own, a letter or
    // digit not taken by an item before it (a word's first where it can), and an '&' of a
    // device's name shown as itself. An item with no such character left gets no key.
    static QStringList withAccessKeys(const QStringList& captions);

    // Item index <-> device number (-1 = the mapper).
    static int deviceIdOf(int index) { return index - 1; }
    static int indexOf(int deviceId) { return deviceId + 1; }

private:
    struct Item {
        QString caption;
        bool checked = false;
    };
    QVector<Item> items_;
};

} // namespace sound
