#pragma once

#include "randomsource.h"

#include <random>

// The program's random numbers: a fixed sequence until Randomize seeds it from the clock.
class RandomGenerator : public RandomSource {
public:
    RandomGenerator() = default;

    void Randomize();
    float Rnd() override;

private:
    std::mt19937 m_engine;
};
