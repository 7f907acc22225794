#pragma once
// The beams joining a group of eighth and shorter notes: one FlagNote item per stem, kept in
// stem order, and a tilt for the whole beam. The notes draw their own heads and stems.
#include "flagnote.h"
#include "music/framework/control.h"

#include <QVariant>
#include <QVector>

namespace music {

struct BeamStem {
    int beamsLeft = 0, beamsRight = 0, stemDirection = Up, stemPosition = 0;
};

// One beam or stub line; it is drawn three times, 0, 1 and 2 pixels lower, without its end
// point.
struct BeamLine {
    QPoint from, to;
    bool operator==(const BeamLine& o) const { return from == o.from && to == o.to; }
};

// The slope divisor of a BeamAngle; `previous` for a value without one.
int beamSlopeDivisor(int beamAngle, int previous);
// The lines of a beam over `stems` (ascending stem positions, twips) whose first stem stands at
// `left`, with its top at `top`. Fewer than two stems give the 50-pixel placeholder.
QVector<BeamLine> beamLines(const QVector<BeamStem>& stems, int divisor, int left, int top);

class BeamMusic : public MusicControl {
    Q_OBJECT
    Q_CLASSINFO("dispids", "Item=0;Count=1;Add=2;Remove=3;BeamAngle=4;NewEnum=-4")
    Q_CLASSINFO("propmap", "BackColor=-501;Enabled=-514;FillColor=-510;ForeColor=-513;MouseIcon=-522;"
                           "MousePointer=-521;Beam Angle=4")
    Q_PROPERTY(int Count READ Count)
    Q_PROPERTY(int BeamAngle READ BeamAngle WRITE setBeamAngle)

public:
    explicit BeamMusic(QWidget* parent = nullptr);
    ~BeamMusic() override;

    int Count() const { return int(items_.size()); }
    int BeamAngle() const { return beamAngle_; }
    // Values outside 0..4 are stored and keep the previous tilt.
    void setBeamAngle(int v);
    int slopeDivisor() const { return divisor_; }

    // A new stem, kept in ascending StemPosition order; the result is the new item.
    Q_INVOKABLE QObject* Add(int nLeftBeams, int nRightBeams, int fStemUp, int nStemPosition);
    // Index 1..Count; false (invalid argument) otherwise, with nothing changed.
    Q_INVOKABLE bool Remove(int Index);
    // The item at Index 1..Count; nullptr (invalid argument) otherwise.
    Q_INVOKABLE QObject* Item(int Index) const;
    // A copy of the items as they are now; later changes do not reach it.
    Q_INVOKABLE QVariantList NewEnum() const;

    FlagNote* itemAt(int index) const;   // 1-based; nullptr when out of range

protected:
    void onDraw(QPainter& p, const QRect& bounds) override;

private:
    int beamAngle_ = Deg0;
    int divisor_ = 0;
    QVector<FlagNote*> items_;
};

} // namespace music
