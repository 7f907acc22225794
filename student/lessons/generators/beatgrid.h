#pragma once
// What the melody and rhythm generators share: the five durations they draw, the beat of a
// metre, and the surplus (notes placed minus beats filled) they steer, counted in exact
// twelfths of a note so that a compound metre's thirds and sixths add up without drift.
#include <array>
#include <cstddef>

namespace lessons {

// Durations in milliseconds by index, long to short.
constexpr std::array<int, 5> kDurations = {1500, 1000, 750, 500, 250};

// A metre whose Pulses is above 3 is compound: its beat lasts 1500 ms, else 1000 ms.
constexpr bool isCompound(int pulses) { return pulses > 3; }
constexpr int beatMs(int pulses) { return isCompound(pulses) ? 1500 : 1000; }

// Beats per bar by Pulses: 1..6 give 2, 3, 4, 2, 3, 4; anything else 0.
constexpr int beatsPerBar(int pulses) {
    return pulses >= 1 && pulses <= 6 ? (pulses - 1) % 3 + 2 : 0;
}

// Index of the shortest duration allowed; a value that is none of the five counts as 1500.
constexpr int shortestIndex(int shortestMs) {
    for (int k = 0; k < int(kDurations.size()); ++k)
        if (kDurations[size_t(k)] == shortestMs) return k;
    return 0;
}

// What a note of duration index k adds to the surplus, in twelfths: 12 x (1 - d / beat).
constexpr int surplusTwelfths(int k, bool compound) {
    constexpr std::array<int, 5> simple = {-6, 0, 3, 6, 9};
    constexpr std::array<int, 5> compoundTable = {0, 4, 6, 8, 10};
    return compound ? compoundTable[size_t(k)] : simple[size_t(k)];
}

// Int(S) for a surplus held in twelfths (floors negatives).
constexpr int wholeSurplus(int twelfths) {
    return twelfths >= 0 ? twelfths / 12 : -((-twelfths + 11) / 12);
}

// The band of surplus a generator fits its notes into: at least A (the N notes then fill no
// more than the bars), at most L. In beats the notes last between N - L and N - A.
struct SurplusBand {
    int least = 0;      // A
    int greatest = 0;   // L, never below A
};
SurplusBand surplusBand(int noteCount, int barCount, int beatsPerBar);

} // namespace lessons
