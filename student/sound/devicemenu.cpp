#include "devicemenu.h"

#include <QSet>
#include <vector>

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

QStringList DeviceMenu::withAccessKeys(const QStringList& captions) {
    QSet<QChar> taken;
    QStringList out;
    for (const QString& caption : captions) {
        // Word starts first, then the other letters and digits, left to right.
        std::vector<int> candidates, others;
        for (int i = 0; i < caption.size(); ++i) {
            if (!caption[i].isLetterOrNumber()) continue;
            (i == 0 || !caption[i - 1].isLetterOrNumber() ? candidates : others).push_back(i);
        }
        candidates.insert(candidates.end(), others.begin(), others.end());
        int key = -1;
        for (int i : candidates) {
            if (taken.contains(caption[i].toLower())) continue;
            taken.insert(caption[i].toLower());
            key = i;
            break;
        }
        QString shown;
        for (int i = 0; i < caption.size(); ++i) {
            if (i == key) shown += QLatin1Char('&');
            shown += caption[i];
            if (caption[i] == QLatin1Char('&')) shown += QLatin1Char('&');
        }
        out << shown;
    }
    return out;
}

int DeviceMenu::checkedIndex() const {
    for (int i = 0; i < count(); ++i)
        if (items_[i].checked) return i;
    return -1;
}

} // namespace sound
