#pragma once
// What the lessons ask of the piano and drum windows' real-time capture. Until the capture is
// built every call does nothing and no tap is recorded.
#include <QtGlobal>
#include <vector>

namespace lessons {

class PlayedInput {
public:
    virtual ~PlayedInput() = default;
    // frmKeyboard.ZeroFirstTick: the next press starts a new capture.
    virtual void PianoZeroFirstTick() {}
    // The piano's held key is let go (a capture in progress ends with its key up).
    virtual void PianoStopMouseDown() {}
    // frmDrum.ZeroFirstTick.
    virtual void DrumZeroFirstTick() {}
    // Writes the tap still held or waiting for its end into the tap table now, so the
    // played-rhythm scorer reads every tap without waiting on the drum window.
    virtual void CommitPendingTap() {}

    // The tap lengths in ticks: taps 1..TapCount (element 0 unused).
    std::vector<qint16> TapTicks = std::vector<qint16>(1, 0);
    qint16 TapCount = 0;
    // What the rhythm-playing builder does: no taps.
    void clearTaps() {
        TapTicks.assign(1, 0);
        TapCount = 0;
    }
};

} // namespace lessons
