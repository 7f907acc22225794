#pragma once
// What the lessons ask of the piano and drum windows' real-time capture. Until the capture is
// built every call does nothing and no tap is recorded.
#include <QtGlobal>
#include <vector>

namespace lessons {

class PlayedInput {
public:
    virtual ~PlayedInput() = default;
    // A new exercise set: the next press of either window starts a new phrase, the beats are
    // measured again, and a release still waiting for its timed commit is dropped, so nothing
    // played for an earlier set is written on or counted for this one.
    virtual void RestartCapture() {}
    // The piano's note waiting for its timed commit is not written (the melody scorer's
    // StopMouseDown).
    virtual void PianoStopMouseDown() {}
    // The pad's tap still held or waiting for its timed commit is taken now, with the time it
    // has been held: into the tap table (lesson 7) or onto the staff (lesson 4). A scorer
    // calls it before it marks, so it reads every tap without waiting on the drum window and
    // no commit changes the set once it is marked.
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
