#pragma once
#include <cstdint>

// The show's own pseudo-random generator, so that one seed gives the same show on every
// machine. The wave filter draws its per-row jitter from it; the driver seeds it once.
extern uint32_t randomState;

inline void SeedRandom(uint32_t seed) {
    randomState = seed;
}

// Next value from 0 to 32767.
inline int NextRandom() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFFu);
}

// Leaves the generator where `draws` calls of NextRandom would, in O(log draws) steps.
void SkipRandom(uint64_t draws);
