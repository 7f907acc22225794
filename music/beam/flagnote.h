#pragma once
// One stem under a beam: where it stands, which way it points and how many beams leave it to
// each side. Made only by BeamMusic::Add.
#include "music/framework/control.h"

#include <QObject>

namespace music {

class FlagNote : public QObject {
    Q_OBJECT
    Q_CLASSINFO("dispids", "BeamsLeft=1;BeamsRight=2;StemDirection=3;StemPosition=4")
    Q_PROPERTY(int BeamsLeft READ BeamsLeft WRITE setBeamsLeft)
    Q_PROPERTY(int BeamsRight READ BeamsRight WRITE setBeamsRight)
    Q_PROPERTY(int StemDirection READ StemDirection WRITE setStemDirection)
    Q_PROPERTY(int StemPosition READ StemPosition WRITE setStemPosition)

public:
    explicit FlagNote(QObject* parent = nullptr);

    int BeamsLeft() const { return beamsLeft_; }
    int BeamsRight() const { return beamsRight_; }
    int StemDirection() const { return stemDirection_; }
    int StemPosition() const { return stemPosition_; }

    // Stored as given: the owning beam neither reorders nor redraws.
    void setBeamsLeft(int v) { beamsLeft_ = v; }
    void setBeamsRight(int v) { beamsRight_ = v; }
    void setStemDirection(int v) { stemDirection_ = v; }
    void setStemPosition(int v) { stemPosition_ = v; }

private:
    ObjectCounter counter_;
    int beamsLeft_ = 0;
    int beamsRight_ = 0;
    int stemDirection_ = Up;
    int stemPosition_ = 0;   // twips
};

} // namespace music
