// Reproducible randomness: a Mersenne Twister with a fixed default seed, so that a
// failing random case fails the same way again. Trace any other seed a test uses.
#pragma once

#include <cstdint>
#include <random>

namespace TestSupport {

constexpr uint32_t kDefaultSeed = 0x7E55A407u;

class SeededRandom {
public:
    explicit SeededRandom(uint32_t seed = kDefaultSeed) : m_seed(seed), m_engine(seed) {}

    // A value in [low, high], both included.
    uint32_t Between(uint32_t low, uint32_t high)
    {
        return std::uniform_int_distribution<uint32_t>(low, high)(m_engine);
    }

    // True with probability numerator / denominator.
    bool OneIn(uint32_t denominator) { return Between(1, denominator) == 1; }

    uint32_t Seed() const { return m_seed; }

private:
    uint32_t m_seed;
    std::mt19937 m_engine;
};

}  // namespace TestSupport
