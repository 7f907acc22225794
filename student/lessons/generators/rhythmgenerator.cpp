#include "rhythmgenerator.h"

#include "beatgrid.h"

#include "common/random.h"

namespace lessons {

namespace {

constexpr int kTries = 1000;
// A compound-metre rhythm overruns its bars about one time in eight; forty draws in a row
// practically never all fail.
constexpr int kDraws = 40;

class RhythmMaker {
public:
    RhythmMaker(const RhythmSpec& spec, NoteTable& table, common::Random& random)
        : spec_(spec), table_(table), random_(random), n_(spec.noteCount), compound_(isCompound(spec.pulses)),
          beat_(beatMs(spec.pulses)), shortest_(shortestIndex(spec.shortestDuration)),
          band_(surplusBand(spec.noteCount, spec.barCount, beatsPerBar(spec.pulses))) {}

    bool run() {
        table_.ensure(n_);
        for (int d = 0; d < kDraws; ++d)
            if (drawOnce()) return true;
        return false;
    }

private:
    bool refused(int i, int k) const {
        const int d = kDurations[size_t(k)];
        const int r = position_ % beat_;
        const int whole = wholeSurplus(surplus_);
        const int l12 = band_.greatest * 12;
        return (r > 0 && d > beat_) || r + d > beat_ ||
               (shortest_ == 3 && d == 750) || (shortest_ == 1 && d == 1500) ||
               (r != 0 && (d == 750 || d == 1500)) ||
               (!compound_ && (i == n_ - 1 || i == n_) && r == 0 && k > 1) ||
               (i == n_ - 2 && r == 0 && d == 250) ||
               (beat_ == 1000 && d > 500 && whole < band_.least && 2 * (band_.least - whole) > n_ - i - 1) ||
               (surplus_ >= l12 && d <= 500) ||
               (r == 0 && whole >= band_.greatest - 1 && d == 250) ||
               (r == 250 && d > 250) ||
               surplus_ + surplusTwelfths(k, compound_) > l12;
    }

    // One rhythm; whole when every note kept the rules and the notes fill no more than the bars.
    bool drawOnce() {
        position_ = 0;
        surplus_ = 0;
        bool whole = true;
        for (int i = 1; i <= n_; ++i) {
            int k = 0;
            bool found = false;
            for (int t = 0; t < kTries && !found; ++t) {
                k = random_.choose(shortest_ + 1);
                found = !refused(i, k);
            }
            whole &= found;
            const int d = kDurations[size_t(k)];
            position_ += d;
            surplus_ += surplusTwelfths(k, compound_);
            table_.set(NoteTable::kDuration, i, int16_t(d));
            table_.set(NoteTable::kPitch, i, NoteTable::kUnpitched);
        }
        return whole && surplus_ >= band_.least * 12;
    }

    const RhythmSpec& spec_;
    NoteTable& table_;
    common::Random& random_;
    const int n_;
    const bool compound_;
    const int beat_;
    const int shortest_;
    const SurplusBand band_;
    int position_ = 0;
    int surplus_ = 0;   // twelfths
};

} // namespace

bool CreateRhythm(const RhythmSpec& spec, NoteTable& table, common::Random& random) {
    return RhythmMaker(spec, table, random).run();
}

} // namespace lessons
