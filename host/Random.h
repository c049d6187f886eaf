// The feed's random source. The engine's output sequence is fixed by the C++ standard and the
// conversions below are our own, so a seed gives the same feed on every platform.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

namespace hostsim {

class Random {
public:
    explicit Random(uint64_t seed) : engine_(seed) {}

    // Uniform in [0, 1).
    double Uniform() { return double(engine_() >> 11) * 0x1.0p-53; }
    // Uniform in 0 .. n-1 (n > 0).
    uint32_t Below(uint32_t n) { return std::min(uint32_t(Uniform() * n), n - 1); }
    bool Chance(double p) { return Uniform() < p; }
    // Standard normal by Box-Muller; one value per call keeps the sequence easy to reason about.
    double Gaussian() {
        double u = 1.0 - Uniform(); // (0, 1]: log stays finite
        double v = Uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * 3.14159265358979323846 * v);
    }

private:
    std::mt19937_64 engine_;
};

} // namespace hostsim
