#pragma once
// One staff spanned by a bar line: the y of its top line. Made only by BarLine::Add.
#include "music/framework/control.h"

#include <QObject>

namespace music {

class StaffGroup : public QObject {
    Q_OBJECT
    Q_CLASSINFO("dispids", "StaffPosition=1")
    Q_PROPERTY(int StaffPosition READ StaffPosition WRITE setStaffPosition)

public:
    explicit StaffGroup(QObject* parent = nullptr);

    int StaffPosition() const { return staffPosition_; }
    // Stored only: the owning bar line neither reorders nor redraws.
    void setStaffPosition(int v) { staffPosition_ = v; }

private:
    ObjectCounter counter_;
    int staffPosition_ = 0;
};

} // namespace music
