// The random numbers of sample values.
#pragma once

#include <random>

namespace kiv {

// Seeded from the clock, so two fills differ.
class TSampleRandom {
public:
    TSampleRandom();
    // A random integer in [0, n); 0 when n < 1.
    int Below(int n);

private:
    std::mt19937 engine_;
};

} // namespace kiv
