#pragma once

// Where the status display draws its random numbers from, so tests can choose them.
class RandomSource {
public:
    virtual ~RandomSource() = default;

    // The next uniform number in [0, 1), a single-precision value.
    virtual float Rnd() = 0;
};
