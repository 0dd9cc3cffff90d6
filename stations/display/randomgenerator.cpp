#include "randomgenerator.h"

#include <chrono>
#include <cstdint>

void RandomGenerator::Randomize() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
    std::seed_seq seed{std::uint32_t(ticks), std::uint32_t(std::uint64_t(ticks) >> 32)};
    m_engine.seed(seed);
}

float RandomGenerator::Rnd() {
    // 24 bits fill a float's mantissa exactly; more bits could round up to 1.0.
    return float(m_engine() >> 8) / float(1 << 24);
}
