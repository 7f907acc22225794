// Where the written notes of a bar stand, as places in twips: the bar's opening, a bar of
// sixteenths with the bar line kept clear, room for an accidental and for a flag.
#include "student/lessons/notespacing.h"

#include <gtest/gtest.h>

#include <cmath>

namespace lessons {
namespace {

SpacedNote note(qint32 onset, qint32 ticks, int value) {
    SpacedNote n;
    n.onset = onset;
    n.ticks = ticks;
    n.value = value;
    n.unbeamed = true;
    return n;
}

// A bar of the given note values (ticks, Note value, accidental), written one after another
// with a beam over each beat's short notes as it completes: each note's left.
std::vector<double> writeBar(const BarRoom& bar, const std::vector<std::tuple<qint32, int, int>>& values) {
    std::vector<double> lefts;
    std::optional<std::pair<double, SpacedNote>> previous;
    qint32 onset = 0;
    for (const auto& [ticks, value, accidental] : values) {
        SpacedNote n = note(onset, ticks, value);
        n.accidental = accidental;
        lefts.push_back(spacedLeft(bar, previous, n));
        // A short note that completes a beat it shares is beamed.
        if ((onset + ticks) % bar.beatTicks == 0 && onset % bar.beatTicks != 0) n.unbeamed = false;
        previous = std::make_pair(lefts.back(), n);
        onset += ticks;
    }
    return lefts;
}

int px(double twips) { return int(std::floor(twips / 15)); }

// Three-four, a later bar and the first: the staves of the rhythm lessons (2600 twips, and
// the first bar 1200 wider).
const BarRoom kLater{4520, 2600, false, 6144, 2048};
const BarRoom kFirst{720, 3800, true, 6144, 2048};

TEST(NoteSpacing, ABarOpensTenPixelsAfterItsBarLineOrAfterTheRoomForTheSignatures) {
    // The bar line before stands at the staff's left less 75 twips, its stroke 2 pixels in;
    // a head is 15 pixels into its note.
    EXPECT_EQ(px(spacedLeft(kLater, {}, note(0, 2048, 2))) + 15, px(4520 - 75) + 2 + 10);
    EXPECT_EQ(spacedLeft(kFirst, {}, note(0, 2048, 2)) - 720, spacedLeft(kLater, {}, note(0, 2048, 2)) - 4520 + kFirstBarReserve);
    // The second part of a tie, at the start of the next bar, stands where the bar opens.
    EXPECT_EQ(spacedLeft(kLater, {}, note(0, 1024, 3)), spacedLeft(kLater, {}, note(0, 2048, 2)));
}

TEST(NoteSpacing, TwelveSixteenthsFitTheBarHeadsApart) {
    for (const BarRoom& bar : {kLater, kFirst}) {
        const auto lefts = writeBar(bar, std::vector<std::tuple<qint32, int, int>>(12, {512, 4, 0}));
        // A head is 12 pixels wide: the next one starts a clear pixel after it.
        for (size_t i = 1; i < lefts.size(); ++i) EXPECT_GE(px(lefts[i]) - px(lefts[i - 1]), 13) << i;
        // The last head ends with two clear pixels before the bar line's stroke.
        EXPECT_LE(px(lefts.back()) + 26, px(bar.staffLeft + bar.staffWidth - 75) + 2 - 3);
    }
}

TEST(NoteSpacing, RoomForWhatStandsBesideTheHeads) {
    // Eighth, sixteenth and a sixteenth with a sharp: the sharp (6 pixels into its note)
    // stands clear of the head before (26 pixels into its note).
    const auto sharp = writeBar(kLater, {{1024, 3, 0}, {512, 4, 0}, {512, 4, 1}, {2048, 2, 0}, {2048, 2, 0}});
    EXPECT_GE(px(sharp[2]) + 6, px(sharp[1]) + 26 + 2);
    // A lone eighth on the beat keeps its flag (35 pixels into its note) clear of the quarter
    // that follows.
    const auto alone = writeBar(kLater, {{2048, 2, 0}, {1024, 3, 0}, {2048, 2, 0}});
    EXPECT_GE(px(alone[2]) + 15, px(alone[1]) + 35 + 2);
}

} // namespace
} // namespace lessons
