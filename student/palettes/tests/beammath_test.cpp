#include "student/palettes/beammath.h"

#include <gtest/gtest.h>

using palettes::BeamNote;
using Lines = std::vector<std::pair<int, int>>;

TEST(BeamMath, BeamLinesFollowTheNeighbours) {
    const BeamNote e{3, 1024}, s{4, 512}, dottedE{3, 1536};
    struct Case { std::vector<BeamNote> notes; Lines lines; };
    const Case cases[] = {
        {{e, e, e, e}, {{0, 1}, {1, 1}, {1, 1}, {1, 0}}},
        {{e, s, s, e}, {{0, 1}, {1, 2}, {2, 1}, {1, 0}}},
        {{dottedE, s}, {{0, 1}, {2, 0}}},
        {{e, s, e}, {{0, 1}, {1, 2}, {1, 0}}},   // falls to the last row of the rule
        {{s, e, s}, {{0, 2}, {1, 1}, {2, 0}}},   // longer than both neighbours
        {{s, s, s, s}, {{0, 2}, {2, 2}, {2, 2}, {2, 0}}},
    };
    for (const Case& c : cases) EXPECT_EQ(palettes::beamLines(c.notes), c.lines);
}

TEST(BeamMath, StemsReachTheBeam) {
    // Stems up: the beam hangs above the highest note; lower notes get longer stems.
    EXPECT_EQ(palettes::beamedStemLength(500, 500, true), -10);
    EXPECT_EQ(palettes::beamedStemLength(650, 500, true), 0);
    EXPECT_EQ(palettes::beamedStemLength(575, 500, true), -5);
    // Stems down: shorter stems towards a beam below.
    EXPECT_EQ(palettes::beamedStemLength(650, 500, false), -20);
    // A fraction of a pixel rounds half to even.
    EXPECT_EQ(palettes::beamedStemLength(537.5, 500, true), -8);
}

namespace {
palettes::BeamCandidate n(int index, bool selected, int bar, int stem, double left, double top = 500,
                          bool beamed = false) {
    return {index, selected, bar, stem, left, top, beamed};
}
} // namespace

TEST(BeamMath, PlanBeamTable) {
    using palettes::BeamRefusal;
    struct Case {
        const char* name;
        std::vector<palettes::BeamCandidate> notes;
        BeamRefusal refusal;
        std::vector<int> run;
        int top;
    };
    const Case cases[] = {
        {"four eighths, out of index order",
         {n(1, true, 2, -1, 900, 500), n(2, true, 2, -1, 600, 450), n(3, true, 2, -1, 1200, 450),
          n(4, true, 2, -1, 1500, 600)},
         BeamRefusal::None, {2, 1, 3, 4}, 2},
        {"an unselected note between", {n(1, true, 2, -1, 600), n(2, false, 2, -1, 900), n(3, true, 2, -1, 1200)},
         BeamRefusal::Order, {}, 0},
        {"a stem-down note between is no candidate",
         {n(1, true, 2, -1, 600), n(2, false, 2, 0, 900), n(3, true, 2, -1, 1200)},
         BeamRefusal::None, {1, 3}, 1},
        {"one selected", {n(1, true, 2, -1, 600), n(2, false, 2, -1, 900)}, BeamRefusal::Number, {}, 0},
        {"alone in its direction", {n(1, true, 2, -1, 600), n(2, false, 2, 0, 900)}, BeamRefusal::Quiet, {}, 0},
        {"two bars: the first selected bar is beamed",
         {n(1, true, 2, -1, 600), n(2, true, 2, -1, 900), n(3, true, 3, -1, 2000), n(4, true, 3, -1, 2300)},
         BeamRefusal::None, {1, 2}, 1},
        {"already beamed", {n(1, true, 2, -1, 600, 500, true), n(2, true, 2, -1, 900, 500, true)},
         BeamRefusal::Quiet, {}, 0},
        {"mixed stems, even across bars",
         {n(1, true, 2, 0, 600), n(2, true, 2, 0, 900), n(3, true, 3, -1, 2000)},
         BeamRefusal::StemDirections, {}, 0},
        {"nothing selected", {n(1, false, 2, -1, 600), n(2, false, 2, -1, 900)}, BeamRefusal::Quiet, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const palettes::BeamPlan p = palettes::planBeam(c.notes);
        EXPECT_EQ(p.refusal, c.refusal);
        EXPECT_EQ(p.run, c.run);
        if (c.refusal == BeamRefusal::None) {
            EXPECT_EQ(p.topNote, c.top);
        }
    }
}

TEST(BeamMath, PlanBeamHasNoFixedLimit) {
    // More candidates than a bar ever held before (50) and a run longer than 24.
    std::vector<palettes::BeamCandidate> notes;
    for (int i = 1; i <= 60; ++i) notes.push_back(n(i, i <= 30, 2, -1, 100.0 * i));
    const palettes::BeamPlan p = palettes::planBeam(notes);
    EXPECT_EQ(p.refusal, palettes::BeamRefusal::None);
    EXPECT_EQ(p.run.size(), 30u);
}
