#include "devicemenu.h"

namespace sound {

const QString DeviceMenu::MapperCaption = QStringLiteral("MIDI Mapper");

void DeviceMenu::build(const QStringList& outputDevices) {
    items_.clear();
    items_.push_back({MapperCaption, false});
    for (const QString& name : outputDevices) items_.push_back({name, false});
}

QStringList DeviceMenu::captions() const {
    QStringList out;
    for (const Item& i : items_) out << i.caption;
    return out;
}

QString DeviceMenu::caption(int index) const { return contains(index) ? items_[index].caption : QString(); }

bool DeviceMenu::isChecked(int index) const { return contains(index) && items_[index].checked; }

void DeviceMenu::setChecked(int index, bool checked) {
    if (contains(index)) items_[index].checked = checked;
}

int DeviceMenu::checkedIndex() const {
    for (int i = 0; i < count(); ++i)
        if (items_[i].checked) return i;
    return -1;
}

} // namespace sound
