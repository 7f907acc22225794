#include "melodygenerator.h"

#include "beatgrid.h"

#include "common/random.h"
#include "platform/dialogs.h"

#include <cstdlib>

namespace lessons {


namespace {

constexpr std::array<int, 15> kStepSemitones = {0, 2, 4, 5, 7, 9, 11, 12, 14, 16, 17, 19, 21, 23, 24};

// Every loop has its bound: a note that finds nothing acceptable keeps its last draw and the
// attempt fails, so a set that can never be met (an empty last-chord set) cannot hang.
constexpr int kAttempts = 10;
constexpr int kDurationTries = 1000;
constexpr int kStrictTries = 1000;
constexpr int kPermissiveTries = 400;

enum Degree { Do, Re, Mi, Fa, Sol, La, Ti };

int degreeOf(int step) { return ((step % 7) + 7) % 7; }
bool inSet(int step, int set) { return ((1 << degreeOf(step)) & set) != 0; }
bool isFaOrTi(int step) { return step == 3 || step == 6; }
bool isTonicTriadStep(int step) {
    return step == 0 || step == 2 || step == 4 || step == 7 || step == 9 || step == 11;
}

// Each option's first and second chord.
struct Option {
    int bit;
    int first;
    int second;
};
constexpr std::array<Option, 7> kOptions = {{
    {cadence::VI, degreeset::V, degreeset::I},
    {cadence::IVI, degreeset::IV, degreeset::I},
    {cadence::IV, degreeset::I, degreeset::V},
    {cadence::IVV, degreeset::IV, degreeset::V},
    {cadence::Vvi, degreeset::V, degreeset::vi},
    {cadence::V7vi, degreeset::V7, degreeset::vi},
    {cadence::V7I, degreeset::V7, degreeset::I},
}};

// The cadences two last notes complete, tried top to bottom within a cadence set.
struct CadenceRow {
    int set;
    int option;
    int prev;
    int last;
    const char* name;
    int position1, position2, kind1, kind2;
};
constexpr CadenceRow kRows[] = {
    {degreeset::V, cadence::VI, Sol, Sol, "V-I Open", 1, 0, 1, 1},
    {degreeset::V, cadence::VI, Ti, Do, "V-I Close", 2, 1, 1, 1},
    {degreeset::V, cadence::VI, Re, Mi, "V-I Open", 0, 2, 1, 1},
    {degreeset::V, cadence::Vvi, Ti, La, "V-VI", 2, 1, 1, 2},
    {degreeset::V, cadence::Vvi, Re, Do, "V-VI", 0, 2, 1, 2},
    {degreeset::V, cadence::Vvi, Sol, Mi, "V-VI", 1, 0, 1, 2},
    {degreeset::IV, cadence::IVI, La, Sol, "IV-I", 2, 0, 1, 1},
    {degreeset::IV, cadence::IVI, Do, Do, "IV-I", 0, 1, 1, 1},
    {degreeset::IV, cadence::IVI, Fa, Mi, "IV-I", 1, 2, 1, 1},
    {degreeset::IV, cadence::IVV, La, Sol, "IV-V", 2, 1, 1, 1},
    {degreeset::IV, cadence::IVV, Do, Ti, "IV-V", 0, 2, 1, 1},
    {degreeset::IV, cadence::IVV, Fa, Re, "IV-V", 1, 0, 1, 1},
    {degreeset::I, cadence::IV, Sol, Sol, "I-V", 0, 1, 1, 1},
    {degreeset::I, cadence::IV, Do, Ti, "I-V", 1, 2, 1, 1},
    {degreeset::I, cadence::IV, Mi, Re, "I-V", 2, 0, 1, 1},
    {degreeset::V7, cadence::V7I, Ti, Do, "V7-I Close", 2, 1, 5, 1},
    {degreeset::V7, cadence::V7I, Fa, Mi, "V7-I Open", 0, 2, 5, 1},
    {degreeset::V7, cadence::V7I, Sol, Sol, "V7-I Open", 1, 0, 5, 1},
    {degreeset::V7, cadence::V7I, Re, Do, "V7-I Close", 3, 1, 5, 1},
    {degreeset::V7, cadence::V7vi, Ti, La, "V7-VI", 2, 1, 5, 2},
    {degreeset::V7, cadence::V7vi, Re, Do, "V7-VI", 3, 2, 5, 2},
    {degreeset::V7, cadence::V7vi, Fa, Mi, "V7-VI", 0, 0, 5, 2},
    {degreeset::V7, cadence::V7vi, Sol, La, "V7-VI", 1, 1, 5, 2},
};

bool isCadenceSet(int set) {
    return set == degreeset::V || set == degreeset::IV || set == degreeset::I || set == degreeset::V7;
}

// The row the pair completes in a cadence set; a later row wins, except that a V7-vi row
// replaces a matched V7-I row only on a coin flip (no coin: the first match stands).
const CadenceRow* findRow(int set, int options, int prevDegree, int lastDegree, common::Random* coin) {
    const CadenceRow* found = nullptr;
    for (const CadenceRow& row : kRows) {
        if (row.set != set || !(options & row.option) || row.prev != prevDegree || row.last != lastDegree)
            continue;
        if (found && found->option == cadence::V7I && row.option == cadence::V7vi &&
            (!coin || coin->choose(2) != 1))
            continue;
        found = &row;
    }
    return found;
}

class MelodyMaker {
public:
    MelodyMaker(const MelodySpec& spec, NoteTable& table, CadenceRecord& record, common::Random& random)
        : spec_(spec), table_(table), record_(record), random_(random),
          n_(spec.noteCount), compound_(isCompound(spec.pulses)), beat_(beatMs(spec.pulses)),
          shortest_(shortestIndex(spec.shortestDuration)),
          band_(surplusBand(spec.noteCount, spec.barCount, beatsPerBar(spec.pulses))) {
        for (const Option& o : kOptions)
            if (spec.cadenceOptions & o.bit) firstChords_ |= o.first;
    }

    bool run() {
        table_.ensure(n_);
        for (int attempt = 0; attempt < kAttempts; ++attempt)
            if (attemptOnce()) return true;
        return false;
    }

private:
    enum Direction { Down, Up };

    bool attemptOnce() {
        // A record left by an earlier attempt would name another melody's ending.
        record_.clear();
        ok_ = true;
        position_ = 0;
        surplus_ = 0;
        prev_ = -1;
        prevDirection_ = Down;
        lastLeap_ = spec_.maxLeap;
        stepRun_ = 0;
        repeats_ = 0;
        lastChordSet_ = 0;
        cadenceSet_ = firstChords_;
        start_ = startStep();
        top_ = start_ + spec_.stepRange - 1;
        bottom_ = start_;
        for (int i = 1; i <= n_; ++i) {
            placeDuration(i);
            placePitch(i);
        }
        return ok_;
    }

    int startStep() {
        if (spec_.startMask == 0 || spec_.startMask == 1) return 0;
        int bits[8];
        int count = 0;
        for (int b = 1; b <= 8; ++b)
            if (spec_.startMask & (1 << (b - 1))) bits[count++] = b;
        if (count == 0) return 0;
        return bits[random_.choose(count)] - 1;
    }

    // --- durations ---------------------------------------------------------------------

    bool durationRefused(int i, int k) const {
        const int dur = kDurations[size_t(k)];
        const int p = position_ % beat_;
        const int whole = wholeSurplus(surplus_);
        const int l12 = band_.greatest * 12;
        if ((p > 0 && dur > beat_) || p + dur > beat_) return true;
        if ((shortest_ == 3 && dur == 750) || (shortest_ == 1 && dur == 1500)) return true;
        if (p != 0 && (dur == 750 || dur == 1500)) return true;
        if (!compound_ && (i == n_ - 1 || i == n_) && p == 0 && k > 1) return true;
        if (i == n_ - 2 && p == 0 && dur == 250) return true;
        if (beat_ == 1000 && whole < band_.least && dur > 500 && 2 * (band_.least - whole) > n_ - i - 1)
            return true;
        if (surplus_ >= l12 && dur <= 500) return true;
        if (p == 0 && whole >= band_.greatest - 1 && dur == 250) return true;
        if (p == 250 && dur > 250) return true;
        if (surplus_ + surplusTwelfths(k, compound_) > l12) return true;
        return false;
    }

    void placeDuration(int i) {
        int k = 0;
        bool found = false;
        for (int t = 0; t < kDurationTries && !found; ++t) {
            k = random_.choose(shortest_ + 1);
            found = !durationRefused(i, k);
        }
        if (!found) ok_ = false;
        const int dur = kDurations[size_t(k)];
        table_.set(NoteTable::kDuration, i, int16_t(dur));
        position_ += dur;
        surplus_ += surplusTwelfths(k, compound_);
    }

    bool twoSixteenths(int i) const {
        return i >= 2 && table_.duration(i) == 250 && table_.duration(i - 1) == 250;
    }

    bool excluded(int step) const {
        for (int e : spec_.excludedSteps)
            if (e == step) return true;
        return false;
    }

    bool faTiRefused(int step) const {
        return isFaOrTi(step) && faTi_ >= 0 && std::abs(step - faTi_) == 3 && since_ < 4;
    }

    Direction directionTo(int x) const { return x > prev_ ? Up : x < prev_ ? Down : prevDirection_; }

    // The bookkeeping of a try that stands.
    void tryStands(int x, Direction dir, bool strict) {
        if (isFaOrTi(x) && faTi_ < 0) faTi_ = x;
        if (x == top_ || x == bottom_ || dir != prevDirection_) {
            const int d = std::abs(x - prev_);
            lastLeap_ = d <= spec_.maxLeap - 1 ? d : spec_.maxLeap;
            since_ = 0;
            if (isFaOrTi(x))
                faTi_ = x;
            else if (!strict || !isFaOrTi(prev_))
                faTi_ = -1;
        }
    }

    // --- pitches -----------------------------------------------------------------------

    // Whether x may follow under the strict rules. Pure: a try that passes still has the
    // V7 cadences' coin flip and the bookkeeping to come.
    bool strictPasses(int i, int x) const {
        const bool cadenceCheck = i == n_ && isCadenceSet(cadenceSet_);
        bool acceptable = false;
        if (x == prev_) {
            // A repeat ends a melody only as an allowed cadence (sol-sol, do-do). Refusing it
            // there too leaves a second-last sol without an ending under V-I alone (sol-mi is
            // no V-I): the melody lesson's upper levels would give up on about one melody in
            // four, the cadence and time-signature lessons' first levels on one in a hundred.
            acceptable = cadenceCheck &&
                         findRow(cadenceSet_, spec_.cadenceOptions, degreeOf(prev_), degreeOf(x), nullptr);
        } else {
            // A run goes on in its direction until it has moved twice or meets an end of the
            // range; the lowest step of the range frees a turn as the top does.
            acceptable = (prevDirection_ == Up && x > prev_ && prev_ < top_ && sameDirection_ <= 1) ||
                         (prevDirection_ == Down && x < prev_ && prev_ >= 1 && sameDirection_ <= 1) ||
                         sameDirection_ >= 2 || prev_ == top_ || prev_ == bottom_ || i <= 2;
        }
        if (!acceptable) return false;
        const int d = std::abs(x - prev_);
        if (i < n_ - 1) {
            if (directionTo(x) == prevDirection_ && d > lastLeap_) return false;
            if (d > spec_.maxLeap - 1) return false;
            if (twoSixteenths(i) && d != 1) return false;
            if (excluded(x)) return false;
            if (faTiRefused(x)) return false;
        } else {
            if (d > 2 && prev_ != 7) return false;
            if (twoSixteenths(i) && d != 1) return false;
        }
        return !cadenceCheck ||
               findRow(cadenceSet_, spec_.cadenceOptions, degreeOf(prev_), degreeOf(x), nullptr);
    }

    bool permissivePasses(int x) const {
        const int d = std::abs(x - prev_);
        return d <= lastLeap_ && d <= spec_.maxLeap - 1 && !excluded(x) && !faTiRefused(x);
    }

    // The steps a draw can give. Drawing over the range until a step of a set comes up is
    // drawing among the set's steps in the range, or the whole range when it has none.
    struct Pool {
        std::array<int, 16> steps{};
        int count = 0;
        void add(int x) { if (count < int(steps.size())) steps[size_t(count++)] = x; }
    };
    Pool range() const {
        Pool p;
        for (int x = start_; x <= top_; ++x) p.add(x);
        if (p.count == 0) p.add(start_);
        return p;
    }
    template <class Keep>
    Pool rangeWhere(Keep keep) const {
        Pool p;
        for (int x = start_; x <= top_; ++x)
            if (keep(x)) p.add(x);
        return p.count ? p : range();
    }
    Pool setPool(int set) const { return rangeWhere([set](int x) { return inSet(x, set); }); }
    int drawFrom(const Pool& p) { return p.steps[size_t(random_.choose(p.count))]; }

    // Tries draws until one passes. Draws are independent, so when no step of the pool
    // can pass, the tries are known to fail and are not drawn.
    template <class Passes>
    bool drawPassing(const Pool& pool, int tries, Passes passes, int& x) {
        bool viable = false;
        for (int k = 0; k < pool.count && !viable; ++k) viable = passes(pool.steps[size_t(k)]);
        if (!viable) return false;
        for (int t = 0; t < tries; ++t) {
            x = drawFrom(pool);
            if (passes(x)) return true;
        }
        return false;
    }

    int placeStrict(int i, bool& exhausted) {
        Pool pool;
        if (spec_.stepRange > 3 && i == n_)
            pool = setPool(lastChordSet_);
        else if (spec_.stepRange > 3 && i == n_ - 1)
            pool = setPool(cadenceSet_);
        else
            pool = range();
        int x = prev_;
        const bool found = drawPassing(pool, kStrictTries, [&](int y) { return strictPasses(i, y); }, x);
        exhausted = !found;
        if (found) {
            if (i == n_ && isCadenceSet(cadenceSet_)) {
                const CadenceRow* row =
                    findRow(cadenceSet_, spec_.cadenceOptions, degreeOf(prev_), degreeOf(x), &random_);
                record_.name = QString::fromLatin1(row->name);
                record_.positions = {0, row->position1, row->position2};
                record_.kinds = {0, row->kind1, row->kind2};
            }
            tryStands(x, directionTo(x), true);
        } else {
            // Step on within the range when nothing fits.
            x = prev_ < top_ ? prev_ + 1 : prev_ - 1;
            ok_ = false;
        }
        if (i == n_) {
            if (degreeOf(x) == Do && degreeOf(prev_) == Do && x != prev_) x = prev_;
            if (std::abs(x - prev_) > 3) x += x < prev_ ? 7 : -7;
        }
        return x;
    }

    int placePermissive(bool& exhausted) {
        int x = prev_;
        const bool found = drawPassing(range(), kPermissiveTries, [&](int y) { return permissivePasses(y); }, x);
        exhausted = !found;
        if (found)
            tryStands(x, directionTo(x), false);
        else
            x = drawFrom(range());   // the last of the tries
        return x;
    }

    // When the rules found nothing, the cadence notes are at least drawn from their chords,
    // the last one within a step of the note before when its chord has a step there.
    int fallback(int i, int x) {
        if (i == n_)
            return drawFrom(rangeWhere([&](int y) { return inSet(y, lastChordSet_) && std::abs(y - prev_) <= 1; }));
        if (i == n_ - 1) return drawFrom(setPool(cadenceSet_));
        return x;
    }

    void placePitch(int i) {
        int x = 0;
        if (prev_ < 0) {
            x = drawFrom(spec_.stepRange >= 4 ? rangeWhere(isTonicTriadStep) : range());
        } else {
            bool exhausted = false;
            const bool strict = !spec_.allowRepeat || repeats_ > 0;
            x = strict ? placeStrict(i, exhausted) : placePermissive(exhausted);
            if (exhausted && spec_.stepRange >= 4 && i >= n_ - 1) x = fallback(i, x);
        }
        if (i == n_ - 1) chooseCadence(x);
        bookkeeping(x);
        if (const int semis = stepSemitones(x); semis >= 0) table_.set(NoteTable::kPitch, i, int16_t(semis));
    }

    void chooseCadence(int x) {
        lastChordSet_ = 0;
        cadenceSet_ = 0;
        for (const Option& o : kOptions) {
            if (!(spec_.cadenceOptions & o.bit) || !inSet(x, o.first)) continue;
            lastChordSet_ |= o.second;
            cadenceSet_ = o.first;
        }
    }

    void bookkeeping(int x) {
        const Direction dir = prev_ < 0 ? Up : directionTo(x);
        if (prev_ >= 0) {
            const int d = std::abs(x - prev_);
            if (d >= 3)
                lastLeap_ = d;
            else if (d == 2 && dir == prevDirection_)
                lastLeap_ = 2;
            if (d == 0) {
                stepRun_ = 0;
                ++repeats_;
            } else {
                ++stepRun_;
            }
            if (stepRun_ > 1) lastLeap_ = 2;
        }
        if (sameDirection_ > 1) sameDirection_ = 0;
        sameDirection_ = dir == prevDirection_ ? sameDirection_ + 1 : 0;
        ++since_;
        prevDirection_ = dir;
        prev_ = x;
    }

    const MelodySpec& spec_;
    NoteTable& table_;
    CadenceRecord& record_;
    common::Random& random_;
    const int n_;
    const bool compound_;
    const int beat_;
    const int shortest_;
    const SurplusBand band_;
    int firstChords_ = 0;

    // Carried from one attempt to the next within a call.
    int sameDirection_ = 0;
    int since_ = 0;
    int faTi_ = -1;

    // Per attempt.
    bool ok_ = true;
    int position_ = 0;
    int surplus_ = 0;   // twelfths
    int prev_ = -1;
    Direction prevDirection_ = Down;
    int lastLeap_ = 0;
    int stepRun_ = 0;
    int repeats_ = 0;
    int lastChordSet_ = 0;
    int cadenceSet_ = 0;
    int start_ = 0;
    int top_ = 0;
    int bottom_ = 0;
};

} // namespace

int stepSemitones(int step) {
    return step >= 0 && step < int(kStepSemitones.size()) ? kStepSemitones[size_t(step)] : -1;
}

bool generateMelody(const MelodySpec& spec, NoteTable& table, CadenceRecord& record, common::Random& random) {
    return MelodyMaker(spec, table, record, random).run();
}

bool CreateMelody(const MelodySpec& spec, NoteTable& table, CadenceRecord& record, common::Random& random,
                  QWidget* owner) {
    const bool ok = generateMelody(spec, table, record, random);
    if (!ok)
        platform::Dialogs::instance().messageBox(QStringLiteral("Failed to create Melody!"), platform::Critical,
                                                 QStringLiteral("Fatal!"), owner);
    return ok;
}

} // namespace lessons
