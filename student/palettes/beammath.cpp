#include "beammath.h"

#include "common/basic.h"

namespace palettes {

std::vector<std::pair<int, int>> beamLines(const std::vector<BeamNote>& notes) {
    std::vector<std::pair<int, int>> out;
    const int k = int(notes.size());
    auto B = [&](int i) { return notes[i].noteName - 2; };
    auto V = [&](int i) { return notes[i].ticks; };
    for (int j = 0; j < k; ++j) {
        if (j == 0) out.push_back({0, B(0)});
        else if (j == k - 1) out.push_back({B(j), 0});
        else if (V(j - 1) <= V(j) && V(j) <= V(j + 1)) out.push_back({B(j), B(j + 1)});
        else if (V(j - 1) < V(j) && V(j) > V(j + 1)) out.push_back({B(j), B(j)});
        else out.push_back({B(j - 1), B(j)});
    }
    return out;
}

int beamedStemLength(double noteTop, double topNoteTop, bool stemsUp) {
    const double d = (noteTop - topNoteTop) / 15.0;
    return int(basic::roundHalfEven(stemsUp ? -10 + d : -10 - d));
}

} // namespace palettes

#include <algorithm>

namespace palettes {

namespace {
bool up(int stem) { return stem == -1; }
} // namespace

BeamPlan planBeam(const std::vector<BeamCandidate>& notes) {
    BeamPlan plan;
    const BeamCandidate* first = nullptr;
    for (const BeamCandidate& n : notes)
        if (n.selected && (!first || n.index < first->index)) first = &n;
    const int bar = first ? first->bar : 0;
    const bool stemUp = first ? up(first->stemDirection) : false;
    plan.bar = bar;

    std::vector<const BeamCandidate*> candidates;
    for (const BeamCandidate& n : notes) {
        if (n.selected && up(n.stemDirection) != stemUp) {
            plan.refusal = BeamRefusal::StemDirections;
            return plan;
        }
        if (n.bar == bar && up(n.stemDirection) == stemUp) candidates.push_back(&n);
    }
    if (candidates.size() < 2) return plan;
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const BeamCandidate* a, const BeamCandidate* b) { return a->left < b->left; });

    bool inSequence = true, alreadyBeamed = false;
    const BeamCandidate* top = nullptr;
    for (const BeamCandidate* c : candidates) {
        if (c->selected) {
            if (c->hideFlags) alreadyBeamed = true;
            if (!inSequence) {
                plan.refusal = BeamRefusal::Order;
                plan.run.clear();
                return plan;
            }
            plan.run.push_back(c->index);
            if (!top || c->top < top->top) top = c;
        } else if (!plan.run.empty()) {
            inSequence = false;
        }
    }
    if (plan.run.empty() || alreadyBeamed) {
        plan.run.clear();
        return plan;
    }
    if (plan.run.size() == 1) {
        plan.refusal = BeamRefusal::Number;
        plan.run.clear();
        return plan;
    }
    plan.topNote = top->index;
    plan.refusal = BeamRefusal::None;
    return plan;
}

} // namespace palettes
