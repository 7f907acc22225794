#pragma once
// The one source of randomness: uniform values in [0, 1). Tests install a scripted sequence.
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace common {

class Random {
public:
    virtual ~Random() = default;
    virtual double next() = 0;        // [0, 1)
    virtual void seedFromClock() {}   // Randomize
    // A choice of one of n cases: Int(next() * n).
    int choose(int n) { return int(next() * n); }

    static Random& instance();
    // Replaces the generator (nullptr restores the default); the caller keeps ownership.
    static void setInstance(Random* r);
};

// Returns the given values in turn, then repeats the last one (0 when empty).
class ScriptedRandom : public Random {
public:
    explicit ScriptedRandom(std::vector<double> values = {}) : values_(std::move(values)) {}
    double next() override;
    void push(double v) { values_.push_back(v); }
private:
    std::vector<double> values_;
    size_t pos_ = 0;
};

// A reproducible stream: one seed fixes everything drawn from it, so a test or a benchmark can
// replay a whole exercise set. Reseeding from the clock continues the stream.
class SeededRandom : public Random {
public:
    explicit SeededRandom(uint64_t seed) : gen_(seed) {}
    double next() override;
    void seedFromClock() override {}
private:
    std::mt19937_64 gen_;
};

} // namespace common
