#include "random.h"

#include <chrono>
#include <random>

namespace common {
namespace {
class DefaultRandom : public Random {
public:
    DefaultRandom() { seedFromClock(); }
    double next() override { return std::uniform_real_distribution<double>(0.0, 1.0)(gen_); }
    void seedFromClock() override {
        gen_.seed(uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                  std::random_device{}());
    }
private:
    std::mt19937_64 gen_;
};
Random* g_override = nullptr;
} // namespace

Random& Random::instance() {
    static DefaultRandom def;
    return g_override ? *g_override : def;
}
void Random::setInstance(Random* r) { g_override = r; }

// The top 53 bits as a fraction: the same values on every platform, unlike the standard
// distributions, so fixed-seed results can be kept in tests.
double SeededRandom::next() { return double(gen_() >> 11) * 0x1.0p-53; }

double ScriptedRandom::next() {
    if (values_.empty()) return 0.0;
    const double v = values_[pos_ < values_.size() ? pos_ : values_.size() - 1];
    if (pos_ < values_.size()) ++pos_;
    return v;
}

} // namespace common
